// The renderer against real OpenGL (Mesa under Xvfb), read back pixel by pixel.
#include "glFixture.h"
#include "glMirrors.h"
#include "glRecorder.h"
#include "gl/glWindow3D.h"
#include "gl/presentedFrame3D.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using GlTest = glfix::glFixture;
using glfix::rgb;
using glfix::solidSgi;
using glfix::W;
using glfix::H;


TEST_F(GlTest, CameraMatrixMirrorsTheModelView)
{
    gl->resetCamMat();
    gl->translateCam(1.0f, -2.0f, 3.5f);
    gl->rotateCamY(30.0f);
    gl->rotateCamX(-12.5f);
    matrix_4 m;
    identityMat(&m);
    translateMat(&m, 0.5f, 0.25f, -1.0f);
    rotateZMat(&m, 40.0f);
    gl->postMatrixMulCam(m);
    gl->rotateCamZ(75.0f);
    matrix_4 cam;
    gl->getCamMat(&cam);
    float mv[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            EXPECT_NEAR(cam.m[r * 4 + c], mv[c * 4 + r], 1e-5f) << r << "," << c;

    // the camera moves the world the other way: a camera at +x sees the origin to its left
    gl->resetCamMat();
    gl->translateCam(2.0f, 0.0f, 0.0f);
    gl->getCamMat(&cam);
    EXPECT_FLOAT_EQ(cam.m[3], -2.0f);

    // clearing the screen resets both
    gl->clear3DScreen(0, 0, 0, 1);
    gl->getCamMat(&cam);
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    EXPECT_EQ(cam.m[3], 0.0f);
    EXPECT_EQ(mv[12], 0.0f);

    // the cull projection reaches 1.3 x far
    matrix_4 b;
    gl->getBoundMat(&b);
    EXPECT_FLOAT_EQ(b.m[0], 1.0f);
    EXPECT_FLOAT_EQ(b.m[14], -1.0f);
    EXPECT_NEAR(b.m[10], -(130.0f + 0.1f) / (130.0f - 0.1f), 1e-6f);
    EXPECT_NEAR(b.m[11], -2.0f * 130.0f * 0.1f / (130.0f - 0.1f), 1e-6f);
}

TEST_F(GlTest, CulledObjectsDrawAndCountNothing)
{
    const int quad = model("f 1//1 2//1 3//1 4//1\n");
    ASSERT_EQ(quad, 0);
    gl->disableLightning();
    glColor3f(1, 1, 1);

    // visible straight ahead: covers the centre, counts two triangles
    EXPECT_EQ(gl->drawObj(store.get(), quad), 1);
    EXPECT_EQ(gl->polyCount, 2);
    EXPECT_GT(pixel(W / 2, H / 2).r, 200);
    EXPECT_EQ(pixel(2, 2).r, 0);  // the quad spans half the view at z = -2
    EXPECT_GT(lit(), W * H / 5);

    // behind the camera, beyond the 0.18 x far margin
    gl->translateObj(store.get(), quad, 0.0f, 0.0f, -40.0f);
    gl->clear3DScreen(0, 0, 0, 1);
    gl->rotateCamY(180.0f);
    EXPECT_EQ(gl->drawObj(store.get(), quad), 1);
    EXPECT_EQ(gl->polyCount, 0);
    EXPECT_EQ(lit(), 0);
    gl->clear3DScreen(0, 0, 0, 1);
    EXPECT_EQ(gl->drawObj(store.get(), quad), 1);
    EXPECT_EQ(gl->polyCount, 2);

    // far to the side
    gl->clear3DScreen(0, 0, 0, 1);
    gl->translateObj(store.get(), quad, 200.0f, 0.0f, 0.0f);
    EXPECT_EQ(gl->drawObj(store.get(), quad), 1);
    EXPECT_EQ(gl->polyCount, 0);
    EXPECT_EQ(lit(), 0);

    // with the check off it is sent anyway
    gl->boundBoxCheckOff();
    EXPECT_EQ(gl->drawObj(store.get(), quad), 1);
    EXPECT_EQ(gl->polyCount, 2);
    gl->boundBoxCheckOn();

    // a box around the camera has every corner outside the volume: culled
    const int box = model("f 1//1 2//1 3//1 4//1\nf 5//1 6//1 7//1 8//1\n", "",
                          "v -200 -200 -200\nv 200 -200 -200\nv 200 200 -200\nv -200 200 -200\n"
                          "v -200 -200 200\nv 200 -200 200\nv 200 200 200\nv -200 200 200\nvn 0 0 1\n");
    gl->clear3DScreen(0, 0, 0, 1);
    EXPECT_EQ(gl->drawObj(store.get(), box), 1);
    EXPECT_EQ(gl->polyCount, 0);

    // the 0.18 x far shift keeps an object just behind the near plane
    const int near = model("f 1//1 2//1 3//1\n", "", "v -0.1 -0.1 0.5\nv 0.1 -0.1 0.5\nv 0 0.1 0.5\nvn 0 0 1\n");
    gl->clear3DScreen(0, 0, 0, 1);
    EXPECT_EQ(gl->drawObj(store.get(), near), 1);
    EXPECT_EQ(gl->polyCount, 1);

    // the view volume includes its six faces, and nothing beyond them
    matrix_4 id;
    identityMat(&id);
    for (int axis = 0; axis < 3; axis++)
        for (const float side : {-1.0f, 1.0f}) {
            vec_4 on = {0.0f, 0.0f, 0.0f, 1.0f};
            (axis == 0 ? on.x : axis == 1 ? on.y : on.z) = side;
            vec_4 past = on;
            (axis == 0 ? past.x : axis == 1 ? past.y : past.z) = side * 1.001f;
            EXPECT_EQ(gl3D::checkVecBoundBox(on, &id), 1) << "axis " << axis << " side " << side;
            EXPECT_EQ(gl3D::checkVecBoundBox(past, &id), 0) << "axis " << axis << " side " << side;
        }

    EXPECT_EQ(gl->drawObj(store.get(), 99), 0);
    EXPECT_EQ(gl->translateObj(store.get(), 256, 1, 1, 1), 0);
    EXPECT_NE(std::string(console->getText()).find("gl3D::translateObj(256) error no Object\n"), std::string::npos);
}

TEST_F(GlTest, TriangleCountsOfFansAndSubdivision)
{
    writeFile("t.rgb", solidSgi(4, 4, 3, 0, 255, 0));
    const std::string mtl = "newmtl t\n\nmap_Kd t.rgb\n";
    const int penta = model("f 1//1 2//1 3//1 5//1 4//1\n");
    const int tri = model("usemtl t\nf 1/1/1 2/2/1 3/3/1\n", mtl);
    const int quad = model("usemtl t\nf 1/1/1 2/2/1 3/3/1 4/4/1\n", mtl);
    gl->makeTex(store.get());
    gl->disableLightning();

    gl->drawObj(store.get(), penta);
    EXPECT_EQ(gl->polyCount, 3);
    const int pentaPixels = lit();

    gl->clear3DScreen(0, 0, 0, 1);
    gl->drawObj(store.get(), tri);
    EXPECT_EQ(gl->polyCount, 1);
    const int triPixels = lit();
    EXPECT_GT(pixel(W / 2 + 10, H / 2 - 10).g, 200);

    // depth 2: a triangle becomes four, over the same pixels
    gl->setPolySubDivide(2);
    gl->clear3DScreen(0, 0, 0, 1);
    gl->drawObj(store.get(), tri);
    EXPECT_EQ(gl->polyCount, 4);
    EXPECT_NEAR(lit(), triPixels, triPixels / 50 + 8);

    gl->clear3DScreen(0, 0, 0, 1);
    gl->drawObj(store.get(), quad);
    EXPECT_EQ(gl->polyCount, 8);
    gl->setPolySubDivide(1);
    gl->clear3DScreen(0, 0, 0, 1);
    gl->drawObj(store.get(), quad);
    EXPECT_EQ(gl->polyCount, 4);
    // untextured polygons are not subdivided
    gl->clear3DScreen(0, 0, 0, 1);
    gl->drawObj(store.get(), penta);
    EXPECT_EQ(gl->polyCount, 3);
    EXPECT_NEAR(lit(), pentaPixels, pentaPixels / 50 + 8);

    // subdivision splits alternate edges and swapping starts over
    gl->altTriangle = 1;
    gl->swap3DBuffer();
    EXPECT_EQ(gl->altTriangle, 0);
}

TEST_F(GlTest, TexturesBindOnceAndSwitchBlending)
{
    writeFile("rgb.rgb", solidSgi(4, 4, 3, 255, 0, 0));
    writeFile("rgba.rgb", solidSgi(4, 4, 4, 0, 0, 255, 128));
    ASSERT_EQ(store->load_sgi("rgb.rgb"), 1);
    ASSERT_EQ(store->load_sgi("rgba.rgb"), 2);
    EXPECT_EQ(gl->setTex(1, store.get()), 0);  // no textures made yet
    gl->makeTex(store.get());
    EXPECT_EQ(gl->texMade, 1);

    GLint bound = -1;
    gl->clear3DScreen(0, 0, 0, 1);
    EXPECT_EQ(gl->setTex(1, store.get()), 1);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    const GLint first = bound;
    EXPECT_NE(first, 0);
    // asked again, nothing is bound
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(gl->setTex(1, store.get()), 1);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    // after clearing the screen it binds again
    gl->clear3DScreen(0, 0, 0, 1);
    gl->setTex(1, store.get());
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, first);
    glBindTexture(GL_TEXTURE_2D, 0);
    gl->texOff();
    gl->setTex(1, store.get());
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, first);

    // RGBA turns blending on, RGB off again
    EXPECT_EQ(gl->blending, 0);
    gl->setTex(2, store.get());
    EXPECT_EQ(gl->blending, 1);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    gl->setTex(1, store.get());
    EXPECT_EQ(gl->blending, 0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    // with blendCullFaceOff an RGBA texture lights both sides
    gl->cullFaceOn();
    gl->blendCullFaceOff();
    gl->setTex(2, store.get());
    EXPECT_EQ(gl->twoSideLight, 1);
    EXPECT_EQ(gl->cullFace, 0);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    gl->setTex(1, store.get());
    EXPECT_EQ(gl->cullFace, 1);
    EXPECT_EQ(gl->twoSideLight, 0);

    // texture bytes count once per frame
    const int o = model("usemtl a\nf 1/1/1 2/2/1 3/3/1\nf 1/1/1 3/3/1 4/4/1\n", "newmtl a\n\nmap_Kd rgb.rgb\n");
    const int o2 = model("usemtl a\nf 1/1/1 2/2/1 3/3/1\n", "newmtl a\n\nmap_Kd rgb.rgb\n");
    gl->clear3DScreen(0, 0, 0, 1);
    gl->drawObj(store.get(), o);
    gl->drawObj(store.get(), o2);
    EXPECT_EQ(gl->texBytes, 4 * 4 * 3);
    EXPECT_EQ(gl->texCounted[1], 1);
    EXPECT_GT(pixel(W / 2, H / 2).r, 200);  // lighting off: the texture's red
}

