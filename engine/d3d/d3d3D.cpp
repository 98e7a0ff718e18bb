#include "d3d3D.h"

#include "console/outTxt.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

d3d3D* active = nullptr;
int (*displayTests)(int, char*, size_t) = nullptr;

constexpr float pi = 3.14159265f;

// column-major 4 x 4 products, as OpenGL keeps its matrices
void mul(const float* a, const float* b, float* r)
{
    float t[16];
    for (int c = 0; c < 4; c++)
        for (int row = 0; row < 4; row++) {
            float s = 0.0f;
            for (int k = 0; k < 4; k++)
                s += a[k * 4 + row] * b[c * 4 + k];
            t[c * 4 + row] = s;
        }
    std::memcpy(r, t, sizeof t);
}

void identity(float* m)
{
    std::memset(m, 0, 16 * sizeof(float));
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

void transform(const float* m, const float* v, float* r)
{
    for (int row = 0; row < 4; row++)
        r[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2] + m[12 + row] * v[3];
}

D3DCOLORVALUE colourOf(const float* c)
{
    D3DCOLORVALUE v;
    v.r = c[0];
    v.g = c[1];
    v.b = c[2];
    v.a = c[3];
    return v;
}

int byteOf(float c)
{
    const float v = c < 0.0f ? 0.0f : (c > 1.0f ? 1.0f : c);
    return int(std::lround(v * 255.0f));
}

DWORD floatBits(float f)
{
    DWORD d = 0;
    std::memcpy(&d, &f, sizeof d);
    return d;
}

int lowBit(DWORD mask)
{
    int s = 0;
    while (mask != 0 && (mask & 1u) == 0) {
        mask >>= 1;
        s++;
    }
    return s;
}

int bitCount(DWORD mask)
{
    int n = 0;
    for (; mask != 0; mask >>= 1)
        n += int(mask & 1u);
    return n;
}

// one 8-bit channel into the bits of mask
DWORD pack(DWORD mask, int c)
{
    const int bits = bitCount(mask);
    if (bits == 0)
        return 0;
    const DWORD v = bits >= 8 ? DWORD(c) << (bits - 8) : DWORD(c) >> (8 - bits);
    return (v << lowBit(mask)) & mask;
}

// the bits of mask as an 8-bit channel
int unpack(DWORD mask, DWORD v)
{
    const int bits = bitCount(mask);
    if (bits == 0)
        return 255;
    const DWORD c = (v & mask) >> lowBit(mask);
    const DWORD full = (1u << bits) - 1u;
    return int((c * 255u + full / 2u) / full);
}

DWORD packPixel(const DDPIXELFORMAT& f, int r, int g, int b, int a)
{
    DWORD v = pack(f.dwRBitMask, r) | pack(f.dwGBitMask, g) | pack(f.dwBBitMask, b);
    if (f.dwFlags & DDPF_ALPHAPIXELS)
        v |= pack(f.dwRGBAlphaBitMask, a);
    return v;
}

void storePixel(unsigned char* at, int bytes, DWORD v)
{
    if (bytes == 2) {
        const WORD w = WORD(v);
        std::memcpy(at, &w, 2);
    } else if (bytes == 4) {
        std::memcpy(at, &v, 4);
    } else {
        for (int k = 0; k < bytes; k++)
            at[k] = static_cast<unsigned char>(v >> (8 * k));
    }
}

DWORD loadPixel(const unsigned char* at, int bytes)
{
    DWORD v = 0;
    for (int k = 0; k < bytes; k++)
        v |= DWORD(at[k]) << (8 * k);
    return v;
}

D3DBLEND blendOf(GLenum f)
{
    switch (f) {
    case GL_ZERO:
        return D3DBLEND_ZERO;
    case GL_ONE:
        return D3DBLEND_ONE;
    case GL_SRC_ALPHA:
        return D3DBLEND_SRCALPHA;
    case GL_ONE_MINUS_SRC_ALPHA:
        return D3DBLEND_INVSRCALPHA;
    case GL_DST_ALPHA:
        return D3DBLEND_DESTALPHA;
    case GL_ONE_MINUS_DST_ALPHA:
        return D3DBLEND_INVDESTALPHA;
    case GL_SRC_COLOR:
        return D3DBLEND_SRCCOLOR;
    case GL_ONE_MINUS_SRC_COLOR:
        return D3DBLEND_INVSRCCOLOR;
    case GL_DST_COLOR:
        return D3DBLEND_DESTCOLOR;
    default:
        return D3DBLEND_INVDESTCOLOR;
    }
}

D3DCMPFUNC compareOf(GLenum f)
{
    switch (f) {
    case GL_NEVER:
        return D3DCMP_NEVER;
    case GL_LESS:
        return D3DCMP_LESS;
    case GL_EQUAL:
        return D3DCMP_EQUAL;
    case GL_LEQUAL:
        return D3DCMP_LESSEQUAL;
    case GL_GREATER:
        return D3DCMP_GREATER;
    case GL_NOTEQUAL:
        return D3DCMP_NOTEQUAL;
    case GL_GEQUAL:
        return D3DCMP_GREATEREQUAL;
    default:
        return D3DCMP_ALWAYS;
    }
}

// the texture formats the device offers, by name
struct formatSearch {
    DDPIXELFORMAT rgb555, rgb565, argb4444, rgb0888, argb8888;
};

bool masksAre(const DDPIXELFORMAT& f, DWORD bits, DWORD r, DWORD g, DWORD b, DWORD a)
{
    if ((f.dwFlags & DDPF_RGB) == 0 || f.dwRGBBitCount != bits)
        return false;
    const DWORD alpha = (f.dwFlags & DDPF_ALPHAPIXELS) ? f.dwRGBAlphaBitMask : 0;
    return f.dwRBitMask == r && f.dwGBitMask == g && f.dwBBitMask == b && alpha == a;
}

HRESULT WINAPI textureFormat(LPDDPIXELFORMAT f, LPVOID ctx)
{
    auto* s = static_cast<formatSearch*>(ctx);
    if (masksAre(*f, 16, 0x7c00, 0x03e0, 0x001f, 0))
        s->rgb555 = *f;
    else if (masksAre(*f, 16, 0xf800, 0x07e0, 0x001f, 0))
        s->rgb565 = *f;
    else if (masksAre(*f, 16, 0x0f00, 0x00f0, 0x000f, 0xf000))
        s->argb4444 = *f;
    else if (masksAre(*f, 32, 0xff0000, 0x00ff00, 0x0000ff, 0))
        s->rgb0888 = *f;
    else if (masksAre(*f, 32, 0xff0000, 0x00ff00, 0x0000ff, 0xff000000u))
        s->argb8888 = *f;
    return D3DENUMRET_OK;
}

bool found(const DDPIXELFORMAT& f)
{
    return f.dwSize != 0;
}

}  // namespace

