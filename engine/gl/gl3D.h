// The OpenGL 1.1 renderer: window and view, camera, lights, fog, materials,
// render-state switches, object drawing, texture upload and the per-frame
// statistics.
#ifndef KORVA_GL3D_H
#define KORVA_GL3D_H

#include "glApi3D.h"
#include "glWindow3D.h"
#include "math/matrix_4.h"
#include "math/vec_4.h"

#include <cstddef>
#include <memory>

class outTxt;
class data3D;
struct group3D;
struct object3D;
struct objRender3D;
struct materialMirror3D;

class gl3D {
public:
    static constexpr int maxTexFlags = 512;
    // curTex when nothing is bound
    static constexpr int noTex = 32000;

    explicit gl3D(outTxt* console);
    gl3D(const gl3D&) = delete;
    gl3D& operator=(const gl3D&) = delete;
    ~gl3D();

    // Resets the state mirrors, colours and statistics to their defaults.
    void init();
    // The windowing layer every instance opens its window through.
    static void setWindowSystem(const glWindow3D* sys);
    // The device every instance draws through: the system's OpenGL unless
    // another was set. Null puts OpenGL back.
    static void setApi(const glApi3D* api);

    // Opens the window "Korvane"; bufferMode 1 single, 2 double buffered.
    // The state mirrors return to OpenGL's defaults and no texture is made.
    // @returns 1, or 0 with a console line when no window opens.
    int init3D(int xres, int yres, int depth, int a, int b, int bufferMode, int mode2);
    // The display test: empties info1 and info2, appends the GL vendor and
    // renderer to title and the swap-rate verdict to info1. @returns 1, or
    // 0 when a device with its own texts gives none.
    int get3DInfo(int xres, int yres, int depth, int a, int b, int bufferMode, int mode2, int verbose, char* title,
                  size_t titleSize, char* info1, size_t size1, char* info2, size_t size2);
    // get3DInfo's OpenGL part: names the device in title and times 200
    // swaps of the open window. @returns 1.
    int gl3DInfUnix(int verbose, char* title, size_t titleSize, char* info1, size_t size1, char* info2,
                    size_t size2);
    // The last display test's time for its 200 swaps in ms; -1 before any.
    double swapTestMs() const { return swapMs; }
    // The name of the window system set, or null.
    static const char* windowSystemName() { return windowSys != nullptr ? windowSys->name : nullptr; }
    // @returns whether the GL_RENDERER text names a software rasteriser.
    static bool isSoftwareRenderer(const char* renderer);
    // Sets the frustum, the viewport and the hints; the bounding-box test
    // reaches 1.3 times as far as farZ. Leaves the modelview matrix current. @returns 1.
    int init3DView(float left, float right, float bottom, float top, float nearZ, float farZ);
    // Takes a new window size: the same frustum over the new viewport. @returns 1.
    int change3DWin(int a, int b, int xres, int yres, int d);
    // Clears colour and depth, resets the camera and the frame's polygon and
    // texture counts; no texture is bound afterwards. @returns 1.
    int clear3DScreen(float r, float g, float b, float a);
    // Presents the frame (nothing in single-buffered mode). @returns 1.
    int swap3DBuffer();
    // Waits until the device has drawn everything asked of it so far.
    void finish3D() const;
    // Reads back what the last swap presented, getXres() x getYres(), bottom
    // row first, RGB. @returns 1, or 0 when the window system cannot.
    int readFrame(unsigned char* rgb) const;
    // The device's text for GL_VENDOR, GL_RENDERER or GL_VERSION; "" when it has none.
    static const char* deviceText(GLenum name);
    // @returns whether the device clamps texture coordinates to the edge texels (GL_CLAMP_TO_EDGE).
    static bool hasEdgeClamp();
    // Deletes the textures and destroys the window. @returns 0.
    int release3D();
    int getXres() const { return xres; }
    int getYres() const { return yres; }
    int getDres() const { return dres; }

    // Draws text at screen-relative (x, y), -1 .. 1 across the view, in the
    // current colour, untextured, unlit and over everything; the state is
    // restored afterwards. @returns 1.
    int pr(const char* text, float x, float y);
    // Draws the four rows of m as text at the upper left. @returns 1.
    int prMat(const matrix_4& m);
    // Prints OpenGL's pending error on the console by its name. @returns 1.
    int printError();

    // The camera: each operation changes the modelview matrix and the
    // camera matrix the bounding-box test reads alike. @returns 1.
    int resetCamMat();
    int translateCam(float x, float y, float z);
    int rotateCamX(float a);
    int rotateCamY(float a);
    int rotateCamZ(float a);
    int postMatrixMulCam(const matrix_4& m);
    // Copy the camera matrix and the bounding-box projection. @returns 1.
    int getCamMat(matrix_4* m) const;
    int getBoundMat(matrix_4* m) const;

