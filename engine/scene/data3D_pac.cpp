#include "data3D.h"

#include "../console/outTxt.h"
#include "fileCloser.h"
#include "imageDecode.h"
#include "vekMemory.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

constexpr bool hostLittle = std::endian::native == std::endian::little;

void swap4(void* p, size_t n)
{
    auto* b = static_cast<unsigned char*>(p);
    for (size_t i = 0; i < n; i++, b += 4) {
        std::swap(b[0], b[3]);
        std::swap(b[1], b[2]);
    }
}

// Little-endian writer that remembers whether every write went through.
struct pacWriter {
    FILE* f;
    bool ok = true;

    void raw(const void* p, size_t n)
    {
        if (n > 0 && std::fwrite(p, 1, n, f) != n)
            ok = false;
    }
    void words(const void* p, size_t n)
    {
        if (hostLittle) {
            raw(p, n * 4);
            return;
        }
        unsigned char buf[4096];
        const auto* s = static_cast<const unsigned char*>(p);
        while (n > 0) {
            const size_t k = n < sizeof buf / 4 ? n : sizeof buf / 4;
            std::memcpy(buf, s, k * 4);
            swap4(buf, k);
            raw(buf, k * 4);
            s += k * 4;
            n -= k;
        }
    }
    void one(int v) { words(&v, 1); }
};

// Little-endian reader that never reads past the bytes the file holds.
struct pacReader {
    FILE* f;
    long long left;

    bool raw(void* p, size_t n)
    {
        if (static_cast<unsigned long long>(left) < n)
            return false;
        if (n > 0 && std::fread(p, 1, n, f) != n)
            return false;
        left -= static_cast<long long>(n);
        return true;
    }
    bool words(void* p, size_t n)
    {
        if (n > static_cast<size_t>(left) / 4 || !raw(p, n * 4))
            return false;
        if (!hostLittle)
            swap4(p, n);
        return true;
    }
    bool one(int* v) { return words(v, 1); }
    // @returns whether n elements of size bytes can still be in the file
    bool holds(long long n, long long size) const { return n >= 0 && n <= left / size; }
};

// showThrough: the table's first texture is the 256 x 256 RGBA block that the live
// textures are copied into; it is written whole, whatever picture it shows now
void writeTextures(pacWriter* w, const texture3D* table, int count, bool showThrough)
{
    w->one(count);
    for (int i = 0; i < count; i++) {
        const texture3D& t = table[i];
        const bool whole = showThrough && i == 0;
        const int components = whole ? 4 : t.components;
        const int width = whole ? 256 : t.width;
        const int height = whole ? 256 : t.height;
        w->raw(t.name, sizeof t.name);
        w->one(components);
        w->one(width);
        w->one(height);
        if (t.pixels)
            w->raw(t.pixels.get(), size_t(width) * size_t(height) * size_t(components));
    }
}

}  // namespace

int data3D::save_pac(const char* path)
{
    filePtr f(std::fopen(path, "wb"));
    if (!f) {
        out->prf("data3D::save_pac: error can't open %s\n", path);
        return 0;
    }
    pacWriter w{f.get()};
    w.one(numObjects);
    for (int i = 0; i < numObjects; i++) {
        const object3D& o = obj[i];
        const int G = o.numGroups;
        w.one(G);
        w.raw(o.name, sizeof o.name);
        for (int g = 0; g < G; g++)
            w.one(o.group[g].numPoly);
        for (int g = 0; g < G; g++)
            w.one(o.group[g].type);
        for (int g = 0; g < G; g++)
            w.one(o.group[g].texture);
        for (int g = 0; g < G; g++)
            w.one(o.group[g].texture2);
        for (int g = 0; g < G; g++)
            w.words(o.group[g].Ka, 4);
        for (int g = 0; g < G; g++)
            w.words(o.group[g].Kd, 4);
        for (int g = 0; g < G; g++)
            w.words(o.group[g].Ks, 4);
        for (int g = 0; g < G; g++) {
            const group3D& gr = o.group[g];
            const size_t Q = size_t(gr.numPoints);
            w.words(gr.pointCount.get(), size_t(gr.numPoly));
            w.words(gr.vertex.get(), Q * 3);
            w.words(gr.normal.get(), Q * 3);
            if (gr.textured())
                w.words(gr.texCoord.get(), Q * 2);
        }
    }
    writeTextures(&w, tex, numTex, true);
    writeTextures(&w, dynTex, numDynTex, false);
    for (int i = 0; i < numObjects; i++)
        for (int g = 0; g < obj[i].numGroups; g++)
            w.words(&obj[i].group[g].Ns, 1);
    // a full disk must not pass for a written package
    const bool closed = std::fclose(f.release()) == 0;
    if (!w.ok || !closed) {
        out->prf("data3D::save_pac: error writing %s\n", path);
        return 0;
    }
    return 1;
}

