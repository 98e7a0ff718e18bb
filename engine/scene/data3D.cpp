#include "data3D.h"

#include "../console/outTxt.h"
#include "scanText.h"
#include "vekMemory.h"

#include <cmath>
#include <cstring>

long long vekMemory = 0;

namespace {

// first token of a line, classified once per load so that the per-material
// passes need not look at every line again
enum lineKindCode : unsigned char { kOther, kV, kVN, kVT, kF, kS, kG, kUsemtl, kMtllib };

unsigned char classify(const textLines::line& l)
{
    scanText s(l.begin, l.end);
    const char* t = nullptr;
    size_t n = 0;
    if (!s.token(&t, &n))
        return kOther;
    switch (n) {
    case 1:
        if (t[0] == 'v')
            return kV;
        if (t[0] == 'f')
            return kF;
        if (t[0] == 's')
            return kS;
        if (t[0] == 'g')
            return kG;
        return kOther;
    case 2:
        if (t[0] == 'v' && t[1] == 'n')
            return kVN;
        if (t[0] == 'v' && t[1] == 't')
            return kVT;
        return kOther;
    case 6:
        if (std::memcmp(t, "usemtl", 6) == 0)
            return kUsemtl;
        if (std::memcmp(t, "mtllib", 6) == 0)
            return kMtllib;
        return kOther;
    default:
        return kOther;
    }
}

// Copies token n characters at t into a terminated buffer of cap bytes.
// @returns false when it does not fit.
bool copyToken(char* dst, size_t cap, const char* t, size_t n)
{
    if (n + 1 > cap)
        return false;
    std::memcpy(dst, t, n);
    dst[n] = '\0';
    return true;
}

int lineLength(const textLines::line& l)
{
    return int(l.end - l.begin);
}

// One face line read with the point forms of the loader; items counts the
// numbers read before the first mismatch, as scanf would.
struct faceLine {
    int items = 0;
    int points = 0;
    int v[32] = {};
    int t[32] = {};
    int n[32] = {};
};

enum class faceForm { vtn, vt, vn };

// Reads up to 32 points of one form after the "f" token.
void readFace(const textLines::line& l, faceForm form, faceLine* fl)
{
    scanText s(l.begin, l.end);
    s.tokenIs("f");
    fl->items = 0;
    fl->points = 0;
    const int per = form == faceForm::vtn ? 3 : 2;
    for (int p = 0; p < 32; p++) {
        int a = 0;
        int b = 0;
        int c = 0;
        if (!s.readInt(&a))
            break;
        fl->items++;
        if (form == faceForm::vn) {
            if (!s.literal('/') || !s.literal('/') || !s.readInt(&c))
                break;
            fl->items++;
        } else {
            if (!s.literal('/') || !s.readInt(&b))
                break;
            fl->items++;
            if (form == faceForm::vtn) {
                if (!s.literal('/') || !s.readInt(&c))
                    break;
                fl->items++;
            }
        }
        fl->v[p] = a;
        fl->t[p] = b;
        fl->n[p] = c;
        fl->points = p + 1;
    }
    // a trailing partial point makes the line no face of this form
    if (fl->items % per != 0)
        fl->points = -1;
}

bool faceAccepted(const faceLine& fl)
{
    return fl.points >= 3 && fl.points <= data3D::maxFacePoints;
}

// A face line read in the form its run expects, else in the other form that
// run takes (v/t/n with v/t for a textured run, v//n with v/t/n for a plain
// one); *ownNormal is set where the face needs a normal of its own.
void readRunFace(const textLines::line& l, bool withTex, faceLine* fl, bool* ownNormal)
{
    *ownNormal = false;
    readFace(l, withTex ? faceForm::vtn : faceForm::vn, fl);
    if (faceAccepted(*fl))
        return;
    const int items = fl->items;
    readFace(l, withTex ? faceForm::vt : faceForm::vtn, fl);
    *ownNormal = withTex;
    if (!faceAccepted(*fl))
        fl->items = items;
}

// Every index names an entry that was read: 1-based, never 0 or beyond the
// count. @returns whether they do; *bad is the first that does not.
bool faceIndicesValid(const faceLine& fl, bool hasTex, bool ownNormal, int numV, int numVT, int numVN, int* bad)
{
    for (int p = 0; p < fl.points; p++) {
        if (fl.v[p] < 1 || fl.v[p] > numV) {
            *bad = fl.v[p];
            return false;
        }
        if (hasTex && (fl.t[p] < 1 || fl.t[p] > numVT)) {
            *bad = fl.t[p];
            return false;
        }
        if (!ownNormal && (fl.n[p] < 1 || fl.n[p] > numVN)) {
            *bad = fl.n[p];
            return false;
        }
    }
    return true;
}

// The unit normal of a face from its first three points, (P0 - P2) x (P1 - P2);
// where those lie on one line, Newell's sum over all its points, and straight
// up the z axis when the face has no area at all.
void faceNormal(const faceLine& fl, const float* vx, const float* vy, const float* vz, float n[3])
{
    const int pts = fl.points;
    const int i0 = fl.v[0] - 1;
    const int i1 = fl.v[1] - 1;
    const int i2 = fl.v[2] - 1;
    const double ax = double(vx[i0]) - vx[i2], ay = double(vy[i0]) - vy[i2], az = double(vz[i0]) - vz[i2];
    const double bx = double(vx[i1]) - vx[i2], by = double(vy[i1]) - vy[i2], bz = double(vz[i1]) - vz[i2];
    double cx = ay * bz - az * by;
    double cy = az * bx - ax * bz;
    double cz = ax * by - ay * bx;
    double len = std::sqrt(cx * cx + cy * cy + cz * cz);
    if (len == 0.0) {
        cx = cy = cz = 0.0;
        for (int p = 0; p < pts; p++) {
            const int a = fl.v[p] - 1;
            const int b = fl.v[(p + 1) % pts] - 1;
            cx += (double(vy[a]) - vy[b]) * (double(vz[a]) + vz[b]);
            cy += (double(vz[a]) - vz[b]) * (double(vx[a]) + vx[b]);
            cz += (double(vx[a]) - vx[b]) * (double(vy[a]) + vy[b]);
        }
        len = std::sqrt(cx * cx + cy * cy + cz * cz);
        if (len == 0.0) {
            cz = 1.0;
            len = 1.0;
        }
    }
    n[0] = float(cx / len);
    n[1] = float(cy / len);
    n[2] = float(cz / len);
}

}  // namespace

