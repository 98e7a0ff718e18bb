// The off-screen window system: the renderer drawing through EGL into a
// pbuffer with no X server, read back pixel by pixel.
#include "eglWindow3D.h"
#include "glFixture.h"

#include <cstdlib>
#include <cstring>

namespace {

class OffScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        char why[200] = "";
        ASSERT_TRUE(openEglDisplay(why, sizeof why)) << why;
        gl3D::setWindowSystem(eglWindowSystem3D());
    }
    glfix::rgb pixel(int x, int y)
    {
        unsigned char p[4] = {};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return glfix::rgb{p[0], p[1], p[2]};
    }
    int model(const char* obj)
    {
        writeFile("q.obj", obj);
        return store->load_obj("q.obj");
    }

    tempDir dir;
    std::unique_ptr<outTxt> console = std::make_unique<outTxt>();
    std::unique_ptr<gl3D> gl = std::make_unique<gl3D>(console.get());
    std::unique_ptr<data3D> store = std::make_unique<data3D>(console.get());
};

}  // namespace

TEST_F(OffScreenTest, TheRendererDrawsIntoAPbufferAgainAndAgain)
{
    const int quad = model("v -1 -1 -2\nv 1 -1 -2\nv 1 1 -2\nv -1 1 -2\nvn 0 0 1\nf 1//1 2//1 3//1 4//1\n");
    ASSERT_EQ(quad, 0);
    // a second start after the first, at another size, draws as the first did
    for (const int side : {96, 200}) {
        const int h = side * 3 / 4;
        ASSERT_EQ(gl->init3D(side, h, 24, 0, 0, 2, 0), 1) << side;
        const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        ASSERT_NE(renderer, nullptr);
        EXPECT_GT(std::strlen(renderer), 0u);
        gl->init3DView(-0.1f, 0.1f, -0.1f, 0.1f, 0.1f, 100.0f);
        gl->zOn();
        gl->clear3DScreen(1.0f, 0.0f, 0.0f, 1.0f);
        gl->disableLightning();
        glColor3f(0.0f, 1.0f, 0.0f);
        EXPECT_EQ(gl->drawObj(store.get(), quad), 1);
        gl->swap3DBuffer();
        // the quad spans the middle half of a 90 degree view; the clear colour is around it
        const glfix::rgb mid = pixel(side / 2, h / 2);
        EXPECT_EQ(mid.r, 0) << side;
        EXPECT_GT(mid.g, 200) << side;
        const glfix::rgb corner = pixel(2, h - 3);
        EXPECT_GT(corner.r, 200) << side;
        EXPECT_EQ(corner.g, 0) << side;
        EXPECT_GT(pixel(side / 4 - 3, h / 2).r, 200) << side;
        EXPECT_GT(pixel(side / 2, h / 4 - 3).r, 200) << side;
        EXPECT_GT(pixel(side / 2, h / 4 + 3).g, 200) << side;
        gl->release3D();
    }
}

TEST_F(OffScreenTest, ASurfaceTooLargeFailsAndTheNextStartWorks)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(gl->init3D(100000, 100000, 24, 0, 0, 2, 0), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("off-screen: no 100000 x 100000 pbuffer"), std::string::npos) << err;
    EXPECT_NE(std::string(console->getText()).find("can't create the OpenGL window"), std::string::npos);
    gl->release3D();
    ASSERT_EQ(gl->init3D(64, 64, 24, 0, 0, 2, 0), 1);
    gl->clear3DScreen(0.0f, 0.0f, 1.0f, 1.0f);
    EXPECT_GT(pixel(32, 32).b, 200);
    gl->release3D();
}
