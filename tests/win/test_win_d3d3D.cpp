// The renderer on its Direct3D 7 device under Wine: the render states it
// maps from OpenGL, two-sided lighting, fog and the fog keys, text, display
// lists, and the texture formats and filters of the keys and the settings
// dialog, all read back from the back buffer.
#include "d3dDisplay3D.h"
#include "d3dWindow3D.h"
#include "driver3D.h"
#include "platform3D.h"
#include "wglWindow3D.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int S = 128;

struct rgb {
    int r, g, b;
};

class D3D3DTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        armClock3D();
        wglInstance = GetModuleHandleA(nullptr);
        defaultSettings3D();
        mainOut.prCls();
        mainOut.setOut(nullptr, -1);
        frameWindow = 1;
        scrD = 32;
        d3dDriverChoice = 0;
        d3dDeviceChoice = 0;
        useDirect3D = 1;
        selectRenderer3D();
        open();
    }
    void TearDown() override
    {
        glEngine.release3D();
        d3dTexFilter = 1;
        d3dNo32BitTex = d3dDisableFog = d3dNoBlendHardware = d3dShowTexFormats = 0;
        useDirect3D = 0;
        selectRenderer3D();
    }
    void open()
    {
        ASSERT_EQ(glEngine.init3D(S, S, 32, 0, 0, 2, 1), 1) << mainOut.getText();
        // a 90 degree view: the near plane spans -0.1 .. 0.1 at 0.1
        glEngine.init3DView(-0.1f, 0.1f, -0.1f, 0.1f, 0.1f, 100.0f);
        glEngine.zOn();
        glEngine.clear3DScreen(0.0f, 0.0f, 0.0f, 1.0f);
    }
    void reopen()
    {
        glEngine.release3D();
        open();
    }
    // x from the left, y from the top
    rgb pixel(int x, int y)
    {
        std::vector<unsigned char> p;
        int w = 0, h = 0;
        if (!d3dRenderer3D().readBack(p, &w, &h) || x >= w || y >= h)
            return {-1, -1, -1};
        const unsigned char* c = &p[(size_t(y) * size_t(w) + size_t(x)) * 4];
        return {c[0], c[1], c[2]};
    }
    std::vector<unsigned char> frame()
    {
        std::vector<unsigned char> p;
        int w = 0, h = 0;
        d3dRenderer3D().readBack(p, &w, &h);
        return p;
    }
    // a square facing the viewer at depth z, half as wide as the view there,
    // counter-clockwise unless turned
    void square(float z, bool turned = false, float nz = 1.0f)
    {
        const float h = -z * 0.5f;
        const vec_4 n = {0.0f, 0.0f, nz, 1.0f};
        const vec_4 a = {-h, -h, z, 1.0f}, b = {h, -h, z, 1.0f}, c = {h, h, z, 1.0f}, d = {-h, h, z, 1.0f};
        if (turned)
            glEngine.poly4_nv(n, a, n, d, n, c, n, b);
        else
            glEngine.poly4_nv(n, a, n, b, n, c, n, d);
    }
    // half is the square's half side, by default half the view at z
    void texturedSquare(float z, float half = 0.0f)
    {
        const float h = half > 0.0f ? half : -z * 0.5f;
        const vec_4 n = {0.0f, 0.0f, 1.0f, 1.0f};
        const vec_4 t0 = {0, 0, 0, 1}, t1 = {1, 0, 0, 1}, t2 = {1, 1, 0, 1}, t3 = {0, 1, 0, 1};
        glEngine.poly4_ntv(n, t0, {-h, -h, z, 1.0f}, n, t1, {h, -h, z, 1.0f}, n, t2, {h, h, z, 1.0f}, n, t3,
                           {-h, h, z, 1.0f});
    }
};

bool within(const rgb& p, int r, int g, int b, int tolerance = 12)
{
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance && std::abs(p.b - b) <= tolerance;
}

::testing::AssertionResult is(const rgb& p, int r, int g, int b, int tolerance = 12)
{
    if (within(p, r, g, b, tolerance))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel " << p.r << "," << p.g << "," << p.b << " not " << r << "," << g
                                         << "," << b;
}

}  // namespace