TEST_F(GlTest, MipmapsArePointSampledDownToOnePixel)
{
    std::vector<unsigned char> px;
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 64; x++) {
            px.push_back((unsigned char)(x * 4));
            px.push_back((unsigned char)(y * 16));
            px.push_back((unsigned char)((x + y) & 1 ? 255 : 0));
        }
    writeFile("m.rgb", sgiFile(64, 16, 3, px));
    ASSERT_EQ(store->load_sgi("m.rgb"), 1);
    gl->mipmap = 1;
    gl->makeTex(store.get());
    gl->setTex(1, store.get());
    const int sizes[7][2] = {{64, 16}, {32, 8}, {16, 4}, {8, 2}, {4, 1}, {2, 1}, {1, 1}};
    for (int l = 0; l < 7; l++) {
        GLint w = 0;
        GLint h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, l, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, l, GL_TEXTURE_HEIGHT, &h);
        EXPECT_EQ(w, sizes[l][0]) << "level " << l;
        EXPECT_EQ(h, sizes[l][1]) << "level " << l;
    }
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    // without mipmaps the filter setting is both filters, linear or nearest as it says
    for (const int linear : {1, 0}) {
        gl->mipmap = 0;
        gl->texLinear = linear;
        gl->makeTex(store.get());
        gl->setTex(1, store.get());
        GLint mag = 0, min = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
        EXPECT_EQ(mag, linear ? GL_LINEAR : GL_NEAREST);
        EXPECT_EQ(min, linear ? GL_LINEAR : GL_NEAREST);
    }
    gl->texLinear = 1;
    gl->mipmap = 1;
    gl->makeTex(store.get());
    gl->setTex(1, store.get());

    // level 2 pixel (x, y) is the source pixel (4x, 4y)
    std::vector<unsigned char> l2(16 * 4 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 2, GL_RGB, GL_UNSIGNED_BYTE, l2.data());
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 16; x++)
            for (int c = 0; c < 3; c++)
                ASSERT_EQ(l2[size_t((y * 16 + x) * 3 + c)], px[size_t(((y * 4) * 64 + x * 4) * 3 + c)]);
    // where the height has run out, the first row is still sampled
    unsigned char l5[2 * 3];
    glGetTexImage(GL_TEXTURE_2D, 5, GL_RGB, GL_UNSIGNED_BYTE, l5);
    EXPECT_EQ(l5[3], px[32 * 3]);

    // pixels of one or two components are no texture: nothing is read from them
    for (const int c : {1, 2}) {
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        const std::vector<unsigned char> grey(size_t(4 * 4 * c), 128);
        EXPECT_EQ(gl->makeGLTex(c, 4, 4, grey.data()), 1);
        GLint w = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        EXPECT_EQ(w, 0) << c << " components";
        glDeleteTextures(1, &name);
    }
}

