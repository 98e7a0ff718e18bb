// Runs a TOWNVIEW benchmark through the driver in a bare window, as the
// dialogs would start it, and appends its record to bench.res.
//   korva_bench ROOT [--high] [--big] [--size WxH] [--nosave] [--off-screen]
// ROOT is the data tree (its linux/ folder becomes the working folder).
// Run it under a display, for example xvfb-run, or with --off-screen
// through EGL without one.
#include "bareFront3D.h"
#include "driver3D.h"
#include "eglWindow3D.h"
#include "glxWindow3D.h"
#include "platform3D.h"
#include "version3D.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: korva_bench ROOT [--high] [--big] [--size WxH] [--nosave] [--off-screen]\n");
        return 2;
    }
    mainOut.setEcho(stdout);
    if (changeDir3D((std::string(argv[1]) + "/linux").c_str()) != 0) {
        std::fprintf(stderr, "korva_bench: no %s/linux\n", argv[1]);
        return 1;
    }
    loadParameter("Korva.INI");
    identifyMachine3D();
    runDemo = 0;
    runBenchNormal = 1;
    runBenchHigh = 0;
    bool offScreen = false;
    for (int i = 2; i < argc; i++) {
        if (!std::strcmp(argv[i], "--high")) {
            runBenchHigh = 1;
            runBenchNormal = 0;
        } else if (!std::strcmp(argv[i], "--big")) {
            loadBigTex = 1;
        } else if (!std::strcmp(argv[i], "--off-screen")) {
            offScreen = true;
        } else if (!std::strcmp(argv[i], "--nosave")) {
            saveBench = 0;
        } else if (!std::strcmp(argv[i], "--size") && i + 1 < argc) {
            std::sscanf(argv[++i], "%dx%d", &scrX, &scrY);
        }
    }
    printBanner3D("Korvane benchmark runner " KORVA_VERSION3D);
    armClock3D();
    if (offScreen) {
        char why[200];
        if (!openEglDisplay(why, sizeof why)) {
            std::fprintf(stderr, "korva_bench: %s\n", why);
            return 1;
        }
    }
    installBareFront3D(offScreen ? eglWindowSystem3D() : glxWindowSystem3D());
    if (startBareRun3D() != 1)
        return 1;
    const int frames = runFrames3D(1000000);
    std::printf("frames drawn: %d  cityFps: %.2f\n", frames, double(cityFps));
    return cityFps > 0.0f ? 0 : 1;
}
