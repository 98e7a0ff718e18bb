#include "imageDecode.h"
#include "../scene/vekMemory.h"

#include <cstring>

namespace {

// Expands one run-length encoded row of at most width bytes into row.
bool unpackRow(const unsigned char* data, size_t size, unsigned long start, unsigned long len, unsigned char* row,
               int width)
{
    if (start > size || len > size - start)
        return false;
    const unsigned char* p = data + start;
    const unsigned char* end = p + len;
    int x = 0;
    while (p < end) {
        const unsigned char c = *p++;
        const int count = c & 0x7f;
        if (count == 0)
            break;
        if (x + count > width)
            return false;
        if (c & 0x80) {
            if (end - p < count)
                return false;
            std::memcpy(row + x, p, size_t(count));
            p += count;
        } else {
            if (p >= end)
                return false;
            std::memset(row + x, *p++, size_t(count));
        }
        x += count;
    }
    return x == width;
}

}  // namespace

bool imageDecode::sizeOk(long long width, long long height)
{
    // a product of two 16-bit sides would wrap in a 32-bit long: compare by division
    return width > 0 && height > 0 && width <= maxPixels && height <= maxPixels && width <= maxPixels / height;
}

int imageDecode::sgi(const unsigned char* data, size_t size, texture3D* t)
{
    if (size < 512 || be16(data) != 474)
        return 0;
    const int storage = data[2];
    const int bpc = data[3];
    const int dim = int(be16(data + 4));
    const int w = int(be16(data + 6));
    const int h = dim >= 2 ? int(be16(data + 8)) : 1;
    const int ch = dim >= 3 ? int(be16(data + 10)) : 1;
    if ((storage != 0 && storage != 1) || bpc != 1 || dim < 1 || dim > 3)
        return 0;
    if (ch < 1 || ch > 4 || !sizeOk(w, h))
        return 0;

    const size_t plane = size_t(w) * size_t(h);
    std::unique_ptr<unsigned char[]> planes(new (std::nothrow) unsigned char[plane * size_t(ch)]);
    if (!planes)
        return -1;
    if (storage == 0) {
        if (size - 512 < plane * size_t(ch))
            return 0;
        std::memcpy(planes.get(), data + 512, plane * size_t(ch));
    } else {
        const size_t rows = size_t(h) * size_t(ch);
        if (size - 512 < rows * 8)
            return 0;
        const unsigned char* starts = data + 512;
        const unsigned char* lens = starts + rows * 4;
        for (size_t r = 0; r < rows; r++) {
            if (!unpackRow(data, size, be32(starts + r * 4), be32(lens + r * 4), planes.get() + r * size_t(w), w))
                return 0;
        }
    }

    // grey images become RGB, grey + alpha RGBA
    const int comps = ch == 1 || ch == 3 ? 3 : 4;
    auto pix = vekAlloc<unsigned char>(plane * size_t(comps));
    if (!pix)
        return -1;
    const unsigned char* p = planes.get();
    for (size_t i = 0; i < plane; i++) {
        unsigned char* d = pix.get() + i * size_t(comps);
        if (ch <= 2) {
            d[0] = d[1] = d[2] = p[i];
            if (ch == 2)
                d[3] = p[plane + i];
        } else {
            for (int c = 0; c < ch; c++)
                d[c] = p[size_t(c) * plane + i];
        }
    }
    t->components = comps;
    t->width = w;
    t->height = h;
    t->pixels = std::move(pix);
    return 1;
}