TEST_F(GlTest, DisplayListsDrawTheSameAndAreDroppedOnMove)
{
    const int quad = model("f 1//1 2//1 3//1 4//1\n");
    gl->disableLightning();
    glColor3f(1, 1, 1);
    gl->drawObj(store.get(), quad);
    const int direct = lit();

    ASSERT_EQ(gl->precalcObj(store.get(), quad), 1);
    EXPECT_EQ(store->getObject3D(quad)->render->listValid, 1);
    gl->clear3DScreen(0, 0, 0, 1);
    EXPECT_EQ(gl->polyCount, 0);
    gl->drawObj(store.get(), quad);
    EXPECT_EQ(gl->polyCount, 2);
    EXPECT_EQ(lit(), direct);

    // moving it drops the list: drawn again from the arrays, at the new place
    gl->translateObj(store.get(), quad, 0.5f, 0.0f, 0.0f);
    gl->clear3DScreen(0, 0, 0, 1);
    gl->drawObj(store.get(), quad);
    EXPECT_EQ(store->getObject3D(quad)->render->listValid, 0);
    EXPECT_EQ(pixel(4, H / 2).r, 0);
    EXPECT_GT(pixel(W - 30, H / 2).r, 200);
    EXPECT_EQ(gl->polyCount, 2);
}

TEST_F(GlTest, ReflectionPassDrawsSphereMappedOverTheBase)
{
    writeFile("base.rgb", solidSgi(4, 4, 3, 0, 0, 255));
    writeFile("env.rgb", solidSgi(4, 4, 3, 255, 0, 0));
    const int o = model("usemtl r\nf 1/1/1 2/2/1 3/3/1 4/4/1\n", "newmtl r\n\nmap_Kd base.rgb\nmap_refl env.rgb\n");
    gl->makeTex(store.get());
    gl->disableLightning();
    gl->drawObj(store.get(), o);
    // two triangles of base, two of reflection
    EXPECT_EQ(gl->polyCount, 4);
    EXPECT_GT(pixel(W / 2, H / 2).r, 200);  // the reflection lies over the blue base
    EXPECT_EQ(gl->texBytes, 2 * 4 * 4 * 3);

    gl->noReflect = 1;
    gl->clear3DScreen(0, 0, 0, 1);
    gl->drawObj(store.get(), o);
    EXPECT_EQ(gl->polyCount, 2);
    EXPECT_GT(pixel(W / 2, H / 2).b, 200);
    EXPECT_EQ(pixel(W / 2, H / 2).r, 0);
}