data3D::data3D(outTxt* console)
    : verbose(0), debug(0), imageMode(0), out(console), pacMode(0), pacCursor(0), numObjects(0),
      numTex(0), numDynTex(0), totalTexBytes(0), numTriangles(0), newTexBytes(0), mat{}, numMat(0),
      curMat(0), curLine(0), usedSlots(0), numV(0), numVN(0), numVT(0), numFaces(0), numFacePts(0), numUse(0), plane{}
{
    for (object3D& o : obj) {
        identityMat(&o.objMat);
        identityMat(&o.normMat);
    }
    init();
}

void data3D::freeObject(object3D* o)
{
    for (int g = 0; g < o->numGroups && g < object3D::maxGroups; g++)
        o->group[g] = group3D();
    o->numGroups = 0;
    o->render.reset();
}

void data3D::init()
{
    // only slots below usedSlots ever held arrays
    for (int i = 0; i < usedSlots; i++)
        freeObject(&obj[i]);
    usedSlots = 0;
    for (texture3D& t : tex)
        t = texture3D();
    for (texture3D& t : dynTex)
        t = texture3D();
    numObjects = 0;
    numTex = 0;
    numDynTex = 0;
    pacMode = 0;
    pacCursor = 0;
    totalTexBytes = 0;
    imageMode = 0;

    texture3D& t0 = tex[0];
    std::snprintf(t0.name, sizeof t0.name, "%s", "dummytex.rgb");
    t0.components = 4;
    t0.width = 256;
    t0.height = 256;
    t0.pixels = vekAlloc<unsigned char>(0x40000);
    if (t0.pixels)
        std::memset(t0.pixels.get(), 0, 0x40000);
    else
        out->pr("data3D::init(): out of memory error\n");
    numTex = 1;
}

