// One material group of an object: its polygons with one entry per face
// point in face order, and the material copied from the library.
#ifndef KORVA_GROUP3D_H
#define KORVA_GROUP3D_H

#include <memory>

struct group3D {
    int numPoly = 0;
    // sum of the point counts: the length of every per-point array
    int numPoints = 0;
    int type = 0;
    int texture = 0;
    int texture2 = 0;
    float Ka[4] = {};
    float Kd[4] = {};
    float Ks[4] = {};
    float Ns = 0.0f;

    std::unique_ptr<int[]> pointCount;   // one per polygon
    std::unique_ptr<float[]> vertex;     // x y z per point
    std::unique_ptr<float[]> normal;     // x y z per point
    std::unique_ptr<float[]> xVertex;    // renderer work array, x y z per point
    std::unique_ptr<float[]> xNormal;    // renderer work array, x y z per point
    std::unique_ptr<float[]> texCoord;   // u v per point (types 1, 3, 4)
    std::unique_ptr<float[]> texCoord2;  // u v per point, filled by the renderer

    // @returns whether the group carries texture coordinates.
    bool textured() const { return type == 1 || type == 3 || type == 4; }
};

#endif
