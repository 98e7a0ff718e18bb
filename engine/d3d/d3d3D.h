// The Direct3D 7 renderer of the Windows build: the OpenGL 1.1 subset the
// renderer draws with (glApi3D), carried out on a Direct3D 7 device over
// DirectDraw surfaces. The renderer's operations keep their names and their
// state mirrors; only the device under them changes.
#ifndef KORVA_D3D3D_H
#define KORVA_D3D3D_H

#include "gl/glApi3D.h"

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class outTxt;

class d3d3D {
public:
    // the "d3d..." keys and the Direct3D controls of the settings dialog
    struct options {
        int texFilter = 1;  // 0 point, 1 linear, 2 anisotropic
        int fullSceneAA = 0;
        int edgeAA = 0;
        int showTexFormats = 0;
        int no32BitTex = 0;
        int fogInSoftware = 0;
        int disableFog = 0;
        int fogDistanceFix = 0;
        int noBlendHardware = 0;
        int specularEnable = 0;
    };

    static constexpr int maxLights = 8;
    static constexpr int stackDepth = 32;

    explicit d3d3D(outTxt* console);
    d3d3D(const d3d3D&) = delete;
    d3d3D& operator=(const d3d3D&) = delete;
    ~d3d3D();

    // Draws on device into target (the back buffer). The texture formats
    // come from the device; vendor and renderer are the texts GetString gives.
    // @returns whether the device took the start state.
    bool attach(IDirectDraw7* dd, IDirect3DDevice7* device, IDirectDrawSurface7* target, const char* vendor,
                const char* renderer, const options& opts);
    // Releases the textures and lists; the device and surfaces stay the caller's.
    void detach();
    // Ends the frame's scene before the back buffer is shown.
    void endFrame();
    // Ends the scene and waits until the device has drawn all of it.
    void finish();
    // The target as RGBA rows, top row first. @returns whether it could be read.
    bool readBack(std::vector<unsigned char>& rgba, int* width, int* height);

    // The device the table calls; null when none is attached.
    static d3d3D* current();
    // The table to hand to gl3D::setApi.
    static const glApi3D* api();
    // The display tests of the shell (refresh rate, swap rate, VSync) that
    // the information text runs; they append to info.
    static void setDisplayTests(int (*tests)(int verbose, char* info, size_t size));
    // The information text: driver and device appended to title, the display
    // tests' verdicts to info1. @returns 1, or 0 when the tests failed.
    int info(int verbose, char* title, size_t titleSize, char* info1, size_t size1);