d3d3D::d3d3D(outTxt* console)
    : out(console), dd(nullptr), dev(nullptr), target(nullptr), targetW(0), targetH(0), vendorText{},
      rendererText{}, formatRGB{}, formatRGBA{}, nameRGB{}, nameRGBA{}, shownRGB(false), shownRGBA(false),
      mode(GL_MODELVIEW), modelview{}, mvTop(0), projection{}, transformsDirty(true), inScene(false),
      lastError(GL_NO_ERROR), primMode(GL_TRIANGLES), inPrim(false), curNormal{0.0f, 0.0f, 1.0f}, curTex{},
      raster{}, rasterValid(false), atlas(nullptr), textureDirty(true), bound(0), nextName(1), listOpen(0)
{
    identity(modelview[0]);
    identity(projection);
}

d3d3D::~d3d3D()
{
    detach();
}

d3d3D* d3d3D::current()
{
    return active;
}

void d3d3D::setDisplayTests(int (*tests)(int, char*, size_t))
{
    displayTests = tests;
}

int d3d3D::info(int verbose, char* title, size_t titleSize, char* info1, size_t size1)
{
    if (title != nullptr && titleSize > 0) {
        const size_t used = std::strlen(title);
        if (used + 1 < titleSize)
            std::snprintf(title + used, titleSize - used, "D3Ddriver:%s  D3Ddevice:%s\n", vendorText, rendererText);
    }
    if (displayTests == nullptr || info1 == nullptr)
        return 1;
    return displayTests(verbose, info1, size1);
}

bool d3d3D::attach(IDirectDraw7* d, IDirect3DDevice7* device, IDirectDrawSurface7* surface, const char* vendor,
                   const char* renderer, const options& opts)
{
    detach();
    if (d == nullptr || device == nullptr || surface == nullptr)
        return false;
    dd = d;
    dev = device;
    target = surface;
    opt = opts;
    std::snprintf(vendorText, sizeof vendorText, "%s", vendor ? vendor : "");
    std::snprintf(rendererText, sizeof rendererText, "%s", renderer ? renderer : "");
    DDSURFACEDESC2 sd = {};
    sd.dwSize = sizeof sd;
    if (FAILED(target->GetSurfaceDesc(&sd))) {
        detach();
        return false;
    }
    targetW = int(sd.dwWidth);
    targetH = int(sd.dwHeight);

    // 32-bit texels unless the key forbids them, 16-bit where the device has no other
    formatSearch fs = {};
    dev->EnumTextureFormats(textureFormat, &fs);
    const bool deep = opt.no32BitTex == 0;
    const std::pair<const DDPIXELFORMAT*, const char*> rgb[] = {
        {deep ? &fs.rgb0888 : &fs.rgb565, deep ? "RGB0888" : "RGB565"},
        {deep ? &fs.rgb565 : &fs.rgb555, deep ? "RGB565" : "RGB555"},
        {&fs.rgb555, "RGB555"},
        {&fs.rgb0888, "RGB0888"}};
    const std::pair<const DDPIXELFORMAT*, const char*> rgba[] = {
        {deep ? &fs.argb8888 : &fs.argb4444, deep ? "ARGB8888" : "ARGB4444"},
        {deep ? &fs.argb4444 : &fs.argb8888, deep ? "ARGB4444" : "ARGB8888"}};
    formatRGB = {};
    formatRGBA = {};
    for (const auto& c : rgb)
        if (!found(formatRGB) && found(*c.first)) {
            formatRGB = *c.first;
            std::snprintf(nameRGB, sizeof nameRGB, "%s", c.second);
        }
    for (const auto& c : rgba)
        if (!found(formatRGBA) && found(*c.first)) {
            formatRGBA = *c.first;
            std::snprintf(nameRGBA, sizeof nameRGBA, "%s", c.second);
        }
    if (!found(formatRGB) || !found(formatRGBA))
        out->pr("d3d3D::attach: the device lacks the texture formats RGB555, RGB565, ARGB4444, RGB0888, ARGB8888\n");
    shownRGB = shownRGBA = false;

    // a new device starts from OpenGL's defaults, as a new context does
    st = attribs();
    st.vpW = targetW;
    st.vpH = targetH;
    st.lights[0].diffuse[0] = st.lights[0].diffuse[1] = st.lights[0].diffuse[2] = 1.0f;
    st.lights[0].specular[0] = st.lights[0].specular[1] = st.lights[0].specular[2] = 1.0f;
    attribStack.clear();
    mode = GL_MODELVIEW;
    mvTop = 0;
    identity(modelview[0]);
    identity(projection);
    transformsDirty = true;
    inScene = false;
    lastError = GL_NO_ERROR;
    inPrim = false;
    prim.clear();
    rasterValid = false;
    pendingText.clear();
    bound = 0;
    active = this;
    applyAll();
    return true;
}

void d3d3D::detach()
{
    if (dev != nullptr) {
        flushBatch();
        flushText();
        if (inScene)
            dev->EndScene();
        dev->SetTexture(0, nullptr);
    }
    inScene = false;
    for (auto& t : textures)
        releaseSurface(t.second);
    textures.clear();
    if (atlas != nullptr)
        atlas->Release();
    atlas = nullptr;
    atlasCells.clear();
    lists.clear();
    listOps.clear();
    listOpen = 0;
    nextName = 1;
    dd = nullptr;
    dev = nullptr;
    target = nullptr;
    if (active == this)
        active = nullptr;
}

void d3d3D::endFrame()
{
    if (dev == nullptr)
        return;
    flushBatch();
    flushText();
    if (inScene)
        dev->EndScene();
    inScene = false;
}

bool d3d3D::readBack(std::vector<unsigned char>& rgba, int* width, int* height)
{
    if (target == nullptr)
        return false;
    endFrame();
    DDSURFACEDESC2 sd = {};
    sd.dwSize = sizeof sd;
    if (FAILED(target->Lock(nullptr, &sd, DDLOCK_WAIT | DDLOCK_READONLY, nullptr)))
        return false;
    const int bytes = int(sd.ddpfPixelFormat.dwRGBBitCount / 8);
    rgba.assign(size_t(targetW) * size_t(targetH) * 4, 0);
    for (int y = 0; y < targetH; y++) {
        const auto* row = static_cast<const unsigned char*>(sd.lpSurface) + size_t(y) * size_t(sd.lPitch);
        for (int x = 0; x < targetW; x++) {
            const DWORD v = loadPixel(row + size_t(x) * size_t(bytes), bytes);
            unsigned char* p = &rgba[(size_t(y) * size_t(targetW) + size_t(x)) * 4];
            p[0] = static_cast<unsigned char>(unpack(sd.ddpfPixelFormat.dwRBitMask, v));
            p[1] = static_cast<unsigned char>(unpack(sd.ddpfPixelFormat.dwGBitMask, v));
            p[2] = static_cast<unsigned char>(unpack(sd.ddpfPixelFormat.dwBBitMask, v));
            p[3] = 255;
        }
    }
    target->Unlock(nullptr);
    *width = targetW;
    *height = targetH;
    return true;
}

