// One texture image: interleaved 8-bit pixels, bottom row first.
#ifndef KORVA_TEXTURE3D_H
#define KORVA_TEXTURE3D_H

#include <memory>

struct texture3D {
    char name[64] = {};
    int components = 0;  // 3 RGB, 4 RGBA
    int width = 0;
    int height = 0;
    std::unique_ptr<unsigned char[]> pixels;
};

#endif
