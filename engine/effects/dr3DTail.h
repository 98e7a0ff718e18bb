// A trail of up to 16 copies of a model placed where a moving object was
// at earlier moments, one copy every time step.
#ifndef KORVA_DR3DTAIL_H
#define KORVA_DR3DTAIL_H

#include "math/matrix_4.h"

class outTxt;
class data3D;
class gl3D;
class recmat3D;

class dr3DTail {
public:
    static constexpr int maxCopies = 16;

    explicit dr3DTail(outTxt* console);
    dr3DTail(const dr3DTail&) = delete;
    dr3DTail& operator=(const dr3DTail&) = delete;

    void init();
    // Copies firstObj .. firstObj + n - 1 along the path. @returns 1, or 0 when n > 16.
    int draw3DTail(data3D* d, gl3D* gl, recmat3D* path, float t, float step, int firstObj, int n, float scale);
    // As draw3DTail, new places taken from the current matrix.
    int draw3DTailFly(data3D* d, gl3D* gl, const matrix_4* current, float t, float step, int firstObj, int n,
                      float scale);

    float lastTime;

private:
    int draw(data3D* d, gl3D* gl, recmat3D* path, const matrix_4* current, float t, float step, int firstObj, int n,
             float scale);

    outTxt* out;
    matrix_4 place[2][maxCopies];
    matrix_4* prev;
    matrix_4* cur;
};

#endif
