#include "math/matrix_4.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

matrix_4 ident()
{
    matrix_4 m;
    identityMat(&m);
    return m;
}

matrix_4 sample()
{
    matrix_4 m;
    for (int i = 0; i < 16; i++)
        m.m[i] = float(i + 1) * 0.5f - 3.0f;
    return m;
}

void expectNear(const matrix_4& a, const matrix_4& b, float tol = 1e-5f)
{
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(a.m[i], b.m[i], tol) << "element " << i;
}

}  // namespace

TEST(Matrix, IdentityAndProductsFollowRowMajorColumnVectors)
{
    const matrix_4 i = ident();
    for (int k = 0; k < 16; k++)
        EXPECT_EQ(i.m[k], (k == 0 || k == 5 || k == 10 || k == 15) ? 1.0f : 0.0f);

    const matrix_4 s = sample();
    expectNear(mulMat(i, s), s, 0.0f);
    expectNear(mulMat(s, i), s, 0.0f);

    // C[r][c] = sum A[r][k] B[k][c]: a hand-worked element
    matrix_4 a = ident();
    matrix_4 b = ident();
    a.m[1] = 2.0f;   // row 0, column 1
    b.m[7] = 3.0f;   // row 1, column 3
    const matrix_4 c = mulMat(a, b);
    EXPECT_FLOAT_EQ(c.m[3], 6.0f);  // row 0, column 3 = a01 * b13
    EXPECT_FLOAT_EQ(c.m[7], 3.0f);

    matrix_4 p = a;
    postMulMat(&p, b);
    expectNear(p, c, 0.0f);
}

