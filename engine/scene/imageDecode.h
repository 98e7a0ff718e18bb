// Decoders of the multi-format image reader. Each takes a whole file in
// memory and fills the same texture record: 3 or 4 interleaved 8-bit
// components, bottom row first.
#ifndef KORVA_IMAGEDECODE_H
#define KORVA_IMAGEDECODE_H

#include "texture3D.h"

#include <cstddef>

// Each decoder @returns 1 with t filled, 0 for data it cannot take, -1 when memory ran out.
struct imageDecode {
    // largest image any reader accepts, in pixels (512 x 512 fits)
    static constexpr long maxPixels = 262145;

    // SGI: uncompressed or run-length encoded, 1 to 4 channels, 8 bits.
    static int sgi(const unsigned char* data, size_t size, texture3D* t);
    // Targa: true-colour, uncompressed or run-length encoded, 24 or 32 bits.
    static int tga(const unsigned char* data, size_t size, texture3D* t);
    // Sun raster: 24 or 32 bits, standard, RGB order or run-length encoded.
    static int ras(const unsigned char* data, size_t size, texture3D* t);
    // @returns whether width x height is a size the readers take.
    static bool sizeOk(long long width, long long height);
    // big-endian fields of the SGI and Sun raster headers
    static unsigned be16(const unsigned char* p) { return unsigned(p[0]) << 8 | p[1]; }
    static unsigned long be32(const unsigned char* p)
    {
        return (unsigned long)(p[0]) << 24 | (unsigned long)(p[1]) << 16 | (unsigned long)(p[2]) << 8 | p[3];
    }
};

#endif
