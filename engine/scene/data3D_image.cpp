#include "data3D.h"

#include "../console/outTxt.h"
#include "fileCloser.h"
#include "imageDecode.h"
#include "vekMemory.h"

#include <cctype>
#include <cstring>

namespace {

int findTex(const texture3D* table, int count, const char* name)
{
    for (int i = 0; i < count; i++)
        if (std::strcmp(table[i].name, name) == 0)
            return i;
    return -1;
}

}  // namespace

unsigned int data3D::getSGIchar(FILE* f)
{
    const int c = std::fgetc(f);
    return c == EOF ? 0u : unsigned(c);
}

unsigned int data3D::getSGIshort(FILE* f)
{
    const unsigned hi = getSGIchar(f);
    return hi << 8 | getSGIchar(f);
}

unsigned int data3D::getSGIlong(FILE* f)
{
    const unsigned hi = getSGIshort(f);
    return hi << 16 | getSGIshort(f);
}

texture3D* data3D::getTex2D(int i)
{
    return (i >= 0 && i < maxTextures) ? &tex[i] : nullptr;
}

texture3D* data3D::getDynTex2D(int i)
{
    return (i >= 0 && i < maxDynTextures) ? &dynTex[i] : nullptr;
}

void data3D::namePictoRgb(char* name)
{
    const size_t n = std::strlen(name);
    if (n >= 3) {
        name[n - 3] = 'r';
        name[n - 2] = 'g';
        name[n - 1] = 'b';
    }
}

int data3D::loadImage(const char* name)
{
    if (imageMode != 1)
        return load_sgi(name);
#ifdef _WIN32
    return load_BriskImage(name);
#else
    return load_BImage(name);
#endif
}

int data3D::load_BImage(const char* name)
{
    (void)name;
    return numTex - 1;
}

// Reads an uncompressed SGI image through the scratch planes into t.
// op names the calling operation in the messages. @returns 1 / 0.
int data3D::readSGI(const char* op, texture3D* t, const char* name)
{
    filePtr f(std::fopen(name, "rb"));
    if (!f) {
        out->prf("\t\t\tdata3D::%s: can't open %s\n", op, name);
        return 0;
    }
    FILE* fp = f.get();
    const unsigned magic = getSGIshort(fp);
    const unsigned storage = getSGIchar(fp);
    const unsigned bpc = getSGIchar(fp);
    const unsigned dim = getSGIshort(fp);
    const int w = int(getSGIshort(fp));
    const int h = int(getSGIshort(fp));
    const int ch = int(getSGIshort(fp));
    const unsigned pixMin = getSGIlong(fp);
    const unsigned pixMax = getSGIlong(fp);
    getSGIlong(fp);
    char picName[81] = {};
    for (int i = 0; i < 80; i++)
        picName[i] = char(getSGIchar(fp));
    for (int i = 0; i < 4 + 404; i++)
        getSGIchar(fp);
    // the format is the first thing to tell, however short the file
    if (magic != 474) {
        out->prf("data3D::%s: wrong format 1:(474)in %s\n", op, name);
        return 0;
    }
    if (std::feof(fp) || std::ferror(fp)) {
        out->prf("data3D::%s: error truncated header in %s\n", op, name);
        return 0;
    }
    if (storage != 0) {
        out->prf("data3D::%s: wrong format 2:(0) in %s\n", op, name);
        return 0;
    }
    if (bpc != 1) {
        out->prf("data3D::%s: wrong format 3:(1) in %s\n", op, name);
        return 0;
    }
    if (dim != 3) {
        out->prf("data3D::%s: wrong dimension in %s\n", op, name);
        return 0;
    }
    if (debug) {
        out->prf("data3D::%s:dimX %d\n", op, w);
        out->prf("data3D::%s:dimY %d\n", op, h);
        out->prf("data3D::%s:dimC %d\n", op, ch);
        out->prf("data3D::%s:pixMin %d\n", op, int(pixMin));
        out->prf("data3D::%s:pixMax %d\n", op, int(pixMax));
        out->prf("data3D::%s:picname %s\n", op, picName);
    }
    if (verbose)
        out->prf("\t\t\t\tdata3D::%s:dimC %d  dimX %d dimY %d\n", op, ch, w, h);
    // the planes hold 3 or 4 channels of at most maxImagePixels each
    if (ch != 3 && ch != 4) {
        out->prf("data3D::%s: wrong channels %d (3, 4) in %s\n", op, ch, name);
        return 0;
    }
    if (!imageDecode::sizeOk(w, h)) {
        out->prf("data3D::%s: wrong size %d x %d (1 .. %d pixels) in %s\n", op, w, h, maxImagePixels, name);
        return 0;
    }
    const size_t n = size_t(w) * size_t(h);
    for (int c = 0; c < ch; c++) {
        if (std::fread(plane[c], 1, n, fp) != n) {
            out->prf("data3D::%s: error truncated pixels in %s\n", op, name);
            return 0;
        }
    }
    auto pix = vekAlloc<unsigned char>(n * size_t(ch));
    if (!pix) {
        out->prf("data3D::%s(): out of memory error\n", op);
        return 0;
    }
    unsigned char* d = pix.get();
    if (ch == 3) {
        for (size_t i = 0; i < n; i++, d += 3) {
            d[0] = plane[0][i];
            d[1] = plane[1][i];
            d[2] = plane[2][i];
        }
    } else {
        for (size_t i = 0; i < n; i++, d += 4) {
            d[0] = plane[0][i];
            d[1] = plane[1][i];
            d[2] = plane[2][i];
            d[3] = plane[3][i];
        }
    }
    t->components = ch;
    t->width = w;
    t->height = h;
    t->pixels = std::move(pix);
    return 1;
}

