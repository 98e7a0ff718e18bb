// 4x4 float matrix, row-major (element of row r, column c at r*4 + c),
// points as column vectors multiplied from the right (p' = M p), every
// composing operation post-multiplies (M := M * X).
#ifndef KORVA_MATRIX_4_H
#define KORVA_MATRIX_4_H

#include "vec_4.h"

struct matrix_4 {
    float m[16];
};

// Degrees to radians, single precision, as every angle interface uses it.
inline constexpr float degToRad = 0.017453292f;

// M := I.
void identityMat(matrix_4* m);
// @returns the product a * b.
matrix_4 mulMat(const matrix_4& a, const matrix_4& b);
// M := M * b.
void postMulMat(matrix_4* m, const matrix_4& b);
// M := M * T(tx, ty, tz).
void translateMat(matrix_4* m, float tx, float ty, float tz);
// M := M * Rx(a), a in degrees.
void rotateXMat(matrix_4* m, float a);
// M := M * Ry(a), a in degrees.
void rotateYMat(matrix_4* m, float a);
// M := M * Rz(a), a in degrees.
void rotateZMat(matrix_4* m, float a);
// M := M * S(sx, sy, sz): columns 0, 1, 2 scaled.
void scaleMat(matrix_4* m, float sx, float sy, float sz);
// @returns M p with all four rows.
vec_4 transformVec(const matrix_4& m, const vec_4& p);
// Fills the column-major array OpenGL takes (the transpose of m).
void glMatrixOf(const matrix_4& m, float out[16]);

#endif
