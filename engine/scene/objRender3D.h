// The renderer's per-object record, allocated at the end of each load.
#ifndef KORVA_OBJRENDER3D_H
#define KORVA_OBJRENDER3D_H

#include "../math/vec_4.h"

// the renderer's material mirror: what OpenGL was last given
struct materialMirror3D {
    float ambient[4] = {};
    float diffuse[4] = {};
    float specular[4] = {};
    float shininess = 0.0f;
};

struct objRender3D {
    // block size the memory counter is charged for one record
    static constexpr int recordBytes = 384;

    int xformValid = 0;
    int listValid = 0;
    vec_4 boundMin = {};
    vec_4 boundMax = {};
    vec_4 boundBox[8] = {};
    // render-state mirrors as the object's display list was compiled from them:
    // it is called with OpenGL in that state
    int startBlending = 0;
    int startCullFace = 0;
    int startTwoSideLight = 0;
    int startTexEnabled = 0;
    int startLightBlend = 0;
    // 1 when the list switches texturing on
    int listTextured = 0;
    // render-state mirrors and the material as the display list leaves them
    int endBlending = 0;
    int endCullFace = 0;
    int endTwoSideLight = 0;
    int endTexEnabled = 0;
    materialMirror3D endMaterial;
    // triangles the display list sends
    int listTriangles = 0;
};

static_assert(sizeof(objRender3D) <= objRender3D::recordBytes, "renderer record outgrew its block");

#endif
