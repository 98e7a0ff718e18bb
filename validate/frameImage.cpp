#include "frameImage.h"

#include "scene/fileCloser.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

frameImage frameImage::fromBottomUp(int width, int height, const unsigned char* rgb)
{
    frameImage f;
    if (width <= 0 || height <= 0 || rgb == nullptr)
        return f;
    f.width = width;
    f.height = height;
    const size_t row = size_t(width) * 3;
    f.rgb.resize(row * size_t(height));
    for (int y = 0; y < height; y++)
        std::memcpy(&f.rgb[size_t(y) * row], rgb + size_t(height - 1 - y) * row, row);
    return f;
}

namespace {

// libpng reports its errors by a long jump; the message is kept for the caller
void onError(png_structp png, png_const_charp msg)
{
    auto* why = static_cast<std::string*>(png_get_error_ptr(png));
    if (why != nullptr)
        *why = msg;
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

}  // namespace

bool frameImage::readPng(const std::string& path, std::string* why)
{
    std::string err;
    filePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        *why = "can't open " + path;
        return false;
    }
    unsigned char sig[8] = {};
    if (std::fread(sig, 1, 8, f.get()) != 8 || png_sig_cmp(sig, 0, 8) != 0) {
        *why = path + " is no PNG file";
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &err, onError, onWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        *why = "out of memory reading " + path;
        return false;
    }
    std::vector<unsigned char> pixels;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        *why = path + ": " + (err.empty() ? std::string("damaged PNG") : err);
        return false;
    }
    png_init_io(png, f.get());
    png_set_sig_bytes(png, 8);
    // a damaged header must not make us hold more than a frame of ours
    png_set_user_limits(png, maxSide, maxSide);
    png_read_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info);
    const png_uint_32 h = png_get_image_height(png, info);
    const int depth = png_get_bit_depth(png, info);
    const int type = png_get_color_type(png, info);
    if (depth == 16)
        png_set_strip_16(png);
    if (type == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if ((type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) && depth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_strip_alpha(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(w) * 3) {
        png_destroy_read_struct(&png, &info, nullptr);
        *why = path + ": a colour form the reader does not take";
        return false;
    }
    pixels.resize(size_t(w) * size_t(h) * 3);
    rows.resize(h);
    for (png_uint_32 y = 0; y < h; y++)
        rows[y] = &pixels[size_t(y) * size_t(w) * 3];
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    width = int(w);
    height = int(h);
    rgb = std::move(pixels);
    return true;
}

bool frameImage::writePng(const std::string& path) const
{
    // nothing written for a frame that holds no pixels
    if (width <= 0 || height <= 0 || rgb.size() != size_t(width) * size_t(height) * 3)
        return false;
    filePtr f(std::fopen(path.c_str(), "wb"));
    return f && writePng(f.get());
}

bool frameImage::writePng(std::FILE* f) const
{
    if (width <= 0 || height <= 0 || rgb.size() != size_t(width) * size_t(height) * 3)
        return false;
    std::string err;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &err, onError, onWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    for (int y = 0; y < height; y++)
        png_write_row(png, &rgb[size_t(y) * size_t(width) * 3]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fflush(f) == 0 && std::ferror(f) == 0;
}
