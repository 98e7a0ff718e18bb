// The display test of a benchmark's start in townview_x's own run window:
// it runs inside FLTK's GLUT display callback, where glutSwapBuffers only
// marks the frame, so the swaps that reach the window system are counted
// here, where every GLX buffer swap of the process passes.
#include "driver3D.h"
#include "fltkFront.h"
#include "platform3D.h"

#include "runWalk.h"
#include "tempDir.h"

#include <FL/Fl.H>
#include <GL/glx.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

int swapsReached = 0;

}  // namespace

// every buffer swap of the process, FLTK's included, comes through here
extern "C" void glXSwapBuffers(Display* d, GLXDrawable w)
{
    using swapFn = void (*)(Display*, GLXDrawable);
    static const auto real = reinterpret_cast<swapFn>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    swapsReached++;
    real(d, w);
}

TEST(FltkSwapTest, TheDisplayTestSwapsTwoHundredTimesAndTimesThem)
{
    tempDir dir;
    makeLinuxTree(KORVA_TREE, dir.path);
    ASSERT_EQ(changeDir3D("linux"), 0);
    armClock3D();
    openMainDialog();
    scrX = 320;
    scrY = 200;
    runDemo = 0;
    runBenchNormal = 1;
    runBenchHigh = 0;
    saveBench = 0;
    mainOut.prCls();
    ASSERT_EQ(startGlut(), 1) << mainOut.getText();
    // until the display test has run and the flight has begun
    const int before = swapsReached;
    const auto t0 = std::chrono::steady_clock::now();
    while (drawCityNow != 1 && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(60))
        Fl::wait(0.01);
    ASSERT_EQ(drawCityNow, 1) << mainOut.getText();
    const int during = swapsReached - before;
    EXPECT_GE(during, 200) << "the display test's swaps did not reach the window system";

    const std::string log = mainOut.getText();
    double ms = 0.0, hz = 0.0;
    const size_t at = log.find("SWAP3DBuffer: 200 buffer swaps in ");
    ASSERT_NE(at, std::string::npos) << log;
    ASSERT_EQ(std::sscanf(log.c_str() + at, "SWAP3DBuffer: 200 buffer swaps in %lf ms", &ms), 1);
    const size_t rateAt = log.find("SWAP3DBuffer test result ");
    ASSERT_NE(rateAt, std::string::npos);
    ASSERT_EQ(std::sscanf(log.c_str() + rateAt, "SWAP3DBuffer test result %lf Hz", &hz), 1);
    // a real swap of a 320 x 200 window takes time; the rate is what that time gives
    EXPECT_GT(ms, 0.5) << log;
    EXPECT_NEAR(hz, 200.0 / (ms / 1000.0), hz * 0.01 + 0.01);
    const std::string verdict = m3dinfText2;
    EXPECT_EQ(verdict.find(hz < 150.0 ? "VSync ON" : "VSync OFF"), 0u) << verdict;

    closeRunWindow3D();
    while (!runEnded && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(90))
        Fl::wait(0.01);
    EXPECT_EQ(runEnded, 1);
    changeDir3D(dir.home.c_str());
}