TEST_F(GlTest, TextDrawsGlyphsAndSkipsCharactersItLacks)
{
    glColor3f(1, 1, 1);
    gl->pr("", 0.0f, 0.0f);
    EXPECT_EQ(lit(), 0);
    gl->pr("\x80\xff", -0.5f, 0.0f);
    EXPECT_EQ(lit(), 0);
    gl->pr("A", -0.5f, 0.0f);
    const int a = lit();
    EXPECT_GT(a, 10);
    EXPECT_LT(a, 40);
    // a raster at x = -0.5 of the view starts a quarter in
    const auto firstLitOf = [this](const char* text) {
        gl->clear3DScreen(0, 0, 0, 1);
        glColor3f(1, 1, 1);
        gl->pr(text, -0.5f, 0.0f);
        std::vector<unsigned char> row(W * 3);
        int first = -1;
        for (int y = H / 2 - 2; y < H / 2 + 10 && first < 0; y++) {
            glReadPixels(0, y, W, 1, GL_RGB, GL_UNSIGNED_BYTE, row.data());
            for (int x = 0; x < W; x++)
                if (row[size_t(x) * 3] != 0) {
                    first = x;
                    break;
                }
        }
        return first;
    };
    const int firstLit = firstLitOf("I I");
    EXPECT_GE(firstLit, W / 4);
    EXPECT_LE(firstLit, W / 4 + 8);
    // a space is the font's first glyph: blank, but one advance wide
    EXPECT_EQ(firstLitOf(" I"), firstLit + 10);
    // the state pr changes is given back
    gl->enableLightning();
    gl->pr("x", 0.0f, 0.0f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(GlTest, SwapTestReportsRateAndInfoTexts)
{
    char title[512] = "KORVA_LIN 1.3  ";
    char info1[512] = "old";
    char info2[512] = "old";
    EXPECT_EQ(gl->get3DInfo(W, H, 24, 0, 0, 2, 0, 1, title, sizeof title, info1, sizeof info1, info2, sizeof info2), 1);
    // the title keeps its text and gains the vendor and renderer line
    EXPECT_EQ(std::string(title).rfind("KORVA_LIN 1.3  GLvendor:", 0), 0u) << title;
    EXPECT_NE(std::string(title).find("  GLrenderer:"), std::string::npos);
    EXPECT_EQ(std::string(title).back(), '\n');
    const std::string i1 = info1;
    EXPECT_TRUE(i1 == "VSync ON  DDMSwich OFF\n" || i1 == "VSync OFF  DDMSwich OFF\n") << i1;
    EXPECT_STREQ(info2, "");
    EXPECT_NE(std::string(console->getText()).find("\nSWAP3DBuffer test result "), std::string::npos);
    gl->ddmSwitch = 1;
    title[0] = '\0';
    gl->get3DInfo(W, H, 24, 0, 0, 2, 0, 0, title, sizeof title, info1, sizeof info1, info2, sizeof info2);
    EXPECT_NE(std::string(info1).find("DDMSwich ON \n"), std::string::npos);
    gl->ddmSwitch = 0;

    // a display that waits for its vertical blank: every swap of the test waits 8 ms
    static int slowSwaps = 0;
    glWindow3D synced = *glxWindowSystem3D();
    synced.swapNow = [](int id) {
        slowSwaps++;
        std::this_thread::sleep_for(std::chrono::milliseconds(8));
        glxWindowSystem3D()->swap(id);
    };
    gl3D::setWindowSystem(&synced);
    console->prCls();
    gl->get3DInfo(W, H, 24, 0, 0, 2, 0, 1, title, sizeof title, info1, sizeof info1, info2, sizeof info2);
    gl3D::setWindowSystem(glxWindowSystem3D());
    EXPECT_EQ(slowSwaps, 200);
    EXPECT_STREQ(info1, "VSync ON  DDMSwich OFF\n");
    const std::string log = console->getText();
    EXPECT_NE(log.find("looks like VSync for OpenGL is ON\n"), std::string::npos) << log;
    double ms = 0.0;
    const size_t at = log.find("SWAP3DBuffer: 200 buffer swaps in ");
    ASSERT_NE(at, std::string::npos) << log;
    ASSERT_EQ(std::sscanf(log.c_str() + at, "SWAP3DBuffer: 200 buffer swaps in %lf ms", &ms), 1);
    EXPECT_GE(ms, 1600.0);
    // single-buffered: nothing to swap, and it says so
    slowSwaps = 0;
    gl3D::setWindowSystem(&synced);
    console->prCls();
    gl->get3DInfo(W, H, 24, 0, 0, 1, 0, 1, title, sizeof title, info1, sizeof info1, info2, sizeof info2);
    gl3D::setWindowSystem(glxWindowSystem3D());
    EXPECT_EQ(slowSwaps, 0);
    EXPECT_NE(std::string(console->getText()).find("SWAP3DBuffer: single buffer, nothing swapped in "),
              std::string::npos);
    gl->get3DInfo(W, H, 24, 0, 0, 2, 0, 0, title, sizeof title, info1, sizeof info1, info2, sizeof info2);
}

TEST_F(GlTest, ANewWindowStartsWithMirrorsAtOpenGLDefaults)
{
    gl->blendOn();
    gl->enableLightning();
    gl->cullFaceOn();
    gl->texOn();
    gl->release3D();
    ASSERT_EQ(gl->init3D(W, H, 24, 0, 0, 2, 0), 1);
    EXPECT_EQ(gl->blending, 0);
    EXPECT_EQ(gl->lighting, 0);
    EXPECT_EQ(gl->cullFace, 0);
    EXPECT_EQ(gl->texEnabled, 0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    // so an RGBA texture turns blending on in the new context
    writeFile("a.rgb", solidSgi(2, 2, 4, 9, 9, 9, 100));
    ASSERT_EQ(store->load_sgi("a.rgb"), 1);
    gl->makeTex(store.get());
    gl->setTex(1, store.get());
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
}

TEST_F(GlTest, MaterialsLightsAndSwitches)
{
    gl->setMaterialMulFak(0.5f, 2.0f, 1.0f);
    gl->setNormalLight(0, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(gl->spotSet, 0);
    gl->setMaterial(0.4f, 0.4f, 0.4f, 1.0f, 0.25f, 0.25f, 0.25f, 0.5f, 1, 1, 1, 1, 40.0f);
    float v[4];
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, v);
    EXPECT_FLOAT_EQ(v[0], 0.2f);
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, v);
    EXPECT_FLOAT_EQ(v[0], 0.5f);
    EXPECT_FLOAT_EQ(v[3], 0.5f);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, v);
    EXPECT_FLOAT_EQ(v[0], 40.0f);
    gl->setSpot(1, 0, 5, 0, 0, -1, 0, 30.0f, 2.0f);
    EXPECT_EQ(gl->spotSet, 1);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    gl->setMaterial(0.4f, 0.4f, 0.4f, 1.0f, 0.25f, 0.25f, 0.25f, 1.0f, 1, 1, 1, 1, 40.0f);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, v);
    EXPECT_EQ(v[0], 0.0f);
    glGetLightfv(GL_LIGHT1, GL_SPOT_CUTOFF, v);
    EXPECT_FLOAT_EQ(v[0], 30.0f);
    gl->setSpot(5, 0, 0, 0, 0, 0, 0, 1, 1);  // no such light: nothing changes

    // a new window size leaves the projection set and the model-view matrix current
    gl->change3DWin(0, 0, 200, 100, 16);
    GLint mode = 0, viewport[4] = {};
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(viewport[2], 200);
    EXPECT_EQ(viewport[3], 100);

    // every quality hint follows the one setting
    for (const int nicest : {0, 1}) {
        gl->hintNicest = nicest;
        gl->setHintAll();
        for (const GLenum h : {GL_PERSPECTIVE_CORRECTION_HINT, GL_POINT_SMOOTH_HINT, GL_LINE_SMOOTH_HINT,
                               GL_POLYGON_SMOOTH_HINT, GL_FOG_HINT}) {
            GLint got = 0;
            glGetIntegerv(h, &got);
            EXPECT_EQ(got, nicest == 1 ? GL_NICEST : GL_FASTEST) << std::hex << h;
        }
    }

    gl->noTexOn();
    gl->texOn();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(gl->curTex, -1);
    gl->noTexOff();
    gl->texOn();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(gl->texEnabled, 1);

    gl->lightBlendOn();
    gl->blendOn();
    GLint dst = 0;
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(dst, GL_ONE);
    gl->lightBlendOff();
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    gl->setZOffset(0.25f);
    float range[2];
    glGetFloatv(GL_DEPTH_RANGE, range);
    EXPECT_FLOAT_EQ(range[1], 0.75f);
    gl->noZwriteOn();
    GLboolean mask = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_EQ(mask, GL_FALSE);
    gl->wireOn();
    GLint modes[2];
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_LINE);
    gl->enableFogLin(1.0f, 10.0f, 0.1f, 0.2f, 0.3f, 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    glGetFloatv(GL_FOG_END, v);
    EXPECT_FLOAT_EQ(v[0], 10.0f);

    console->prCls();
    glEnable(0x1234);
    gl->printError();
    gl->printError();
    EXPECT_STREQ(console->getText(), "GL_INVALID_ENUM\nGL_NO_ERROR\n");
}