object3D* data3D::getObject3D(int i)
{
    if (i < 0 || i >= maxObjects)
        return nullptr;
    return &obj[i];
}

int data3D::load_obj(const char* path)
{
    if (pacMode) {
        // the package holds a fixed list: handing out more would name no object
        if (pacCursor >= numObjects) {
            out->prf("data3D::load_obj: error no object %d in package for %s\n", pacCursor, path);
            return -1;
        }
        return pacCursor++;
    }
    if (numObjects >= maxObjects) {
        out->prf("data3D::load_obj: error too many objects (%d) for %s\n", maxObjects, path);
        return -1;
    }

    // the scratch tables live for this load only, whichever way it ends
    struct scratchGuard {
        data3D* d;
        ~scratchGuard()
        {
            for (auto* a : {&d->vx, &d->vy, &d->vz, &d->nx, &d->ny, &d->nz, &d->tu, &d->tv})
                a->reset();
            for (auto* a : {&d->fv, &d->fn, &d->ft, &d->fCount})
                a->reset();
            d->lineKind.reset();
            d->useLine.reset();
            d->useName.reset();
            d->numUse = 0;
            d->src = textLines();
        }
    } guard{this};

    if (!allocScratch()) {
        out->pr("data3D::load_obj(): out of memory error\n");
        return -1;
    }
    numTriangles = 0;
    newTexBytes = 0;
    if (verbose)
        out->prf("\ndata3D::load_obj: %s\n\n", path);
    if (readSource(path) != 1)
        return -1;

    // a failed load may have left groups in this slot
    object3D& o = obj[numObjects];
    freeObject(&o);
    if (usedSlots < numObjects + 1)
        usedSlots = numObjects + 1;

    // pass 1: material libraries
    const int libs = loadLibraries();
    if (libs < 0)
        return -1;
    if (libs == 0) {
        out->pr("data3D::load_obj:warnig no .mtl found -> use default mat\n");
        defaultMaterial();
    }

    // pass 2: vertex data
    if (load_vtn(path) == 0) {
        out->pr("data3D::load_obj: load_vtn error\n");
        return -1;
    }

    // pass 3: faces, one group per material
    if (libs > 0) {
        for (int m = 0; m < numMat; m++) {
            curMat = m;
            if (load_usemtl(path, mat[m].name) == 0) {
                out->pr("data3D::load_obj: load_usemtl error\n");
                return -1;
            }
        }
    } else {
        curMat = 0;
        if (load_nomtl(path) == 0) {
            out->pr("data3D::load_obj: load_nomtl error\n");
            return -1;
        }
    }
    return finishObject(path);
}

bool data3D::allocScratch()
{
    const size_t entries = size_t(maxEntries) + 1;
    bool ok = true;
    for (auto* a : {&vx, &vy, &vz, &nx, &ny, &nz, &tu, &tv}) {
        *a = vekAlloc<float>(entries);
        ok = ok && *a;
    }
    for (auto* a : {&fv, &fn, &ft, &fCount}) {
        *a = vekAlloc<int>(entries);
        ok = ok && *a;
    }
    return ok;
}

int data3D::readSource(const char* path)
{
    const int r = src.load(path);
    if (r == 0) {
        out->prf("data3D::load_obj: error can't open %s\n", path);
        return -1;
    }
    if (r < 0 || src.split(512) < 0) {
        out->pr("data3D::load_obj(): out of memory error\n");
        return -1;
    }

    const int lines = src.count();
    lineKind = vekAlloc<unsigned char>(size_t(lines) + 1);
    if (!lineKind) {
        out->pr("data3D::load_obj(): out of memory error\n");
        return -1;
    }
    int uses = 0;
    for (int i = 0; i < lines; i++) {
        lineKind[i] = classify(src[i]);
        uses += lineKind[i] == kUsemtl;
    }
    useLine = vekAlloc<int>(size_t(uses) + 1);
    useName = vekAlloc<textLines::line>(size_t(uses) + 1);
    if (!useLine || !useName) {
        out->pr("data3D::load_obj(): out of memory error\n");
        return -1;
    }
    numUse = 0;
    for (int i = 0; i < lines; i++) {
        if (lineKind[i] != kUsemtl)
            continue;
        scanText s(src[i].begin, src[i].end);
        const char* t = nullptr;
        size_t n = 0;
        s.token(&t, &n);
        // a usemtl without a name matches no material
        if (!s.token(&t, &n))
            continue;
        useLine[numUse] = i;
        useName[numUse] = textLines::line{t, t + n};
        numUse++;
    }
    return 1;
}