    // The colours the next light set takes. @returns 1.
    int setLightColors(float ar, float ag, float ab, float dr, float dg, float db, float sr, float sg, float sb);
    // Light i (0..2; others are ignored) as a directional light from (x, y, z),
    // unattenuated, enabled; materials get their shininess back. @returns 1.
    int setNormalLight(int i, float x, float y, float z);
    // Light i (0..2) as a spot at p along d, enabled; materials set while a
    // spot is set have no shininess. @returns 1.
    int setSpot(int i, float px, float py, float pz, float dx, float dy, float dz, float cutoff, float exponent);
    // Light i's attenuation (0..2; others are ignored). @returns 1.
    int setAtten(int i, float constant, float linear, float quadratic);
    // Lighting on and off, mirrored in `lighting`. @returns 1.
    int enableLightning();
    int disableLightning();
    // Linear fog of the colour from start to end, mirrored in `fog`. @returns 1.
    int enableFogLin(float start, float end, float r, float g, float b, float a);
    int disableFog();

    // The factors the next setMaterial multiplies its colours by. @returns 1.
    int setMaterialMulFak(float ambient, float diffuse, float specular);
    // Sets the material of both faces, the colours times the factors and the
    // shininess clamped to 0..128, and keeps it as the current one. @returns 1.
    int setMaterial(float ar, float ag, float ab, float aa, float dr, float dg, float db, float da, float sr, float sg,
                    float sb, float sa, float shininess);
    // Sets the current material's colours again. @returns 1.
    int setLastMaterial();

    // The render-state switches: each sets OpenGL and its mirror together
    // and @returns 1.
    // Depth test on (LEQUAL) and off.
    int zOn();
    int zOff();
    // Pulls the far end of the depth range in by o when zOffsetEnabled.
    int setZOffset(float o);
    // Depth writes off and on.
    int noZwriteOn();
    int noZwriteOff();
    // Blending; additive while lightBlend is on, else by source alpha.
    int blendOn();
    int blendOff();
    int lightBlendOn();
    int lightBlendOff();
    // Back faces culled, or not.
    int cullFaceOn();
    int cullFaceOff();
    // Two-sided lighting turns culling off; leaving it turns culling on.
    int twoSideLightOn();
    int twoSideLightOff();
    // Culling on and textures with alpha single-sided; Off lets the next
    // texture with alpha turn two-sided lighting on.
    int blendCullFaceOn();
    int blendCullFaceOff();
    // Polygons as lines, or filled.
    int wireOn();
    int wireOff();
    // Texturing on (unless noTexOn holds it off) and off; off unbinds.
    int texOn();
    int texOff();
    // Holds texturing off until noTexOff.
    int noTexOn();
    int noTexOff();
    // Textures made from now on clamp, or repeat.
    int texClampOn();
    int texClampOff();
    // Objects wholly outside the view are skipped by drawObj, or not.
    int boundBoxCheckOn();
    int boundBoxCheckOff();
    // Textured triangles are halved n times over when drawn directly.
    int setPolySubDivide(int n);
    // Sets every hint to NICEST or FASTEST by hintNicest; keeps wire mode.
    int setHintAll();

    // Object drawing. Each takes the object by its index in d and @returns
    // 0 (with a console line where verbose or a placing operation) when
    // there is none, else 1.
    // Draws object i: transformed again if it moved, skipped when the
    // bounding-box test is on and it is out of view, from its display list
    // where one is valid and its state can be entered. The mirrors describe
    // OpenGL afterwards; no texture is taken as bound.
    int drawObj(data3D* d, int i);
    // Compiles object i into its display list without drawing it; the
    // mirrors and the frame's counts stay as they were.
    int precalcObj(data3D* d, int i);
    // Moves, turns (X, then Y, then Z, normals too), scales, multiplies or
    // resets object i's pose; it is transformed again at its next draw.
    int translateObj(data3D* d, int i, float x, float y, float z);
    int rotateObj(data3D* d, int i, float ax, float ay, float az);
    int scaleObj(data3D* d, int i, float sx, float sy, float sz);
    int postMatrixMulObj(data3D* d, int i, const matrix_4& m);
    int resetObj(data3D* d, int i);
    // Object i's box around its transformed points, widened by margin.
    int makeObjBoundBox(data3D* d, int i, float margin);
    // @returns 1 when a corner of object i's box is in view, else 0.
    int checkObjBoundBox(data3D* d, int i);
    // @returns 1 when p projected by m falls inside the unit cube.
    static int checkVecBoundBox(vec_4 p, const matrix_4* m);
    // One triangle or quad with normals, or with normals and texture
    // coordinates; poly3_ntvd halves the triangle depth times and counts
    // the triangles it draws. @returns 1.
    int poly3_nv(const vec_4& n1, const vec_4& p1, const vec_4& n2, const vec_4& p2, const vec_4& n3, const vec_4& p3);
    int poly4_nv(const vec_4& n1, const vec_4& p1, const vec_4& n2, const vec_4& p2, const vec_4& n3, const vec_4& p3,
                 const vec_4& n4, const vec_4& p4);
    int poly3_ntv(const vec_4& n1, const vec_4& t1, const vec_4& p1, const vec_4& n2, const vec_4& t2,
                  const vec_4& p2, const vec_4& n3, const vec_4& t3, const vec_4& p3);
    int poly4_ntv(const vec_4& n1, const vec_4& t1, const vec_4& p1, const vec_4& n2, const vec_4& t2,
                  const vec_4& p2, const vec_4& n3, const vec_4& t3, const vec_4& p3, const vec_4& n4,
                  const vec_4& t4, const vec_4& p4);
    int poly3_ntvd(const vec_4& n1, const vec_4& t1, const vec_4& p1, const vec_4& n2, const vec_4& t2,
                   const vec_4& p2, const vec_4& n3, const vec_4& t3, const vec_4& p3, int depth);

