// The Direct3D renderer's primitives, text and display lists: begin and
// end gathered into batches, bitmaps through a glyph atlas, lists as
// recorded calls.
#include "d3d3D.h"

#include "d3dConvert3D.h"

#include <cmath>

using namespace d3dConvert3D;

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
