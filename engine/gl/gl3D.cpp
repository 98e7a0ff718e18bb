#include "gl3D.h"

#include "console/appendf3D.h"
#include "console/outTxt.h"
#include "font8x13.h"
#include "glApi3D.h"

#include <chrono>
#include <cstdio>
#include <cstring>

const glWindow3D* gl3D::windowSys = nullptr;
const glApi3D* gl3D::gl = openGLApi3D();

namespace {

void setColour(float* c, float r, float g, float b, float a)
{
    c[0] = r;
    c[1] = g;
    c[2] = b;
    c[3] = a;
}

}  // namespace

gl3D::gl3D(outTxt* console)
    : ddmSwitch(0), texLinear(1), texPerUse(0), hintNicest(1), verbose(0), mipmap(0), noReflect(0),
      polySubDivide(0), zOffsetEnabled(1), wire(0), texClamp(0), out(console), glWin(0), vendor{}, renderer{},
      xres(640), yres(480), dres(16), bufferMode(2), mode2(0), frLeft(-1.0f), frRight(1.0f), frBottom(-1.0f),
      frTop(1.0f), frNear(1.0f), frFar(100.0f), numTexNames(0)
{
    identityMat(&camMat);
    identityMat(&boundMat);
    identityMat(&boundMat2);
    init();
}

gl3D::~gl3D() = default;

void gl3D::init()
{
    verbose = 0;
    boundBoxCheck = 1;
    zEnabled = lighting = texEnabled = noTexture = blending = noZwrite = cullFace = 0;
    wire = fog = blendCullFaceOffFlag = lightBlend = spotSet = twoSideLight = texClamp = 0;
    texMade = 0;
    zOffset = 0.0f;
    setColour(matAmbient, 0.5f, 0.5f, 0.5f, 1.0f);
    setColour(matDiffuse, 0.7f, 0.7f, 0.7f, 1.0f);
    setColour(matSpecular, 1.0f, 1.0f, 1.0f, 1.0f);
    matShininess = 0.0f;
    setColour(lightAmbient, 0.3f, 0.3f, 0.3f, 1.0f);
    setColour(lightDiffuse, 1.0f, 1.0f, 1.0f, 1.0f);
    setColour(lightSpecular, 0.1f, 0.1f, 0.1f, 1.0f);
    fakAmbient = fakSpecular = fakDiffuse = fakShininess = 1.0f;
    polyCount = 0;
    texBytes = 0;
    std::memset(texCounted, 0, sizeof texCounted);
    altTriangle = 0;
    curTex = noTex;
}

void gl3D::setWindowSystem(const glWindow3D* sys)
{
    windowSys = sys;
}

void gl3D::setApi(const glApi3D* api)
{
    gl = api != nullptr ? api : openGLApi3D();
}

int gl3D::init3D(int x, int y, int depth, int a, int b, int mode, int m2)
{
    (void)a;
    (void)b;
    xres = x;
    yres = y;
    dres = depth;
    bufferMode = mode;
    mode2 = m2;
    if (windowSys == nullptr || windowSys->create == nullptr) {
        out->pr("gl3D::init3D: error no window system\n");
        return 0;
    }
    glWin = windowSys->create("Korvane", xres, yres, bufferMode == 2 ? 1 : 0);
    if (glWin == 0) {
        out->pr("gl3D::init3D: error can't create the OpenGL window\n");
        return 0;
    }
    // a new context starts from OpenGL's defaults: the mirrors must say so too
    zEnabled = lighting = texEnabled = blending = noZwrite = cullFace = fog = lightBlend = twoSideLight = 0;
    spotSet = 0;
    wire = 0;
    curTex = noTex;
    texMade = 0;
    texNames.reset();
    numTexNames = 0;
    const char* v = reinterpret_cast<const char*>(gl->GetString(GL_VENDOR));
    const char* r = reinterpret_cast<const char*>(gl->GetString(GL_RENDERER));
    std::snprintf(vendor, sizeof vendor, "%s", v ? v : "");
    std::snprintf(renderer, sizeof renderer, "%s", r ? r : "");
    edgeClamp = hasEdgeClamp() ? 1 : 0;
    if (verbose) {
        out->prf("\nGL_VENDOR: %s\n", vendor);
        out->prf("\nGL_RENDERER: %s\n", renderer);
    }
    return 1;
}

