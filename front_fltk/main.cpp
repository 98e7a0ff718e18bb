// townview_x: the Linux program. Without arguments it shows its dialogs;
// for scripts it also runs a benchmark or the demo straight away.
#include "driver3D.h"
#include "fltkFront.h"
#include "platform3D.h"
#include "results3D.h"

#include <FL/Fl.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const usage =
    "usage: townview_x [options]\n"
    "  (no options)          the dialogs choose a demo or a benchmark\n"
    "  --bench normal|high   run that benchmark at once, then exit\n"
    "  --demo                run the demo at once, then exit\n"
    "  --size WxH            window size\n"
    "  --fullscreen          the whole screen\n"
    "  --big-textures        the big texture set\n"
    "  --no-save             do not append to bench.res and bench.json\n"
    "  --frame-log FILE      write every frame of the measured flight as CSV\n"
    "  --repeat N            run the benchmark N times, then their statistics\n"
    "  --help, --version\n"
    "exit status of --bench: 0 measured and written (or --no-save), 1 the run\n"
    "  could not start, 2 a wrong option, 3 bench.res could not be written,\n"
    "  4 the run ended without a measurement (closed early, no frame rate)\n";

// the data tree lies one level up from the working folder; else try the program's own folder
void findDataTree(const char* argv0)
{
    std::error_code ec;
    if (std::filesystem::is_directory("../data", ec))
        return;
    const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", ec);
    const std::filesystem::path dir = ec ? std::filesystem::absolute(argv0).parent_path() : self.parent_path();
    changeDir3D(dir.string().c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    int autoRun = 0;  // 1 normal bench, 2 high bench, 3 demo
    bool fullscreen = false;
    int wantX = 0, wantY = 0, bigTex = 0, noSave = 0, repeat = 1;
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
        if (a == "--bench" && i + 1 < argc) {
            const std::string m = argv[++i];
            if (m != "normal" && m != "high") {
                std::fprintf(stderr, "%s", usage);
                return 2;
            }
            autoRun = m == "high" ? 2 : 1;
        } else if (a == "--demo") {
            autoRun = 3;
        } else if (a == "--size" && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &wantX, &wantY) != 2) {
                std::fprintf(stderr, "%s", usage);
                return 2;
            }
        } else if (a == "--fullscreen") {
            fullscreen = true;
        } else if (a == "--big-textures") {
            bigTex = 1;
        } else if (a == "--no-save") {
            noSave = 1;
        } else if (a == "--frame-log" && i + 1 < argc) {
            // the folder the user named it from, before the program moves to its data tree
            const std::string log = std::filesystem::absolute(argv[++i]).string();
            if (log.size() >= sizeof frameLogPath3D) {
                std::fprintf(stderr, "townview_x: the frame log's path is too long\n");
                return 2;
            }
            std::snprintf(frameLogPath3D, sizeof frameLogPath3D, "%s", log.c_str());
        } else if (a == "--repeat" && i + 1 < argc) {
            char* end = nullptr;
            const long n = std::strtol(argv[++i], &end, 10);
            if (end == argv[i] || *end != '\0' || n < 1 || n > 1000) {
                std::fprintf(stderr, "townview_x: --repeat takes a count from 1 to 1000\n%s", usage);
                return 2;
            }
            repeat = int(n);
        } else {
            std::fprintf(stderr, "townview_x: unknown option %s\n%s", a.c_str(), usage);
            return 2;
        }
    }
    findDataTree(argv[0]);
    // scripts read the console on standard output
    if (autoRun != 0 || std::getenv("KORVA_CONSOLE_ECHO") != nullptr)
        mainOut.setEcho(stdout);

    openMainDialog();
    printBanner3D(mainWin->label());
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
    if (autoRun != 0) {
        runDemo = autoRun == 3;
        runBenchNormal = autoRun == 1;
        runBenchHigh = autoRun == 2;
        if (autoRun != 3)
            saveBench = noSave ? 0 : 1;
        if (autoRun == 3)
            repeat = 1;
        // each run a whole benchmark with its own record; the first status that is not success ends the series
        std::vector<double> rates;
        int status = 0;
        for (int r = 0; r < repeat && status == 0; r++) {
            runDemo = autoRun == 3;
            runBenchNormal = autoRun == 1;
            runBenchHigh = autoRun == 2;
            if (startGlut() != 1)
                return 1;
            while (!runEnded && Fl::wait() > 0) {
            }
            status = autoRun == 3 ? 0 : benchExitStatus3D();
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
