// The Direct3D renderer's textures: OpenGL's names and levels kept as
// images, built into managed surfaces of the device's formats.
#include "d3d3D.h"

#include "console/outTxt.h"
#include "d3dConvert3D.h"

#include <cstring>

using namespace d3dConvert3D;

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
