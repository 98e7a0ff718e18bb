// The renderer's per-object record, allocated at the end of each load.
#ifndef KORVA_OBJRENDER3D_H
#define KORVA_OBJRENDER3D_H

#include "../math/vec_4.h"

struct objRender3D {
    // block size the memory counter is charged for one record
    static constexpr int recordBytes = 384;

    int xformValid = 0;
    int listValid = 0;
    vec_4 boundMin = {};
    vec_4 boundMax = {};
    vec_4 boundBox[8] = {};
    // render-state mirrors as the object's display list leaves them
    int endBlending = 0;
    int endCullFace = 0;
    int endTwoSideLight = 0;
    int endTexEnabled = 0;
    // triangles the display list sends
    int listTriangles = 0;
};

static_assert(sizeof(objRender3D) <= objRender3D::recordBytes, "renderer record outgrew its block");

#endif
