// townview_x: the Linux program. Without arguments it shows its dialogs;
// for scripts it also runs a benchmark or the demo straight away.
#include "bareFront3D.h"
#include "driver3D.h"
#include "eglWindow.h"
#include "fltkFront.h"
#include "platform3D.h"
#include "results3D.h"
#include "glxWindow.h"
#include "validate3D.h"
#include "validateRun.h"

#include <FL/Fl.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace {

const char* const usage =
    "usage: townview_x [options]\n"
    "  (no options)          the dialogs choose a demo or a benchmark\n"
    "  --bench normal|high   run that benchmark at once, then exit\n"
    "  --demo                run the demo at once, then exit\n"
    "  --off-screen          run the benchmark or validation with no X server (EGL)\n"
    "  --validate normal|high  fly that benchmark on a stepped clock and compare\n"
    "                        its frames with the reference images, then exit\n"
    "  --references DIR      the reference images (default: the tree's references/)\n"
    "  --validate-out DIR    where failed frames and their differences go\n"
    "                        (default: validate-out)\n"
    "  --make-references     write the frames as the new references instead\n"
    "  --size WxH            window size\n"
    "  --fullscreen          the whole screen\n"
    "  --big-textures        the big texture set\n"
    "  --no-save             do not append to bench.res and bench.json\n"
    "  --frame-log FILE      write every frame of the measured flight as CSV\n"
    "  --repeat N            run the benchmark N times, then their statistics;\n"
    "                        with --frame-log, run K's frames go to FILE-K.csv\n"
    "  --help                this text\n"
    "  --version             the program's version\n"
    "exit status of --bench: 0 measured and written (or --no-save), 1 the run\n"
    "  could not start, 2 a wrong option, 3 bench.res could not be written,\n"
    "  4 the run ended without a measurement (closed early, no frame rate),\n"
    "  6 bench.json could not be written (so neither file was), 7 the frame log\n"
    "  could not be written (or would have replaced what is not a frame log)\n"
    "exit status of --validate: 0 every frame passed, 1 the run could not start\n"
    "  or read back its frames, 2 a wrong option, 5 a frame failed\n";

// a start refused for its results or its frame log says so in its status; any other failed start is 1
int refusedStatus()
{
    return runOutcome3D == runWriteFailed || runOutcome3D == runFrameLogFailed ? benchExitStatus3D() : 1;
}

int wrongOption(const char* what)
{
    std::fprintf(stderr, "townview_x: %s\n%s", what, usage);
    return 2;
}

namespace fs = std::filesystem;

