// One loaded object: its material groups and its two placement matrices.
#ifndef KORVA_OBJECT3D_H
#define KORVA_OBJECT3D_H

#include "../math/matrix_4.h"
#include "group3D.h"
#include "objRender3D.h"

#include <memory>

struct object3D {
    static constexpr int maxGroups = 128;

    int numGroups = 0;
    char name[64] = {};
    group3D group[maxGroups];
    matrix_4 objMat = {};
    matrix_4 normMat = {};
    std::unique_ptr<objRender3D> render;
};

#endif