int gl3D::get3DInfo(int x, int y, int depth, int a, int b, int mode, int m2, int verb, char* title, size_t titleSize,
                    char* info1, size_t size1, char* info2, size_t size2)
{
    (void)a;
    (void)b;
    xres = x;
    yres = y;
    dres = depth;
    bufferMode = mode;
    mode2 = m2;
    if (info1 != nullptr && size1 > 0)
        info1[0] = '\0';
    if (info2 != nullptr && size2 > 0)
        info2[0] = '\0';
    if (gl->deviceInfo != nullptr) {
        if (gl->deviceInfo(verb, title, titleSize, info1, size1) == 0)
            return 0;
        appendf3D(info1, size1, ddmSwitch == 1 ? "DDMSwich ON \n" : "DDMSwich OFF\n");
        return 1;
    }
    return gl3DInfUnix(verb, title, titleSize, info1, size1, info2, size2) ? 1 : 0;
}

int gl3D::gl3DInfUnix(int verb, char* title, size_t titleSize, char* info1, size_t size1, char* info2, size_t size2)
{
    (void)info2;
    (void)size2;
    char v[256] = {};
    char r[256] = {};
    const char* gv = reinterpret_cast<const char*>(gl->GetString(GL_VENDOR));
    const char* gr = reinterpret_cast<const char*>(gl->GetString(GL_RENDERER));
    std::snprintf(v, sizeof v, "%s", gv ? gv : "");
    std::snprintf(r, sizeof r, "%s", gr ? gr : "");
    // the info texts are single lines: each ends at its first line break, and nothing past its end is read
    for (char* text : {v, r})
        text[std::strcspn(text, "\n")] = '\0';
    appendf3D(title, titleSize, "GLvendor:%s  GLrenderer:%s\n", v, r);
#ifdef _WIN32
    // the Windows build warns about a driver that renders on the processor
    if (verb == 1 && isSoftwareRenderer(r)) {
        out->pr("\nIt looks like You are using Open GL SOFTWARE EMULATION.\n");
        out->pr("SOFTWARE EMULATION is very slow and this program will\n");
        out->pr("not run properly. Try to get an Open GL hardware driver.\n");
        out->pr("Some Open GL hardware driver does only run in 16 bit modes.\n");
        out->pr("Check the driver and try to change the resolution.\n");
    }
#endif

    init3DView(-0.2f, 0.2f, -0.2f, 0.2f, 0.3f, 20.0f);
    clear3DScreen(1.0f, 1.0f, 1.0f, 1.0f);
    pr("TESTING SWAP3DBuffer for OpenGL", -0.9f, 0.92f);
    swap3DBuffer();
    clear3DScreen(0.0f, 0.0f, 0.0f, 1.0f);
    pr("TESTING SWAP3DBuffer for OpenGL", -0.9f, 0.92f);

    // the swaps are issued as they happen, even from inside a frame callback, and timed
    // with a clock far finer than one swap
    void (*const swapNow)(int) =
        windowSys == nullptr ? nullptr : (windowSys->swapNow != nullptr ? windowSys->swapNow : windowSys->swap);
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 200; i++) {
        altTriangle = 0;
        if (bufferMode == 1)
            continue;
        gl->Flush();
        if (swapNow != nullptr)
            swapNow(glWin);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    // a clock that did not move reads as one microsecond, not as a division by zero
    const float rate = float(200.0 / (seconds > 1e-6 ? seconds : 1e-6));
    swapMs = seconds * 1000.0;
    if (verb == 1) {
        out->prf("\nSWAP3DBuffer test result %3.2f Hz \n", double(rate));
        out->prf(bufferMode == 1 ? "SWAP3DBuffer: single buffer, nothing swapped in %.2f ms\n"
                                 : "SWAP3DBuffer: 200 buffer swaps in %.2f ms\n",
                 seconds * 1000.0);
    }
    if (rate < 150.0f) {
        out->pr("looks like VSync for OpenGL is ON\n");
        appendf3D(info1, size1, "VSync ON  ");
    } else {
        appendf3D(info1, size1, "VSync OFF  ");
    }
    appendf3D(info1, size1, ddmSwitch == 1 ? "DDMSwich ON \n" : "DDMSwich OFF\n");
    return 1;
}