    // The subset, as OpenGL names it: each does what its OpenGL 1.1 call
    // does within what the renderer asks, on the state kept here (st), and
    // sets the device's states from it. A call OpenGL would refuse sets the
    // error getError returns, as OpenGL does; a call the subset does not
    // know (a cap, a parameter) is ignored.
    // GL_LIGHTING, GL_DEPTH_TEST, GL_BLEND, GL_CULL_FACE, GL_FOG,
    // GL_TEXTURE_2D and the lights; other caps are ignored.
    void enable(GLenum cap, bool on);
    // The texts attach was given, "1.1 Direct3D 7" for GL_VERSION, "" for others.
    const GLubyte* getString(GLenum name) const;
    // The first error since the last call, then GL_NO_ERROR.
    GLenum getError();
    // The model-view stack (stackDepth deep) and the projection.
    void matrixMode(GLenum mode);
    void loadIdentity();
    void pushMatrix();
    void popMatrix();
    void multMatrix(const float* m);
    void frustum(double l, double r, double b, double t, double n, double f);
    void viewport(int x, int y, int w, int h);
    void depthRange(double n, double f);
    // Clears the target and the depth buffer with the values set.
    void clearColor(float r, float g, float b, float a);
    void clearDepth(double d);
    void clear(GLbitfield mask);
    void depthFunc(GLenum f);
    void depthMask(bool on);
    void blendFunc(GLenum s, GLenum d);
    void cullFace(GLenum mode);
    // GL_LINE draws wireframe, GL_POINT points, GL_FILL solid, both faces alike.
    void polygonMode(GLenum mode);
    // Keep and restore every switch and parameter of the subset at once,
    // stackDepth deep.
    void pushAttrib();
    void popAttrib();
    // Lights in eye space as OpenGL places them, materials of both faces,
    // linear fog.
    void light(GLenum light, GLenum pname, const float* v);
    void lightModel(GLenum pname, int v);
    void material(GLenum pname, const float* v);
    void fog(GLenum pname, const float* v);
    // Triangles, fans, strips and quads between begin and end; end adds
    // them to the batch (or to the list being compiled).
    void begin(GLenum mode);
    void end();
    void normal(float x, float y, float z);
    void texCoord(float s, float t);
    void vertex(float x, float y, float z);
    // Bitmaps at the raster position, kept until the frame's text is drawn
    // through a glyph atlas; a position outside the view drops them, as in OpenGL.
    void rasterPos(float x, float y, float z);
    void bitmap(int w, int h, float xo, float yo, float xm, float ym, const GLubyte* bits);
    // A list records the calls between newList and endList; callList
    // replays them. Nesting and list 0 are GL_INVALID_OPERATION.
    void newList(GLuint list);
    void endList();
    void callList(GLuint list);
    bool compiling() const { return listOpen != 0; }
    // Draws the triangles gathered so far; every change of state comes after it.
    void flushBatch();
    // Adds op to the list being compiled.
    void record(std::function<void()> op);
    // Texture names; an image is built into a surface of the device's
    // format when it is first drawn with.
    void genTextures(int n, GLuint* names);
    void deleteTextures(int n, const GLuint* names);
    void bindTexture(GLuint name);
    // Wrap and minification filter; others are ignored.
    void texParameter(GLenum pname, int v);
    // RGB or RGBA level lv of the bound texture; level 0 starts the image
    // over, a level out of order is ignored, a bad size GL_INVALID_VALUE.
    void texImage(int level, int w, int h, GLenum format, const unsigned char* pixels);

private:
    struct vertex3D {
        float x, y, z;
        float nx, ny, nz;
        float u, v;
    };
    struct lightState {
        bool on = false;
        float ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        float diffuse[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        float position[4] = {0.0f, 0.0f, 1.0f, 0.0f};  // eye space
        float direction[3] = {0.0f, 0.0f, -1.0f};      // eye space
        float cutoff = 180.0f;
        float exponent = 0.0f;
        float atten[3] = {1.0f, 0.0f, 0.0f};
    };
    // what PushAttrib keeps: every switch and parameter this subset has
    struct attribs {
        bool lighting = false, depthTest = false, blend = false, cull = false, tex2D = false, fog = false;
        bool depthWrite = true, twoSide = false;
        GLenum depthFunc = GL_LESS, srcBlend = GL_ONE, dstBlend = GL_ZERO, cullMode = GL_BACK, fill = GL_FILL;
        float fogStart = 0.0f, fogEnd = 1.0f;
        float fogColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        lightState lights[maxLights];
        float matAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
        float matDiffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
        float matSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        float shininess = 0.0f;
        int vpX = 0, vpY = 0, vpW = 0, vpH = 0;
        double depthNear = 0.0, depthFar = 1.0;
        float clearRGBA[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        double clearZ = 1.0;
    };
    struct level {
        int width, height, components;
        std::vector<unsigned char> pixels;
    };
    struct texture {
        std::vector<level> levels;
        GLenum wrapS = GL_REPEAT, wrapT = GL_REPEAT;
        GLenum minFilter = GL_NEAREST_MIPMAP_LINEAR;
        IDirectDrawSurface7* surface = nullptr;
        bool dirty = true;
    };
    struct glyph {
        int x, y, w, h;
        std::vector<unsigned char> bits;
    };

    void applyAll();
    void applyRenderStates();
    void applyLight(int i);
    void applyMaterial();
    void applyViewport();
    void applyTransforms();
    void applyTexture();
    void useTexture();
    void setState(D3DRENDERSTATETYPE s, DWORD v);
    bool inSceneNow();
    // opens the scene and sets the transforms and texture a draw needs
    bool readyToDraw();
    void draw(const std::vector<vertex3D>& v, GLenum mode);
    void drawRaw(D3DPRIMITIVETYPE type, const vertex3D* v, DWORD count);
    void flushText();
    bool drawGlyphs();
    int atlasCell(const glyph& g);
    static void atlasOrigin(int cell, int* x, int* y);
    void releaseSurface(texture& t);
    bool buildSurface(texture& t);
    void failed(HRESULT hr);
    float* top();

    outTxt* out;
    options opt;
    IDirectDraw7* dd;
    IDirect3DDevice7* dev;
    IDirectDrawSurface7* target;
    int targetW, targetH;
    char vendorText[256];
    char rendererText[256];
    DDPIXELFORMAT formatRGB, formatRGBA;
    char nameRGB[16], nameRGBA[16];
    bool shownRGB, shownRGBA;

    attribs st;
    std::vector<attribs> attribStack;
    GLenum mode;
    float modelview[stackDepth][16];
    int mvTop;
    float projection[16];
    bool transformsDirty;
    bool inScene;
    GLenum lastError;

    GLenum primMode;
    bool inPrim;
    std::vector<vertex3D> prim;
    float curNormal[3];
    float curTex[2];
    std::vector<vertex3D> batch;

    float raster[2];
    bool rasterValid;
    std::vector<glyph> pendingText;
    // the glyphs drawn so far, white on see-through, in cells of 16 x 16 texels
    static constexpr int atlasW = 256, atlasH = 256, atlasCellW = 16, atlasCellH = 16;
    IDirectDrawSurface7* atlas;
    std::map<std::vector<unsigned char>, int> atlasCells;

    bool textureDirty;
    std::map<GLuint, texture> textures;
    GLuint bound;
    GLuint nextName;
    std::map<GLuint, std::vector<std::function<void()>>> lists;
    GLuint listOpen;
    std::vector<std::function<void()>> listOps;
};

#endif
