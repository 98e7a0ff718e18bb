// The TOWNVIEW benchmark flight through the driver of the Windows build, on
// the renderers named, one after the other in one process, without the
// dialogs; the frame rates and each run's rate against the first OpenGL one.
//   korva_winbench.exe [--high] [--timedemo] [--size WxH] [--window] [--save] gl d3d gl d3d ...
//   korva_winbench.exe --validate normal|high [--references DIR] [--validate-out DIR]
//                      [--make-references] gl d3d ...
// --save appends each run's record to bench.res (and its line to bench.json) as townview.exe does.
// --timedemo flies each run as a timedemo: the same frames on every renderer, timed to the last.
// --validate flies the benchmark's sequences on a stepped clock on each renderer named and
// compares their frames with the references (default references/CLASS), as townview_x does.
// Run it in the Windows tree (build-win/korvane), under scripts/wineRun.sh.
#include "bareFront3D.h"
#include "d3dWindow3D.h"
#include "driver3D.h"
#include "platform3D.h"
#include "validateRun.h"
#include "wglWindow3D.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// the settings of a benchmark run on the renderer, as its dialog leaves them
void prepare(bool direct3D, bool high, int w, int h, bool save, bool timedemo = false)
{
    useDirect3D = direct3D ? 1 : 0;
    selectRenderer3D();
    installBareFront3D(nullptr);
    defaultSettings3D();
    loadParameterWin("Korva.INI");
    identifyMachine3D();
    runDemo = 0;
    runBenchNormal = high ? 0 : 1;
    runBenchHigh = high ? 1 : 0;
    saveBench = save ? 1 : 0;
    runTimedemo = timedemo ? 1 : 0;
    scrX = startScrX = w;
    scrY = startScrY = h;
    scrD = startScrD = 32;
    prepareRun3D();
}

float fly(bool direct3D, bool high, int w, int h, bool window, bool save, bool timedemo)
{
    prepare(direct3D, high, w, h, save, timedemo);
    // a benchmark takes the full screen; --window keeps the desktop
    if (window)
        frameWindow = 1;
    if (start3D() != 1)
        return 0.0f;
    runFrames3D(1000000);
    return cityFps;
}

// The validation on one renderer, in a window of the frames' size. @returns its exit status.
int validate(bool direct3D, bool high, const validateOptions& base)
{
    prepare(direct3D, high, 320, 240, false);
    frameWindow = 1;
    wglKeepPresented3D(!direct3D);
    validateOptions o = base;
    const char* cls = high ? "high" : "normal";
    const char* renderer = direct3D ? "d3d" : "gl";
    o.outDir = (std::filesystem::path(base.outDir) / (std::string(cls) + "-" + renderer)).string();
    const std::string label = std::string(high ? "high detail" : "normal detail") + " on " +
                              (direct3D ? "DIRECT3D" : "OPENGL");
    o.label = label.c_str();
    const int status = validateClass3D(high, o, start3D);
    wglKeepPresented3D(false);
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    enterProgramFolder3D();
    bool high = false, window = false, save = false, validating = false, timedemo = false;
    int w = 640, h = 480;
    std::vector<bool> runs;
    validateOptions vo;
    vo.outDir = "validate-out";
    for (int i = 1; i < argc; i++) {
        if (!std::strcmp(argv[i], "--validate") && i + 1 < argc) {
            validating = true;
            high = !std::strcmp(argv[++i], "high");
            if (!high && std::strcmp(argv[i], "normal") != 0) {
                std::fprintf(stderr, "korva_winbench: --validate takes normal or high, not %s\n", argv[i]);
                return 2;
            }
        } else if (!std::strcmp(argv[i], "--references") && i + 1 < argc)
            vo.references = argv[++i];
        else if (!std::strcmp(argv[i], "--validate-out") && i + 1 < argc)
            vo.outDir = argv[++i];
        else if (!std::strcmp(argv[i], "--make-references"))
            vo.make = true;
        else if (!std::strcmp(argv[i], "--high"))
            high = true;
        else if (!std::strcmp(argv[i], "--timedemo"))
            timedemo = true;
        else if (!std::strcmp(argv[i], "--window"))
            window = true;
        else if (!std::strcmp(argv[i], "--save"))
            save = true;
        else if (!std::strcmp(argv[i], "--size") && i + 1 < argc)
            std::sscanf(argv[++i], "%dx%d", &w, &h);
        else if (!std::strcmp(argv[i], "gl") || !std::strcmp(argv[i], "d3d"))
            runs.push_back(!std::strcmp(argv[i], "d3d"));
    }
    if (runs.empty()) {
        std::fprintf(stderr, "usage: korva_winbench [--high] [--timedemo] [--size WxH] [--window] [--save] gl d3d ...\n"
                             "       korva_winbench --validate normal|high [--references DIR] [--validate-out DIR]\n"
                             "                      [--make-references] gl d3d ...\n");
        return 2;
    }
    armClock3D();
    mainOut.setOut(nullptr, -1);
    d3dDriverChoice = 0;
    d3dDeviceChoice = 0;
    if (validating) {
        mainOut.setEcho(stdout);
        // the worst status of the renderers: a failed frame on one fails the run
        int status = validPassed;
        for (const bool d3d : runs) {
            const int s = validate(d3d, high, vo);
            if (s != validPassed && (status == validPassed || s == validFailed))
                status = s;
        }
        return status;
    }
    float firstGL = 0.0f;
    int failed = 0;
    for (const bool d3d : runs) {
        const float fps = fly(d3d, high, w, h, window, save, timedemo);
        if (!d3d && firstGL == 0.0f)
            firstGL = fps;
        std::printf("%-8s %dx%dx32 %s%s: %6.2f fps", d3d ? "DIRECT3D" : "OPENGL", w, h, high ? "H.DETAIL" : "N.DETAIL",
                    timedemo ? " TIMEDEMO" : "", double(fps));
        if (firstGL > 0.0f)
            std::printf("  (x%.2f of the first OpenGL run)", double(fps / firstGL));
        std::printf("\n");
        std::fflush(stdout);
        failed += fps <= 0.0f;
    }
    return failed == 0 ? 0 : 1;
}