bool gl3D::isSoftwareRenderer(const char* renderer)
{
    if (renderer == nullptr)
        return false;
    // Microsoft's own, and Mesa's software rasterisers
    const char* const names[] = {"GDI Generic", "llvmpipe", "softpipe", "Software Rasterizer", "swrast"};
    for (const char* n : names)
        if (std::strstr(renderer, n) != nullptr)
            return true;
    return false;
}

int gl3D::init3DView(float left, float right, float bottom, float top, float nearZ, float farZ)
{
    frLeft = left;
    frRight = right;
    frBottom = bottom;
    frTop = top;
    frNear = nearZ;
    frFar = farZ;
    gl->MatrixMode(GL_PROJECTION);
    gl->LoadIdentity();
    gl->Frustum(left, right, bottom, top, nearZ, farZ);
    gl->MatrixMode(GL_MODELVIEW);
    gl->Viewport(0, 0, xres, yres);

    // the cull projection reaches 1.3 times as far as the view
    const float farC = 1.3f * farZ;
    matrix_4 p = {};
    p.m[0] = 2.0f * nearZ / (right - left);
    p.m[2] = (right + left) / (right - left);
    p.m[5] = 2.0f * nearZ / (top - bottom);
    p.m[6] = (top + bottom) / (top - bottom);
    p.m[10] = -(farC + nearZ) / (farC - nearZ);
    p.m[11] = -2.0f * farC * nearZ / (farC - nearZ);
    p.m[14] = -1.0f;
    boundMat = p;
    boundMat2 = p;
    setHintAll();
    return 1;
}

int gl3D::change3DWin(int a, int b, int x, int y, int d)
{
    (void)a;
    (void)b;
    (void)d;
    xres = x;
    yres = y;
    gl->MatrixMode(GL_PROJECTION);
    gl->LoadIdentity();
    gl->Frustum(frLeft, frRight, frBottom, frTop, frNear, frFar);
    gl->MatrixMode(GL_MODELVIEW);
    gl->Viewport(0, 0, xres, yres);
    return 1;
}

int gl3D::clear3DScreen(float r, float g, float b, float a)
{
    if (bufferMode == 1)
        gl->DrawBuffer(GL_FRONT);
    gl->MatrixMode(GL_MODELVIEW);
    gl->ClearColor(r, g, b, a);
    gl->Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl->LoadIdentity();
    polyCount = 0;
    texBytes = 0;
    curTex = noTex;
    identityMat(&camMat);
    std::memset(texCounted, 0, sizeof texCounted);
    return 1;
}

const char* gl3D::deviceText(GLenum name)
{
    const GLubyte* t = gl->GetString(name);
    return t != nullptr ? reinterpret_cast<const char*>(t) : "";
}