TEST(Matrix, TranslateMovesTheLastColumnThroughTheRows)
{
    matrix_4 m = ident();
    translateMat(&m, 1.0f, 2.0f, 3.0f);
    EXPECT_EQ(m.m[3], 1.0f);
    EXPECT_EQ(m.m[7], 2.0f);
    EXPECT_EQ(m.m[11], 3.0f);
    matrix_4 rest = m;
    rest.m[3] = rest.m[7] = rest.m[11] = 0.0f;
    expectNear(rest, ident(), 0.0f);

    // post-multiplication: translating after a scale moves by scaled amounts
    matrix_4 s = ident();
    scaleMat(&s, 2.0f, 3.0f, 4.0f);
    translateMat(&s, 1.0f, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(s.m[3], 2.0f);
    EXPECT_FLOAT_EQ(s.m[7], 3.0f);
    EXPECT_FLOAT_EQ(s.m[11], 4.0f);

    const vec_4 p = transformVec(s, vec_4{1.0f, 1.0f, 1.0f, 1.0f});
    EXPECT_FLOAT_EQ(p.x, 4.0f);
    EXPECT_FLOAT_EQ(p.y, 6.0f);
    EXPECT_FLOAT_EQ(p.z, 8.0f);
    EXPECT_FLOAT_EQ(p.w, 1.0f);
}

TEST(Matrix, RotationsMixOnlyTheirTwoColumns)
{
    matrix_4 z = ident();
    rotateZMat(&z, 90.0f);
    EXPECT_NEAR(z.m[0], 0.0f, 1e-6f);
    EXPECT_NEAR(z.m[1], -1.0f, 1e-6f);
    EXPECT_NEAR(z.m[4], 1.0f, 1e-6f);
    EXPECT_NEAR(z.m[5], 0.0f, 1e-6f);
    EXPECT_EQ(z.m[10], 1.0f);
    // a point on x turns onto y: counter-clockwise seen from +z
    const vec_4 q = transformVec(z, vec_4{1.0f, 0.0f, 0.0f, 1.0f});
    EXPECT_NEAR(q.x, 0.0f, 1e-6f);
    EXPECT_NEAR(q.y, 1.0f, 1e-6f);

    matrix_4 x = ident();
    rotateXMat(&x, 90.0f);
    const vec_4 qy = transformVec(x, vec_4{0.0f, 1.0f, 0.0f, 1.0f});
    EXPECT_NEAR(qy.z, 1.0f, 1e-6f);  // Rx rows (1,0,0) (0,c,-s) (0,s,c)
    matrix_4 y = ident();
    rotateYMat(&y, 90.0f);
    const vec_4 qz = transformVec(y, vec_4{0.0f, 0.0f, 1.0f, 1.0f});
    EXPECT_NEAR(qz.x, 1.0f, 1e-6f);  // Ry rows (c,0,s) (0,1,0) (-s,0,c)

    // the untouched columns and the translation stay exactly as they were
    matrix_4 s = sample();
    const matrix_4 before = s;
    rotateXMat(&s, 33.0f);
    for (int r = 0; r < 4; r++) {
        EXPECT_EQ(s.m[r * 4 + 0], before.m[r * 4 + 0]);
        EXPECT_EQ(s.m[r * 4 + 3], before.m[r * 4 + 3]);
    }
    // the angle factor is 0.017453292 in single precision
    matrix_4 r = ident();
    rotateZMat(&r, 30.0f);
    EXPECT_FLOAT_EQ(r.m[0], std::cos(30.0f * 0.017453292f));
    EXPECT_FLOAT_EQ(r.m[4], std::sin(30.0f * 0.017453292f));

    // rotating is the post-multiplication by the rotation matrix
    matrix_4 rz = ident();
    const float c = std::cos(50.0f * degToRad);
    const float sn = std::sin(50.0f * degToRad);
    rz.m[0] = c;
    rz.m[1] = -sn;
    rz.m[4] = sn;
    rz.m[5] = c;
    matrix_4 viaOp = sample();
    rotateZMat(&viaOp, 50.0f);
    expectNear(viaOp, mulMat(sample(), rz), 1e-5f);
}

TEST(Matrix, ScaleAndTheOpenGLTranspose)
{
    matrix_4 s = sample();
    const matrix_4 before = s;
    scaleMat(&s, 2.0f, -1.0f, 0.5f);
    for (int r = 0; r < 4; r++) {
        EXPECT_EQ(s.m[r * 4 + 0], before.m[r * 4 + 0] * 2.0f);
        EXPECT_EQ(s.m[r * 4 + 1], -before.m[r * 4 + 1]);
        EXPECT_EQ(s.m[r * 4 + 2], before.m[r * 4 + 2] * 0.5f);
        EXPECT_EQ(s.m[r * 4 + 3], before.m[r * 4 + 3]);
    }

    float gl[16];
    glMatrixOf(ident(), gl);
    for (int k = 0; k < 16; k++)
        EXPECT_EQ(gl[k], ident().m[k]);
    matrix_4 t = ident();
    translateMat(&t, 5.0f, 6.0f, 7.0f);
    glMatrixOf(t, gl);
    // OpenGL keeps the translation in elements 12, 13, 14
    EXPECT_EQ(gl[12], 5.0f);
    EXPECT_EQ(gl[13], 6.0f);
    EXPECT_EQ(gl[14], 7.0f);
    EXPECT_EQ(gl[3], 0.0f);
}

TEST(Matrix, EveryRotationIsItsWholeMatrixAndVectorsUseAllFourRows)
{
    for (const float a : {30.0f, -75.0f, 200.0f}) {
        const float c = std::cos(a * degToRad);
        const float s = std::sin(a * degToRad);
        // Rx rows (1,0,0) (0,c,-s) (0,s,c); Ry rows (c,0,s) (0,1,0) (-s,0,c); Rz rows (c,-s,0) (s,c,0) (0,0,1)
        matrix_4 rx = ident(), ry = ident(), rz = ident();
        rx.m[5] = c;
        rx.m[6] = -s;
        rx.m[9] = s;
        rx.m[10] = c;
        ry.m[0] = c;
        ry.m[2] = s;
        ry.m[8] = -s;
        ry.m[10] = c;
        rz.m[0] = c;
        rz.m[1] = -s;
        rz.m[4] = s;
        rz.m[5] = c;
        matrix_4 x = sample(), y = sample(), z = sample();
        rotateXMat(&x, a);
        rotateYMat(&y, a);
        rotateZMat(&z, a);
        expectNear(x, mulMat(sample(), rx), 1e-5f);
        expectNear(y, mulMat(sample(), ry), 1e-5f);
        expectNear(z, mulMat(sample(), rz), 1e-5f);
    }
    // rows (1 2 3 4) (5 6 7 8) (9 10 11 12) (13 14 15 16) times (1 2 3 4), by hand
    matrix_4 m;
    for (int i = 0; i < 16; i++)
        m.m[i] = float(i + 1);
    const vec_4 p = transformVec(m, vec_4{1.0f, 2.0f, 3.0f, 4.0f});
    EXPECT_EQ(p.x, 30.0f);
    EXPECT_EQ(p.y, 70.0f);
    EXPECT_EQ(p.z, 110.0f);
    EXPECT_EQ(p.w, 150.0f);
}