namespace {

struct xyz {
    float x, y, z;
};

// the vertices or texture coordinates of the recorded calls op, as written
std::vector<xyz> recorded(const char* op)
{
    std::vector<xyz> r;
    for (const glrec::call& c : glrec::only(op))
        r.push_back(xyz{c.a[0], c.a[1], c.a[2]});
    return r;
}

::testing::AssertionResult sameAs(const std::vector<xyz>& got, const std::vector<xyz>& want)
{
    if (got.size() != want.size())
        return ::testing::AssertionFailure() << got.size() << " calls, expected " << want.size();
    for (size_t i = 0; i < got.size(); i++)
        if (std::fabs(got[i].x - want[i].x) > 1e-5f || std::fabs(got[i].y - want[i].y) > 1e-5f ||
            std::fabs(got[i].z - want[i].z) > 1e-5f)
            return ::testing::AssertionFailure() << "call " << i << ": (" << got[i].x << ", " << got[i].y << ", "
                                                 << got[i].z << "), expected (" << want[i].x << ", " << want[i].y
                                                 << ", " << want[i].z << ")";
    return ::testing::AssertionSuccess();
}

// records the calls of the renderer while it lives
struct recording {
    recording()
    {
        glrec::log().clear();
        gl3D::setApi(glrec::table());
    }
    ~recording() { gl3D::setApi(nullptr); }
};

}  // namespace

TEST_F(GlTest, AnImageLoadedAfterTheTexturesWereMadeHasNoNameToUpdate)
{
    writeFile("rgb.rgb", solidSgi(4, 4, 3, 255, 0, 0));
    ASSERT_EQ(store->load_sgi("rgb.rgb"), 1);
    gl->makeTex(store.get());
    writeFile("late.rgb", solidSgi(4, 4, 3, 0, 255, 0));
    const int late = store->load_sgi("late.rgb");
    ASSERT_NE(store->getTex2D(late), nullptr);
    const auto binds = [] {
        return std::count_if(glrec::log().begin(), glrec::log().end(),
                             [](const glrec::call& c) { return c.op == "BindTexture"; });
    };
    const recording r;
    EXPECT_EQ(gl->updateSingleTex(store.get(), late), 1);
    EXPECT_EQ(binds(), 0);
    EXPECT_EQ(gl->updateSingleTex(store.get(), 1), 1);
    EXPECT_EQ(binds(), 1);
}

