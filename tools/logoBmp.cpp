// Writes the program logo as a 256-colour Windows bitmap, the picture that
// the Windows dialog carries as a resource:  korva_logobmp OUT.bmp
#include "logo3D.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void le16(std::vector<unsigned char>& b, unsigned v)
{
    b.push_back((unsigned char)v);
    b.push_back((unsigned char)(v >> 8));
}

void le32(std::vector<unsigned char>& b, unsigned v)
{
    le16(b, v & 0xffff);
    le16(b, v >> 16);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: korva_logobmp OUT.bmp\n");
        return 2;
    }
    korvaLogoPixels logo;
    if (!decodeKorvaLogo(&logo)) {
        std::fprintf(stderr, "korva_logobmp: unexpected logo header\n");
        return 1;
    }
    const int w = logo.w, h = logo.h;
    std::vector<unsigned char> palette(size_t(256) * 4, 0);
    for (size_t i = 0; i < 256; i++) {
        palette[i * 4 + 0] = logo.palette[i * 3 + 2];
        palette[i * 4 + 1] = logo.palette[i * 3 + 1];
        palette[i * 4 + 2] = logo.palette[i * 3 + 0];
    }
    const unsigned stride = (unsigned(w) + 3) & ~3u;
    const unsigned dataOffset = 14 + 40 + 256 * 4;
    std::vector<unsigned char> b;
    b.push_back('B');
    b.push_back('M');
    le32(b, dataOffset + stride * unsigned(h));
    le32(b, 0);
    le32(b, dataOffset);
    le32(b, 40);
    le32(b, unsigned(w));
    le32(b, unsigned(h));
    le16(b, 1);
    le16(b, 8);
    le32(b, 0);
    le32(b, stride * unsigned(h));
    le32(b, 2835);
    le32(b, 2835);
    le32(b, 256);
    le32(b, 0);
    b.insert(b.end(), palette.begin(), palette.end());
    // rows bottom-up, as bitmaps store them
    for (int y = h - 1; y >= 0; y--) {
        for (int x = 0; x < w; x++)
            b.push_back(logo.index[size_t(y) * size_t(w) + size_t(x)]);
        for (unsigned x = unsigned(w); x < stride; x++)
            b.push_back(0);
    }
    FILE* f = std::fopen(argv[1], "wb");
    if (f == nullptr || std::fwrite(b.data(), 1, b.size(), f) != b.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "korva_logobmp: can't write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
