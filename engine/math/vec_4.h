// Four-component float vector: positions (w = 1), normals (nx, ny, nz, 1)
// and texture coordinates (s, t, 0, 1) all travel in this one type.
#ifndef KORVA_VEC_4_H
#define KORVA_VEC_4_H

struct vec_4 {
    float x;
    float y;
    float z;
    float w;
};

#endif