int data3D::lookupImage(const char* op, const texture3D* table, int count, const char* name, const char* pacMiss,
                        bool mempacLine, bool reuse, const char* countName)
{
    if (pacMode) {
        const int i = findTex(table, count, name);
        if (i >= 0) {
            if (verbose && mempacLine)
                out->prf("\t\t\t\tdata3D::%s:  mempac> %s\n", op, name);
            return i;
        }
        out->prf("data3D::%s:  %s  %s\n", op, pacMiss, name);
        return -1;
    }
    if (verbose)
        out->prf("\n\t\t\t\tdata3D::%s: %s: %d\n", op, countName, count);
    if (reuse) {
        const int known = findTex(table, count, name);
        if (known >= 0) {
            if (verbose)
                out->prf("\t\t\t\tdata3D::%s:  mem> %s\n", op, name);
            return known;
        }
    }
    return -2;
}

int data3D::loadSgiInto(const char* op, texture3D* table, int* count, int capacity, const char* kind,
                        const char* pacMiss, bool reuse, const char* countName, const char* name)
{
    const int found = lookupImage(op, table, *count, name, pacMiss, true, reuse, countName);
    if (found != -2)
        return found;
    if (*count >= capacity) {
        out->prf("data3D::%s: error more than %d %s for %s\n", op, capacity, kind, name);
        return -1;
    }
    texture3D& t = table[*count];
    if (std::strlen(name) >= sizeof t.name) {
        out->prf("data3D::%s: error name longer than %d: %s\n", op, int(sizeof t.name) - 1, name);
        return -1;
    }
    std::snprintf(t.name, sizeof t.name, "%s", name);
    if (verbose)
        out->prf("\t\t\t\tdata3D::%s: load> %s\n", op, name);
    // decoded aside, so that a failed read keeps nothing half-read
    texture3D img;
    if (readSGI(op, &img, name) == 0)
        return -1;
    t.components = img.components;
    t.width = img.width;
    t.height = img.height;
    t.pixels = std::move(img.pixels);
    if (verbose)
        out->pr("\n");
    return (*count)++;
}

int data3D::load_sgi(const char* name)
{
    const int before = numTex;
    const int i = loadSgiInto("load_sgi", tex, &numTex, maxTextures, "textures", "not in mempac", true, "numTex", name);
    if (numTex > before) {
        const int bytes = tex[i].width * tex[i].height * tex[i].components;
        newTexBytes += bytes;
        totalTexBytes += bytes;
    }
    return i;
}

int data3D::load_dynsgi(const char* name)
{
    return loadSgiInto("load_dynsgi", dynTex, &numDynTex, maxDynTextures, "live textures", "not im mempac", false,
                       "numDynTex", name);
}