void d3d3D::failed(HRESULT hr)
{
    if (FAILED(hr) && lastError == GL_NO_ERROR)
        lastError = GL_INVALID_OPERATION;
}

void d3d3D::setState(D3DRENDERSTATETYPE s, DWORD v)
{
    failed(dev->SetRenderState(s, v));
}

bool d3d3D::inSceneNow()
{
    if (dev == nullptr)
        return false;
    if (!inScene) {
        const HRESULT hr = dev->BeginScene();
        failed(hr);
        inScene = SUCCEEDED(hr);
    }
    return inScene;
}

bool d3d3D::readyToDraw()
{
    if (!inSceneNow())
        return false;
    applyTransforms();
    if (textureDirty)
        useTexture();
    return true;
}

float* d3d3D::top()
{
    return mode == GL_PROJECTION ? projection : modelview[mvTop];
}

// --- state -------------------------------------------------------------

void d3d3D::applyAll()
{
    if (dev == nullptr)
        return;
    setState(D3DRENDERSTATE_DITHERENABLE, TRUE);
    setState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD);
    setState(D3DRENDERSTATE_NORMALIZENORMALS, FALSE);
    setState(D3DRENDERSTATE_COLORVERTEX, FALSE);
    // the light model's own ambient light of OpenGL
    setState(D3DRENDERSTATE_AMBIENT, D3DRGBA(0.2, 0.2, 0.2, 1.0));
    setState(D3DRENDERSTATE_LOCALVIEWER, TRUE);
    setState(D3DRENDERSTATE_SPECULARENABLE, opt.specularEnable == 1 ? TRUE : FALSE);
    setState(D3DRENDERSTATE_ANTIALIAS, opt.fullSceneAA == 1 ? D3DANTIALIAS_SORTINDEPENDENT : D3DANTIALIAS_NONE);
    setState(D3DRENDERSTATE_EDGEANTIALIAS, opt.edgeAA == 1 ? TRUE : FALSE);
    setState(D3DRENDERSTATE_ALPHAREF, 0x80);
    setState(D3DRENDERSTATE_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    setState(D3DRENDERSTATE_CLIPPING, TRUE);
    applyRenderStates();
    for (int i = 0; i < maxLights; i++)
        applyLight(i);
    applyMaterial();
    applyViewport();
    transformsDirty = true;
    applyTexture();
}

void d3d3D::applyRenderStates()
{
    setState(D3DRENDERSTATE_LIGHTING, st.lighting ? TRUE : FALSE);
    setState(D3DRENDERSTATE_ZENABLE, st.depthTest ? D3DZB_TRUE : D3DZB_FALSE);
    setState(D3DRENDERSTATE_ZWRITEENABLE, st.depthWrite ? TRUE : FALSE);
    setState(D3DRENDERSTATE_ZFUNC, compareOf(st.depthFunc));
    // without blending hardware, see-through texels are cut out instead of mixed
    const bool blend = st.blend && opt.noBlendHardware == 0;
    setState(D3DRENDERSTATE_ALPHABLENDENABLE, blend ? TRUE : FALSE);
    setState(D3DRENDERSTATE_ALPHATESTENABLE, st.blend && opt.noBlendHardware == 1 ? TRUE : FALSE);
    setState(D3DRENDERSTATE_SRCBLEND, blendOf(st.srcBlend));
    setState(D3DRENDERSTATE_DESTBLEND, blendOf(st.dstBlend));
    // OpenGL's front faces run counter-clockwise on the screen, Direct3D's clockwise
    DWORD cull = D3DCULL_NONE;
    if (st.cull)
        cull = st.cullMode == GL_BACK ? D3DCULL_CW : (st.cullMode == GL_FRONT ? D3DCULL_CCW : D3DCULL_NONE);
    setState(D3DRENDERSTATE_CULLMODE, cull);
    setState(D3DRENDERSTATE_FILLMODE, st.fill == GL_LINE ? D3DFILL_WIREFRAME : (st.fill == GL_POINT ? D3DFILL_POINT : D3DFILL_SOLID));

    const bool fogOn = st.fog && opt.disableFog == 0;
    setState(D3DRENDERSTATE_FOGENABLE, fogOn ? TRUE : FALSE);
    setState(D3DRENDERSTATE_FOGCOLOR,
             D3DRGBA(st.fogColour[0], st.fogColour[1], st.fogColour[2], st.fogColour[3]));
    // per pixel from the eye depth, or per vertex by the transform stage
    const bool perVertex = opt.fogInSoftware == 1 || opt.fogDistanceFix == 1;
    setState(D3DRENDERSTATE_FOGTABLEMODE, perVertex ? D3DFOG_NONE : D3DFOG_LINEAR);
    setState(D3DRENDERSTATE_FOGVERTEXMODE, perVertex ? D3DFOG_LINEAR : D3DFOG_NONE);
    setState(D3DRENDERSTATE_RANGEFOGENABLE, opt.fogDistanceFix == 1 ? TRUE : FALSE);
    setState(D3DRENDERSTATE_FOGSTART, floatBits(st.fogStart));
    setState(D3DRENDERSTATE_FOGEND, floatBits(st.fogEnd));
}

void d3d3D::applyLight(int i)
{
    const lightState& l = st.lights[i];
    failed(dev->LightEnable(DWORD(i), l.on ? TRUE : FALSE));
    if (!l.on)
        return;
    D3DLIGHT7 d = {};
    d.dcvAmbient = colourOf(l.ambient);
    d.dcvDiffuse = colourOf(l.diffuse);
    d.dcvSpecular = colourOf(l.specular);
    d.dvRange = D3DLIGHT_RANGE_MAX;
    d.dvAttenuation0 = l.atten[0];
    d.dvAttenuation1 = l.atten[1];
    d.dvAttenuation2 = l.atten[2];
    // the device works in eye space with z turned round (see applyTransforms)
    if (l.position[3] == 0.0f) {
        d.dltType = D3DLIGHT_DIRECTIONAL;
        d.dvDirection.x = -l.position[0];
        d.dvDirection.y = -l.position[1];
        d.dvDirection.z = l.position[2];
    } else {
        const float w = l.position[3];
        d.dvPosition.x = l.position[0] / w;
        d.dvPosition.y = l.position[1] / w;
        d.dvPosition.z = -l.position[2] / w;
        d.dvDirection.x = l.direction[0];
        d.dvDirection.y = l.direction[1];
        d.dvDirection.z = -l.direction[2];
        if (l.cutoff >= 180.0f) {
            d.dltType = D3DLIGHT_POINT;
        } else {
            // OpenGL's cone falls off as cos^exponent up to its cutoff; Direct3D's
            // from an inner to an outer cone: the outer one is the cutoff and the
            // falloff is fitted so that both are at half strength at the same angle
            d.dltType = D3DLIGHT_SPOT;
            const float c = (l.cutoff > 90.0f ? 90.0f : l.cutoff) * pi / 180.0f;
            d.dvPhi = 2.0f * c;
            d.dvTheta = d.dvPhi;
            d.dvFalloff = 1.0f;
            if (l.exponent > 0.0f) {
                const float cosHalf = std::pow(0.5f, 1.0f / l.exponent);
                const float cosC = std::cos(c);
                const float x = (cosHalf - cosC) / (1.0f - cosC);
                if (x > 0.0f && x < 1.0f) {
                    d.dvTheta = 0.0f;
                    d.dvFalloff = std::log(0.5f) / std::log(x);
                }
            }
        }
    }
    failed(dev->SetLight(DWORD(i), &d));
}