int data3D::loadLibraries()
{
    int found = 0;
    for (int i = 0; i < src.count(); i++) {
        if (lineKind[i] != kMtllib)
            continue;
        scanText s(src[i].begin, src[i].end);
        const char* t = nullptr;
        size_t n = 0;
        s.token(&t, &n);
        if (!s.token(&t, &n))
            continue;
        char lib[512];
        copyToken(lib, sizeof lib, t, n);
        found++;
        if (load_mtl(lib) == 0) {
            out->pr("data3D::load_obj: load_mtl error\n");
            return -1;
        }
    }
    return found;
}

void data3D::defaultMaterial()
{
    material3D& m = mat[0];
    std::snprintf(m.name, sizeof m.name, "%s", "default");
    m.type = 0;
    for (int c = 0; c < 3; c++) {
        m.Ka[c] = 0.3f;
        m.Kd[c] = 0.5f;
        m.Ks[c] = 0.8f;
    }
    m.Ka[3] = m.Kd[3] = m.Ks[3] = 1.0f;
    // the shininess packages of the older form fall back to
    m.Ns = 50.0f;
    m.texture = 0;
    m.texture2 = 0;
    numMat = 1;
}

int data3D::finishObject(const char* path)
{
    object3D& o = obj[numObjects];
    if (o.numGroups == 0) {
        out->pr("data3D::load_obj: error no polygons found");
        return -1;
    }
    o.render.reset(new (std::nothrow) objRender3D());
    if (!o.render) {
        out->pr("data3D::load_obj: out of memory error\n");
        return -1;
    }
    vekMemory += objRender3D::recordBytes;
    const int index = numObjects++;
    out->prf("obj:%d  %d polygons %d newtex %d materials  loaded in %s\ntotaltexKB %d\t\ttotalNum %d vekMemory %d MB\n",
             index, numTriangles, newTexBytes, numMat, path, int(totalTexBytes / 1024), numTex,
             int(vekMemory / 1048576));
    std::snprintf(o.name, sizeof o.name, "%s", path);
    return index;
}

int data3D::load_mtl(const char* path)
{
    if (verbose)
        out->prf("\n\t\tdata3D::load_mtl: %s\n\n", path);
    textLines lib;
    const int r = lib.load(path);
    if (r == 0) {
        out->prf("data3D::load_mtl: error can't open %s\n", path);
        return 0;
    }
    if (r < 0 || lib.split(256) < 0) {
        out->pr("data3D::load_mtl(): out of memory error\n");
        return 0;
    }

    int idx = -1;
    for (int i = 0; i < lib.count(); i++) {
        const textLines::line& l = lib[i];
        scanText s(l.begin, l.end);
        const char* t = nullptr;
        size_t n = 0;
        if (!s.token(&t, &n))
            continue;

        if (tokenEquals(t, n, "newmtl")) {
            if (!mtlNewMaterial(s, &idx, path))
                return 0;
            // the line after newmtl is passed over unread; stored libraries rely on it
            i++;
            continue;
        }
        // a keyword before the first material has no material to act on
        if (idx < 0)
            continue;
        const bool map = tokenEquals(t, n, "map_Kd") || tokenEquals(t, n, "map_refl") || tokenEquals(t, n, "map_bump");
        if (!(map ? mtlTextureMap(s, mat[idx], t, n) : mtlValue(s, mat[idx], t, n)))
            return 0;
    }
    numMat = idx + 1;
    return 1;
}

