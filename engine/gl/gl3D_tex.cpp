#include "gl3D.h"

#include "console/outTxt.h"
#include "glApi3D.h"
#include "scene/data3D.h"

#include <new>

void gl3D::setTexParams(int wrapByClamp)
{
    // GL_CLAMP filters the edge texels with the black border: a face whose coordinates run past
    // the texture shows its edge at half brightness, where Direct3D's clamp shows the edge itself
    constexpr GLint clampToEdge = 0x812F;  // GL_CLAMP_TO_EDGE, which OpenGL 1.1's headers lack
    const GLint clamp = edgeClamp == 1 ? clampToEdge : GLint(GL_CLAMP);
    const GLint wrap = (wrapByClamp && texClamp == 1) ? clamp : GL_REPEAT;
    const GLint filter = texLinear == 1 ? GL_LINEAR : GL_NEAREST;
    gl->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    gl->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    gl->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    gl->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    gl->TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

int gl3D::makeTex(data3D* d)
{
    // a scene loaded again brings its own images
    if (texNames && numTexNames > 0)
        gl->DeleteTextures(numTexNames, texNames.get());
    texNames.reset();
    numTexNames = 0;
    texMade = 0;

    const int n = d->getNumTex();
    texNames.reset(new (std::nothrow) unsigned[size_t(n > 0 ? n : 1)]);
    if (!texNames) {
        out->pr("gl3D::makeTex: out of memory error\n");
        return 1;
    }
    numTexNames = n;
    for (int i = 0; i < n; i++)
        texNames[i] = unsigned(i + 1);
    gl->GenTextures(n, texNames.get());
    for (int i = 0; i < n; i++) {
        const texture3D* t = d->getTex2D(i);
        gl->BindTexture(GL_TEXTURE_2D, texNames[i]);
        gl->PixelStorei(GL_UNPACK_ALIGNMENT, 1);
        setTexParams(1);
        if (t != nullptr && t->pixels)
            makeGLTex(t->components, t->width, t->height, t->pixels.get());
    }
    texMade = 1;
    return 1;
}

int gl3D::makeGLTex(int c, int w, int h, const unsigned char* p)
{
    if ((c != 3 && c != 4) || p == nullptr || w <= 0 || h <= 0)
        return 1;
    const GLenum format = c == 4 ? GL_RGBA : GL_RGB;
    gl->TexImage2D(GL_TEXTURE_2D, 0, c, w, h, 0, format, GL_UNSIGNED_BYTE, p);
    if (mipmap != 1)
        return 1;

    std::unique_ptr<unsigned char[]> buf(new (std::nothrow) unsigned char[size_t(w) * size_t(h) * size_t(c)]);
    if (!buf) {
        out->pr("data3D::load_sgi(): out of memory error\n");
        return 0;
    }
    int levels = 0;
    for (int m = w > h ? w : h; m > 1; m >>= 1)
        levels++;
    for (int L = 1; L <= levels; L++) {
        const int f = 1 << L;
        // a side that has run out keeps one row or column, sampled like the others
        const int lw = w / f > 0 ? w / f : 1;
        const int lh = h / f > 0 ? h / f : 1;
        unsigned char* dst = buf.get();
        for (int y = 0; y < lh; y++) {
            for (int x = 0; x < lw; x++) {
                const unsigned char* src = p + (size_t(y) * size_t(f) * size_t(w) + size_t(x) * size_t(f)) * size_t(c);
                for (int k = 0; k < c; k++)
                    *dst++ = src[k];
            }
        }
        gl->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, texLinear == 1 ? GL_LINEAR : GL_NEAREST);
        gl->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                        texLinear == 1 ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST);
        gl->TexImage2D(GL_TEXTURE_2D, L, c, lw, lh, 0, format, GL_UNSIGNED_BYTE, buf.get());
    }
    return 1;
}

int gl3D::setTex(int i, data3D* d)
{
    if (i == curTex)
        return 1;
    curTex = i;
    const texture3D* t = d->getTex2D(i);
    if (t == nullptr || !t->pixels)
        return 0;
    if (t->components == 4) {
        if (blending == 0)
            blendOn();
        if (cullFace == 1 && blendCullFaceOffFlag == 1)
            twoSideLightOn();
    }
    if (t->components == 3) {
        if (blending == 1)
            blendOff();
        if (cullFace == 0)
            twoSideLightOff();
    }
    if (texPerUse == 1) {
        setTexParams(0);
        makeGLTex(t->components, t->width, t->height, t->pixels.get());
        return 1;
    }
    if (texMade == 1 && i < numTexNames) {
        gl->BindTexture(GL_TEXTURE_2D, texNames[i]);
        return 1;
    }
    return 0;
}

int gl3D::updateSingleTex(data3D* d, int i)
{
    const texture3D* t = d->getTex2D(i);
    if (!texNames || i < 0 || i >= numTexNames || t == nullptr)
        return 1;
    gl->BindTexture(GL_TEXTURE_2D, texNames[i]);
    setTexParams(1);
    makeGLTex(t->components, t->width, t->height, t->pixels.get());
    return 1;
}