bool gl3D::hasEdgeClamp()
{
    // OpenGL 1.2 has it; older drivers name it as an extension
    int major = 0, minor = 0;
    const char* v = deviceText(GL_VERSION);
    if (std::sscanf(v, "%d.%d", &major, &minor) == 2 && (major > 1 || (major == 1 && minor >= 2)))
        return true;
    const char* all = deviceText(GL_EXTENSIONS);
    for (const char* name : {"GL_EXT_texture_edge_clamp", "GL_SGIS_texture_edge_clamp"}) {
        const size_t n = std::strlen(name);
        for (const char* p = std::strstr(all, name); p != nullptr; p = std::strstr(p + n, name))
            if ((p == all || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0'))
                return true;
    }
    return false;
}

int gl3D::readFrame(unsigned char* rgb) const
{
    if (windowSys == nullptr || windowSys->readFrame == nullptr || glWin == 0 || rgb == nullptr)
        return 0;
    return windowSys->readFrame(glWin, xres, yres, rgb);
}

void gl3D::finish3D() const
{
    if (gl != nullptr)
        gl->Finish();
}

int gl3D::swap3DBuffer()
{
    altTriangle = 0;
    if (bufferMode == 1)
        return 1;
    if (verbose)
        printError();
    gl->Flush();
    if (windowSys != nullptr && windowSys->swap != nullptr)
        windowSys->swap(glWin);
    return 1;
}

int gl3D::release3D()
{
    if (texNames && numTexNames > 0)
        gl->DeleteTextures(numTexNames, texNames.get());
    texNames.reset();
    numTexNames = 0;
    texMade = 0;
    if (glWin != 0 && windowSys != nullptr && windowSys->destroy != nullptr)
        windowSys->destroy(glWin);
    glWin = 0;
    return 0;
}

int gl3D::pr(const char* text, float x, float y)
{
    if (text == nullptr || text[0] == '\0')
        return 1;
    gl->PushMatrix();
    gl->LoadIdentity();
    gl->PushAttrib(GL_ENABLE_BIT | GL_VIEWPORT_BIT | GL_STENCIL_BUFFER_BIT | GL_ACCUM_BUFFER_BIT | GL_DEPTH_BUFFER_BIT |
                 GL_FOG_BIT | GL_LIGHTING_BIT | GL_PIXEL_MODE_BIT | GL_POINT_BIT | GL_CURRENT_BIT);
    gl->Disable(GL_BLEND);
    gl->Disable(GL_DEPTH_TEST);
    gl->Disable(GL_TEXTURE_2D);
    gl->Disable(GL_LIGHTING);
    gl->RasterPos3f(x * frRight, y * frTop, -frNear - 0.01f);
    gl->PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const font8x13& font = font8x13::get();
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c != 0; c++) {
        // characters the font lacks draw nothing and take no room
        if (const unsigned char* g = font.glyph(*c))
            gl->Bitmap(font8x13::width, font8x13::height, 0.0f, 2.0f, 10.0f, 0.0f, g);
    }
    gl->PopAttrib();
    gl->PopMatrix();
    return 1;
}

int gl3D::prMat(const matrix_4& m)
{
    const float rows[4] = {0.8f, 0.7f, 0.6f, 0.5f};
    for (size_t r = 0; r < 4; r++) {
        char line[128];
        std::snprintf(line, sizeof line, "%6.3f %6.3f %6.3f %6.3f", double(m.m[r * 4]), double(m.m[r * 4 + 1]),
                      double(m.m[r * 4 + 2]), double(m.m[r * 4 + 3]));
        // pr scales by the frustum itself
        pr(line, -0.8f, rows[r]);
    }
    return 1;
}

int gl3D::printError()
{
    switch (gl->GetError()) {
    case GL_NO_ERROR:
        out->pr("GL_NO_ERROR\n");
        break;
    case GL_INVALID_ENUM:
        out->pr("GL_INVALID_ENUM\n");
        break;
    case GL_INVALID_VALUE:
        out->pr("GL_INVALID_VALUE\n");
        break;
    case GL_INVALID_OPERATION:
        out->pr("GL_INVALID_OPERATION\n");
        break;
    case GL_STACK_OVERFLOW:
        out->pr("GL_STACK_OVERFLOW\n");
        break;
    case GL_STACK_UNDERFLOW:
        out->pr("GL_STACK_UNDERFLOW\n");
        break;
    case GL_OUT_OF_MEMORY:
        out->pr("GL_OUT_OF_MEMORY\n");
        break;
    default:
        break;
    }
    return 1;
}

int gl3D::resetCamMat()
{
    gl->MatrixMode(GL_MODELVIEW);
    gl->LoadIdentity();
    identityMat(&camMat);
    return 1;
}

int gl3D::translateCam(float x, float y, float z)
{
    gl->Translatef(-x, -y, -z);
    translateMat(&camMat, -x, -y, -z);
    return 1;
}

int gl3D::rotateCamX(float a)
{
    gl->Rotatef(-a, 1.0f, 0.0f, 0.0f);
    rotateXMat(&camMat, -a);
    return 1;
}

int gl3D::rotateCamY(float a)
{
    gl->Rotatef(-a, 0.0f, 1.0f, 0.0f);
    rotateYMat(&camMat, -a);
    return 1;
}

int gl3D::rotateCamZ(float a)
{
    gl->Rotatef(-a, 0.0f, 0.0f, 1.0f);
    rotateZMat(&camMat, -a);
    return 1;
}

int gl3D::postMatrixMulCam(const matrix_4& m)
{
    postMulMat(&camMat, m);
    float t[16];
    glMatrixOf(m, t);
    gl->MultMatrixf(t);
    return 1;
}

int gl3D::getCamMat(matrix_4* m) const
{
    *m = camMat;
    return 1;
}

int gl3D::getBoundMat(matrix_4* m) const
{
    *m = boundMat;
    return 1;
}

void gl3D::lightOf(int i, unsigned* light) const
{
    static const unsigned lights[3] = {GL_LIGHT0, GL_LIGHT1, GL_LIGHT2};
    *light = (i >= 0 && i < 3) ? lights[i] : 0;
}

int gl3D::setLightColors(float ar, float ag, float ab, float dr, float dg, float db, float sr, float sg, float sb)
{
    setColour(lightAmbient, ar, ag, ab, 1.0f);
    setColour(lightDiffuse, dr, dg, db, 1.0f);
    setColour(lightSpecular, sr, sg, sb, 1.0f);
    return 1;
}

int gl3D::setNormalLight(int i, float x, float y, float z)
{
    unsigned l = 0;
    lightOf(i, &l);
    if (l == 0)
        return 1;
    const float dir[3] = {0.0f, 0.0f, -1.0f};
    const float pos[4] = {x, y, z, 0.0f};
    gl->Lightfv(l, GL_AMBIENT, lightAmbient);
    gl->Lightfv(l, GL_DIFFUSE, lightDiffuse);
    gl->Lightfv(l, GL_SPECULAR, lightSpecular);
    gl->Lightf(l, GL_CONSTANT_ATTENUATION, 1.0f);
    gl->Lightf(l, GL_LINEAR_ATTENUATION, 0.0f);
    gl->Lightf(l, GL_QUADRATIC_ATTENUATION, 0.0f);
    gl->Lightfv(l, GL_SPOT_DIRECTION, dir);
    gl->Lightf(l, GL_SPOT_CUTOFF, 180.0f);
    gl->Lightf(l, GL_SPOT_EXPONENT, 0.0f);
    gl->Lightfv(l, GL_POSITION, pos);
    gl->Enable(l);
    spotSet = 0;
    return 1;
}

int gl3D::setSpot(int i, float px, float py, float pz, float dx, float dy, float dz, float cutoff, float exponent)
{
    unsigned l = 0;
    lightOf(i, &l);
    if (l == 0)
        return 1;
    const float dir[3] = {dx, dy, dz};
    const float pos[4] = {px, py, pz, 1.0f};
    gl->Lightfv(l, GL_AMBIENT, lightAmbient);
    gl->Lightfv(l, GL_DIFFUSE, lightDiffuse);
    gl->Lightfv(l, GL_SPECULAR, lightSpecular);
    gl->Lightf(l, GL_SPOT_CUTOFF, cutoff);
    gl->Lightf(l, GL_SPOT_EXPONENT, exponent);
    gl->Lightfv(l, GL_SPOT_DIRECTION, dir);
    gl->Lightfv(l, GL_POSITION, pos);
    gl->Enable(l);
    spotSet = 1;
    return 1;
}

int gl3D::setAtten(int i, float constant, float linear, float quadratic)
{
    unsigned l = 0;
    lightOf(i, &l);
    if (l == 0)
        return 1;
    gl->Lightf(l, GL_CONSTANT_ATTENUATION, constant);
    gl->Lightf(l, GL_LINEAR_ATTENUATION, linear);
    gl->Lightf(l, GL_QUADRATIC_ATTENUATION, quadratic);
    return 1;
}

int gl3D::enableLightning()
{
    gl->Enable(GL_LIGHTING);
    lighting = 1;
    return 1;
}

int gl3D::disableLightning()
{
    gl->Disable(GL_LIGHTING);
    lighting = 0;
    return 1;
}

int gl3D::enableFogLin(float start, float end, float r, float g, float b, float a)
{
    const float c[4] = {r, g, b, a};
    gl->Fogi(GL_FOG_MODE, GL_LINEAR);
    gl->Fogf(GL_FOG_START, start);
    gl->Fogf(GL_FOG_END, end);
    gl->Fogfv(GL_FOG_COLOR, c);
    gl->Enable(GL_FOG);
    fog = 1;
    return 1;
}

int gl3D::disableFog()
{
    gl->Disable(GL_FOG);
    fog = 0;
    return 1;
}

int gl3D::setMaterialMulFak(float ambient, float diffuse, float specular)
{
    fakAmbient = ambient;
    fakDiffuse = diffuse;
    fakSpecular = specular;
    return 1;
}

int gl3D::setMaterial(float ar, float ag, float ab, float aa, float dr, float dg, float db, float da, float sr,
                      float sg, float sb, float sa, float shininess)
{
    setColour(matAmbient, ar * fakAmbient, ag * fakAmbient, ab * fakAmbient, aa);
    setColour(matDiffuse, dr * fakDiffuse, dg * fakDiffuse, db * fakDiffuse, da);
    setColour(matSpecular, sr * fakSpecular, sg * fakSpecular, sb * fakSpecular, sa);
    // the spot light's highlight would be a single bright point: no shininess under it
    matShininess = spotSet == 1 ? 0.0f : shininess * fakShininess;
    gl->Materialfv(GL_FRONT_AND_BACK, GL_AMBIENT, matAmbient);
    gl->Materialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, matDiffuse);
    gl->Materialfv(GL_FRONT_AND_BACK, GL_SPECULAR, matSpecular);
    // OpenGL takes shininess from 0 to 128 only
    const float s = matShininess < 0.0f ? 0.0f : (matShininess > 128.0f ? 128.0f : matShininess);
    gl->Materialf(GL_FRONT_AND_BACK, GL_SHININESS, s);
    return 1;
}