void d3d3D::applyMaterial()
{
    D3DMATERIAL7 m = {};
    m.dcvAmbient = colourOf(st.matAmbient);
    m.dcvDiffuse = colourOf(st.matDiffuse);
    m.dcvSpecular = colourOf(st.matSpecular);
    m.dvPower = st.shininess;
    failed(dev->SetMaterial(&m));
}

void d3d3D::applyViewport()
{
    // OpenGL counts rows from the bottom, Direct3D from the top
    int x = st.vpX < 0 ? 0 : st.vpX;
    int yTop = targetH - (st.vpY + st.vpH);
    yTop = yTop < 0 ? 0 : yTop;
    int w = st.vpW, h = st.vpH;
    w = x + w > targetW ? targetW - x : w;
    h = yTop + h > targetH ? targetH - yTop : h;
    if (w <= 0 || h <= 0)
        return;
    D3DVIEWPORT7 vp = {DWORD(x), DWORD(yTop), DWORD(w), DWORD(h), float(st.depthNear), float(st.depthFar)};
    failed(dev->SetViewport(&vp));
}

// The device gets the model-view with z turned round and a projection onto
// Direct3D's depth range 0 .. 1 that undoes the turn: together they place
// every vertex where OpenGL does, and eye depth grows into the screen so
// that fog reads it as distance.
void d3d3D::applyTransforms()
{
    if (!transformsDirty || dev == nullptr)
        return;
    float flip[16];
    identity(flip);
    flip[10] = -1.0f;
    float world[16];
    mul(flip, modelview[mvTop], world);
    float depth[16];
    identity(depth);
    depth[10] = 0.5f;
    depth[14] = 0.5f;
    // Direct3D samples a pixel at its corner, OpenGL at its centre: half a
    // pixel left and up puts the samples where OpenGL takes them
    if (st.vpW > 0 && st.vpH > 0) {
        depth[12] = -1.0f / float(st.vpW);
        depth[13] = 1.0f / float(st.vpH);
    }
    float proj[16];
    mul(depth, projection, proj);
    mul(proj, flip, proj);
    float view[16];
    identity(view);
    // a column-major array read row by row is the row-vector matrix Direct3D wants
    D3DMATRIX w, v, p;
    std::memcpy(&w, world, sizeof w);
    std::memcpy(&v, view, sizeof v);
    std::memcpy(&p, proj, sizeof p);
    failed(dev->SetTransform(D3DTRANSFORMSTATE_WORLD, &w));
    failed(dev->SetTransform(D3DTRANSFORMSTATE_VIEW, &v));
    failed(dev->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &p));
    transformsDirty = false;
}

void d3d3D::applyTexture()
{
    // the surface is built and set at the next draw: an image arrives level by level
    textureDirty = true;
}

void d3d3D::useTexture()
{
    textureDirty = false;
    auto it = textures.find(bound);
    texture* t = (st.tex2D && it != textures.end()) ? &it->second : nullptr;
    if (t != nullptr && t->dirty)
        buildSurface(*t);
    if (t == nullptr || t->surface == nullptr) {
        failed(dev->SetTexture(0, nullptr));
        dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        dev->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        dev->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
        return;
    }
    failed(dev->SetTexture(0, t->surface));
    // OpenGL's GL_MODULATE
    dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    dev->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    dev->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    dev->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    dev->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    dev->SetTextureStageState(0, D3DTSS_ADDRESSU, t->wrapS == GL_REPEAT ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP);
    dev->SetTextureStageState(0, D3DTSS_ADDRESSV, t->wrapT == GL_REPEAT ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP);
    // the filter is the settings dialog's; the mipmap choice is the renderer's
    const DWORD mag = opt.texFilter == 0 ? D3DTFG_POINT : (opt.texFilter == 2 ? D3DTFG_ANISOTROPIC : D3DTFG_LINEAR);
    const DWORD min = opt.texFilter == 0 ? D3DTFN_POINT : (opt.texFilter == 2 ? D3DTFN_ANISOTROPIC : D3DTFN_LINEAR);
    DWORD mip = D3DTFP_NONE;
    if (t->levels.size() > 1) {
        if (t->minFilter == GL_LINEAR_MIPMAP_LINEAR || t->minFilter == GL_NEAREST_MIPMAP_LINEAR)
            mip = D3DTFP_LINEAR;
        else if (t->minFilter == GL_LINEAR_MIPMAP_NEAREST || t->minFilter == GL_NEAREST_MIPMAP_NEAREST)
            mip = D3DTFP_POINT;
    }
    dev->SetTextureStageState(0, D3DTSS_MAGFILTER, mag);
    dev->SetTextureStageState(0, D3DTSS_MINFILTER, min);
    dev->SetTextureStageState(0, D3DTSS_MIPFILTER, mip);
    dev->SetTextureStageState(0, D3DTSS_MAXANISOTROPY, opt.texFilter == 2 ? 4 : 1);
}

void d3d3D::enable(GLenum cap, bool on)
{
    if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + maxLights) {
        const int i = int(cap - GL_LIGHT0);
        st.lights[i].on = on;
        applyLight(i);
        return;
    }
    switch (cap) {
    case GL_LIGHTING:
        st.lighting = on;
        break;
    case GL_DEPTH_TEST:
        st.depthTest = on;
        break;
    case GL_BLEND:
        st.blend = on;
        break;
    case GL_CULL_FACE:
        st.cull = on;
        break;
    case GL_FOG:
        st.fog = on;
        break;
    case GL_TEXTURE_2D:
        st.tex2D = on;
        applyTexture();
        return;
    default:
        return;  // hints of quality this device has no switch for
    }
    applyRenderStates();
}