TEST_F(D3D3DTest, ClearCullLightFogAndText)
{
    EXPECT_NE(std::string(mainOut.getText()).find("d3d3D::init3D: created Direct3D Window 128 x 128 x 32\r\n"),
              std::string::npos)
        << mainOut.getText();
    EXPECT_NE(d3dRunWindow3D(), nullptr);
    glEngine.clear3DScreen(0.0f, 1.0f, 0.0f, 1.0f);
    EXPECT_TRUE(is(pixel(64, 64), 0, 255, 0));
    glEngine.clear3DScreen(0.0f, 0.0f, 0.0f, 1.0f);

    // unlit: the vertices' white; the square spans the middle half
    square(-1.0f);
    EXPECT_TRUE(is(pixel(64, 64), 255, 255, 255));
    EXPECT_TRUE(is(pixel(40, 88), 255, 255, 255));
    EXPECT_TRUE(is(pixel(20, 64), 0, 0, 0));
    EXPECT_TRUE(is(pixel(64, 110), 0, 0, 0));

    // back faces go when culling is on
    glEngine.clear3DScreen(0.0f, 0.0f, 0.0f, 1.0f);
    glEngine.cullFaceOn();
    square(-1.0f, true);
    EXPECT_TRUE(is(pixel(64, 64), 0, 0, 0));
    glEngine.cullFaceOff();
    square(-1.0f, true);
    EXPECT_TRUE(is(pixel(64, 64), 255, 255, 255));

    // a red material under a white light from the viewer
    glEngine.clear3DScreen(0.0f, 0.0f, 0.0f, 1.0f);
    glEngine.setLightColors(0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f);
    glEngine.setNormalLight(0, 0.0f, 0.0f, 1.0f);
    glEngine.setMaterial(0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
    glEngine.enableLightning();
    square(-1.0f);
    EXPECT_TRUE(is(pixel(64, 64), 255, 0, 0));

    // a back face whose normal points away is dark, unless both sides are lit
    glEngine.clear3DScreen(0.0f, 0.0f, 1.0f, 1.0f);
    glEngine.twoSideLightOff();
    glEngine.cullFaceOff();
    square(-1.0f, true, -1.0f);
    EXPECT_TRUE(is(pixel(64, 64), 0, 0, 0));
    glEngine.twoSideLightOn();
    square(-1.0f, true, -1.0f);
    EXPECT_TRUE(is(pixel(64, 64), 255, 0, 0));
    glEngine.twoSideLightOff();
    glEngine.disableLightning();

    // linear fog: full beyond its end, none before its start
    glEngine.clear3DScreen(0.0f, 0.0f, 0.0f, 1.0f);
    glEngine.enableFogLin(0.5f, 1.5f, 0.0f, 0.0f, 1.0f, 1.0f);
    square(-3.0f);
    EXPECT_TRUE(is(pixel(64, 64), 0, 0, 255));
    glEngine.clear3DScreen(0.0f, 0.0f, 0.0f, 1.0f);
    square(-0.4f);
    EXPECT_TRUE(is(pixel(64, 64), 255, 255, 255));
    glEngine.clear3DScreen(0.0f, 0.0f, 0.0f, 1.0f);
    square(-1.0f);
    EXPECT_TRUE(is(pixel(64, 64), 128, 128, 255, 24));
    glEngine.disableFog();
    glEngine.clear3DScreen(0.0f, 0.0f, 0.0f, 1.0f);
    square(-3.0f);
    EXPECT_TRUE(is(pixel(64, 64), 255, 255, 255));

    // the keys: no fog at all, or fog from each vertex
    d3dDisableFog = 1;
    reopen();
    glEngine.enableFogLin(0.5f, 1.5f, 0.0f, 0.0f, 1.0f, 1.0f);
    square(-3.0f);
    EXPECT_TRUE(is(pixel(64, 64), 255, 255, 255));
    d3dDisableFog = 0;
    d3dFogInSoftware = 1;
    reopen();
    glEngine.enableFogLin(0.5f, 1.5f, 0.0f, 0.0f, 1.0f, 1.0f);
    square(-3.0f);
    d3dFogInSoftware = 0;
    EXPECT_TRUE(is(pixel(64, 64), 0, 0, 255));
    glEngine.disableFog();

    // text: white glyphs on the row of the raster position, nothing elsewhere
    glEngine.clear3DScreen(0.0f, 0.0f, 0.0f, 1.0f);
    glEngine.pr("KORVANE", -0.9f, 0.0f);
    const std::vector<unsigned char> p = frame();
    ASSERT_EQ(p.size(), size_t(S) * S * 4);
    int inRow = 0, outside = 0;
    for (int y = 0; y < S; y++)
        for (int x = 0; x < S; x++) {
            const bool lit = p[(size_t(y) * S + size_t(x)) * 4] > 200;
            if (y >= 64 - 13 && y <= 64 + 2 && x >= 6 && x < 90)
                inRow += lit;
            else
                outside += lit;
        }
    EXPECT_GT(inRow, 40);
    EXPECT_EQ(outside, 0);
    // the text leaves the state as it found it
    EXPECT_EQ(glEngine.zEnabled, 1);
    glEngine.printError();
    EXPECT_NE(std::string(mainOut.getText()).find("GL_NO_ERROR"), std::string::npos);
}

TEST_F(D3D3DTest, DisplayListsDrawWhenCalled)
{
    const glApi3D* gl = d3d3D::api();
    gl->NewList(7, GL_COMPILE);
    gl->Disable(GL_LIGHTING);
    square(-1.0f);
    gl->EndList();
    EXPECT_TRUE(is(pixel(64, 64), 0, 0, 0));  // compiling draws nothing
    glEngine.enableLightning();
    gl->CallList(7);
    EXPECT_TRUE(is(pixel(64, 64), 255, 255, 255));
    glEngine.clear3DScreen(0.0f, 0.0f, 0.0f, 1.0f);
    gl->CallList(8);  // no such list: nothing
    EXPECT_TRUE(is(pixel(64, 64), 0, 0, 0));
}

TEST_F(D3D3DTest, TextureFormatsFiltersAndBlending)
{
    // 2 x 2 texels: red, green / blue, white; and half see-through white
    const unsigned char rgbTexels[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    const unsigned char rgbaTexels[] = {255, 255, 255, 128, 255, 255, 255, 128,
                                        255, 255, 255, 128, 255, 255, 255, 128};
    const glApi3D* gl = d3d3D::api();
    auto upload = [&](GLuint* name, const unsigned char* texels, GLenum format) {
        gl->GenTextures(1, name);
        gl->BindTexture(GL_TEXTURE_2D, *name);
        gl->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        gl->TexImage2D(GL_TEXTURE_2D, 0, format == GL_RGBA ? 4 : 3, 2, 2, 0, format, GL_UNSIGNED_BYTE, texels);
    };
    struct variant {
        int no32, filter;
        const char* rgbName;
        const char* rgbaName;
    };
    for (const variant v : {variant{0, 0, "RGB0888", "ARGB8888"}, variant{1, 0, "RGB565", "ARGB4444"},
                            variant{0, 1, "RGB0888", "ARGB8888"}}) {
        SCOPED_TRACE(v.rgbName);
        d3dNo32BitTex = v.no32;
        d3dTexFilter = v.filter;
        d3dShowTexFormats = 1;
        mainOut.prCls();
        reopen();
        GLuint names[2] = {};
        upload(&names[0], rgbTexels, GL_RGB);
        glEngine.texOn();
        texturedSquare(-1.0f);
        // texel rows run up the square, as in OpenGL: row 0 at the bottom
        if (v.filter == 0) {
            EXPECT_TRUE(is(pixel(40, 88), 255, 0, 0));
            EXPECT_TRUE(is(pixel(88, 88), 0, 255, 0));
            EXPECT_TRUE(is(pixel(40, 40), 0, 0, 255));
            EXPECT_TRUE(is(pixel(88, 40), 255, 255, 255));
        } else {
            // linear filtering mixes the texels in the middle
            const rgb m = pixel(64, 64);
            EXPECT_GT(m.r, 60);
            EXPECT_GT(m.g, 60);
            EXPECT_GT(m.b, 60);
            EXPECT_LT(m.r, 220);
        }
        glEngine.clear3DScreen(0.0f, 0.0f, 1.0f, 1.0f);
        upload(&names[1], rgbaTexels, GL_RGBA);
        glEngine.blendOn();
        texturedSquare(-1.0f);
        glEngine.blendOff();
        EXPECT_TRUE(is(pixel(64, 64), 128, 128, 255, 16));
        const std::string log = mainOut.getText();
        EXPECT_NE(log.find(std::string("Direct3D texture format for RGB images: ") + v.rgbName + "\r\n"),
                  std::string::npos)
            << log;
        EXPECT_NE(log.find(std::string("Direct3D texture format for RGBA images: ") + v.rgbaName + "\r\n"),
                  std::string::npos)
            << log;
        gl->DeleteTextures(2, names);
    }

    // a mipmap chain: each level its own colour, the far square takes a small one
    reopen();
    GLuint chain = 0;
    gl->GenTextures(1, &chain);
    gl->BindTexture(GL_TEXTURE_2D, chain);
    gl->TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
    const unsigned char colours[3][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    for (int L = 0, side = 64; side >= 1; L++, side /= 2) {
        std::vector<unsigned char> level(size_t(side) * size_t(side) * 3);
        for (size_t i = 0; i < level.size(); i++)
            level[i] = colours[L < 2 ? L : 2][i % 3];
        gl->TexImage2D(GL_TEXTURE_2D, L, 3, side, side, 0, GL_RGB, GL_UNSIGNED_BYTE, level.data());
    }
    glEngine.texOn();
    texturedSquare(-1.0f);
    EXPECT_TRUE(is(pixel(64, 64), 255, 0, 0));
    glEngine.clear3DScreen(0.0f, 0.0f, 0.0f, 1.0f);
    texturedSquare(-8.0f, 0.5f);  // 8 pixels for 64 texels
    EXPECT_TRUE(is(pixel(64, 64), 0, 0, 255));
    gl->DeleteTextures(1, &chain);

    // without blending hardware a half see-through texel is cut out or kept whole
    d3dNoBlendHardware = 1;
    reopen();
    GLuint name = 0;
    upload(&name, rgbaTexels, GL_RGBA);
    glEngine.clear3DScreen(0.0f, 0.0f, 1.0f, 1.0f);
    glEngine.texOn();
    glEngine.blendOn();
    texturedSquare(-1.0f);
    glEngine.blendOff();
    EXPECT_TRUE(is(pixel(64, 64), 255, 255, 255) || is(pixel(64, 64), 0, 0, 255)) << pixel(64, 64).r;
    // and the dialog's quiet box keeps the formats out of the log
    d3dShowTexFormats = 0;
    mainOut.prCls();
    reopen();
    upload(&name, rgbTexels, GL_RGB);
    glEngine.texOn();
    texturedSquare(-1.0f);
    EXPECT_EQ(std::string(mainOut.getText()).find("texture format"), std::string::npos);
}

TEST(D3DDeviceChoice, TnLCheckAndSoftwareDesktop)
{
    mainOut.prCls();
    mainOut.setOut(nullptr, -1);
    char names[16][128];
    const int n = enumDevices3D(0, names, 16);
    ASSERT_GE(n, 1);
    int tnl = -1, hal = -1, rgb = -1;
    for (int i = 0; i < n; i++) {
        GUID g = {};
        char name[128];
        ASSERT_TRUE(deviceGuid3D(0, i, &g, name, sizeof name));
        tnl = IsEqualGUID(g, IID_IDirect3DTnLHalDevice) ? i : tnl;
        hal = IsEqualGUID(g, IID_IDirect3DHALDevice) ? i : hal;
        rgb = IsEqualGUID(g, IID_IDirect3DRGBDevice) ? i : rgb;
    }
    // the chosen device, unless check 1130 says otherwise about the T&L HAL
    useTnLHal = 0;
    d3dDeskTopRenderingInSoftware = 0;
    for (int i = 0; i < n; i++)
        EXPECT_EQ(d3dDeviceFor3D(0, i, true), (i == tnl && hal >= 0) ? hal : i);
    if (tnl >= 0 && hal >= 0) {
        EXPECT_NE(std::string(mainOut.getText()).find("USE Direct3DTnLHalDevice is off: "), std::string::npos);
        useTnLHal = 1;
        EXPECT_EQ(d3dDeviceFor3D(0, hal, false), tnl);
        EXPECT_EQ(d3dDeviceFor3D(0, tnl, false), tnl);
    }
    // rendering into a window on the desktop in software, where the rasteriser is there
    const int fullScreen = d3dDeviceFor3D(0, 0, false);
    d3dDeskTopRenderingInSoftware = 1;
    EXPECT_EQ(d3dDeviceFor3D(0, 0, false), fullScreen);
    if (rgb >= 0) {
        EXPECT_EQ(d3dDeviceFor3D(0, 0, true), rgb);
    }
    d3dDeskTopRenderingInSoftware = 0;
    useTnLHal = 0;
    // what is not listed stays as it is, for the opening to report
    EXPECT_EQ(d3dDeviceFor3D(0, n, true), n);
    EXPECT_EQ(d3dDeviceFor3D(-1, 0, true), 0);
}