int gl3D::setLastMaterial()
{
    gl->Materialfv(GL_FRONT_AND_BACK, GL_AMBIENT, matAmbient);
    gl->Materialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, matDiffuse);
    gl->Materialfv(GL_FRONT_AND_BACK, GL_SPECULAR, matSpecular);
    return 1;
}

int gl3D::zOn()
{
    gl->ClearDepth(1.0);
    gl->DepthFunc(GL_LEQUAL);
    gl->Enable(GL_DEPTH_TEST);
    zEnabled = 1;
    return 1;
}

int gl3D::zOff()
{
    gl->Disable(GL_DEPTH_TEST);
    zEnabled = 0;
    return 1;
}

int gl3D::setZOffset(float o)
{
    if (zOffsetEnabled == 1)
        gl->DepthRange(0.0, 1.0 - double(o));
    zOffset = o;
    return 1;
}

int gl3D::noZwriteOn()
{
    gl->DepthMask(GL_FALSE);
    noZwrite = 1;
    return 1;
}

int gl3D::noZwriteOff()
{
    gl->DepthMask(GL_TRUE);
    noZwrite = 0;
    return 1;
}

int gl3D::blendOn()
{
    gl->Enable(GL_BLEND);
    if (lightBlend == 1)
        gl->BlendFunc(GL_SRC_ALPHA, GL_ONE);
    else
        gl->BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    blending = 1;
    return 1;
}