const GLubyte* d3d3D::getString(GLenum name) const
{
    static const char version[] = "1.1 Direct3D 7";
    static const char none[] = "";
    const char* s = none;
    if (name == GL_VENDOR)
        s = vendorText;
    else if (name == GL_RENDERER)
        s = rendererText;
    else if (name == GL_VERSION)
        s = version;
    return reinterpret_cast<const GLubyte*>(s);
}

GLenum d3d3D::getError()
{
    const GLenum e = lastError;
    lastError = GL_NO_ERROR;
    return e;
}

// --- matrices ----------------------------------------------------------

void d3d3D::matrixMode(GLenum m)
{
    mode = m == GL_PROJECTION ? GL_PROJECTION : GL_MODELVIEW;
}

void d3d3D::loadIdentity()
{
    identity(top());
    transformsDirty = true;
}

void d3d3D::pushMatrix()
{
    if (mode != GL_MODELVIEW)
        return;
    if (mvTop + 1 >= stackDepth) {
        lastError = GL_STACK_OVERFLOW;
        return;
    }
    std::memcpy(modelview[mvTop + 1], modelview[mvTop], sizeof modelview[0]);
    mvTop++;
}

void d3d3D::popMatrix()
{
    if (mode != GL_MODELVIEW)
        return;
    if (mvTop == 0) {
        lastError = GL_STACK_UNDERFLOW;
        return;
    }
    mvTop--;
    transformsDirty = true;
}

void d3d3D::multMatrix(const float* m)
{
    float* t = top();
    mul(t, m, t);
    transformsDirty = true;
}

void d3d3D::frustum(double l, double r, double b, double t, double n, double f)
{
    if (n <= 0.0 || f <= 0.0 || l == r || b == t || n == f) {
        lastError = GL_INVALID_VALUE;
        return;
    }
    float m[16] = {};
    m[0] = float(2.0 * n / (r - l));
    m[5] = float(2.0 * n / (t - b));
    m[8] = float((r + l) / (r - l));
    m[9] = float((t + b) / (t - b));
    m[10] = float(-(f + n) / (f - n));
    m[11] = -1.0f;
    m[14] = float(-2.0 * f * n / (f - n));
    multMatrix(m);
}

void d3d3D::viewport(int x, int y, int w, int h)
{
    st.vpX = x;
    st.vpY = y;
    st.vpW = w;
    st.vpH = h;
    transformsDirty = true;
    applyViewport();
}

void d3d3D::depthRange(double n, double f)
{
    st.depthNear = n < 0.0 ? 0.0 : (n > 1.0 ? 1.0 : n);
    st.depthFar = f < 0.0 ? 0.0 : (f > 1.0 ? 1.0 : f);
    applyViewport();
}

// --- frame buffer ------------------------------------------------------

void d3d3D::clearColor(float r, float g, float b, float a)
{
    st.clearRGBA[0] = r;
    st.clearRGBA[1] = g;
    st.clearRGBA[2] = b;
    st.clearRGBA[3] = a;
}

void d3d3D::clearDepth(double d)
{
    st.clearZ = d;
}

void d3d3D::clear(GLbitfield mask)
{
    DWORD flags = 0;
    if (mask & GL_COLOR_BUFFER_BIT)
        flags |= D3DCLEAR_TARGET;
    if (mask & GL_DEPTH_BUFFER_BIT)
        flags |= D3DCLEAR_ZBUFFER;
    if (flags == 0)
        return;
    const D3DCOLOR c = RGBA_MAKE(byteOf(st.clearRGBA[0]), byteOf(st.clearRGBA[1]), byteOf(st.clearRGBA[2]),
                                 byteOf(st.clearRGBA[3]));
    failed(dev->Clear(0, nullptr, flags, c, float(st.clearZ), 0));
}

void d3d3D::depthFunc(GLenum f)
{
    st.depthFunc = f;
    applyRenderStates();
}

void d3d3D::depthMask(bool on)
{
    st.depthWrite = on;
    setState(D3DRENDERSTATE_ZWRITEENABLE, on ? TRUE : FALSE);
}

void d3d3D::blendFunc(GLenum s, GLenum d)
{
    st.srcBlend = s;
    st.dstBlend = d;
    setState(D3DRENDERSTATE_SRCBLEND, blendOf(s));
    setState(D3DRENDERSTATE_DESTBLEND, blendOf(d));
}

void d3d3D::cullFace(GLenum m)
{
    st.cullMode = m;
    applyRenderStates();
}

void d3d3D::polygonMode(GLenum m)
{
    st.fill = m;
    applyRenderStates();
}

void d3d3D::pushAttrib()
{
    if (attribStack.size() >= size_t(stackDepth)) {
        lastError = GL_STACK_OVERFLOW;
        return;
    }
    attribStack.push_back(st);
}

void d3d3D::popAttrib()
{
    if (attribStack.empty()) {
        lastError = GL_STACK_UNDERFLOW;
        return;
    }
    st = attribStack.back();
    attribStack.pop_back();
    applyRenderStates();
    for (int i = 0; i < maxLights; i++)
        applyLight(i);
    applyMaterial();
    applyViewport();
    applyTexture();
}

// --- lights, materials, fog --------------------------------------------

void d3d3D::light(GLenum l, GLenum pname, const float* v)
{
    if (l < GL_LIGHT0 || l >= GL_LIGHT0 + maxLights)
        return;
    lightState& s = st.lights[l - GL_LIGHT0];
    switch (pname) {
    case GL_AMBIENT:
        std::memcpy(s.ambient, v, sizeof s.ambient);
        break;
    case GL_DIFFUSE:
        std::memcpy(s.diffuse, v, sizeof s.diffuse);
        break;
    case GL_SPECULAR:
        std::memcpy(s.specular, v, sizeof s.specular);
        break;
    case GL_POSITION:
        // kept in eye space, as OpenGL does, by the model-view of the moment
        transform(modelview[mvTop], v, s.position);
        break;
    case GL_SPOT_DIRECTION: {
        const float d[4] = {v[0], v[1], v[2], 0.0f};
        float e[4];
        transform(modelview[mvTop], d, e);
        std::memcpy(s.direction, e, sizeof s.direction);
        break;
    }
    case GL_SPOT_CUTOFF:
        s.cutoff = v[0];
        break;
    case GL_SPOT_EXPONENT:
        s.exponent = v[0];
        break;
    case GL_CONSTANT_ATTENUATION:
        s.atten[0] = v[0];
        break;
    case GL_LINEAR_ATTENUATION:
        s.atten[1] = v[0];
        break;
    case GL_QUADRATIC_ATTENUATION:
        s.atten[2] = v[0];
        break;
    default:
        return;
    }
    applyLight(int(l - GL_LIGHT0));
}