bool data3D::mtlNewMaterial(scanText& s, int* idx, const char* path)
{
    if (*idx + 1 >= maxMaterials) {
        out->prf("data3D::load_mtl: error more than %d materials in %s\n", maxMaterials, path);
        return false;
    }
    const char* nm = "";
    size_t nn = 0;
    s.token(&nm, &nn);
    material3D& m = mat[*idx + 1];
    if (!copyToken(m.name, sizeof m.name, nm, nn)) {
        out->prf("data3D::load_mtl: error material name longer than %d in %s\n", int(sizeof m.name) - 1, path);
        return false;
    }
    ++*idx;
    m.type = 0;
    m.Ka[3] = m.Kd[3] = m.Ks[3] = 1.0f;
    if (verbose)
        out->prf("\t\tdata3D::load_mtl: nFace: %d newmtl %s  \n", *idx, m.name);
    return true;
}

bool data3D::mtlTextureMap(scanText& s, material3D& m, const char* t, size_t n)
{
    const bool kd = tokenEquals(t, n, "map_Kd");
    const bool refl = tokenEquals(t, n, "map_refl");
    // up to 8 tokens including the keyword; the image is the last one read
    const char* file = nullptr;
    size_t fnLen = 0;
    for (int k = 1; k < 8; k++) {
        const char* tt = nullptr;
        size_t tn = 0;
        if (!s.token(&tt, &tn))
            break;
        file = tt;
        fnLen = tn;
    }
    if (kd) {
        if (m.type != 3 && m.type != 4)
            m.type = 1;
    } else if (refl) {
        m.type = 3;
        if (verbose)
            out->pr("\t\tdata3D::load_mtl: found texture + spheremap\n");
    } else {
        m.type = 4;
        if (verbose)
            out->pr("\t\tdata3D::load_mtl: found texture + bumpmap\n");
    }
    char name[512];
    int texIdx = -1;
    if (file != nullptr && copyToken(name, sizeof name, file, fnLen)) {
        texIdx = loadImage(name);
        if (texIdx < 0) {
            namePictoRgb(name);
            texIdx = loadImage(name);
        }
    }
    if (texIdx < 0) {
        out->pr("data3D::load_mtl: load texture error\n");
        return false;
    }
    if (kd)
        m.texture = texIdx;
    else
        m.texture2 = texIdx;
    return true;
}

bool data3D::mtlValue(scanText& s, material3D& m, const char* t, size_t n)
{
    float* colour = nullptr;
    const char* err = nullptr;
    if (tokenEquals(t, n, "Ka")) {
        colour = m.Ka;
        err = "data3D::load_mtl: error Ka\n";
    } else if (tokenEquals(t, n, "Kd")) {
        colour = m.Kd;
        err = "data3D::load_mtl: error Kd\n";
    } else if (tokenEquals(t, n, "Ks")) {
        colour = m.Ks;
        err = "data3D::load_mtl: error: Ks\n";
    }
    if (colour != nullptr) {
        float c[3];
        if (!s.readFloat(&c[0]) || !s.readFloat(&c[1]) || !s.readFloat(&c[2])) {
            out->pr(err);
            return false;
        }
        colour[0] = c[0];
        colour[1] = c[1];
        colour[2] = c[2];
    } else if (tokenEquals(t, n, "Ns")) {
        float v = 0.0f;
        if (!s.readFloat(&v)) {
            out->pr("data3D::load_mtl: error: Ns\n");
            return false;
        }
        m.Ns = v;
    } else if (tokenEquals(t, n, "refl")) {
        m.type = 2;
        if (verbose)
            out->pr("\t\tdata3D::load_mtl: found spheremap\n");
    }
    return true;
}

