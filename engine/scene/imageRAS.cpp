#include "imageDecode.h"
#include "../scene/vekMemory.h"

#include <cstring>

namespace {

// Expands the run-length encoded body (0x80 escapes) into out.
bool unpack(const unsigned char* p, const unsigned char* end, unsigned char* out, size_t want)
{
    size_t done = 0;
    while (done < want) {
        if (p >= end)
            return false;
        const unsigned char c = *p++;
        if (c != 0x80) {
            out[done++] = c;
            continue;
        }
        if (p >= end)
            return false;
        const size_t n = size_t(*p++) + 1;
        if (n == 1) {
            out[done++] = 0x80;
            continue;
        }
        if (p >= end || n > want - done)
            return false;
        std::memset(out + done, *p++, n);
        done += n;
    }
    return true;
}

}  // namespace

int imageDecode::ras(const unsigned char* data, size_t size, texture3D* t)
{
    if (size < 32 || be32(data) != 0x59a66a95UL)
        return 0;
    const unsigned long w = be32(data + 4);
    const unsigned long h = be32(data + 8);
    const unsigned long depth = be32(data + 12);
    const unsigned long type = be32(data + 20);
    const unsigned long mapLen = be32(data + 28);
    if ((depth != 24 && depth != 32) || type > 3 || !sizeOk((long long)w, (long long)h))
        return 0;
    if (mapLen > size - 32)
        return 0;

    const size_t bpp = depth / 8;
    // rows are padded to an even byte count
    const size_t rowBytes = (size_t(w) * bpp + 1) & ~size_t(1);
    const size_t want = rowBytes * size_t(h);
    const unsigned char* body = data + 32 + mapLen;
    const unsigned char* end = data + size;
    std::unique_ptr<unsigned char[]> raw;
    if (type == 2) {
        raw.reset(new (std::nothrow) unsigned char[want]);
        if (!raw || !unpack(body, end, raw.get(), want))
            return -1;
        body = raw.get();
    } else if (size_t(end - body) < want) {
        return 0;
    }

    auto pix = vekAlloc<unsigned char>(size_t(w) * size_t(h) * bpp);
    if (!pix)
        return -1;
    // type 3 stores red first; the others blue first; 32-bit pixels lead with their alpha byte
    const bool rgbOrder = type == 3;
    const size_t lead = bpp == 4 ? 1 : 0;
    for (size_t y = 0; y < h; y++) {
        const unsigned char* row = body + (size_t(h) - 1 - y) * rowBytes;
        for (size_t x = 0; x < w; x++) {
            const unsigned char* s = row + x * bpp;
            unsigned char* d = pix.get() + (y * size_t(w) + x) * bpp;
            d[0] = rgbOrder ? s[lead + 0] : s[lead + 2];
            d[1] = s[lead + 1];
            d[2] = rgbOrder ? s[lead + 2] : s[lead + 0];
            if (bpp == 4)
                d[3] = s[0];
        }
    }
    t->components = int(bpp);
    t->width = int(w);
    t->height = int(h);
    t->pixels = std::move(pix);
    return 1;
}
