#include "d3d3D.h"

#include "console/outTxt.h"
#include "d3dConvert3D.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace d3dConvert3D;

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

void d3d3D::finish()
{
    endFrame();
    if (target == nullptr)
        return;
    // a lock of the target waits for every drawing into it
    DDSURFACEDESC2 sd = {};
    sd.dwSize = sizeof sd;
    if (SUCCEEDED(target->Lock(nullptr, &sd, DDLOCK_WAIT | DDLOCK_READONLY, nullptr)))
        target->Unlock(nullptr);
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
