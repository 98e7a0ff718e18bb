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
    int init3D(int xres, int yres, int depth, int a, int b, int bufferMode, int mode2);
    // The display test: empties info1 and info2, appends the GL vendor and
    // renderer to title and the swap-rate verdict to info1. @returns 1.
    int get3DInfo(int xres, int yres, int depth, int a, int b, int bufferMode, int mode2, int verbose, char* title,
                  size_t titleSize, char* info1, size_t size1, char* info2, size_t size2);
    int gl3DInfUnix(int verbose, char* title, size_t titleSize, char* info1, size_t size1, char* info2,
                    size_t size2);
    // @returns whether the GL_RENDERER text names a software rasteriser.
    static bool isSoftwareRenderer(const char* renderer);
    int init3DView(float left, float right, float bottom, float top, float nearZ, float farZ);
    int change3DWin(int a, int b, int xres, int yres, int d);
    int clear3DScreen(float r, float g, float b, float a);
    int swap3DBuffer();
    // Reads back what the last swap presented, getXres() x getYres(), bottom
    // row first, RGB. @returns 1, or 0 when the window system cannot.
    int readFrame(unsigned char* rgb) const;
    // The device's text for GL_VENDOR, GL_RENDERER or GL_VERSION; "" when it has none.
    static const char* deviceText(GLenum name);
    // @returns whether the device clamps texture coordinates to the edge texels (GL_CLAMP_TO_EDGE).
    static bool hasEdgeClamp();
    // Destroys the window. @returns 0.
    int release3D();
    int getXres() const { return xres; }
    int getYres() const { return yres; }
    int getDres() const { return dres; }

    // Draws text at screen-relative (x, y), -1 .. 1 across the view.
    int pr(const char* text, float x, float y);
    int prMat(const matrix_4& m);
    int printError();

    int resetCamMat();
    int translateCam(float x, float y, float z);
    int rotateCamX(float a);
    int rotateCamY(float a);
    int rotateCamZ(float a);
    int postMatrixMulCam(const matrix_4& m);
    int getCamMat(matrix_4* m) const;
    int getBoundMat(matrix_4* m) const;

    int setLightColors(float ar, float ag, float ab, float dr, float dg, float db, float sr, float sg, float sb);
    int setNormalLight(int i, float x, float y, float z);
    int setSpot(int i, float px, float py, float pz, float dx, float dy, float dz, float cutoff, float exponent);
    int setAtten(int i, float constant, float linear, float quadratic);
    int enableLightning();
    int disableLightning();
    int enableFogLin(float start, float end, float r, float g, float b, float a);
    int disableFog();

    int setMaterialMulFak(float ambient, float diffuse, float specular);
    int setMaterial(float ar, float ag, float ab, float aa, float dr, float dg, float db, float da, float sr, float sg,
                    float sb, float sa, float shininess);
    int setLastMaterial();

    int zOn();
    int zOff();
    int setZOffset(float o);
    int noZwriteOn();
    int noZwriteOff();
    int blendOn();
    int blendOff();
    int lightBlendOn();
    int lightBlendOff();
    int cullFaceOn();
    int cullFaceOff();
    int twoSideLightOn();
    int twoSideLightOff();
    int blendCullFaceOn();
    int blendCullFaceOff();
    int wireOn();
    int wireOff();
    int texOn();
    int texOff();
    int noTexOn();
    int noTexOff();
    int texClampOn();
    int texClampOff();
    int boundBoxCheckOn();
    int boundBoxCheckOff();
    int setPolySubDivide(int n);
    int setHintAll();

    // object drawing
    int drawObj(data3D* d, int i);
    int precalcObj(data3D* d, int i);
    int translateObj(data3D* d, int i, float x, float y, float z);
    int rotateObj(data3D* d, int i, float ax, float ay, float az);
    int scaleObj(data3D* d, int i, float sx, float sy, float sz);
    int postMatrixMulObj(data3D* d, int i, const matrix_4& m);
    int resetObj(data3D* d, int i);
    int makeObjBoundBox(data3D* d, int i, float margin);
    int checkObjBoundBox(data3D* d, int i);
    static int checkVecBoundBox(vec_4 p, const matrix_4* m);
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

    // texture upload
    int makeTex(data3D* d);
    int makeGLTex(int components, int width, int height, const unsigned char* pixels);
    int setTex(int index, data3D* d);
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