namespace {

// allocates an array of a group, or says which one memory was short for
template <class T>
bool allocArray(std::unique_ptr<T[]>* p, size_t n, const char* line, outTxt* out)
{
    *p = vekAlloc<T>(n);
    if (!*p)
        out->pr(line);
    return bool(*p);
}

// The heads of an object's groups: counts, material types, textures, colours.
// @returns null, or why the package is refused.
const char* readGroupHeads(pacReader* rd, object3D* o, int G)
{
    int head[4][object3D::maxGroups];
    float colour[3][object3D::maxGroups][4];
    for (auto& h : head)
        if (!rd->words(h, size_t(G)))
            return "file ends early";
    for (auto& c : colour)
        if (!rd->words(c, size_t(G) * 4))
            return "file ends early";
    for (int g = 0; g < G; g++) {
        group3D& gr = o->group[g];
        gr.numPoly = head[0][g];
        gr.type = head[1][g];
        gr.texture = head[2][g];
        gr.texture2 = head[3][g];
        std::memcpy(gr.Ka, colour[0][g], sizeof gr.Ka);
        std::memcpy(gr.Kd, colour[1][g], sizeof gr.Kd);
        std::memcpy(gr.Ks, colour[2][g], sizeof gr.Ks);
        if (gr.type < 0 || gr.type > 4)
            return "material type out of range";
        if (!rd->holds(gr.numPoly, 4))
            return "polygon count out of range";
    }
    return nullptr;
}

// A group's polygons, points, normals and texture coordinates, with the
// renderer's work arrays beside them. @returns null, or why the package is refused.
const char* readGroupArrays(pacReader* rd, group3D* gr, int maxPoints, outTxt* out)
{
    if (!allocArray(&gr->pointCount, size_t(gr->numPoly), "data3D::load_pac(): out of memory error1\n", out))
        return "out of memory";
    if (!rd->words(gr->pointCount.get(), size_t(gr->numPoly)))
        return "file ends early";
    long long Q = 0;
    for (int p = 0; p < gr->numPoly; p++) {
        const int c = gr->pointCount[p];
        if (c < 3 || c > maxPoints)
            return "polygon point count out of range";
        Q += c;
    }
    const long long perPoint = gr->textured() ? 32 : 24;
    if (!rd->holds(Q, perPoint))
        return "point count beyond the file";
    gr->numPoints = int(Q);
    const size_t n3 = size_t(Q) * 3;
    const size_t n2 = size_t(Q) * 2;
    if (!allocArray(&gr->vertex, n3, "data3D::load_pac(): out of memory error1\n", out))
        return "out of memory";
    if (!rd->words(gr->vertex.get(), n3))
        return "file ends early";
    if (!allocArray(&gr->xVertex, n3, "data3D::load_pac(): out of memory error2\n", out) ||
        !allocArray(&gr->normal, n3, "data3D::load_pac(): out of memory error3\n", out))
        return "out of memory";
    if (!rd->words(gr->normal.get(), n3))
        return "file ends early";
    if (!allocArray(&gr->xNormal, n3, "data3D::load_pac(): out of memory error4\n", out))
        return "out of memory";
    if (!gr->textured())
        return nullptr;
    if (!allocArray(&gr->texCoord, n2, "data3D::load_pac(): out of memory error5\n", out))
        return "out of memory";
    if (!rd->words(gr->texCoord.get(), n2))
        return "file ends early";
    if (!allocArray(&gr->texCoord2, n2, "data3D::load_pac(): out of memory error6\n", out))
        return "out of memory";
    return nullptr;
}

// One table of textures in its block form; *count grows with each texture
// read whole, so that a failure frees what was read. @returns null, or why
// the package is refused.
const char* readTextureTable(pacReader* rd, texture3D* table, int* count, int capacity, bool shownThrough,
                             outTxt* out)
{
    int T = 0;
    if (!rd->one(&T))
        return "file ends early";
    // texture 0 is the one the live textures are shown through
    if (T < (shownThrough ? 1 : 0) || T > capacity)
        return shownThrough ? "texture count out of range" : "live texture count out of range";
    for (int i = 0; i < T; i++) {
        texture3D& t = table[i];
        int dims[3];
        if (!rd->raw(t.name, sizeof t.name) || !rd->words(dims, 3))
            return "file ends early";
        t.name[sizeof t.name - 1] = '\0';
        t.components = dims[0];
        t.width = dims[1];
        t.height = dims[2];
        if ((t.components != 3 && t.components != 4) || !imageDecode::sizeOk(t.width, t.height))
            return "texture size out of range";
        const size_t bytes = size_t(t.width) * size_t(t.height) * size_t(t.components);
        if (!rd->holds(static_cast<long long>(bytes), 1))
            return "file ends early";
        if (!allocArray(&t.pixels, bytes, "data3D::load_pac(): out of memory error\n", out))
            return "out of memory";
        if (!rd->raw(t.pixels.get(), bytes))
            return "file ends early";
        *count = i + 1;
    }
    return nullptr;
}

// The shininess of every group, the last section; a package of before it
// gets the old default. @returns null, or why the package is refused.
const char* readShininess(pacReader* rd, object3D* objs, int count, outTxt* out)
{
    // a package without groups has an empty shininess section in either form
    int groups = 0;
    for (int i = 0; i < count; i++)
        groups += objs[i].numGroups;
    if (rd->left == 0 && groups > 0) {
        out->pr("Warnig: old *.pac (< v1.5) file found, but Korvane will work\n");
        for (int i = 0; i < count; i++)
            for (int g = 0; g < objs[i].numGroups; g++)
                objs[i].group[g].Ns = 50.0f;
        return nullptr;
    }
    for (int i = 0; i < count; i++)
        for (int g = 0; g < objs[i].numGroups; g++)
            if (!rd->words(&objs[i].group[g].Ns, 1))
                return "file ends early in the shininess section";
    return nullptr;
}

}  // namespace