void d3d3D::lightModel(GLenum pname, int v)
{
    if (pname == GL_LIGHT_MODEL_TWO_SIDE)
        st.twoSide = v != 0;
}

void d3d3D::material(GLenum pname, const float* v)
{
    switch (pname) {
    case GL_AMBIENT:
        std::memcpy(st.matAmbient, v, sizeof st.matAmbient);
        break;
    case GL_DIFFUSE:
        std::memcpy(st.matDiffuse, v, sizeof st.matDiffuse);
        break;
    case GL_AMBIENT_AND_DIFFUSE:
        std::memcpy(st.matAmbient, v, sizeof st.matAmbient);
        std::memcpy(st.matDiffuse, v, sizeof st.matDiffuse);
        break;
    case GL_SPECULAR:
        std::memcpy(st.matSpecular, v, sizeof st.matSpecular);
        break;
    case GL_SHININESS:
        st.shininess = v[0];
        break;
    default:
        return;
    }
    applyMaterial();
}

void d3d3D::fog(GLenum pname, const float* v)
{
    switch (pname) {
    case GL_FOG_START:
        st.fogStart = v[0];
        break;
    case GL_FOG_END:
        st.fogEnd = v[0];
        break;
    case GL_FOG_COLOR:
        std::memcpy(st.fogColour, v, sizeof st.fogColour);
        break;
    default:
        return;  // linear is the only fog this renderer asks for
    }
    applyRenderStates();
}

// --- primitives --------------------------------------------------------

void d3d3D::begin(GLenum m)
{
    primMode = m;
    inPrim = true;
    prim.clear();
}

void d3d3D::normal(float x, float y, float z)
{
    curNormal[0] = x;
    curNormal[1] = y;
    curNormal[2] = z;
}

void d3d3D::texCoord(float s, float t)
{
    curTex[0] = s;
    curTex[1] = t;
}

void d3d3D::vertex(float x, float y, float z)
{
    if (inPrim)
        prim.push_back({x, y, z, curNormal[0], curNormal[1], curNormal[2], curTex[0], curTex[1]});
}

void d3d3D::end()
{
    if (!inPrim)
        return;
    inPrim = false;
    if (prim.empty())
        return;
    if (compiling()) {
        const GLenum m = primMode;
        record([v = prim, m]() {
            if (d3d3D* d = d3d3D::current())
                d->draw(v, m);
        });
        return;
    }
    draw(prim, primMode);
}

void d3d3D::drawRaw(D3DPRIMITIVETYPE type, const vertex3D* v, DWORD count)
{
    failed(dev->DrawPrimitive(type, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1,
                              const_cast<vertex3D*>(v), count, 0));
}

// Triangles of any kind gather in one list until the state changes, since
// every DrawPrimitive costs far more than an OpenGL begin and end.
void d3d3D::draw(const std::vector<vertex3D>& v, GLenum m)
{
    if (dev == nullptr)
        return;
    const size_t count = v.size();
    switch (m) {
    case GL_TRIANGLES:
        batch.insert(batch.end(), v.begin(), v.begin() + ptrdiff_t(count - count % 3));
        break;
    case GL_TRIANGLE_STRIP:
        // every other triangle of a strip turns round, as OpenGL keeps their faces
        for (size_t k = 0; k + 2 < count; k++)
            for (size_t c : {k % 2 == 0 ? k : k + 1, k % 2 == 0 ? k + 1 : k, k + 2})
                batch.push_back(v[c]);
        break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
        for (size_t k = 1; k + 1 < count; k++)
            for (size_t c : {size_t(0), k, k + 1})
                batch.push_back(v[c]);
        break;
    case GL_QUADS:
        // each quad as the two triangles OpenGL splits it into
        for (size_t q = 0; q + 3 < count; q += 4)
            for (size_t k : {q, q + 1, q + 2, q, q + 2, q + 3})
                batch.push_back(v[k]);
        break;
    case GL_LINES:
    case GL_LINE_STRIP:
    case GL_POINTS:
        flushBatch();
        if (count > 0 && readyToDraw()) {
            drawRaw(m == GL_LINES ? D3DPT_LINELIST : (m == GL_POINTS ? D3DPT_POINTLIST : D3DPT_LINESTRIP), v.data(),
                    DWORD(count));
        }
        return;
    default:
        return;
    }
    // one call takes at most 65535 vertices
    if (batch.size() > 60000)
        flushBatch();
}

void d3d3D::flushBatch()
{
    if (batch.empty())
        return;
    if (!readyToDraw()) {
        batch.clear();
        return;
    }
    const DWORD count = DWORD(batch.size());
    if (!(st.twoSide && st.lighting) || st.cull) {
        drawRaw(D3DPT_TRIANGLELIST, batch.data(), count);
        batch.clear();
        return;
    }
    // Direct3D lights the front side only: the back faces are drawn again on
    // their own with the normals turned round, as two-sided lighting does
    setState(D3DRENDERSTATE_CULLMODE, D3DCULL_CW);
    drawRaw(D3DPT_TRIANGLELIST, batch.data(), count);
    for (vertex3D& b : batch) {
        b.nx = -b.nx;
        b.ny = -b.ny;
        b.nz = -b.nz;
    }
    setState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
    drawRaw(D3DPT_TRIANGLELIST, batch.data(), count);
    setState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    batch.clear();
}

// --- text ----------------------------------------------------------------

void d3d3D::rasterPos(float x, float y, float z)
{
    const float obj[4] = {x, y, z, 1.0f};
    float eye[4], clip[4];
    transform(modelview[mvTop], obj, eye);
    transform(projection, eye, clip);
    rasterValid = clip[3] > 0.0f && std::fabs(clip[0]) <= clip[3] && std::fabs(clip[1]) <= clip[3] &&
                  std::fabs(clip[2]) <= clip[3];
    if (!rasterValid)
        return;
    raster[0] = float(st.vpX) + (clip[0] / clip[3] + 1.0f) * 0.5f * float(st.vpW);
    raster[1] = float(st.vpY) + (clip[1] / clip[3] + 1.0f) * 0.5f * float(st.vpH);
}

void d3d3D::bitmap(int w, int h, float xo, float yo, float xm, float ym, const GLubyte* bits)
{
    if (!rasterValid)
        return;
    if (bits != nullptr && w > 0 && h > 0) {
        glyph g;
        g.x = int(std::floor(raster[0] - xo));
        g.y = int(std::floor(raster[1] - yo));
        g.w = w;
        g.h = h;
        g.bits.assign(bits, bits + size_t((w + 7) / 8) * size_t(h));
        pendingText.push_back(std::move(g));
    }
    raster[0] += xm;
    raster[1] += ym;
}