int gl3D::blendOff()
{
    gl->Disable(GL_BLEND);
    blending = 0;
    return 1;
}

int gl3D::lightBlendOn()
{
    gl->BlendFunc(GL_SRC_ALPHA, GL_ONE);
    lightBlend = 1;
    return 1;
}

int gl3D::lightBlendOff()
{
    gl->BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    lightBlend = 0;
    return 1;
}

int gl3D::cullFaceOn()
{
    gl->CullFace(GL_BACK);
    gl->Enable(GL_CULL_FACE);
    cullFace = 1;
    return 1;
}

int gl3D::cullFaceOff()
{
    gl->Disable(GL_CULL_FACE);
    cullFace = 0;
    return 1;
}

int gl3D::twoSideLightOn()
{
    gl->LightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    gl->Disable(GL_CULL_FACE);
    cullFace = 0;
    twoSideLight = 1;
    return 1;
}

int gl3D::twoSideLightOff()
{
    gl->LightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
    gl->CullFace(GL_BACK);
    gl->Enable(GL_CULL_FACE);
    cullFace = 1;
    twoSideLight = 0;
    return 1;
}

int gl3D::blendCullFaceOn()
{
    cullFaceOn();
    blendCullFaceOffFlag = 0;
    return 1;
}

int gl3D::blendCullFaceOff()
{
    blendCullFaceOffFlag = 1;
    return 1;
}