int data3D::load_vtn(const char* path)
{
    numV = numVN = numVT = 0;
    if (verbose)
        out->prf("\n\t\tdata3D::load_vtn: %s\n\n", path);
    curLine = 0;
    const int lines = src.count();
    while (curLine < lines) {
        const unsigned char k = lineKind[curLine];
        if (k != kV && k != kVN && k != kVT) {
            curLine++;
            continue;
        }
        const textLines::line& l = src[curLine];
        scanText s(l.begin, l.end);
        s.skipToken();
        float f[3];
        const int need = k == kVT ? 2 : 3;
        bool match = true;
        for (int c = 0; c < need && match; c++)
            match = s.readFloat(&f[c]);
        if (!match) {
            curLine++;
            continue;
        }
        if (k == kV && scan_v() == 0) {
            out->pr("data3D::load: error scanning  v\n");
            return 0;
        }
        if (k == kVN && scan_vn() == 0) {
            out->pr("data3D::load: error scanning  vn\n");
            return 0;
        }
        if (k == kVT && scan_vt() == 0) {
            out->pr("data3D::load: error scanning  vt\n");
            return 0;
        }
    }
    return 1;
}

int data3D::scan_v()
{
    return scanVecRun("v", 3);
}

int data3D::scan_vn()
{
    return scanVecRun("vn", 3);
}

int data3D::scan_vt()
{
    return scanVecRun("vt", 2);
}

// Reads the run of consecutive lines of one kind from the current line on
// and leaves the first line of another kind current.
int data3D::scanVecRun(const char* kind, int dims)
{
    const unsigned char code = dims == 2 ? kVT : (kind[1] == 'n' ? kVN : kV);
    int* count = code == kV ? &numV : (code == kVN ? &numVN : &numVT);
    float* a = code == kV ? vx.get() : (code == kVN ? nx.get() : tu.get());
    float* b = code == kV ? vy.get() : (code == kVN ? ny.get() : tv.get());
    float* c = code == kV ? vz.get() : (code == kVN ? nz.get() : nullptr);

    const int lines = src.count();
    int run = 0;
    while (curLine < lines && lineKind[curLine] == code) {
        const textLines::line& l = src[curLine];
        scanText s(l.begin, l.end);
        s.skipToken();
        float f[3] = {0.0f, 0.0f, 0.0f};
        bool match = true;
        for (int k = 0; k < dims && match; k++)
            match = s.readFloat(&f[k]);
        if (!match)
            break;
        const int i = *count;
        a[i] = f[0];
        b[i] = f[1];
        if (c != nullptr)
            c[i] = f[2];
        if (debug) {
            if (dims == 3)
                out->prf("%d\t %s %f %f %f\n", i, kind, double(f[0]), double(f[1]), double(f[2]));
            else
                out->prf("%d\t %s %f %f\n", i, kind, double(f[0]), double(f[1]));
        }
        (*count)++;
        if (*count > maxEntries) {
            out->prf("max %s overflow\n", kind);
            return 0;
        }
        run++;
        curLine++;
    }
    if (run == 0) {
        out->prf("data3D::scan_%s(): error no %s read\n", kind, kind);
        return 0;
    }
    if (verbose)
        out->prf("\t\t\t\tscanned %d x %s of %d\n", run, kind, *count);
    if (curLine >= lines)
        out->prf("data3D::scan_%s(): end of file\n", kind);
    return 1;
}

int data3D::load_usemtl(const char* path, const char* name)
{
    numFaces = numFacePts = 0;
    if (verbose)
        out->prf("\n\t\tdata3D::load_usemtl: %s %s\n\n", path, name);
    const bool withTex = mat[curMat].type == 1 || mat[curMat].type == 3 || mat[curMat].type == 4;
    const int lines = src.count();
    int pos = 0;
    for (int u = 0; u < numUse; u++) {
        const int at = useLine[u];
        // lines already read by a face run are not looked at again
        if (at < pos)
            continue;
        const textLines::line& nm = useName[u];
        if (!tokenEquals(nm.begin, size_t(nm.end - nm.begin), name)) {
            pos = at + 1;
            continue;
        }
        int j = at + 1;
        while (j < lines && lineKind[j] != kF && lineKind[j] != kS && lineKind[j] != kUsemtl)
            j++;
        if (j >= lines) {
            out->pr("data3D::load_usemtl: error read line\n");
            break;
        }
        curLine = j;
        if (withTex) {
            if (scan_poly_vtn() < 0) {
                out->pr("data3D::load_usemtl: error scanning f 1/2/3 poly_vtn\n");
                return 0;
            }
        } else if (scan_poly_vn() < 0) {
            out->pr("data3D::load_usemtl: error scanning f 1//2 poly_vn\n");
            return 0;
        }
        // the line that ended the run is looked at again
        pos = curLine;
    }
    if (numFaces > 0)
        return assemb_poly();
    return 1;
}