// the top left texel of an atlas cell
void d3d3D::atlasOrigin(int cell, int* x, int* y)
{
    *x = (cell % (atlasW / atlasCellW)) * atlasCellW;
    *y = (cell / (atlasW / atlasCellW)) * atlasCellH;
}

// The cell of a glyph in the atlas, put there at its first use. @returns
// its index, or -1 when the atlas is missing or full.
int d3d3D::atlasCell(const glyph& g)
{
    if (g.w > atlasCellW || g.h > atlasCellH)
        return -1;
    std::vector<unsigned char> key = g.bits;
    key.push_back(static_cast<unsigned char>(g.w));
    key.push_back(static_cast<unsigned char>(g.h));
    const auto it = atlasCells.find(key);
    if (it != atlasCells.end())
        return it->second;
    const int cell = int(atlasCells.size());
    if (cell >= (atlasW / atlasCellW) * (atlasH / atlasCellH))
        return -1;
    if (atlas == nullptr) {
        DDSURFACEDESC2 sd = {};
        sd.dwSize = sizeof sd;
        sd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        sd.dwWidth = atlasW;
        sd.dwHeight = atlasH;
        sd.ddpfPixelFormat = formatRGBA;
        sd.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
        sd.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
        if (!found(formatRGBA) || FAILED(dd->CreateSurface(&sd, &atlas, nullptr))) {
            atlas = nullptr;
            return -1;
        }
    }
    DDSURFACEDESC2 ld = {};
    ld.dwSize = sizeof ld;
    if (FAILED(atlas->Lock(nullptr, &ld, DDLOCK_WAIT, nullptr)))
        return -1;
    const int bytes = int(ld.ddpfPixelFormat.dwRGBBitCount / 8);
    const DWORD ink = packPixel(formatRGBA, 255, 255, 255, 255);
    const DWORD clear = packPixel(formatRGBA, 255, 255, 255, 0);
    int x0 = 0, y0 = 0;
    atlasOrigin(cell, &x0, &y0);
    const int rowBytes = (g.w + 7) / 8;
    for (int r = 0; r < atlasCellH; r++) {
        auto* row = static_cast<unsigned char*>(ld.lpSurface) + size_t(y0 + r) * size_t(ld.lPitch);
        // the cell's rows run down, the bitmap's up
        const int br = g.h - 1 - r;
        for (int c = 0; c < atlasCellW; c++) {
            const bool on = br >= 0 && c < g.w &&
                            (g.bits[size_t(br) * size_t(rowBytes) + size_t(c / 8)] & (0x80 >> (c % 8))) != 0;
            storePixel(row + size_t(x0 + c) * size_t(bytes), bytes, on ? ink : clear);
        }
    }
    atlas->Unlock(nullptr);
    atlasCells.emplace(std::move(key), cell);
    return cell;
}

// The glyphs as squares of the glyph atlas, one texel on one pixel, cut out
// by their alpha; white, the colour OpenGL's raster takes with lighting off.
// @returns false when some glyph has no cell, for the lock below.
bool d3d3D::drawGlyphs()
{
    struct screenVertex {
        float x, y, z, rhw;
        float u, v;
    };
    std::vector<screenVertex> quads;
    quads.reserve(pendingText.size() * 6);
    for (const glyph& g : pendingText) {
        const int cell = atlasCell(g);
        if (cell < 0)
            return false;
        int x0 = 0, y0 = 0;
        atlasOrigin(cell, &x0, &y0);
        const float u0 = float(x0) / float(atlasW);
        const float v0 = float(y0) / float(atlasH);
        const float u1 = u0 + float(g.w) / float(atlasW);
        const float v1 = v0 + float(g.h) / float(atlasH);
        // Direct3D samples pixels at their corners: the square starts half a pixel before
        const float left = float(g.x) - 0.5f, right = left + float(g.w);
        const float top = float(targetH - (g.y + g.h)) - 0.5f, bottom = top + float(g.h);
        const screenVertex c[4] = {{left, top, 0.0f, 1.0f, u0, v0},
                                   {right, top, 0.0f, 1.0f, u1, v0},
                                   {right, bottom, 0.0f, 1.0f, u1, v1},
                                   {left, bottom, 0.0f, 1.0f, u0, v1}};
        for (int k : {0, 1, 2, 0, 2, 3})
            quads.push_back(c[k]);
    }
    if (!inSceneNow())
        return false;
    setState(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
    setState(D3DRENDERSTATE_FOGENABLE, FALSE);
    setState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
    setState(D3DRENDERSTATE_ALPHATESTENABLE, TRUE);
    setState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    setState(D3DRENDERSTATE_FILLMODE, D3DFILL_SOLID);
    setState(D3DRENDERSTATE_SPECULARENABLE, FALSE);
    failed(dev->SetTexture(0, atlas));
    dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    dev->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    dev->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    dev->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    dev->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    dev->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_POINT);
    dev->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_POINT);
    dev->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTFP_NONE);
    failed(dev->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_XYZRHW | D3DFVF_TEX1, quads.data(), DWORD(quads.size()), 0));
    // the renderer's own state again
    applyRenderStates();
    setState(D3DRENDERSTATE_SPECULARENABLE, opt.specularEnable == 1 ? TRUE : FALSE);
    useTexture();
    return true;
}

void d3d3D::flushText()
{
    flushBatch();
    if (pendingText.empty() || target == nullptr)
        return;
    if (drawGlyphs()) {
        pendingText.clear();
        return;
    }
    // no atlas: the glyphs go into the back buffer at one lock
    if (inScene) {
        dev->EndScene();
        inScene = false;
    }
    DDSURFACEDESC2 sd = {};
    sd.dwSize = sizeof sd;
    if (SUCCEEDED(target->Lock(nullptr, &sd, DDLOCK_WAIT, nullptr))) {
        const int bytes = int(sd.ddpfPixelFormat.dwRGBBitCount / 8);
        const DWORD ink = packPixel(sd.ddpfPixelFormat, 255, 255, 255, 255);
        for (const glyph& g : pendingText) {
            const int rowBytes = (g.w + 7) / 8;
            for (int r = 0; r < g.h; r++) {
                // bitmap rows run upwards from the raster position
                const int y = targetH - 1 - (g.y + r);
                if (y < 0 || y >= targetH)
                    continue;
                auto* row = static_cast<unsigned char*>(sd.lpSurface) + size_t(y) * size_t(sd.lPitch);
                for (int c = 0; c < g.w; c++) {
                    const int x = g.x + c;
                    if (x < 0 || x >= targetW)
                        continue;
                    if (g.bits[size_t(r) * size_t(rowBytes) + size_t(c / 8)] & (0x80 >> (c % 8)))
                        storePixel(row + size_t(x) * size_t(bytes), bytes, ink);
                }
            }
        }
        target->Unlock(nullptr);
    }
    pendingText.clear();
}

