#include "gl3D.h"

#include "console/outTxt.h"
#include "glApi3D.h"
#include "scene/data3D.h"

#include <algorithm>
#include <cfloat>

// One polygon corner as the primitive operations take it.
struct gl3D::corner {
    vec_4 n;
    vec_4 t;
    vec_4 p;
};

namespace {

// the reflection pass lies this far over the base pass
constexpr float reflectLift = 0.002f;

objRender3D* renderOf(data3D* d, int i)
{
    if (i < 0 || i >= d->getNumObject())
        return nullptr;
    return d->getObject3D(i)->render.get();
}

vec_4 half(const vec_4& a, const vec_4& b)
{
    return vec_4{(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f, 1.0f};
}

void normalVertex(const glApi3D* gl, const vec_4& n, const vec_4& p)
{
    gl->Normal3f(n.x, n.y, n.z);
    gl->Vertex3f(p.x, p.y, p.z);
}

void normalTexVertex(const glApi3D* gl, const vec_4& n, const vec_4& t, const vec_4& p)
{
    gl->Normal3f(n.x, n.y, n.z);
    gl->TexCoord2f(t.x, t.y);
    gl->Vertex3f(p.x, p.y, p.z);
}

// corner p of a group from its transformed arrays, straight into the device
void emit(const glApi3D* gl, const group3D& g, int p, bool textured)
{
    const float* n = &g.xNormal[size_t(p) * 3];
    const float* v = &g.xVertex[size_t(p) * 3];
    gl->Normal3f(n[0], n[1], n[2]);
    if (textured)
        gl->TexCoord2f(g.texCoord2[size_t(p) * 2], g.texCoord2[size_t(p) * 2 + 1]);
    gl->Vertex3f(v[0], v[1], v[2]);
}

}  // namespace

gl3D::corner gl3D::cornerOf(const group3D& g, int p, bool textured) const
{
    const float* n = &g.xNormal[size_t(p) * 3];
    const float* v = &g.xVertex[size_t(p) * 3];
    corner c;
    c.n = vec_4{n[0], n[1], n[2], 1.0f};
    c.p = vec_4{v[0], v[1], v[2], 1.0f};
    c.t = textured ? vec_4{g.texCoord2[size_t(p) * 2], g.texCoord2[size_t(p) * 2 + 1], 0.0f, 1.0f}
                   : vec_4{0.0f, 0.0f, 0.0f, 1.0f};
    return c;
}

// The object a transform acts on, or null after the error line of op.
object3D* gl3D::placeable(data3D* d, int i, const char* op)
{
    object3D* o = d->getObject3D(i);
    if (o == nullptr)
        out->prf("gl3D::%s(%d) error no Object\n", op, i);
    return o;
}

// A moved object is transformed again at its next draw.
void gl3D::moved(object3D* o)
{
    if (o->render)
        o->render->xformValid = 0;
}

int gl3D::translateObj(data3D* d, int i, float x, float y, float z)
{
    object3D* o = placeable(d, i, "translateObj");
    if (o == nullptr)
        return 0;
    if (verbose)
        out->prf("gl3D::translate(%d)\n", i);
    translateMat(&o->objMat, x, y, z);
    moved(o);
    return 1;
}

int gl3D::rotateObj(data3D* d, int i, float ax, float ay, float az)
{
    object3D* o = placeable(d, i, "rotateObj");
    if (o == nullptr)
        return 0;
    if (verbose)
        out->prf("gl3D::rotateObj(%d)\n", i);
    // the normals turn with the object
    for (matrix_4* m : {&o->objMat, &o->normMat}) {
        rotateXMat(m, ax);
        rotateYMat(m, ay);
        rotateZMat(m, az);
    }
    moved(o);
    return 1;
}

int gl3D::scaleObj(data3D* d, int i, float sx, float sy, float sz)
{
    // scaling reports as translating does
    object3D* o = placeable(d, i, "translateObj");
    if (o == nullptr)
        return 0;
    if (verbose)
        out->prf("gl3D::translate(%d)\n", i);
    scaleMat(&o->objMat, sx, sy, sz);
    moved(o);
    return 1;
}

int gl3D::postMatrixMulObj(data3D* d, int i, const matrix_4& m)
{
    object3D* o = placeable(d, i, "postMatrixMulObj");
    if (o == nullptr)
        return 0;
    postMulMat(&o->objMat, m);
    // normals turn with the pose but do not move with it: its rotation part only
    matrix_4 turn = m;
    turn.m[3] = turn.m[7] = turn.m[11] = 0.0f;
    turn.m[12] = turn.m[13] = turn.m[14] = 0.0f;
    turn.m[15] = 1.0f;
    postMulMat(&o->normMat, turn);
    moved(o);
    return 1;
}

int gl3D::resetObj(data3D* d, int i)
{
    object3D* o = placeable(d, i, "resetObj");
    if (o == nullptr)
        return 0;
    if (verbose)
        out->prf("gl3D::resetObj(%d)\n", i);
    identityMat(&o->objMat);
    identityMat(&o->normMat);
    moved(o);
    return 1;
}

void gl3D::transformObj(data3D* d, int i)
{
    object3D* o = d->getObject3D(i);
    const float* m = o->objMat.m;
    const float* nm = o->normMat.m;
    for (int k = 0; k < o->numGroups; k++) {
        group3D& g = o->group[k];
        const size_t points = size_t(g.numPoints);
        for (size_t p = 0; p < points; p++) {
            const float* v = &g.vertex[p * 3];
            float* xv = &g.xVertex[p * 3];
            xv[0] = m[0] * v[0] + m[1] * v[1] + m[2] * v[2] + m[3];
            xv[1] = m[4] * v[0] + m[5] * v[1] + m[6] * v[2] + m[7];
            xv[2] = m[8] * v[0] + m[9] * v[1] + m[10] * v[2] + m[11];
            const float* n = &g.normal[p * 3];
            float* xn = &g.xNormal[p * 3];
            xn[0] = nm[0] * n[0] + nm[1] * n[1] + nm[2] * n[2] + nm[3];
            xn[1] = nm[4] * n[0] + nm[5] * n[1] + nm[6] * n[2] + nm[7];
            xn[2] = nm[8] * n[0] + nm[9] * n[1] + nm[10] * n[2] + nm[11];
        }
        if (g.textured())
            for (size_t p = 0; p < points * 2; p++)
                g.texCoord2[p] = g.texCoord[p];
    }
    if (verbose)
        out->prf("gl3D::drawObj(%d)  make matrix_mul_ok\n", i);
    makeObjBoundBox(d, i, 0.0f);
    o->render->listValid = 0;
    o->render->xformValid = 1;
}

int gl3D::makeObjBoundBox(data3D* d, int i, float margin)
{
    objRender3D* r = renderOf(d, i);
    if (r == nullptr)
        return 0;
    if (verbose)
        out->prf("gl3D::makeObjBoundBox(%d)\n", i);
    const object3D* o = d->getObject3D(i);
    float lo[3] = {FLT_MAX, FLT_MAX, FLT_MAX};
    float hi[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    for (int k = 0; k < o->numGroups; k++) {
        const group3D& g = o->group[k];
        for (size_t p = 0; p < size_t(g.numPoints); p++)
            for (int c = 0; c < 3; c++) {
                const float v = g.xVertex[p * 3 + size_t(c)];
                lo[c] = v < lo[c] ? v : lo[c];
                hi[c] = v > hi[c] ? v : hi[c];
            }
    }
    // a positive margin widens the box on every side
    for (int c = 0; c < 3; c++) {
        lo[c] -= margin;
        hi[c] += margin;
    }
    r->boundMin = vec_4{lo[0], lo[1], lo[2], 1.0f};
    r->boundMax = vec_4{hi[0], hi[1], hi[2], 1.0f};
    // corner k takes the high value of axis a where bit a of k is set
    for (int k = 0; k < 8; k++)
        r->boundBox[k] = vec_4{(k & 1) ? hi[0] : lo[0], (k & 2) ? hi[1] : lo[1], (k & 4) ? hi[2] : lo[2], 1.0f};
    return 1;
}

int gl3D::checkVecBoundBox(vec_4 p, const matrix_4* m)
{
    const vec_4 q = transformVec(*m, p);
    const float w = q.w == 0.0f ? 0.0001f : q.w;
    const float x = q.x / w;
    const float y = q.y / w;
    const float z = q.z / w;
    return (x >= -1.0f && x <= 1.0f && y >= -1.0f && y <= 1.0f && z >= -1.0f && z <= 1.0f) ? 1 : 0;
}

int gl3D::checkObjBoundBox(data3D* d, int i)
{
    objRender3D* r = renderOf(d, i);
    if (r == nullptr)
        return 0;
    if (verbose)
        out->prf("gl3D::checkObjBoundBox(%d)\n", i);
    // pulled back by 0.18 x far, objects just behind the near plane still count as seen
    matrix_4 l;
    identityMat(&l);
    l.m[11] = -0.18f * frFar;
    const matrix_4 p = mulMat(boundMat, mulMat(l, camMat));
    for (const vec_4& c : r->boundBox) {
        if (checkVecBoundBox(c, &p)) {
            if (verbose)
                out->pr("\t\t IN\n");
            return 1;
        }
    }
    if (verbose)
        out->pr("\t\tOUT\n");
    return 0;
}

void gl3D::countTex(data3D* d, int index)
{
    // the flags cover the first 512 indices; others are not counted
    if (index < 0 || index >= maxTexFlags || texCounted[index])
        return;
    const texture3D* t = d->getTex2D(index);
    if (t == nullptr)
        return;
    texCounted[index] = 1;
    texBytes += t->width * t->height * t->components;
}

int gl3D::drawObj(data3D* d, int i)
{
    objRender3D* r = renderOf(d, i);
    if (r == nullptr) {
        if (verbose)
            out->prf("gl3D::drawObj(%d) error no Object\n", i);
        return 0;
    }
    if (r->xformValid != 1)
        transformObj(d, i);
    if (boundBoxCheck == 1 && checkObjBoundBox(d, i) == 0)
        return 1;
    if (verbose)
        out->prf("gl3D::drawObj(%d)\n", i);

    const object3D* o = d->getObject3D(i);
    // a list is only as right as the state it starts from; where that cannot be had, draw directly
    if (r->listValid == 1 && enterListState(*r)) {
        // the triangles the list holds, as the direct path counts them
        polyCount += r->listTriangles;
        for (int k = 0; k < o->numGroups; k++) {
            const group3D& g = o->group[k];
            if (g.type == 1)
                countTex(d, g.texture);
            if (g.type == 3 || g.type == 4)
                countTex(d, g.texture2);
        }
        gl->CallList(GLuint(i + 1));
        // from that state the list leaves OpenGL as it stood at the end of compiling
        blending = r->endBlending;
        cullFace = r->endCullFace;
        twoSideLight = r->endTwoSideLight;
        texEnabled = r->endTexEnabled;
        setMaterialMirror(r->endMaterial);
        curTex = noTex;
        return 1;
    }
    drawPasses(d, i, false);
    return 1;
}

int gl3D::precalcObj(data3D* d, int i)
{
    objRender3D* r = renderOf(d, i);
    if (r == nullptr) {
        if (verbose)
            out->prf("gl3D::drawObj(%d) error no Object\n", i);
        return 0;
    }
    if (r->xformValid != 1)
        transformObj(d, i);
    if (verbose)
        out->prf("gl3D::drawObj(%d)\n", i);

    // compiling executes nothing: the mirrors must still describe OpenGL afterwards
    const int keep[] = {blending, cullFace, twoSideLight, texEnabled, polyCount, texBytes};
    const materialMirror3D keepMaterial = materialMirror();
    r->startBlending = blending;
    r->startCullFace = cullFace;
    r->startTwoSideLight = twoSideLight;
    r->startTexEnabled = texEnabled;
    r->startLightBlend = lightBlend;
    r->listTextured = 0;
    const object3D* o = d->getObject3D(i);
    for (int k = 0; k < o->numGroups; k++) {
        const int type = o->group[k].type;
        if (type == 1 || type == 3 || (type == 2 && noReflect == 0))
            r->listTextured = 1;
    }
    curTex = noTex;
    gl->NewList(GLuint(i + 1), GL_COMPILE);
    drawPasses(d, i, true);
    gl->EndList();
    r->listTriangles = polyCount - keep[4];
    r->endBlending = blending;
    r->endCullFace = cullFace;
    r->endTwoSideLight = twoSideLight;
    r->endTexEnabled = texEnabled;
    r->endMaterial = materialMirror();
    setMaterialMirror(keepMaterial);
    blending = keep[0];
    cullFace = keep[1];
    twoSideLight = keep[2];
    texEnabled = keep[3];
    polyCount = keep[4];
    texBytes = keep[5];
    curTex = noTex;
    r->listValid = 1;
    return 1;
}

materialMirror3D gl3D::materialMirror() const
{
    materialMirror3D m;
    std::copy_n(matAmbient, 4, m.ambient);
    std::copy_n(matDiffuse, 4, m.diffuse);
    std::copy_n(matSpecular, 4, m.specular);
    m.shininess = matShininess;
    return m;
}

void gl3D::setMaterialMirror(const materialMirror3D& m)
{
    std::copy_n(m.ambient, 4, matAmbient);
    std::copy_n(m.diffuse, 4, matDiffuse);
    std::copy_n(m.specular, 4, matSpecular);
    matShininess = m.shininess;
}

bool gl3D::enterListState(const objRender3D& r)
{
    // a list compiled for the other blend function would blend its own way; texturing stays
    // off while textures are switched off: such lists are not called
    if (lightBlend != r.startLightBlend || (noTexture == 1 && (r.startTexEnabled == 1 || r.listTextured == 1)))
        return false;
    const auto match = [this](int now, int want, int (gl3D::*on)(), int (gl3D::*off)()) {
        if (now != want)
            (this->*(want == 1 ? on : off))();
    };
    // two-sided lighting first: switching it sets the cull face as well
    match(twoSideLight, r.startTwoSideLight, &gl3D::twoSideLightOn, &gl3D::twoSideLightOff);
    match(cullFace, r.startCullFace, &gl3D::cullFaceOn, &gl3D::cullFaceOff);
    match(blending, r.startBlending, &gl3D::blendOn, &gl3D::blendOff);
    match(texEnabled, r.startTexEnabled, &gl3D::texOn, &gl3D::texOff);
    return true;
}

void gl3D::drawPasses(data3D* d, int i, bool forList)
{
    const object3D* o = d->getObject3D(i);
    const bool perPolygon = forList || polySubDivide > 0;
    for (int k = 0; k < o->numGroups; k++) {
        const group3D& g = o->group[k];
        setMaterial(g.Ka[0], g.Ka[1], g.Ka[2], g.Ka[3], g.Kd[0], g.Kd[1], g.Kd[2], g.Kd[3], g.Ks[0], g.Ks[1],
                    g.Ks[2], g.Ks[3], g.Ns);
        for (int p = 0; p < g.numPoly; p++)
            polyCount += g.pointCount[p] - 2;

        if (g.type == 0) {
            if (texEnabled)
                texOff();
        } else if (g.type == 1 || g.type == 3 || (g.type == 4 && perPolygon && !forList)) {
            if (!texEnabled)
                texOn();
            setTex(g.texture, d);
            countTex(d, g.texture);
        }
        if (g.type == 0 || g.type == 1 || g.type == 3) {
            if (perPolygon)
                drawGroupPerPolygon(g, false);
            else
                drawGroupBatched(g);
        } else if (g.type == 4 && perPolygon && !forList) {
            drawGroupPerPolygon(g, true);
        }

        if ((g.type == 2 || g.type == 3) && noReflect == 0) {
            if (!texEnabled)
                texOn();
            const int t = g.type == 2 ? g.texture : g.texture2;
            setTex(t, d);
            countTex(d, t);
            drawReflection(g);
        }
    }
}

// Base pass in blocks: triangles and fans in one GL_TRIANGLES block, quads
// alone between them.
void gl3D::drawGroupBatched(const group3D& g)
{
    const bool tex = g.textured();
    int first = 0;
    gl->Begin(GL_TRIANGLES);
    for (int p = 0; p < g.numPoly; p++) {
        const int n = g.pointCount[p];
        if (n == 4) {
            gl->End();
            if (tex) {
                gl->Begin(GL_TRIANGLE_STRIP);
                emit(gl, g, first + 3, true);
                emit(gl, g, first + 0, true);
                emit(gl, g, first + 2, true);
                emit(gl, g, first + 1, true);
            } else {
                gl->Begin(GL_QUADS);
                for (int c = 0; c < 4; c++)
                    emit(gl, g, first + c, false);
            }
            gl->End();
            gl->Begin(GL_TRIANGLES);
        } else {
            for (int k = 1; k + 1 < n; k++) {
                emit(gl, g, first, tex);
                emit(gl, g, first + k, tex);
                emit(gl, g, first + k + 1, tex);
            }
        }
        first += n;
    }
    gl->End();
}

void gl3D::drawGroupPerPolygon(const group3D& g, bool fanOnly)
{
    const bool tex = g.textured();
    int first = 0;
    for (int p = 0; p < g.numPoly; p++) {
        const int n = g.pointCount[p];
        const corner c0 = cornerOf(g, first, tex);
        if (n == 4 && !fanOnly) {
            const corner c1 = cornerOf(g, first + 1, tex);
            const corner c2 = cornerOf(g, first + 2, tex);
            const corner c3 = cornerOf(g, first + 3, tex);
            if (tex)
                poly4_ntv(c0.n, c0.t, c0.p, c1.n, c1.t, c1.p, c2.n, c2.t, c2.p, c3.n, c3.t, c3.p);
            else
                poly4_nv(c0.n, c0.p, c1.n, c1.p, c2.n, c2.p, c3.n, c3.p);
        } else {
            for (int k = 1; k + 1 < n; k++) {
                const corner a = cornerOf(g, first + k, tex);
                const corner b = cornerOf(g, first + k + 1, tex);
                if (tex)
                    poly3_ntv(c0.n, c0.t, c0.p, a.n, a.t, a.p, b.n, b.t, b.p);
                else
                    poly3_nv(c0.n, c0.p, a.n, a.p, b.n, b.p);
            }
        }
        first += n;
    }
}

// Sphere-map pass: texture coordinates from the transformed normal, lifted
// over the base pass.
void gl3D::drawReflection(const group3D& g)
{
    int first = 0;
    for (int p = 0; p < g.numPoly; p++) {
        const int n = g.pointCount[p];
        polyCount += n - 2;
        corner c[3];
        for (int k = 1; k + 1 < n; k++) {
            const int idx[3] = {first, first + k, first + k + 1};
            for (int j = 0; j < 3; j++) {
                c[j] = cornerOf(g, idx[j], false);
                c[j].t = vec_4{(c[j].n.x + 1.0f) * 0.5f, (c[j].n.y + 1.0f) * 0.5f, 0.0f, 1.0f};
                c[j].p.z += reflectLift;
            }
            poly3_ntv(c[0].n, c[0].t, c[0].p, c[1].n, c[1].t, c[1].p, c[2].n, c[2].t, c[2].p);
        }
        first += n;
    }
}

int gl3D::poly3_nv(const vec_4& n1, const vec_4& p1, const vec_4& n2, const vec_4& p2, const vec_4& n3,
                   const vec_4& p3)
{
    gl->Begin(GL_TRIANGLES);
    normalVertex(gl, n1, p1);
    normalVertex(gl, n2, p2);
    normalVertex(gl, n3, p3);
    gl->End();
    return 1;
}

int gl3D::poly4_nv(const vec_4& n1, const vec_4& p1, const vec_4& n2, const vec_4& p2, const vec_4& n3,
                   const vec_4& p3, const vec_4& n4, const vec_4& p4)
{
    gl->Begin(GL_QUADS);
    normalVertex(gl, n1, p1);
    normalVertex(gl, n2, p2);
    normalVertex(gl, n3, p3);
    normalVertex(gl, n4, p4);
    gl->End();
    return 1;
}

int gl3D::poly3_ntv(const vec_4& n1, const vec_4& t1, const vec_4& p1, const vec_4& n2, const vec_4& t2,
                    const vec_4& p2, const vec_4& n3, const vec_4& t3, const vec_4& p3)
{
    if (polySubDivide == 0) {
        gl->Begin(GL_TRIANGLES);
        normalTexVertex(gl, n1, t1, p1);
        normalTexVertex(gl, n2, t2, p2);
        normalTexVertex(gl, n3, t3, p3);
        gl->End();
        return 1;
    }
    polyCount -= 1;
    // neighbours split different edges
    if (altTriangle == 0) {
        altTriangle = 1;
        return poly3_ntvd(n1, t1, p1, n2, t2, p2, n3, t3, p3, polySubDivide);
    }
    altTriangle = 0;
    return poly3_ntvd(n3, t3, p3, n1, t1, p1, n2, t2, p2, polySubDivide);
}

int gl3D::poly4_ntv(const vec_4& n1, const vec_4& t1, const vec_4& p1, const vec_4& n2, const vec_4& t2,
                    const vec_4& p2, const vec_4& n3, const vec_4& t3, const vec_4& p3, const vec_4& n4,
                    const vec_4& t4, const vec_4& p4)
{
    if (polySubDivide == 0) {
        gl->Begin(GL_TRIANGLE_STRIP);
        normalTexVertex(gl, n4, t4, p4);
        normalTexVertex(gl, n1, t1, p1);
        normalTexVertex(gl, n3, t3, p3);
        normalTexVertex(gl, n2, t2, p2);
        gl->End();
        return 1;
    }
    polyCount -= 2;
    poly3_ntvd(n1, t1, p1, n2, t2, p2, n3, t3, p3, polySubDivide);
    poly3_ntvd(n3, t3, p3, n4, t4, p4, n1, t1, p1, polySubDivide);
    return 1;
}

int gl3D::poly3_ntvd(const vec_4& n1, const vec_4& t1, const vec_4& p1, const vec_4& n2, const vec_4& t2,
                     const vec_4& p2, const vec_4& n3, const vec_4& t3, const vec_4& p3, int depth)
{
    if (depth <= 0) {
        polyCount += 1;
        gl->Begin(GL_TRIANGLES);
        normalTexVertex(gl, n1, t1, p1);
        normalTexVertex(gl, n2, t2, p2);
        normalTexVertex(gl, n3, t3, p3);
        gl->End();
        return 1;
    }
    const vec_4 mn = half(n1, n2);
    const vec_4 mt = half(t1, t2);
    const vec_4 mp = half(p1, p2);
    poly3_ntvd(n3, t3, p3, n1, t1, p1, mn, mt, mp, depth - 1);
    poly3_ntvd(n2, t2, p2, n3, t3, p3, mn, mt, mp, depth - 1);
    return 1;
}
