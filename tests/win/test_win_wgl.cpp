// The renderer in a real WGL window under Wine (Mesa behind it): the
// window's messages, pixels read back, the Windows swap test's lines, and
// the desk objects of the desktop rendering test.
#include "driver3D.h"
#include "platform3D.h"
#include "wglWindow3D.h"

#include "gl/glHeaders.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class WglTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        armClock3D();
        wglInstance = GetModuleHandleA(nullptr);
        gl3D::setWindowSystem(wglWindowSystem3D());
        defaultSettings3D();
        mainOut.prCls();
        mainOut.setOut(nullptr, -1);
        frameWindow = 1;
    }
    void TearDown() override { glEngine.release3D(); }
};

bool pixelNear(int x, int y, int r, int g, int b)
{
    unsigned char p[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return std::abs(p[0] - r) < 8 && std::abs(p[1] - g) < 8 && std::abs(p[2] - b) < 8;
}

}  // namespace

TEST_F(WglTest, WindowContextAndPixels)
{
    ASSERT_EQ(glEngine.init3D(160, 120, 32, 0, 0, 2, 1), 1) << mainOut.getText();
    const std::string log = mainOut.getText();
    EXPECT_NE(log.find("gl3D::initglWin: created glWindow\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("GL_VENDOR: "), std::string::npos) << log;
    EXPECT_NE(wglRunWindow3D(), nullptr);
    RECT r = {};
    GetClientRect(wglRunWindow3D(), &r);
    EXPECT_EQ(r.right, 160);
    EXPECT_EQ(r.bottom, 120);

    glEngine.init3DView(-0.2f, 0.2f, -0.15f, 0.15f, 0.3f, 20.0f);
    glEngine.clear3DScreen(0.0f, 1.0f, 0.0f, 1.0f);
    glFinish();
    EXPECT_TRUE(pixelNear(80, 60, 0, 255, 0));
    glEngine.clear3DScreen(0.0f, 0.0f, 1.0f, 1.0f);
    glFinish();
    EXPECT_TRUE(pixelNear(5, 5, 0, 0, 255));

    glEngine.release3D();
    EXPECT_EQ(wglRunWindow3D(), nullptr);
}

TEST_F(WglTest, SwapTestLinesOnWindows)
{
    ASSERT_EQ(glEngine.init3D(160, 120, 32, 0, 0, 2, 1), 1) << mainOut.getText();
    mainOut.prCls();
    char title[512] = "KORVA_WIN 1.3  ";
    char info1[256], info2[256];
    glEngine.ddmSwitch = 1;
    ASSERT_EQ(glEngine.get3DInfo(160, 120, 32, 0, 0, 2, 1, 1, title, sizeof title, info1, sizeof info1, info2,
                                 sizeof info2),
              1);
    glEngine.ddmSwitch = 0;
    const std::string log = mainOut.getText();
    const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    EXPECT_EQ(std::string(title).rfind("KORVA_WIN 1.3  GLvendor:", 0), 0u) << title;
    EXPECT_NE(std::string(title).find("  GLrenderer:" + renderer + "\n"), std::string::npos) << title;
    EXPECT_NE(log.find("\r\nSWAP3DBuffer test result "), std::string::npos) << log;
    if (gl3D::isSoftwareRenderer(renderer.c_str())) {
        EXPECT_NE(log.find("\r\nIt looks like You are using Open GL SOFTWARE EMULATION.\r\n"
                           "SOFTWARE EMULATION is very slow and this program will\r\n"
                           "not run properly. Try to get an Open GL hardware driver.\r\n"
                           "Some Open GL hardware driver does only run in 16 bit modes.\r\n"
                           "Check the driver and try to change the resolution.\r\n"),
                  std::string::npos)
            << log;
    }
    const std::string i1 = info1;
    EXPECT_TRUE(i1 == "VSync ON  DDMSwich ON \n" || i1 == "VSync OFF  DDMSwich ON \n") << i1;

    // the quiet flag keeps the rate and the warning out of the log, not out of the info
    mainOut.prCls();
    char quietTitle[512] = "";
    ASSERT_EQ(glEngine.get3DInfo(160, 120, 32, 0, 0, 2, 1, 0, quietTitle, sizeof quietTitle, info1, sizeof info1,
                                 info2, sizeof info2),
              1);
    const std::string quiet = mainOut.getText();
    EXPECT_EQ(quiet.find("SWAP3DBuffer test result"), std::string::npos) << quiet;
    EXPECT_EQ(quiet.find("SOFTWARE EMULATION"), std::string::npos) << quiet;
    EXPECT_NE(std::string(info1).find("DDMSwich OFF\n"), std::string::npos) << info1;
}

TEST(SoftwareRenderers, AreRecognisedByName)
{
    EXPECT_TRUE(gl3D::isSoftwareRenderer("GDI Generic"));
    EXPECT_TRUE(gl3D::isSoftwareRenderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(gl3D::isSoftwareRenderer("Mesa X11 Software Rasterizer"));
    EXPECT_FALSE(gl3D::isSoftwareRenderer("NVIDIA GeForce RTX 4090/PCIe/SSE2"));
    EXPECT_FALSE(gl3D::isSoftwareRenderer(nullptr));
}

TEST_F(WglTest, DeskObjectsDrawnFromTheirPackage)
{
    ASSERT_EQ(changeDir3D(KORVA_WIN_TREE), 0);
    ASSERT_EQ(loadDeskObjs3D(), 1) << mainOut.getText();
    EXPECT_EQ(plas_aObjend - plas_aObjstart, 16);
    EXPECT_EQ(korva_aObj, korvaObj + 1);
    EXPECT_EQ(bigTexLoaded + smlTexLoaded, 0);  // the city comes back at the next start
    ASSERT_EQ(glEngine.init3D(160, 120, 32, 0, 0, 2, 1), 1);
    glEngine.init3DView(-0.2f, 0.2f, -0.15f, 0.15f, 0.3f, 20.0f);
    glEngine.zOn();
    glEngine.makeTex(&sceneData);
    glEngine.texOn();
    glEngine.setLightColors(0.3f, 0.3f, 0.3f, 1.0f, 1.0f, 1.0f, 0.4f, 0.4f, 0.4f);
    glEngine.setNormalLight(0, 0.3f, 0.6f, 1.0f);
    // the ship's textures carry its light, as in the intro
    glEngine.disableLightning();
    glEngine.clear3DScreen(0.0f, 0.0f, 0.0f, 1.0f);
    glEngine.resetCamMat();
    glEngine.translateCam(0.0f, 0.0f, 2.0f);
    glEngine.resetObj(&sceneData, shipObj);
    glEngine.drawObj(&sceneData, shipObj);
    glFinish();
    std::vector<unsigned char> px(160 * 120 * 4);
    glReadPixels(0, 0, 160, 120, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    int lit = 0;
    for (size_t i = 0; i < px.size(); i += 4)
        lit += px[i] + px[i + 1] + px[i + 2] > 30;
    EXPECT_GT(lit, 200) << "the ship covers part of the view";
}
