#include "matrix_4.h"

#include <cmath>
#include <cstddef>

void identityMat(matrix_4* m)
{
    for (int i = 0; i < 16; i++)
        m->m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

matrix_4 mulMat(const matrix_4& a, const matrix_4& b)
{
    matrix_4 c;
    for (int r = 0; r < 4; r++) {
        for (int col = 0; col < 4; col++) {
            // carried in double, rounded once when stored
            double s = 0.0;
            for (int k = 0; k < 4; k++)
                s += double(a.m[r * 4 + k]) * double(b.m[k * 4 + col]);
            c.m[r * 4 + col] = float(s);
        }
    }
    return c;
}

void postMulMat(matrix_4* m, const matrix_4& b)
{
    *m = mulMat(*m, b);
}

void translateMat(matrix_4* m, float tx, float ty, float tz)
{
    for (size_t r = 0; r < 4; r++) {
        float* row = &m->m[r * 4];
        row[3] += row[0] * tx + row[1] * ty + row[2] * tz;
    }
}

// Rotations touch only the two columns they mix; the old values of both
// are read before either is written.
static void mixColumns(matrix_4* m, int ca, int cb, float aa, float ab, float ba, float bb)
{
    for (size_t r = 0; r < 4; r++) {
        float* row = &m->m[r * 4];
        const float a = row[ca];
        const float b = row[cb];
        row[ca] = a * aa + b * ab;
        row[cb] = a * ba + b * bb;
    }
}

void rotateXMat(matrix_4* m, float a)
{
    const float rad = a * degToRad;
    const float s = std::sin(rad);
    const float c = std::cos(rad);
    // col1 := col1 c + col2 s; col2 := col2 c - col1 s
    mixColumns(m, 1, 2, c, s, -s, c);
}

void rotateYMat(matrix_4* m, float a)
{
    const float rad = a * degToRad;
    const float s = std::sin(rad);
    const float c = std::cos(rad);
    // col0 := col0 c - col2 s; col2 := col0 s + col2 c
    mixColumns(m, 0, 2, c, -s, s, c);
}

void rotateZMat(matrix_4* m, float a)
{
    const float rad = a * degToRad;
    const float s = std::sin(rad);
    const float c = std::cos(rad);
    // col0 := col0 c + col1 s; col1 := col1 c - col0 s
    mixColumns(m, 0, 1, c, s, -s, c);
}

void scaleMat(matrix_4* m, float sx, float sy, float sz)
{
    for (size_t r = 0; r < 4; r++) {
        float* row = &m->m[r * 4];
        row[0] *= sx;
        row[1] *= sy;
        row[2] *= sz;
    }
}

vec_4 transformVec(const matrix_4& m, const vec_4& p)
{
    const float* e = m.m;
    return vec_4{e[0] * p.x + e[1] * p.y + e[2] * p.z + e[3] * p.w,
                 e[4] * p.x + e[5] * p.y + e[6] * p.z + e[7] * p.w,
                 e[8] * p.x + e[9] * p.y + e[10] * p.z + e[11] * p.w,
                 e[12] * p.x + e[13] * p.y + e[14] * p.z + e[15] * p.w};
}

void glMatrixOf(const matrix_4& m, float out[16])
{
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            out[c * 4 + r] = m.m[r * 4 + c];
}