    // Texture upload.
    // Makes one texture object per image of d, replacing those made before.
    // @returns 1, also when out of memory (with a console line; none made).
    int makeTex(data3D* d);
    // Uploads 3- or 4-component pixels to the bound texture, with point-
    // sampled mipmaps when mipmap is 1. @returns 1, 0 when out of memory.
    int makeGLTex(int components, int width, int height, const unsigned char* pixels);
    // Binds image index of d, turning blending and two-sided lighting on or
    // off by its alpha; uploads it instead when texPerUse. @returns 1, or 0
    // when it has no pixels or no texture object.
    int setTex(int index, data3D* d);
    // Uploads image index of d again into its texture object. @returns 1.
    int updateSingleTex(data3D* d, int index);

    // settings
    int ddmSwitch;
    int texLinear;
    int texPerUse;
    int hintNicest;
    int verbose;
    int mipmap;
    int noReflect;
    int polySubDivide;
    int zOffsetEnabled;

    // state mirrors
    int boundBoxCheck;
    int zEnabled;
    int lighting;
    int texEnabled;
    int noTexture;
    int blending;
    int noZwrite;
    int cullFace;
    int wire;
    int fog;
    // 1: textures with alpha turn two-sided lighting on (set by blendCullFaceOff)
    int blendCullFaceOffFlag;
    int lightBlend;
    int spotSet;
    int twoSideLight;
    int texClamp;
    float zOffset;

    // per-frame statistics
    int polyCount;
    int texBytes;
    int texCounted[maxTexFlags];

    // current material, light colours, material factors
    float matAmbient[4];
    float matDiffuse[4];
    float matSpecular[4];
    float matShininess;
    float lightAmbient[4];
    float lightDiffuse[4];
    float lightSpecular[4];
    float fakAmbient;
    float fakSpecular;
    float fakDiffuse;
    float fakShininess;

    int altTriangle;
    int curTex;
    int texMade;
    // 1 when a clamped texture stops at its edge texels: GL_CLAMP_TO_EDGE, where the device has it
    int edgeClamp = 0;

private:
    struct corner;
    object3D* placeable(data3D* d, int i, const char* op);
    static void moved(object3D* o);
    void transformObj(data3D* d, int i);
    void drawGroupBatched(const group3D& g);
    void drawGroupPerPolygon(const group3D& g, bool withBumpPass);
    void drawReflection(const group3D& g);
    void countTex(data3D* d, int index);
    void setTexParams(int wrapByClamp);
    void drawPasses(data3D* d, int i, bool forList);
    // puts OpenGL in the state the list of r was compiled from. @returns false when it cannot
    bool enterListState(const objRender3D& r);
    materialMirror3D materialMirror() const;
    void setMaterialMirror(const materialMirror3D& m);
    void lightOf(int i, unsigned* light) const;
    corner cornerOf(const group3D& g, int p, bool textured) const;

    static const glWindow3D* windowSys;
    double swapMs = -1.0;
    static const glApi3D* gl;

    outTxt* out;
    int glWin;
    char vendor[256];
    char renderer[256];
    int xres;
    int yres;
    int dres;
    int bufferMode;
    int mode2;
    float frLeft, frRight, frBottom, frTop, frNear, frFar;
    matrix_4 camMat;
    matrix_4 boundMat;
    matrix_4 boundMat2;
    std::unique_ptr<unsigned[]> texNames;
    int numTexNames;
};

#endif