TEST_F(GlTest, CallStreamOfBatchedQuadsAndTheReflectionPass)
{
    writeFile("t.rgb", solidSgi(4, 4, 3, 0, 255, 0));
    writeFile("env.rgb", solidSgi(4, 4, 3, 255, 0, 0));
    const int plain = model("f 1//1 2//1 3//1 4//1\nf 1//1 2//1 3//1\n");
    const int tex = model("usemtl t\nf 1/1/1 2/2/1 3/3/1 4/4/1\n", "newmtl t\n\nmap_Kd t.rgb\n");
    // a tilted normal gives the sphere map different s and t
    const int refl = model("usemtl r\nf 1/1/1 2/2/1 3/3/1 4/4/1\n", "newmtl r\n\nmap_Kd env.rgb\nrefl\n",
                           "v -1 -1 -2\nv 1 -1 -2\nv 1 1 -2\nv -1 1 -2\nvn 0.6 -0.4 0.69\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n");
    gl->makeTex(store.get());
    gl->disableLightning();
    recording rec;

    // untextured: the quad alone as GL_QUADS in corner order, the triangle in the reopened block
    gl->drawObj(store.get(), plain);
    EXPECT_EQ(glrec::blocks(), "T0 Q4 T3");
    EXPECT_TRUE(sameAs(recorded("Vertex"), {{-1, -1, -2}, {1, -1, -2}, {1, 1, -2}, {-1, 1, -2},
                                            {-1, -1, -2}, {1, -1, -2}, {1, 1, -2}}));

    // textured: a strip of corners 3, 0, 2, 1 with their own texture coordinates
    glrec::log().clear();
    gl->drawObj(store.get(), tex);
    EXPECT_EQ(glrec::blocks(), "T0 S4 T0");
    EXPECT_TRUE(sameAs(recorded("Vertex"), {{-1, 1, -2}, {-1, -1, -2}, {1, 1, -2}, {1, -1, -2}}));
    EXPECT_TRUE(sameAs(recorded("TexCoord"), {{0, 1, 0}, {0, 0, 0}, {1, 1, 0}, {1, 0, 0}}));

    // the reflection pass: fan triangles 0 1 2 and 0 2 3, lifted by 0.002, s and t from the normal
    glrec::log().clear();
    gl->drawObj(store.get(), refl);
    EXPECT_EQ(glrec::blocks(), "T3 T3");
    const float z = -2.0f + 0.002f;
    EXPECT_TRUE(sameAs(recorded("Vertex"), {{-1, -1, z}, {1, -1, z}, {1, 1, z}, {-1, -1, z}, {1, 1, z}, {-1, 1, z}}));
    const std::vector<xyz> st = recorded("TexCoord");
    ASSERT_EQ(st.size(), 6u);
    for (const xyz& c : st)
        EXPECT_TRUE(sameAs({c}, {{0.8f, 0.3f, 0}}));

    // a primitive strip of four corners goes 4, 1, 3, 2
    glrec::log().clear();
    const vec_4 n{0, 0, 1, 1};
    gl->poly4_ntv(n, {0.1f, 0.2f, 0, 1}, {1, 0, -3, 1}, n, {0.3f, 0.4f, 0, 1}, {2, 0, -3, 1}, n, {0.5f, 0.6f, 0, 1},
                  {3, 0, -3, 1}, n, {0.7f, 0.8f, 0, 1}, {4, 0, -3, 1});
    EXPECT_EQ(glrec::blocks(), "S4");
    EXPECT_TRUE(sameAs(recorded("Vertex"), {{4, 0, -3}, {1, 0, -3}, {3, 0, -3}, {2, 0, -3}}));
    EXPECT_TRUE(sameAs(recorded("TexCoord"), {{0.7f, 0.8f, 0}, {0.1f, 0.2f, 0}, {0.5f, 0.6f, 0}, {0.3f, 0.4f, 0}}));
}

TEST_F(GlTest, CallStreamOfSubdividedTrianglesAlternatesTheSplitEdge)
{
    const vec_4 n{0, 0, 1, 1};
    const vec_4 t1{0, 0, 0, 1}, t2{1, 0, 0, 1}, t3{0, 1, 0, 1};
    const vec_4 p1{0, 0, -2, 1}, p2{2, 0, -2, 1}, p3{0, 2, -2, 1};
    gl->setPolySubDivide(1);
    gl->altTriangle = 0;
    recording rec;
    // first (1, 2, 3): split at the middle of 1-2 into (3, 1, m) and (2, 3, m)
    gl->poly3_ntv(n, t1, p1, n, t2, p2, n, t3, p3);
    EXPECT_EQ(gl->altTriangle, 1);
    // then (3, 1, 2): split at the middle of 3-1 into (2, 3, m) and (1, 2, m)
    gl->poly3_ntv(n, t1, p1, n, t2, p2, n, t3, p3);
    EXPECT_EQ(gl->altTriangle, 0);
    EXPECT_EQ(glrec::blocks(), "T3 T3 T3 T3");
    EXPECT_TRUE(sameAs(recorded("Vertex"), {{0, 2, -2}, {0, 0, -2}, {1, 0, -2}, {2, 0, -2}, {0, 2, -2}, {1, 0, -2},
                                            {2, 0, -2}, {0, 2, -2}, {0, 1, -2}, {0, 0, -2}, {2, 0, -2}, {0, 1, -2}}));
    EXPECT_TRUE(sameAs(recorded("TexCoord"), {{0, 1, 0}, {0, 0, 0}, {0.5f, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.5f, 0, 0},
                                              {1, 0, 0}, {0, 1, 0}, {0, 0.5f, 0}, {0, 0, 0}, {1, 0, 0}, {0, 0.5f, 0}}));
    // the polygon count: each call takes back its own triangle and adds its two halves
    EXPECT_EQ(gl->polyCount, 2);
}