int data3D::load_pac(const char* path)
{
    filePtr f(std::fopen(path, "rb"));
    if (!f) {
        out->prf("data3D::load_pac: error can't open %s\n", path);
        return 0;
    }
    long long fileSize = -1;
    if (std::fseek(f.get(), 0, SEEK_END) == 0)
        fileSize = std::ftell(f.get());
    if (fileSize < 0 || std::fseek(f.get(), 0, SEEK_SET) != 0) {
        out->prf("data3D::load_pac: error can't read %s\n", path);
        return 0;
    }
    pacReader rd{f.get(), fileSize};

    // the package replaces the whole store; what it held is released first
    const int keepImageMode = imageMode;
    init();
    tex[0] = texture3D();
    numTex = 0;
    imageMode = keepImageMode;

    // a damaged package leaves an empty store behind, not a half-read one
    auto fail = [&](const char* why) {
        out->prf("data3D::load_pac: error %s in %s\n", why, path);
        init();
        imageMode = keepImageMode;
        return 0;
    };

    int N = 0;
    if (!rd.one(&N))
        return fail("file ends early");
    if (N < 0 || N > maxObjects)
        return fail("object count out of range");
    for (int i = 0; i < N; i++) {
        object3D& o = obj[i];
        usedSlots = i + 1;
        int G = 0;
        if (!rd.one(&G))
            return fail("file ends early");
        if (G < 0 || G > object3D::maxGroups)
            return fail("group count out of range");
        if (!rd.raw(o.name, sizeof o.name))
            return fail("file ends early");
        o.name[sizeof o.name - 1] = '\0';
        if (const char* why = readGroupHeads(&rd, &o, G))
            return fail(why);
        o.numGroups = G;
        for (int g = 0; g < G; g++)
            if (const char* why = readGroupArrays(&rd, &o.group[g], maxFacePoints, out))
                return fail(why);
        o.render.reset(new (std::nothrow) objRender3D());
        if (!o.render) {
            out->pr("data3D::load_obj: out of memory error\n");
            return fail("out of memory");
        }
        vekMemory += objRender3D::recordBytes;
    }
    numObjects = N;

    // textures, then live textures, in the same block form
    if (const char* why = readTextureTable(&rd, tex, &numTex, maxTextures, true, out))
        return fail(why);
    if (const char* why = readTextureTable(&rd, dynTex, &numDynTex, maxDynTextures, false, out))
        return fail(why);
    if (const char* why = checkPacTextures())
        return fail(why);
    if (const char* why = readShininess(&rd, obj, numObjects, out))
        return fail(why);

    totalTexBytes = 0;
    for (int i = 1; i < numTex; i++)
        totalTexBytes += static_cast<long long>(tex[i].width) * tex[i].height * tex[i].components;
    pacMode = 1;
    return 1;
}

const char* data3D::checkPacTextures() const
{
    // texture 0 must stay a 256 x 256 RGBA block for the live textures
    if (tex[0].components != 4 || tex[0].width * tex[0].height != 256 * 256)
        return "texture 0 is no 256 x 256 RGBA block";
    // every texture a group draws with must exist
    for (int i = 0; i < numObjects; i++) {
        for (int g = 0; g < obj[i].numGroups; g++) {
            const group3D& gr = obj[i].group[g];
            const bool usesSecond = gr.type == 3 || gr.type == 4;
            if ((gr.type != 0 && (gr.texture < 0 || gr.texture >= numTex)) ||
                (usesSecond && (gr.texture2 < 0 || gr.texture2 >= numTex)))
                return "texture index out of range";
        }
    }
    return nullptr;
}