int data3D::setdyntex(int i, unsigned int alpha)
{
    if (i < 0 || i >= numDynTex) {
        out->prf("data3D::setdyntex: error no live texture %d\n", i);
        return 0;
    }
    const texture3D& src = dynTex[i];
    texture3D& t0 = tex[0];
    // texture 0 holds 256 x 256 RGBA pixels; a larger picture would overrun it
    const long pixels = long(src.width) * long(src.height);
    if (src.components != 4 || pixels > 256L * 256L || !src.pixels || !t0.pixels) {
        out->prf("data3D::setdyntex: error live texture %d is no RGBA picture of at most 256 x 256\n", i);
        return 0;
    }
    const unsigned char* s = src.pixels.get();
    unsigned char* d = t0.pixels.get();
    const unsigned a = alpha > 256 ? 256 : alpha;
    // two pixels a step: an odd last pixel stays as it was
    for (long k = 0; k < pixels / 2; k++, s += 8, d += 8) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
        d[3] = static_cast<unsigned char>((s[3] * a) >> 8);
        d[4] = s[4];
        d[5] = s[5];
        d[6] = s[6];
        d[7] = static_cast<unsigned char>((s[7] * a) >> 8);
    }
    t0.components = 4;
    t0.width = src.width;
    t0.height = src.height;
    return 1;
}

int data3D::load_BriskImage(const char* name)
{
    const int found = lookupImage("load_BriskImage", tex, numTex, name, "not in mempac", false, true, "numTex");
    if (found != -2)
        return found;
    if (numTex >= maxTextures || std::strlen(name) >= sizeof tex[0].name) {
        out->prf("data3D::load_BriskImage: can't load %s\n", name);
        return -1;
    }
    if (verbose)
        out->prf("\t\t\tdata3D::load_BriskImage: load> %s\n", name);
    texture3D img;
    const int r = loadBriskInto(&img, name);
    if (r <= 0) {
        if (r == 0)
            out->prf("data3D::load_BriskImage: can't load %s\n", name);
        return -1;
    }
    texture3D& t = tex[numTex];
    std::snprintf(t.name, sizeof t.name, "%s", name);
    t.components = img.components;
    t.width = img.width;
    t.height = img.height;
    t.pixels = std::move(img.pixels);
    if (verbose)
        out->prf("\t\t\t\tdata3D::load_BriskImage:dimC %d  dimX %d dimY %d\n", t.components, t.width, t.height);
    const int bytes = t.width * t.height * t.components;
    newTexBytes += bytes;
    totalTexBytes += bytes;
    return numTex++;
}

// Picks the decoder by the extension after the last dot.
// @returns 1, 0 when the image cannot be decoded, -1 when a message was already printed.
int data3D::loadBriskInto(texture3D* t, const char* name)
{
    const char* dot = std::strrchr(name, '.');
    char ext[8] = {};
    if (dot != nullptr && std::strlen(dot + 1) < sizeof ext)
        for (size_t i = 0; dot[1 + i] != '\0'; i++)
            ext[i] = char(std::tolower(static_cast<unsigned char>(dot[1 + i])));
    int (*decode)(const unsigned char*, size_t, texture3D*) = nullptr;
    if (!std::strcmp(ext, "rgb") || !std::strcmp(ext, "rgba") || !std::strcmp(ext, "sgi") || !std::strcmp(ext, "bw"))
        decode = imageDecode::sgi;
    else if (!std::strcmp(ext, "tga"))
        decode = imageDecode::tga;
    else if (!std::strcmp(ext, "ras"))
        decode = imageDecode::ras;
    if (decode == nullptr)
        return 0;

    textLines file;
    const int r = file.load(name);
    if (r == 0) {
        out->prf("\t\t\tdata3D::load_BriskImage: %s texture file not found\n", name);
        return -1;
    }
    if (r < 0) {
        out->pr("data3D::load_BriskImage(): out of memory error\n");
        return -1;
    }
    const int decoded = decode(reinterpret_cast<const unsigned char*>(file.data()), file.size(), t);
    if (decoded < 0) {
        out->pr("data3D::load_BriskImage(): out of memory error\n");
        return -1;
    }
    return decoded;
}
