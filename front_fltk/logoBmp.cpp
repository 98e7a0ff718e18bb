// Writes the program logo as a 256-colour Windows bitmap, the picture that
// the Windows dialog carries as a resource:  korva_logobmp OUT.bmp
#include "logo3D.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
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

size_t digit(char c)
{
    static const char digits[] = "0123456789abcdefghijklmnopABCDEFGHIJKLMNOP";
    const char* p = std::strchr(digits, c);
    return p != nullptr && c != '\0' ? size_t(p - digits) : 0;
}

// palette slot of a two-character colour code
size_t codeOf(const char* p)
{
    return digit(p[0]) * 42 + digit(p[1]);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: korva_logobmp OUT.bmp\n");
        return 2;
    }
    const char* const* xpm = korvaLogoXpm();
    int w = 0, h = 0, colours = 0, cpp = 0;
    if (std::sscanf(xpm[0], "%d %d %d %d", &w, &h, &colours, &cpp) != 4 || colours > 256 || cpp != 2) {
        std::fprintf(stderr, "korva_logobmp: unexpected logo header\n");
        return 1;
    }
    // palette index of a two-character code
    std::vector<int> index(size_t(42) * 42, 0);
    std::vector<unsigned char> palette(size_t(256) * 4, 0);
    for (int i = 0; i < colours; i++) {
        const char* l = xpm[1 + i];
        unsigned rgb = 0;
        std::sscanf(l + 2, " c #%x", &rgb);
        index[codeOf(l)] = i;
        const size_t at = size_t(i) * 4;
        palette[at + 0] = (unsigned char)(rgb & 0xff);
        palette[at + 1] = (unsigned char)((rgb >> 8) & 0xff);
        palette[at + 2] = (unsigned char)(rgb >> 16);
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
        const char* row = xpm[1 + colours + y];
        for (int x = 0; x < w; x++)
            b.push_back((unsigned char)index[codeOf(row + size_t(x) * 2)]);
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
