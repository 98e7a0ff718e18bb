#include "imageDecode.h"
#include "../scene/vekMemory.h"

#include <cstring>

int imageDecode::tga(const unsigned char* data, size_t size, texture3D* t)
{
    if (size < 18)
        return 0;
    const int idLen = data[0];
    const int mapType = data[1];
    const int type = data[2];
    const int mapLen = data[5] | data[6] << 8;
    const int mapBits = data[7];
    const int w = data[12] | data[13] << 8;
    const int h = data[14] | data[15] << 8;
    const int bits = data[16];
    const bool topFirst = (data[17] & 0x20) != 0;
    const bool rightFirst = (data[17] & 0x10) != 0;
    if ((type != 2 && type != 10) || (bits != 24 && bits != 32) || mapType > 1 || !sizeOk(w, h))
        return 0;

    size_t pos = 18 + size_t(idLen);
    if (mapType == 1)
        pos += size_t(mapLen) * size_t((mapBits + 7) / 8);
    if (pos > size)
        return 0;

    const int bpp = bits / 8;
    const size_t count = size_t(w) * size_t(h);
    std::unique_ptr<unsigned char[]> raw(new (std::nothrow) unsigned char[count * size_t(bpp)]);
    if (!raw)
        return -1;
    if (type == 2) {
        if (size - pos < count * size_t(bpp))
            return 0;
        std::memcpy(raw.get(), data + pos, count * size_t(bpp));
    } else {
        // packets may cross row ends
        size_t done = 0;
        while (done < count) {
            if (pos >= size)
                return 0;
            const unsigned char head = data[pos++];
            const size_t n = size_t(head & 0x7f) + 1;
            if (n > count - done)
                return 0;
            if (head & 0x80) {
                if (size - pos < size_t(bpp))
                    return 0;
                for (size_t i = 0; i < n; i++)
                    std::memcpy(raw.get() + (done + i) * size_t(bpp), data + pos, size_t(bpp));
                pos += size_t(bpp);
            } else {
                if (size - pos < n * size_t(bpp))
                    return 0;
                std::memcpy(raw.get() + done * size_t(bpp), data + pos, n * size_t(bpp));
                pos += n * size_t(bpp);
            }
            done += n;
        }
    }

    auto pix = vekAlloc<unsigned char>(count * size_t(bpp));
    if (!pix)
        return -1;
    for (int y = 0; y < h; y++) {
        const int srcRow = topFirst ? h - 1 - y : y;
        for (int x = 0; x < w; x++) {
            const int srcX = rightFirst ? w - 1 - x : x;
            const unsigned char* s = raw.get() + (size_t(srcRow) * size_t(w) + size_t(srcX)) * size_t(bpp);
            unsigned char* d = pix.get() + (size_t(y) * size_t(w) + size_t(x)) * size_t(bpp);
            // stored blue, green, red, alpha
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
            if (bpp == 4)
                d[3] = s[3];
        }
    }
    t->components = bpp;
    t->width = w;
    t->height = h;
    t->pixels = std::move(pix);
    return 1;
}
