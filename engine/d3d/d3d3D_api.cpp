// The table of OpenGL entry points over the current Direct3D device. Inside
// a display list each call is kept for later, as OpenGL compiles it.
#include "d3d3D.h"

#include <array>
#include <cmath>
#include <cstring>

namespace {

// runs op on the current device now, or keeps it in the list being compiled
template <class F>
void run(F op)
{
    d3d3D* d = d3d3D::current();
    if (d == nullptr)
        return;
    if (!d->compiling()) {
        d->flushBatch();
        op(*d);
        return;
    }
    d->record([op]() {
        if (d3d3D* c = d3d3D::current()) {
            c->flushBatch();
            op(*c);
        }
    });
}

std::array<float, 4> four(const GLfloat* v, int n)
{
    std::array<float, 4> a = {0.0f, 0.0f, 0.0f, 1.0f};
    if (v != nullptr)
        std::memcpy(a.data(), v, size_t(n) * sizeof(float));
    return a;
}

int lightValues(GLenum pname)
{
    switch (pname) {
    case GL_AMBIENT:
    case GL_DIFFUSE:
    case GL_SPECULAR:
    case GL_POSITION:
    case GL_AMBIENT_AND_DIFFUSE:
    case GL_EMISSION:
    case GL_FOG_COLOR:
        return 4;
    case GL_SPOT_DIRECTION:
        return 3;
    default:
        return 1;
    }
}

int deviceInfo(int verbose, char* title, size_t titleSize, char* info1, size_t size1)
{
    d3d3D* d = d3d3D::current();
    return d != nullptr ? d->info(verbose, title, titleSize, info1, size1) : 0;
}

void APIENTRY dEnable(GLenum cap)
{
    run([=](d3d3D& d) { d.enable(cap, true); });
}
void APIENTRY dDisable(GLenum cap)
{
    run([=](d3d3D& d) { d.enable(cap, false); });
}
void APIENTRY dHint(GLenum, GLenum)
{
    // Direct3D 7 corrects perspective and fogs at its best always
}
const GLubyte* APIENTRY dGetString(GLenum name)
{
    static const GLubyte none[] = "";
    d3d3D* d = d3d3D::current();
    return d != nullptr ? d->getString(name) : none;
}
GLenum APIENTRY dGetError()
{
    d3d3D* d = d3d3D::current();
    return d != nullptr ? d->getError() : GLenum(GL_INVALID_OPERATION);
}
void APIENTRY dFlush()
{
    // the frame reaches the screen with the swap
}
void APIENTRY dFinish()
{
    run([](d3d3D& d) { d.finish(); });
}
void APIENTRY dMatrixMode(GLenum mode)
{
    run([=](d3d3D& d) { d.matrixMode(mode); });
}
void APIENTRY dLoadIdentity()
{
    run([](d3d3D& d) { d.loadIdentity(); });
}
void APIENTRY dPushMatrix()
{
    run([](d3d3D& d) { d.pushMatrix(); });
}
void APIENTRY dPopMatrix()
{
    run([](d3d3D& d) { d.popMatrix(); });
}
void APIENTRY dTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    const float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
    std::array<float, 16> a;
    std::memcpy(a.data(), m, sizeof m);
    run([=](d3d3D& d) { d.multMatrix(a.data()); });
}
void APIENTRY dRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    // OpenGL's rotation about the axis (x, y, z) by angle degrees
    const float len = std::sqrt(x * x + y * y + z * z);
    if (len == 0.0f)
        return;
    x /= len;
    y /= len;
    z /= len;
    const float r = angle * 3.14159265f / 180.0f;
    const float c = std::cos(r), s = std::sin(r), t = 1.0f - c;
    const std::array<float, 16> a = {t * x * x + c,     t * x * y + s * z, t * x * z - s * y, 0.0f,
                                     t * x * y - s * z, t * y * y + c,     t * y * z + s * x, 0.0f,
                                     t * x * z + s * y, t * y * z - s * x, t * z * z + c,     0.0f,
                                     0.0f,              0.0f,              0.0f,              1.0f};
    run([=](d3d3D& d) { d.multMatrix(a.data()); });
}
void APIENTRY dMultMatrixf(const GLfloat* m)
{
    std::array<float, 16> a;
    std::memcpy(a.data(), m, sizeof(float) * 16);
    run([=](d3d3D& d) { d.multMatrix(a.data()); });
}
void APIENTRY dFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f)
{
    run([=](d3d3D& d) { d.frustum(l, r, b, t, n, f); });
}
void APIENTRY dViewport(GLint x, GLint y, GLsizei w, GLsizei h)
{
    run([=](d3d3D& d) { d.viewport(x, y, w, h); });
}
void APIENTRY dDepthRange(GLclampd n, GLclampd f)
{
    run([=](d3d3D& d) { d.depthRange(n, f); });
}
void APIENTRY dDrawBuffer(GLenum)
{
    // the frame is always drawn off screen and shown by the swap
}
void APIENTRY dClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a)
{
    run([=](d3d3D& d) { d.clearColor(r, g, b, a); });
}
void APIENTRY dClearDepth(GLclampd z)
{
    run([=](d3d3D& d) { d.clearDepth(z); });
}
void APIENTRY dClear(GLbitfield mask)
{
    run([=](d3d3D& d) { d.clear(mask); });
}
void APIENTRY dDepthFunc(GLenum f)
{
    run([=](d3d3D& d) { d.depthFunc(f); });
}
void APIENTRY dDepthMask(GLboolean on)
{
    run([=](d3d3D& d) { d.depthMask(on != GL_FALSE); });
}
void APIENTRY dBlendFunc(GLenum s, GLenum t)
{
    run([=](d3d3D& d) { d.blendFunc(s, t); });
}
void APIENTRY dCullFace(GLenum mode)
{
    run([=](d3d3D& d) { d.cullFace(mode); });
}
void APIENTRY dPolygonMode(GLenum, GLenum mode)
{
    run([=](d3d3D& d) { d.polygonMode(mode); });
}
void APIENTRY dPushAttrib(GLbitfield)
{
    run([](d3d3D& d) { d.pushAttrib(); });
}
void APIENTRY dPopAttrib()
{
    run([](d3d3D& d) { d.popAttrib(); });
}
void APIENTRY dLightfv(GLenum light, GLenum pname, const GLfloat* v)
{
    const auto a = four(v, lightValues(pname));
    run([=](d3d3D& d) { d.light(light, pname, a.data()); });
}
void APIENTRY dLightf(GLenum light, GLenum pname, GLfloat v)
{
    dLightfv(light, pname, &v);
}
void APIENTRY dLightModeli(GLenum pname, GLint v)
{
    run([=](d3d3D& d) { d.lightModel(pname, v); });
}
void APIENTRY dMaterialfv(GLenum, GLenum pname, const GLfloat* v)
{
    const auto a = four(v, lightValues(pname));
    run([=](d3d3D& d) { d.material(pname, a.data()); });
}
void APIENTRY dMaterialf(GLenum face, GLenum pname, GLfloat v)
{
    dMaterialfv(face, pname, &v);
}
void APIENTRY dFogfv(GLenum pname, const GLfloat* v)
{
    const auto a = four(v, lightValues(pname));
    run([=](d3d3D& d) { d.fog(pname, a.data()); });
}
void APIENTRY dFogf(GLenum pname, GLfloat v)
{
    dFogfv(pname, &v);
}
void APIENTRY dFogi(GLenum pname, GLint v)
{
    const float f = float(v);
    dFogfv(pname, &f);
}
void APIENTRY dBegin(GLenum mode)
{
    if (d3d3D* d = d3d3D::current())
        d->begin(mode);
}
void APIENTRY dEnd()
{
    if (d3d3D* d = d3d3D::current())
        d->end();
}
void APIENTRY dNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (d3d3D* d = d3d3D::current())
        d->normal(x, y, z);
}
void APIENTRY dTexCoord2f(GLfloat s, GLfloat t)
{
    if (d3d3D* d = d3d3D::current())
        d->texCoord(s, t);
}
void APIENTRY dVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (d3d3D* d = d3d3D::current())
        d->vertex(x, y, z);
}
void APIENTRY dRasterPos3f(GLfloat x, GLfloat y, GLfloat z)
{
    run([=](d3d3D& d) { d.rasterPos(x, y, z); });
}
void APIENTRY dBitmap(GLsizei w, GLsizei h, GLfloat xo, GLfloat yo, GLfloat xm, GLfloat ym, const GLubyte* bits)
{
    // the renderer's glyphs live as long as the program: no copy for a list
    run([=](d3d3D& d) { d.bitmap(w, h, xo, yo, xm, ym, bits); });
}
void APIENTRY dPixelStorei(GLenum, GLint)
{
    // rows are byte-aligned in every image this renderer hands over
}
void APIENTRY dNewList(GLuint list, GLenum)
{
    if (d3d3D* d = d3d3D::current())
        d->newList(list);
}
void APIENTRY dEndList()
{
    if (d3d3D* d = d3d3D::current())
        d->endList();
}
void APIENTRY dCallList(GLuint list)
{
    run([=](d3d3D& d) { d.callList(list); });
}
void APIENTRY dGenTextures(GLsizei n, GLuint* names)
{
    if (d3d3D* d = d3d3D::current())
        d->genTextures(n, names);
}
void APIENTRY dDeleteTextures(GLsizei n, const GLuint* names)
{
    if (d3d3D* d = d3d3D::current())
        d->deleteTextures(n, names);
}
void APIENTRY dBindTexture(GLenum, GLuint name)
{
    run([=](d3d3D& d) { d.bindTexture(name); });
}
void APIENTRY dTexParameteri(GLenum, GLenum pname, GLint v)
{
    run([=](d3d3D& d) { d.texParameter(pname, v); });
}
void APIENTRY dTexEnvi(GLenum, GLenum, GLint)
{
    // the renderer modulates always, and so does the device
}
void APIENTRY dTexImage2D(GLenum, GLint lv, GLint, GLsizei w, GLsizei h, GLint, GLenum format, GLenum type,
                          const GLvoid* pixels)
{
    if (type != GL_UNSIGNED_BYTE || pixels == nullptr)
        return;
    const auto* p = static_cast<const unsigned char*>(pixels);
    d3d3D* d = d3d3D::current();
    if (d == nullptr)
        return;
    if (!d->compiling()) {
        d->texImage(lv, w, h, format, p);
        return;
    }
    const int c = format == GL_RGBA ? 4 : 3;
    std::vector<unsigned char> copy(p, p + size_t(w > 0 ? w : 0) * size_t(h > 0 ? h : 0) * size_t(c));
    d->record([=]() {
        if (d3d3D* e = d3d3D::current())
            e->texImage(lv, w, h, format, copy.data());
    });
}

}  // namespace