TEST_F(GlTest, APoseMovesTheNormalsTurnOnly)
{
    // a square at the origin facing +z, lit head-on
    const int a = model("f 1//1 2//1 3//1 4//1\n", "", "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nvn 0 0 1\n");
    const int b = model("f 1//1 2//1 3//1 4//1\n", "", "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nvn 0 0 1\n");
    gl->setLightColors(0, 0, 0, 1, 1, 1, 0, 0, 0);
    gl->setNormalLight(0, 0.0f, 0.0f, 1.0f);
    gl->enableLightning();

    // the same place by a translation and by a pose of that translation
    gl->translateObj(store.get(), a, 0.0f, 0.0f, -2.5f);
    gl->drawObj(store.get(), a);
    const rgb direct = pixel(W / 2, H / 2);
    EXPECT_GT(direct.r, 100);
    matrix_4 pose;
    identityMat(&pose);
    translateMat(&pose, 0.0f, 0.0f, -2.5f);
    gl->clear3DScreen(0, 0, 0, 1);
    gl->postMatrixMulObj(store.get(), b, pose);
    gl->drawObj(store.get(), b);
    const rgb posed = pixel(W / 2, H / 2);
    EXPECT_NEAR(posed.r, direct.r, 2);
    EXPECT_NEAR(posed.g, direct.g, 2);

    // a turned and moved pose: the normal turns with it and stays a unit normal
    matrix_4 ship;
    identityMat(&ship);
    translateMat(&ship, 3.0f, 2.0f, 24.0f);
    rotateYMat(&ship, 30.0f);
    gl->resetObj(store.get(), b);
    gl->postMatrixMulObj(store.get(), b, ship);
    gl->drawObj(store.get(), b);
    const float* n = store->getObject3D(b)->group[0].xNormal.get();
    EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0f, 1e-5f);
    EXPECT_NEAR(n[0], std::sin(30.0f * 0.017453292f), 1e-5f);
    EXPECT_NEAR(n[1], 0.0f, 1e-6f);
    EXPECT_NEAR(n[2], std::cos(30.0f * 0.017453292f), 1e-5f);
    // and the positions took the whole pose
    const float* v = store->getObject3D(b)->group[0].xVertex.get();
    EXPECT_NEAR(v[1], 1.0f, 1e-5f);
    EXPECT_NEAR(v[0], 3.0f - std::cos(30.0f * 0.017453292f), 1e-4f);
}

TEST_F(GlTest, DisplayTestTakesTheFirstLineOfTheDriversTexts)
{
    recording rec;
    // texts of several lines, one that starts with its line break, one longer than the title's room
    const std::string longName(300, 'r');
    const char* const vendors[] = {"Korva Labs\nsecond line", "\nhidden", "plain"};
    const char* const renderers[] = {"soft\n", "x\ny\nz", longName.c_str()};
    const char* const want[] = {"GLvendor:Korva Labs  GLrenderer:soft\n", "GLvendor:  GLrenderer:x\n",
                                nullptr};
    for (int k = 0; k < 3; k++) {
        glrec::vendorText() = vendors[k];
        glrec::rendererText() = renderers[k];
        char title[600] = "";
        char info1[128] = "";
        ASSERT_EQ(gl->gl3DInfUnix(0, title, sizeof title, info1, sizeof info1, nullptr, 0), 1);
        const std::string t = title;
        // one line, ended by its line break
        EXPECT_EQ(t.find('\n'), t.size() - 1) << t;
        if (want[k] != nullptr)
            EXPECT_EQ(t, want[k]);
        else
            EXPECT_EQ(t, "GLvendor:plain  GLrenderer:" + std::string(255, 'r') + "\n");
    }
    glrec::vendorText() = nullptr;
    glrec::rendererText() = nullptr;
}

namespace {

std::string square(float x0)
{
    const std::string a = std::to_string(x0);
    const std::string b = std::to_string(x0 + 1.0f);
    return "v " + a + " -0.5 -2\nv " + b + " -0.5 -2\nv " + b + " 0.5 -2\nv " + a + " 0.5 -2\nvn 0 0 1\n"
           "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n";
}

}  // namespace

TEST_F(GlTest, DisplayListsStartFromTheirOwnStateAndLeaveTheMirrorsTrue)
{
    writeFile("green.rgb", solidSgi(4, 4, 3, 0, 255, 0));
    writeFile("red.rgba", solidSgi(4, 4, 4, 255, 0, 0, 255));
    const int plain = model("f 1//1 2//1 3//1 4//1\n", "", square(-1.5f));
    // materials of their own, so that a list's end material differs from what came before
    const int green = model("usemtl g\nf 1/1/1 2/2/1 3/3/1 4/4/1\n",
                            "newmtl g\n\nKa 0.1 0.2 0.3\nKd 0.1 0.9 0.1\nKs 0.4 0.5 0.6\nmap_Kd green.rgb\n", square(-0.5f));
    const int red = model("usemtl r\nf 1/1/1 2/2/1 3/3/1 4/4/1\n",
                          "newmtl r\n\nKa 0.6 0.5 0.4\nKd 0.9 0.1 0.1\nKs 0.3 0.2 0.1\nmap_Kd red.rgba\n", square(0.5f));
    gl->makeTex(store.get());
    gl->disableLightning();
    glColor3f(1, 1, 1);
    const int xs[3] = {W / 2 - 24, W / 2, W / 2 + 24};
    const int objs[3] = {plain, green, red};
    auto frame = [&](const int* order) {
        gl->clear3DScreen(0, 0, 0, 1);
        for (int k = 0; k < 3; k++) {
            gl->drawObj(store.get(), objs[order[k]]);
            EXPECT_EQ(mirrorFaults(*gl), "") << "after object " << order[k];
            EXPECT_EQ(materialFaults(*gl), "") << "after object " << order[k];
        }
        std::vector<rgb> px;
        for (const int x : xs)
            px.push_back(pixel(x, H / 2));
        return px;
    };
    const int orders[][3] = {{0, 1, 2}, {1, 0, 2}, {2, 0, 1}, {2, 1, 0}, {0, 2, 1}};
    std::vector<std::vector<rgb>> direct;
    for (const auto& o : orders)
        direct.push_back(frame(o));
    // drawn directly: white, green and red, whatever the order
    EXPECT_GT(direct[0][0].g, 200);
    EXPECT_GT(direct[0][0].r, 200);
    EXPECT_EQ(direct[0][1].r, 0);
    EXPECT_GT(direct[0][1].g, 200);
    EXPECT_GT(direct[0][2].r, 200);
    EXPECT_EQ(direct[0][2].g, 0);

    // compiled while the mirrors stood in different states
    gl->texOn();
    gl->precalcObj(store.get(), plain);
    EXPECT_EQ(mirrorFaults(*gl), "");
    gl->texOff();
    gl->blendOn();
    gl->precalcObj(store.get(), green);
    gl->blendOff();
    gl->texOn();
    gl->precalcObj(store.get(), red);
    EXPECT_EQ(mirrorFaults(*gl), "");
    for (size_t k = 0; k < std::size(orders); k++) {
        const std::vector<rgb> listed = frame(orders[k]);
        for (int j = 0; j < 3; j++) {
            EXPECT_EQ(listed[size_t(j)].r, direct[k][size_t(j)].r) << "order " << k << " object " << j;
            EXPECT_EQ(listed[size_t(j)].g, direct[k][size_t(j)].g) << "order " << k << " object " << j;
        }
    }
    for (const int o : objs)
        EXPECT_EQ(store->getObject3D(o)->render->listValid, 1);

    // a direct draw after the lists finds the mirrors true: its texture shows
    const int late = model("usemtl g\nf 1/1/1 2/2/1 3/3/1 4/4/1\n", "newmtl g\n\nmap_Kd green.rgb\n", square(-0.5f));
    gl->clear3DScreen(0, 0, 0, 1);
    gl->drawObj(store.get(), plain);
    gl->drawObj(store.get(), late);
    EXPECT_GT(pixel(W / 2, H / 2).g, 200);
    EXPECT_EQ(pixel(W / 2, H / 2).r, 0);
    EXPECT_EQ(mirrorFaults(*gl), "");

    // textures switched off: a textured list is not called, the object is drawn untextured
    gl->noTexOn();
    gl->texOff();
    gl->clear3DScreen(0, 0, 0, 1);
    gl->drawObj(store.get(), green);
    EXPECT_EQ(mirrorFaults(*gl), "");
    EXPECT_GT(pixel(W / 2, H / 2).r, 200);
    gl->noTexOff();
}

