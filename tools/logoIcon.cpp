// Writes the program logo as the desktop entries' icon: a square RGBA PNG,
// the logo scaled to its width and centred on a clear ground.
//   korva_logoicon SIDE OUT.png
#include "logo3D.h"
#include "scene/fileCloser.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

bool writePng(const char* path, int side, const std::vector<unsigned char>& rgba)
{
    filePtr f(std::fopen(path, "wb"));
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f.get());
    png_set_IHDR(png, info, png_uint_32(side), png_uint_32(side), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < side; y++)
        png_write_row(png, rgba.data() + size_t(y) * size_t(side) * 4);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fflush(f.get()) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const int side = argc == 3 ? std::atoi(argv[1]) : 0;
    if (side < 16 || side > 512) {
        std::fprintf(stderr, "usage: korva_logoicon SIDE OUT.png (SIDE 16 to 512)\n");
        return 2;
    }
    korvaLogoPixels logo;
    if (!decodeKorvaLogo(&logo)) {
        std::fprintf(stderr, "korva_logoicon: unexpected logo header\n");
        return 1;
    }
    // each icon pixel averages the logo pixels it covers
    const double scale = double(logo.w) / side;
    const int rows = int(logo.h / scale);
    const int top = (side - rows) / 2;
    std::vector<unsigned char> rgba(size_t(side) * size_t(side) * 4, 0);
    for (int y = 0; y < rows; y++)
        for (int x = 0; x < side; x++) {
            double sum[3] = {0, 0, 0};
            int n = 0;
            for (int sy = int(y * scale); sy < int((y + 1) * scale) && sy < logo.h; sy++)
                for (int sx = int(x * scale); sx < int((x + 1) * scale) && sx < logo.w; sx++, n++)
                    for (int c = 0; c < 3; c++)
                        sum[c] += logo.palette[size_t(logo.index[size_t(sy) * size_t(logo.w) + size_t(sx)]) * 3 + c];
            unsigned char* p = &rgba[(size_t(top + y) * size_t(side) + size_t(x)) * 4];
            for (int c = 0; c < 3; c++)
                p[c] = (unsigned char)(n > 0 ? sum[c] / n + 0.5 : 0);
            p[3] = 255;
        }
    if (!writePng(argv[2], side, rgba)) {
        std::fprintf(stderr, "korva_logoicon: can't write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