const glApi3D* d3d3D::api()
{
    static const glApi3D table = {
        .deviceInfo = deviceInfo,
        .Enable = dEnable,
        .Disable = dDisable,
        .Hint = dHint,
        .GetString = dGetString,
        .GetError = dGetError,
        .Flush = dFlush,
        .Finish = dFinish,
        .MatrixMode = dMatrixMode,
        .LoadIdentity = dLoadIdentity,
        .PushMatrix = dPushMatrix,
        .PopMatrix = dPopMatrix,
        .Translatef = dTranslatef,
        .Rotatef = dRotatef,
        .MultMatrixf = dMultMatrixf,
        .Frustum = dFrustum,
        .Viewport = dViewport,
        .DepthRange = dDepthRange,
        .DrawBuffer = dDrawBuffer,
        .ClearColor = dClearColor,
        .ClearDepth = dClearDepth,
        .Clear = dClear,
        .DepthFunc = dDepthFunc,
        .DepthMask = dDepthMask,
        .BlendFunc = dBlendFunc,
        .CullFace = dCullFace,
        .PolygonMode = dPolygonMode,
        .PushAttrib = dPushAttrib,
        .PopAttrib = dPopAttrib,
        .Lightf = dLightf,
        .Lightfv = dLightfv,
        .LightModeli = dLightModeli,
        .Materialf = dMaterialf,
        .Materialfv = dMaterialfv,
        .Fogi = dFogi,
        .Fogf = dFogf,
        .Fogfv = dFogfv,
        .Begin = dBegin,
        .End = dEnd,
        .Normal3f = dNormal3f,
        .TexCoord2f = dTexCoord2f,
        .Vertex3f = dVertex3f,
        .RasterPos3f = dRasterPos3f,
        .Bitmap = dBitmap,
        .PixelStorei = dPixelStorei,
        .NewList = dNewList,
        .EndList = dEndList,
        .CallList = dCallList,
        .GenTextures = dGenTextures,
        .DeleteTextures = dDeleteTextures,
        .BindTexture = dBindTexture,
        .TexParameteri = dTexParameteri,
        .TexEnvi = dTexEnvi,
        .TexImage2D = dTexImage2D,
    };
    return &table;
}