int gl3D::wireOn()
{
    gl->PolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    wire = 1;
    return 1;
}

int gl3D::wireOff()
{
    gl->PolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    wire = 0;
    return 1;
}

int gl3D::texOn()
{
    if (noTexture == 1)
        return 1;
    if (texEnabled == 0)
        gl->Enable(GL_TEXTURE_2D);
    texEnabled = 1;
    return 1;
}

int gl3D::texOff()
{
    gl->Disable(GL_TEXTURE_2D);
    texEnabled = 0;
    curTex = -1;
    return 1;
}

int gl3D::noTexOn()
{
    gl->Disable(GL_TEXTURE_2D);
    texEnabled = 0;
    noTexture = 1;
    curTex = -1;
    return 1;
}

int gl3D::noTexOff()
{
    noTexture = 0;
    curTex = -1;
    return 1;
}

int gl3D::texClampOn()
{
    texClamp = 1;
    return 1;
}

int gl3D::texClampOff()
{
    texClamp = 0;
    return 1;
}

int gl3D::boundBoxCheckOn()
{
    boundBoxCheck = 1;
    return 1;
}

int gl3D::boundBoxCheckOff()
{
    boundBoxCheck = 0;
    return 1;
}

int gl3D::setPolySubDivide(int n)
{
    polySubDivide = n;
    return 1;
}

int gl3D::setHintAll()
{
    const GLenum h = hintNicest == 1 ? GL_NICEST : GL_FASTEST;
    gl->Hint(GL_PERSPECTIVE_CORRECTION_HINT, h);
    gl->Hint(GL_POINT_SMOOTH_HINT, h);
    gl->Hint(GL_LINE_SMOOTH_HINT, h);
    gl->Hint(GL_POLYGON_SMOOTH_HINT, h);
    gl->Hint(GL_FOG_HINT, h);
    if (wire == 1)
        gl->PolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    return 1;
}