int data3D::load_nomtl(const char* path)
{
    numFaces = numFacePts = 0;
    if (verbose)
        out->prf("\n\t\tdata3D::load_nomtl: %s \n\n", path);
    const int lines = src.count();
    int i = 0;
    while (i < lines) {
        if (lineKind[i] != kF) {
            i++;
            continue;
        }
        curLine = i;
        if (scan_poly_vn() < 0) {
            out->pr("data3D::load_nomtl: error scanning f 1//2 poly_vn\n");
            return 0;
        }
        i = curLine > i ? curLine : i + 1;
    }
    if (numFaces > 0)
        return assemb_poly();
    return 1;
}

int data3D::scan_poly_vtn()
{
    return scanPolyRun(true);
}

int data3D::scan_poly_vn()
{
    return scanPolyRun(false);
}

// Reads the run of face lines from the current line on into the face-point
// tables; s and g lines inside the run are passed over.
int data3D::scanPolyRun(bool withTex)
{
    const char* op = withTex ? "scan_poly_vtn" : "scan_poly_vn";
    const int lines = src.count();
    int faces = 0;
    faceLine fl;
    while (curLine < lines) {
        const unsigned char k = lineKind[curLine];
        if (k == kS || k == kG) {
            curLine++;
            continue;
        }
        if (k != kF)
            break;
        const textLines::line& l = src[curLine];

        const bool hasTex = withTex;
        bool computeNormal = false;
        readRunFace(l, withTex, &fl, &computeNormal);
        if (!faceAccepted(fl)) {
            out->prf("data3D::%s(): warning: unknown f polyline type %d\n%.*s\n", op, fl.items, lineLength(l),
                     l.begin);
            curLine++;
            continue;
        }
        if (computeNormal)
            out->pr("warning: found f 1/1  2/2  3/3\t NO NORMALS\n");

        const int pts = fl.points;
        if (numFacePts + pts > maxEntries) {
            out->pr("max f .. points overflow\n");
            return -1;
        }
        int bad = 0;
        if (!faceIndicesValid(fl, hasTex, computeNormal, numV, numVT, numVN, &bad)) {
            out->prf("data3D::%s(): index error %d\n", op, bad);
            return -1;
        }
        if (computeNormal) {
            if (numVN + 1 > maxEntries) {
                out->pr("max vn overflow\n");
                return -1;
            }
            float n[3];
            faceNormal(fl, vx.get(), vy.get(), vz.get(), n);
            nx[numVN] = n[0];
            ny[numVN] = n[1];
            nz[numVN] = n[2];
            numVN++;
            for (int p = 0; p < pts; p++)
                fl.n[p] = numVN;
        }

        if (debug) {
            out->prf(withTex ? "%d\t poly_vtn  " : "%d\t poly_vn  ", numFaces);
            for (int p = 0; p < pts; p++) {
                if (withTex)
                    out->prf("%d/%d/%d  ", fl.v[p], fl.t[p], fl.n[p]);
                else
                    out->prf("%d//%d  ", fl.v[p], fl.n[p]);
            }
            out->pr("\n");
        }
        fCount[numFaces] = pts;
        for (int p = 0; p < pts; p++) {
            fv[numFacePts + p] = fl.v[p] - 1;
            fn[numFacePts + p] = fl.n[p] - 1;
            ft[numFacePts + p] = hasTex ? fl.t[p] - 1 : 0;
        }
        numFacePts += pts;
        numFaces++;
        faces++;
        curLine++;
    }
    if (curLine >= lines) {
        if (withTex)
            out->pr("data3D::scan_poly_vtn:warning end of file\n");
        else
            out->pr("data3D::scan_poly_vn: end of file\n");
    } else if (verbose) {
        out->prf("\t\t\t\tscanned %d x f polyline of %d\n", faces, numFaces);
    }
    return faces;
}