TEST_F(GlTest, AListIsCalledInTheLightModelItWasCompiledIn)
{
    // two-sided lighting also switches culling: the list must find both as they were at compiling
    const int oneSided = model("f 1//1 2//1 3//1 4//1\n", "", square(-1.5f));
    const int twoSided = model("f 1//1 2//1 3//1 4//1\n", "", square(0.5f));
    gl->twoSideLightOff();
    gl->precalcObj(store.get(), oneSided);
    gl->twoSideLightOn();
    gl->precalcObj(store.get(), twoSided);
    EXPECT_EQ(mirrorFaults(*gl), "");
    const int orders[][2] = {{oneSided, twoSided}, {twoSided, oneSided}};
    for (const auto& order : orders)
        for (const bool twoBefore : {false, true})
            for (const int cullBefore : {-1, 0, 1}) {
                if (twoBefore)
                    gl->twoSideLightOn();
                else
                    gl->twoSideLightOff();
                // culling switched on its own after the light model, or left as the light model set it
                if (cullBefore == 0)
                    gl->cullFaceOff();
                else if (cullBefore == 1)
                    gl->cullFaceOn();
                for (const int o : order) {
                    gl->drawObj(store.get(), o);
                    EXPECT_EQ(mirrorFaults(*gl), "")
                        << "object " << o << " after two-sided " << twoBefore << ", culling " << cullBefore;
                    EXPECT_EQ(gl->twoSideLight, o == twoSided ? 1 : 0) << "object " << o;
                }
            }
}

TEST_F(GlTest, AClampedTextureStopsAtItsEdgeTexels)
{
    // a white texture on a quad whose coordinates run to 3 across and up
    writeFile("white.rgb", solidSgi(8, 8, 3, 255, 255, 255));
    const int o = model("usemtl w\nf 1/1/1 2/2/1 3/3/1 4/4/1\n", "newmtl w\n\nmap_Kd white.rgb\n",
                        "v -1 -1 -2\nv 1 -1 -2\nv 1 1 -2\nv -1 1 -2\nvn 0 0 1\nvt 0 0\nvt 3 0\nvt 3 3\nvt 0 3\n");
    gl->disableLightning();
    gl->texLinear = 1;
    gl->texClampOn();
    gl->makeTex(store.get());
    GLint wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE) << "this OpenGL has edge clamping: " << gl3D::hasEdgeClamp();
    EXPECT_EQ(gl->edgeClamp, 1);
    gl->drawObj(store.get(), o);
    // past the texture's end its edge shows, not a mix with the black border
    EXPECT_GT(pixel(W - 40, H - 40).r, 240);
    EXPECT_GT(pixel(W / 2, H / 2).g, 240);
    EXPECT_GT(pixel(W - 40, H / 2).b, 240);
    // without edge clamping OpenGL's clamp is all there is
    gl->edgeClamp = 0;
    gl->makeTex(store.get());
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP);
}

TEST_F(GlTest, TheBackBufferReadsBackAndIsKeptAtItsSize)
{
    gl->clear3DScreen(0.0f, 1.0f, 0.0f, 1.0f);
    std::vector<unsigned char> rgb(size_t(W) * H * 3);
    ASSERT_EQ(presentedFrame3D::readBack(W, H, rgb.data()), 1);
    EXPECT_EQ(rgb[1], 255);
    EXPECT_EQ(rgb[0], 0);
    // no frame of no size, and nowhere to put it
    EXPECT_EQ(presentedFrame3D::readBack(W, 0, rgb.data()), 0);
    EXPECT_EQ(presentedFrame3D::readBack(0, H, rgb.data()), 0);
    EXPECT_EQ(presentedFrame3D::readBack(W, H, nullptr), 0);
    // a kept frame is given back only at the size it was kept
    presentedFrame3D kept;
    kept.grab(W, H);
    EXPECT_EQ(kept.read(W, H, rgb.data()), 0);  // not keeping yet
    kept.keep(true);
    kept.grab(W, H);
    EXPECT_EQ(kept.read(W, H, rgb.data()), 1);
    EXPECT_EQ(kept.read(W - 1, H, rgb.data()), 0);
}