// --- display lists -------------------------------------------------------

void d3d3D::newList(GLuint list)
{
    flushBatch();
    if (compiling() || list == 0) {
        lastError = GL_INVALID_OPERATION;
        return;
    }
    listOpen = list;
    listOps.clear();
}

void d3d3D::endList()
{
    if (!compiling()) {
        lastError = GL_INVALID_OPERATION;
        return;
    }
    lists[listOpen] = std::move(listOps);
    listOps.clear();
    listOpen = 0;
}

void d3d3D::record(std::function<void()> op)
{
    listOps.push_back(std::move(op));
}

void d3d3D::callList(GLuint list)
{
    auto it = lists.find(list);
    if (it == lists.end())
        return;
    for (const auto& op : it->second)
        op();
}

// --- textures --------------------------------------------------------------

void d3d3D::genTextures(int n, GLuint* names)
{
    flushBatch();
    for (int i = 0; i < n; i++) {
        while (textures.count(nextName) != 0)
            nextName++;
        names[i] = nextName;
        textures[nextName] = texture();
        nextName++;
    }
}

void d3d3D::deleteTextures(int n, const GLuint* names)
{
    flushBatch();
    for (int i = 0; i < n; i++) {
        auto it = textures.find(names[i]);
        if (it == textures.end())
            continue;
        if (bound == names[i]) {
            failed(dev->SetTexture(0, nullptr));
            bound = 0;
        }
        releaseSurface(it->second);
        textures.erase(it);
    }
}

void d3d3D::bindTexture(GLuint name)
{
    bound = name;
    // name 0 is the default texture, as in OpenGL
    if (textures.count(name) == 0)
        textures[name] = texture();
    applyTexture();
}

void d3d3D::texParameter(GLenum pname, int v)
{
    texture& t = textures[bound];
    if (pname == GL_TEXTURE_WRAP_S)
        t.wrapS = GLenum(v);
    else if (pname == GL_TEXTURE_WRAP_T)
        t.wrapT = GLenum(v);
    else if (pname == GL_TEXTURE_MIN_FILTER)
        t.minFilter = GLenum(v);
    else
        return;
    applyTexture();
}

void d3d3D::texImage(int lv, int w, int h, GLenum format, const unsigned char* pixels)
{
    flushBatch();
    const int c = format == GL_RGBA ? 4 : (format == GL_RGB ? 3 : 0);
    if (c == 0 || lv < 0 || lv > 15 || w <= 0 || h <= 0 || pixels == nullptr) {
        lastError = GL_INVALID_VALUE;
        return;
    }
    texture& t = textures[bound];
    // a new first level starts the image over
    if (lv == 0)
        t.levels.clear();
    if (size_t(lv) != t.levels.size())
        return;
    level l{w, h, c, std::vector<unsigned char>(pixels, pixels + size_t(w) * size_t(h) * size_t(c))};
    t.levels.push_back(std::move(l));
    t.dirty = true;
    applyTexture();
}

void d3d3D::releaseSurface(texture& t)
{
    if (t.surface != nullptr) {
        t.surface->Release();
        t.surface = nullptr;
    }
    t.dirty = true;
}

// The image and its smaller levels into a managed texture surface of the
// chosen format: RGB images without alpha, RGBA images with it.
bool d3d3D::buildSurface(texture& t)
{
    releaseSurface(t);
    t.dirty = false;
    if (t.levels.empty() || dd == nullptr)
        return false;
    // only a chain that halves down from the first level is a mipmap chain
    size_t count = 1;
    while (count < t.levels.size()) {
        const level& a = t.levels[count - 1];
        const level& b = t.levels[count];
        const int w = a.width / 2 > 0 ? a.width / 2 : 1;
        const int h = a.height / 2 > 0 ? a.height / 2 : 1;
        if (b.width != w || b.height != h || b.components != a.components)
            break;
        count++;
    }
    const bool alpha = t.levels[0].components == 4;
    const DDPIXELFORMAT& pf = alpha ? formatRGBA : formatRGB;
    if (!found(pf))
        return false;
    if (opt.showTexFormats == 1 && !(alpha ? shownRGBA : shownRGB)) {
        out->prf("Direct3D texture format for %s images: %s\n", alpha ? "RGBA" : "RGB", alpha ? nameRGBA : nameRGB);
        (alpha ? shownRGBA : shownRGB) = true;
    }
    DDSURFACEDESC2 sd = {};
    sd.dwSize = sizeof sd;
    sd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    sd.dwWidth = DWORD(t.levels[0].width);
    sd.dwHeight = DWORD(t.levels[0].height);
    sd.ddpfPixelFormat = pf;
    sd.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    sd.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
    if (count > 1) {
        sd.dwFlags |= DDSD_MIPMAPCOUNT;
        sd.dwMipMapCount = DWORD(count);
        sd.ddsCaps.dwCaps |= DDSCAPS_MIPMAP | DDSCAPS_COMPLEX;
    }
    HRESULT hr = dd->CreateSurface(&sd, &t.surface, nullptr);
    if (FAILED(hr)) {
        failed(hr);
        out->prf("d3d3D::makeTex: can't create a %d x %d texture\n", t.levels[0].width, t.levels[0].height);
        t.surface = nullptr;
        return false;
    }
    IDirectDrawSurface7* s = t.surface;
    s->AddRef();
    for (size_t L = 0; L < count && s != nullptr; L++) {
        const level& lv = t.levels[L];
        DDSURFACEDESC2 ld = {};
        ld.dwSize = sizeof ld;
        if (SUCCEEDED(s->Lock(nullptr, &ld, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr))) {
            const int bytes = int(ld.ddpfPixelFormat.dwRGBBitCount / 8);
            const int w = int(ld.dwWidth) < lv.width ? int(ld.dwWidth) : lv.width;
            const int h = int(ld.dwHeight) < lv.height ? int(ld.dwHeight) : lv.height;
            for (int y = 0; y < h; y++) {
                auto* row = static_cast<unsigned char*>(ld.lpSurface) + size_t(y) * size_t(ld.lPitch);
                const unsigned char* src = &lv.pixels[size_t(y) * size_t(lv.width) * size_t(lv.components)];
                for (int x = 0; x < w; x++, src += lv.components) {
                    const int a = lv.components == 4 ? src[3] : 255;
                    storePixel(row + size_t(x) * size_t(bytes), bytes, packPixel(pf, src[0], src[1], src[2], a));
                }
            }
            s->Unlock(nullptr);
        }
        IDirectDrawSurface7* next = nullptr;
        if (L + 1 < count) {
            DDSCAPS2 caps = {};
            caps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_MIPMAP;
            s->GetAttachedSurface(&caps, &next);
        }
        s->Release();
        s = next;
    }
    if (s != nullptr)
        s->Release();
    return true;
}
