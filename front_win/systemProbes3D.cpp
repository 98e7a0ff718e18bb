// The tests of the main dialog: the matrix speed test, the desktop
// rendering test at start-up, and the processor test behind the 3DNow line.
#include "displayVerdicts3D.h"
#include "driver3D.h"
#include "platform3D.h"
#include "winFront3D.h"

#include <cpuid.h>

void matrixSpeedTest3D()
{
    mainOut.prCls();
    mainOut.pr("This a speed test of Korvane internal Matrix routines with 3DNOW\n\n");
    mainOut.pr("This is NOT a test of D3D or OpenGL Matrix routines\n\n");
    mainOut.pr("Testing 10.000.000 x  matrix*vector\n\n");
    mainOut.pr("Testing 1.000.000 x  matrix*matrix\n\n");
    // the lines are on screen before the loops hold the thread
    UpdateWindow(mainDialog);
    const float seconds = matrixLoops3D(clockMillis3D);
    char report[1024];
    matrixReport3D(seconds, report, sizeof report);
    mainOut.pr(report);
}

float desktopRenderingTest3D()
{
    if (loadDeskObjs3D() == 0)
        return -1.0f;
    const int keepWindow = frameWindow;
    frameWindow = 1;
    constexpr int w = 320, h = 240, frames = 60;
    if (glEngine.init3D(w, h, 32, 0, 0, 2, 1) != 1) {
        frameWindow = keepWindow;
        glEngine.release3D();
        return -1.0f;
    }
    glEngine.init3DView(-0.2f, 0.2f, -0.15f, 0.15f, 0.3f, 20.0f);
    glEngine.zOn();
    glEngine.cullFaceOn();
    glEngine.texClampOn();
    glEngine.makeTex(&sceneData);
    glEngine.texOn();
    glEngine.setLightColors(0.3f, 0.3f, 0.3f, 1.0f, 1.0f, 1.0f, 0.4f, 0.4f, 0.4f);
    glEngine.setNormalLight(0, 0.3f, 0.6f, 1.0f);
    glEngine.enableLightning();
    const long t0 = clockMillis3D();
    for (int f = 0; f < frames; f++) {
        const float a = float(f) * 6.0f;
        glEngine.clear3DScreen(0.0f, 0.0f, 0.0f, 1.0f);
        glEngine.resetCamMat();
        glEngine.translateCam(0.0f, 0.0f, 4.0f);
        glEngine.resetObj(&sceneData, korvaObj);
        glEngine.translateObj(&sceneData, korvaObj, 0.0f, 0.6f, 0.0f);
        glEngine.scaleObj(&sceneData, korvaObj, 0.5f, 0.5f, 0.5f);
        glEngine.rotateObj(&sceneData, korvaObj, 0.0f, a, 0.0f);
        glEngine.drawObj(&sceneData, korvaObj);
        // the ship's textures carry its light, as in the intro
        glEngine.disableLightning();
        glEngine.resetObj(&sceneData, shipObj);
        glEngine.translateObj(&sceneData, shipObj, 0.0f, -0.5f, 0.0f);
        glEngine.rotateObj(&sceneData, shipObj, 20.0f, a, 0.0f);
        glEngine.drawObj(&sceneData, shipObj);
        glEngine.enableLightning();
        glEngine.swap3DBuffer();
    }
    const long t1 = clockMillis3D();
    glEngine.release3D();
    frameWindow = keepWindow;
    const long ms = t1 - t0 > 0 ? t1 - t0 : 1;
    return float(frames) / (float(ms) * 0.001f);
}

bool has3DNow()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(0x80000000u, &a, &b, &c, &d) == 0 || a < 0x80000001u)
        return false;
    if (__get_cpuid(0x80000001u, &a, &b, &c, &d) == 0)
        return false;
    return (d & (1u << 31)) != 0;
}
