// The scene store: every loaded object with its material groups, the
// texture images and the live textures, loaded from .obj/.mtl/.rgb files
// or from one package.
#ifndef KORVA_DATA3D_H
#define KORVA_DATA3D_H

#include "material3D.h"
#include "object3D.h"
#include "texture3D.h"
#include "textLines.h"

#include <cstdio>
#include <memory>

class outTxt;
class scanText;

class data3D {
public:
    static constexpr int maxObjects = 256;
    static constexpr int maxMaterials = 128;
    static constexpr int maxTextures = 512;
    static constexpr int maxDynTextures = 512;
    // vertices, normals, texture coordinates and face points of one load
    static constexpr int maxEntries = 262143;
    static constexpr int maxFacePoints = 31;
    // one scratch plane of the image reader
    static constexpr int maxImagePixels = 262145;

    explicit data3D(outTxt* console);
    data3D(const data3D&) = delete;
    data3D& operator=(const data3D&) = delete;

    // Frees every object, texture and live texture, leaves package mode and
    // creates texture 0, "dummytex.rgb", 256 x 256 RGBA.
    void init();

    // Loads an .obj model and its material library.
    // @returns the new object's index, or -1 (one console line says why).
    int load_obj(const char* path);

    // Object slot i, loaded or not; null outside 0 .. maxObjects - 1.
    object3D* getObject3D(int i);
    // How many objects are loaded; they fill slots 0 .. count - 1.
    int getNumObject() const { return numObjects; }

    // Steps of load_obj over the file read into memory. Each @returns 1, or
    // 0 after one console line, and leaves nothing half added.
    // Reads a material library into the material table, its images into
    // the textures.
    int load_mtl(const char* path);
    // Reads every v, vn and vt line into the scratch tables.
    int load_vtn(const char* path);
    // Reads the faces under every "usemtl name" and adds them as one group.
    int load_usemtl(const char* path, const char* name);
    // Reads every face of a model without materials as one group.
    int load_nomtl(const char* path);
    // Read the run of v, vn or vt lines from the current line on.
    int scan_v();
    int scan_vn();
    int scan_vt();
    // Read the run of face lines from the current line on, with texture
    // coordinates or without. @returns the number of faces read, or -1.
    int scan_poly_vtn();
    int scan_poly_vn();
    // Turns the faces read into a group of the object being loaded, in the
    // current material.
    int assemb_poly();

    // Reads an uncompressed SGI image once per init. @returns its texture index, or -1.
    int load_sgi(const char* name);
    // Reads an SGI image into the live-texture table. @returns its index, or -1.
    int load_dynsgi(const char* name);
    // Copies live texture i into texture 0 with its alpha scaled by alpha / 256.
    // @returns 1, or 0 when i is no live RGBA texture that fits texture 0.
    int setdyntex(int i, unsigned int alpha);
    // Replaces the last three characters of name with "rgb", in place.
    static void namePictoRgb(char* name);
    // Multi-format reader of image mode 1 (SGI, Targa, Sun raster). @returns index or -1.
    int load_BriskImage(const char* name);
    // Image mode 1 where no multi-format reader is used: the newest texture.
    int load_BImage(const char* name);
    // Texture or live texture slot i, loaded or not; null outside the table.
    texture3D* getTex2D(int i);
    texture3D* getDynTex2D(int i);
    int getNumTex() const { return numTex; }
    int getNumDynTex() const { return numDynTex; }

    // Big-endian reads of an SGI header; 0 for each byte past the end.
    static unsigned int getSGIlong(FILE* f);
    static unsigned int getSGIshort(FILE* f);
    static unsigned int getSGIchar(FILE* f);

    // Writes the whole store as a package. @returns 1, or 0 when the file cannot be opened.
    int save_pac(const char* path);
    // Replaces the store with a package and enters package mode. @returns 1,
    // or 0 after one console line: the store is kept when the file cannot
    // be read, and left empty (texture 0 only) when it is damaged.
    int load_pac(const char* path);

    int getNumMaterials() const { return numMat; }
    // Material i; i must be below getNumMaterials().
    const material3D& getMaterial(int i) const { return mat[i]; }
    // Bytes of every texture image loaded since init.
    long long getTotalTexBytes() const { return totalTexBytes; }
    // Triangles of the object loaded last, or of the whole package.
    int getNumTriangles() const { return numTriangles; }
    // 1 while the store comes from a package: images are then only found in it.
    int getPacMode() const { return pacMode; }

    int verbose;
    int debug;
    // 0: textures are SGI images; 1: the multi-format reader
    int imageMode;

private:
    // the steps of load_obj: scratch tables, the file's lines classified, the
    // material libraries (@returns how many, or -1), the material of a model
    // without one, and the new object's last checks
    bool allocScratch();
    int readSource(const char* path);
    int loadLibraries();
    void defaultMaterial();
    int finishObject(const char* path);
    int loadImage(const char* name);
    // What the image readers do before a file is read: in package mode the image must
    // be in memory already; outside it, a name loaded before is reused where reuse is set.
    // @returns the index found, -1 after its message, or -2 when the file is to be read.
    int lookupImage(const char* op, const texture3D* table, int count, const char* name, const char* pacMiss,
                    bool mempacLine, bool reuse, const char* countName);
    int readSGI(const char* op, texture3D* t, const char* name);
    // load_pac's last checks: texture 0 is the live textures' block and every
    // texture a group names exists. @returns null, or why the package is refused.
    const char* checkPacTextures() const;
    // load_sgi and load_dynsgi, each into its own table: the lookup, the table's
    // capacity and the name's length checked, the image read aside.
    // @returns the slot's index, or -1 after its message.
    int loadSgiInto(const char* op, texture3D* table, int* count, int capacity, const char* kind,
                    const char* pacMiss, bool reuse, const char* countName, const char* name);
    int loadBriskInto(texture3D* t, const char* name);
    // the steps of load_mtl: a new material, a texture map, a colour or
    // value; each @returns false after its message
    bool mtlNewMaterial(scanText& s, int* idx, const char* path);
    bool mtlTextureMap(scanText& s, material3D& m, const char* t, size_t n);
    bool mtlValue(scanText& s, material3D& m, const char* t, size_t n);
    int scanVecRun(const char* kind, int dims);
    int scanPolyRun(bool withTex);
    int loadGroupArrays(FILE* f, group3D* g);
    int newGroupArrays(group3D* g, int points, bool textured);
    void freeObject(object3D* o);

    outTxt* out;
    int pacMode;
    int pacCursor;
    int numObjects;
    object3D obj[maxObjects];
    texture3D tex[maxTextures];
    int numTex;
    texture3D dynTex[maxDynTextures];
    int numDynTex;
    long long totalTexBytes;
    int numTriangles;
    int newTexBytes;
    material3D mat[maxMaterials];
    int numMat;
    int curMat;

    // the current load: its text and position, and its scratch tables
    textLines src;
    int curLine;
    // object slots that may hold group arrays
    int usedSlots;
    std::unique_ptr<unsigned char[]> lineKind;
    std::unique_ptr<float[]> vx, vy, vz, nx, ny, nz, tu, tv;
    std::unique_ptr<int[]> fv, fn, ft, fCount;
    int numV, numVN, numVT;
    int numFaces, numFacePts;

    // where the usemtl lines of the current load stand, and their names
    std::unique_ptr<int[]> useLine;
    std::unique_ptr<textLines::line[]> useName;
    int numUse;

    // image planes R, G, B, A
    unsigned char plane[4][maxImagePixels];
};

#endif