// The data tree: "../data" from the working folder, as a run from the tree
// has it; else the tree around the program's own folder; else the installed
// tree, share/korvane beside the program's bin/. An installed program reads
// Korva.INI from the folder it is started in when there is one and writes
// its results and out.txt there, not into the shared tree.
bool findDataTree(const char* argv0, std::string* iniPath)
{
    *iniPath = "Korva.INI";
    if (enterProgramFolder3D())
        return true;
    std::error_code ec;
    const fs::path self = fs::canonical("/proc/self/exe", ec);
    const fs::path dir = ec ? fs::absolute(argv0, ec).parent_path() : self.parent_path();
    const fs::path shared = dir / "../share/korvane/linux";
    if (!fs::is_directory(shared, ec)) {
        std::fprintf(stderr, "townview_x: no data tree: no ../data here and no %s\n", shared.c_str());
        return false;
    }
    const fs::path start = fs::current_path(ec);
    if (ec || start.string().size() + 2 >= sizeof outputDir3D) {
        std::fprintf(stderr, "townview_x: the working folder's path is too long\n");
        return false;
    }
    std::snprintf(outputDir3D, sizeof outputDir3D, "%s/", start.c_str());
    mainOut.setFilePath((start / "out.txt").c_str());
    if (fs::is_regular_file(start / "Korva.INI", ec))
        *iniPath = (start / "Korva.INI").string();
    return changeDir3D(fs::canonical(shared, ec).c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    int autoRun = 0;  // 1 normal bench, 2 high bench, 3 demo
    bool fullscreen = false, offScreen = false;
    int wantX = 0, wantY = 0, bigTex = 0, noSave = 0, repeat = 1;
    int validate = 0;  // 1 normal, 2 high
    bool makeReferences = false;
    std::string references, validateOut = fs::absolute("validate-out").string();
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (a == "--help") {
            std::printf("%s", usage);
            return 0;
        }
        if (a == "--version") {
            std::printf("townview_x %s\n", tVersion);
            return 0;
        }
        const bool takesValue = a == "--bench" || a == "--size" || a == "--frame-log" || a == "--repeat" ||
                                a == "--validate" || a == "--references" || a == "--validate-out";
        if (takesValue && i + 1 >= argc)
            return wrongOption((a + " needs a value").c_str());
        if (a == "--bench") {
            const std::string m = argv[++i];
            if (m != "normal" && m != "high")
                return wrongOption(("--bench takes normal or high, not " + m).c_str());
            autoRun = m == "high" ? 2 : 1;
        } else if (a == "--validate") {
            const std::string m = argv[++i];
            if (m != "normal" && m != "high")
                return wrongOption(("--validate takes normal or high, not " + m).c_str());
            validate = m == "high" ? 2 : 1;
        } else if (a == "--references") {
            references = fs::absolute(argv[++i]).string();
        } else if (a == "--validate-out") {
            validateOut = fs::absolute(argv[++i]).string();
        } else if (a == "--make-references") {
            makeReferences = true;
        } else if (a == "--demo") {
            autoRun = 3;
        } else if (a == "--off-screen") {
            offScreen = true;
        } else if (a == "--size") {
            char tail = 0;
            if (std::sscanf(argv[++i], "%dx%d%c", &wantX, &wantY, &tail) != 2 || wantX < 1 || wantY < 1 ||
                wantX > 8192 || wantY > 8192)
                return wrongOption("--size takes WIDTHxHEIGHT, for example 640x480");
        } else if (a == "--fullscreen") {
            fullscreen = true;
        } else if (a == "--big-textures") {
            bigTex = 1;
        } else if (a == "--no-save") {
            noSave = 1;
        } else if (a == "--frame-log") {
            // the folder the user named it from, before the program moves to its data tree
            const std::string log = std::filesystem::absolute(argv[++i]).string();
            if (log.size() >= sizeof frameLogPath3D) {
                std::fprintf(stderr, "townview_x: the frame log's path is too long\n");
                return 2;
            }
            std::snprintf(frameLogPath3D, sizeof frameLogPath3D, "%s", log.c_str());
        } else if (a == "--repeat") {
            char* end = nullptr;
            const long n = std::strtol(argv[++i], &end, 10);
            if (end == argv[i] || *end != '\0' || n < 1 || n > 1000)
                return wrongOption("--repeat takes a count from 1 to 1000");
            repeat = int(n);
        } else {
            return wrongOption(("unknown option " + a).c_str());
        }
    }
    if (validate != 0 && autoRun != 0)
        return wrongOption("--validate runs on its own: leave out --bench and --demo");
    if ((makeReferences || !references.empty()) && validate == 0)
        return wrongOption("--make-references and --references go with --validate");
    if (offScreen && validate == 0 && (autoRun == 0 || autoRun == 3))
        return wrongOption("--off-screen runs a benchmark: add --bench normal or --bench high");
    if (offScreen && fullscreen)
        return wrongOption("--fullscreen has no screen to fill off-screen");
    std::string iniPath;
    if (!findDataTree(argv[0], &iniPath))
        return 1;
    if (frameLogPath3D[0] != '\0' && autoRun != 0 && autoRun != 3) {
        // every run's file of a series, before the first flight
        for (benchRunNumber3D = 1; benchRunNumber3D <= (repeat > 1 ? repeat : 1); benchRunNumber3D++) {
            benchRunCount3D = repeat;
            const std::string log = frameLogPathOfRun3D();
            if (const char* refused = frameLogRefusal3D(log.c_str())) {
                std::fprintf(stderr, "townview_x: --frame-log %s: %s; it is left as it is\n", log.c_str(), refused);
                return 2;
            }
        }
    }
    if (offScreen) {
        // the device is looked for before anything prints, so that its absence is one line
        char why[200];
        if (!openEglDisplay(why, sizeof why)) {
            std::fprintf(stderr, "townview_x: %s\n", why);
            return 1;
        }
    }
    // scripts read the console on standard output
    if (autoRun != 0 || validate != 0 || std::getenv("KORVA_CONSOLE_ECHO") != nullptr)
        mainOut.setEcho(stdout);

    if (offScreen || validate != 0) {
        startSettings3D(iniPath.c_str());
        installBareFront3D(offScreen ? eglWindowSystem() : glxWindowSystem());
        glxKeepPresented(validate != 0 && !offScreen);
        printBanner3D(mainTitle);
    } else {
        openMainDialog(iniPath.c_str());
        printBanner3D(mainWin->label());
    }
    armClock3D();

    if (wantX > 0 && wantY > 0) {
        scrX = wantX;
        scrY = wantY;
    }
    if (fullscreen) {
        scrX = fullScreenX;
        scrY = fullScreenY;
    }
    loadBigTex = bigTex;
    if (noSave)
        saveBench = 0;
    if (validate != 0) {
        // small frames on the normal texture set, as the references were made
        if (wantX == 0) {
            scrX = 320;
            scrY = 240;
        }
        loadBigTex = 0;
        saveBench = 0;
        runDemo = 0;
        runBenchNormal = validate == 1;
        runBenchHigh = validate == 2;
        const char* cls = validate == 2 ? "high" : "normal";
        validateOptions o;
        o.references = references.empty() ? fs::absolute(fs::path("../references") / cls).string() : references;
        o.outDir = (fs::path(validateOut) / cls).string();
        o.make = makeReferences;
        o.label = validate == 2 ? "high detail" : "normal detail";
        validating3D = true;
        if (startBareRun3D() != 1)
            return validNoFrames;
        return runValidation3D(o);
    }
    if (autoRun != 0) {
        if (autoRun != 3)
            saveBench = noSave ? 0 : 1;
        if (autoRun == 3)
            repeat = 1;
        // each run a whole benchmark with its own record; the first status that is not success ends the series
        std::vector<double> rates;
        int status = 0;
        benchRunNumber3D = 1;
        benchRunCount3D = repeat;
        for (int r = 0; r < repeat && status == 0; r++) {
            runDemo = autoRun == 3;
            runBenchNormal = autoRun == 1;
            runBenchHigh = autoRun == 2;
            if (offScreen) {
                if (startBareRun3D() != 1)
                    return refusedStatus();
                runFrames3D(std::numeric_limits<int>::max());
            } else {
                if (startGlut() != 1)
                    return refusedStatus();
                while (!runEnded && Fl::wait() > 0) {
                }
            }
            status = autoRun == 3 ? 0 : benchExitStatus3D();
            benchRunNumber3D++;
            if (status == 0 || status == 3)
                rates.push_back(double(cityFps));
        }
        if (repeat > 1) {
            char line[512];
            repeatSummary3D(line, sizeof line, rates.data(), int(rates.size()));
            mainOut.pr(line);
        }
        return status;
    }
    while (Fl::wait() > 0) {
    }
    return 0;
}