int data3D::newGroupArrays(group3D* g, int points, bool textured)
{
    const size_t n3 = size_t(points) * 3;
    g->pointCount = vekAlloc<int>(size_t(g->numPoly));
    g->vertex = vekAlloc<float>(n3);
    g->normal = vekAlloc<float>(n3);
    g->xVertex = vekAlloc<float>(n3);
    g->xNormal = vekAlloc<float>(n3);
    bool ok = g->pointCount && g->vertex && g->normal && g->xVertex && g->xNormal;
    g->texCoord.reset();
    g->texCoord2.reset();
    if (textured) {
        g->texCoord = vekAlloc<float>(size_t(points) * 2);
        g->texCoord2 = vekAlloc<float>(size_t(points) * 2);
        ok = ok && g->texCoord && g->texCoord2;
    }
    return ok ? 1 : 0;
}

int data3D::assemb_poly()
{
    if (verbose)
        out->pr("\t\t\t\tdata3D::assemb_poly()\n");
    object3D& o = obj[numObjects];
    if (o.numGroups >= object3D::maxGroups) {
        out->prf("data3D::assemb_poly(): error more than %d groups\n", object3D::maxGroups);
        return 0;
    }
    for (int f = 0; f < numFaces; f++)
        numTriangles += fCount[f] - 2;

    const material3D& m = mat[curMat];
    group3D& g = o.group[o.numGroups];
    g.type = m.type;
    g.texture = m.texture;
    g.texture2 = m.texture2;
    std::memcpy(g.Ka, m.Ka, sizeof g.Ka);
    std::memcpy(g.Kd, m.Kd, sizeof g.Kd);
    std::memcpy(g.Ks, m.Ks, sizeof g.Ks);
    g.Ns = m.Ns;
    g.numPoly = numFaces;
    g.numPoints = numFacePts;
    if (newGroupArrays(&g, numFacePts, g.textured()) == 0) {
        out->pr("data3D::assemb_poly(): out of memory error\n");
        return 0;
    }

    std::memcpy(g.pointCount.get(), fCount.get(), size_t(numFaces) * sizeof(int));
    for (int p = 0; p < numFacePts; p++) {
        const int v = fv[p];
        const int n = fn[p];
        g.vertex[p * 3 + 0] = vx[v];
        g.vertex[p * 3 + 1] = vy[v];
        g.vertex[p * 3 + 2] = vz[v];
        g.normal[p * 3 + 0] = nx[n];
        g.normal[p * 3 + 1] = ny[n];
        g.normal[p * 3 + 2] = nz[n];
    }
    if (g.textured()) {
        for (int p = 0; p < numFacePts; p++) {
            g.texCoord[p * 2 + 0] = tu[ft[p]];
            g.texCoord[p * 2 + 1] = tv[ft[p]];
        }
    }
    o.numGroups++;

    if (debug) {
        out->prf("Material: %s\n", m.name);
        out->prf("end mat: a: %f %f %f\n", double(g.Ka[0]), double(g.Ka[1]), double(g.Ka[2]));
        out->prf("end mat: d: %f %f %f\n", double(g.Kd[0]), double(g.Kd[1]), double(g.Kd[2]));
        out->prf("end mat: s: %f %f %f\n", double(g.Ks[0]), double(g.Ks[1]), double(g.Ks[2]));
        out->prf("polyType %d\n", g.type);
        for (size_t p = 0; p < size_t(numFacePts); p++)
            out->prf("end vec    \t%d  %f %f %f\n", int(p), double(g.vertex[p * 3]), double(g.vertex[p * 3 + 1]),
                     double(g.vertex[p * 3 + 2]));
        for (size_t p = 0; p < size_t(numFacePts); p++)
            out->prf("end norms\t%d %f %f %f\n", int(p), double(g.normal[p * 3]), double(g.normal[p * 3 + 1]),
                     double(g.normal[p * 3 + 2]));
        if (g.textured())
            for (size_t p = 0; p < size_t(numFacePts); p++)
                out->prf("end texc   \t%d %f %f\n", int(p), double(g.texCoord[p * 2]), double(g.texCoord[p * 2 + 1]));
    }
    return 1;
}
