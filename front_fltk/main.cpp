// townview_x: the Linux program. Without arguments it shows its dialogs;
// for scripts it also runs a benchmark or the demo straight away.
#include "bareFront3D.h"
#include "benchProgress3D.h"
#include "driver3D.h"
#include "eglWindow3D.h"
#include "fltkFront.h"
#include "platform3D.h"
#include "results3D.h"
#include "stress3D.h"
#include "glxWindow3D.h"
#include "manifest3D.h"
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
    "  --timedemo normal|high  that benchmark's flight as fixed work: the same\n"
    "                        2550 frames on every machine (60 a second of the\n"
    "                        flight), timed from the first to the last one drawn\n"
    "  --stress MINUTES      loop the benchmark's timed flight (normal, or as\n"
    "                        --bench names it) for at least MINUTES, whole loops,\n"
    "                        at least two; a line a loop, then the stability (the\n"
    "                        lowest loop's rate over the highest's) into stress.json\n"
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
    "  --results-dir DIR     append bench.res and bench.json in DIR, and put a\n"
    "                        relative --frame-log there too\n"
    "  --repeat N            run the benchmark N times, then their statistics;\n"
    "                        with --frame-log, run K's frames go to FILE-K.csv\n"
    "  --help, -h            this text\n"
    "  --version             the program's version\n"
    "a value may also follow its option after =, as in --size=640x480;\n"
    "paths, KORVA_AUDIO=wav:FILE too, are those of the starting folder\n"
    "results go, unless --results-dir says otherwise, to the data tree's linux/\n"
    "  folder when the program runs from its tree, else to the starting folder\n"
    "exit status of --bench: 0 measured and written (or --no-save), 1 the run\n"
    "  could not start, 2 a wrong option, 3 bench.res could not be written\n"
    "  (or another benchmark held it for 120 s), 4 the run ended without a\n"
    "  measurement (closed early, no frame rate), 6 bench.json could not be\n"
    "  written (so neither file was; also a bench.json that is bench.res by\n"
    "  another name), 7 the frame log could not be written (or would have\n"
    "  replaced what is not a frame log)\n"
    "exit status of --stress: 0 stable (97 % or more), 8 not stable, 1 it could\n"
    "  not start, 2 a wrong option, 4 a loop ended without a rate, 6 stress.json\n"
    "  could not be written, 7 the frame log could not be written\n"
    "KORVA_CLOCK_RATE=N (tests only) runs the clock N times fast: the result is\n"
    "  marked and every reader of the results leaves it out\n"
    "exit status of --validate: 0 every frame passed, 1 the run could not start\n"
    "  or read back its frames, 2 a wrong option, 5 a frame failed\n";

// a start refused for its results or its frame log says so in its status; any other failed start is 1
int refusedStatus()
{
    return runOutcome3D == runWriteFailed || runOutcome3D == runJsonFailed || runOutcome3D == runFrameLogFailed
               ? benchExitStatus3D()
               : 1;
}

int wrongOption(const char* what)
{
    std::fprintf(stderr, "townview_x: %s\nTry 'townview_x --help' for more information.\n", what);
    return 2;
}

namespace fs = std::filesystem;

// what the command line asks for
struct runOptions {
    int autoRun = 0;   // 1 normal bench, 2 high bench, 3 demo
    bool timedemo = false;  // the benchmark asked as a timedemo
    int stress = 0;         // minutes of a stress run; 0 for none
    int validate = 0;  // 1 normal, 2 high
    bool fullscreen = false, offScreen = false, makeReferences = false;
    int wantX = 0, wantY = 0, bigTex = 0, noSave = 0, repeat = 1;
    // as given; made absolute from the working folder before the program moves to its data tree
    std::string references, validateOut = "validate-out", frameLog, resultsDir;
};

// a count of digits only: no blanks, no sign
bool digitsOnly(const std::string& s, long max, long* v)
{
    if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *v = std::strtol(s.c_str(), nullptr, 10);
    return *v <= max;
}

// @returns -1 when the program goes on, else its exit status (help and version printed: 0)
int parseOptions(int argc, char** argv, runOptions* o)
{
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::printf("%s", usage);
            return 0;
        }
        if (a == "--version") {
            std::string v = tVersion;
            while (!v.empty() && v.back() == ' ')
                v.pop_back();
            std::printf("townview_x %s\n", v.c_str());
            return 0;
        }
        // --name=value as GNU programs take it
        std::string value;
        bool inlineValue = false;
        const size_t eq = a.find('=');
        if (a.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = a.substr(eq + 1);
            a = a.substr(0, eq);
            inlineValue = true;
        }
        const bool takesValue = a == "--bench" || a == "--timedemo" || a == "--size" || a == "--frame-log" ||
                                a == "--repeat" || a == "--validate" || a == "--references" ||
                                a == "--validate-out" || a == "--results-dir" || a == "--stress";
        if (inlineValue && !takesValue)
            return wrongOption((a + " takes no value").c_str());
        if (takesValue && !inlineValue) {
            if (i + 1 >= argc)
                return wrongOption((a + " needs a value").c_str());
            value = argv[++i];
        }
        const bool isPath =
            a == "--frame-log" || a == "--references" || a == "--validate-out" || a == "--results-dir";
        if (isPath && value.empty())
            return wrongOption((a + " needs a path, not an empty text").c_str());
        if (a == "--bench" || a == "--timedemo") {
            if (value != "normal" && value != "high")
                return wrongOption((a + " takes normal or high, not " + value).c_str());
            if (o->autoRun != 0 && o->timedemo != (a == "--timedemo"))
                return wrongOption("--timedemo runs on its own: leave out --bench and --demo");
            o->autoRun = value == "high" ? 2 : 1;
            o->timedemo = a == "--timedemo";
        } else if (a == "--validate") {
            if (value != "normal" && value != "high")
                return wrongOption(("--validate takes normal or high, not " + value).c_str());
            o->validate = value == "high" ? 2 : 1;
        } else if (a == "--references") {
            o->references = value;
        } else if (a == "--validate-out") {
            o->validateOut = value;
        } else if (a == "--make-references") {
            o->makeReferences = true;
        } else if (a == "--demo") {
            if (o->timedemo)
                return wrongOption("--timedemo runs on its own: leave out --bench and --demo");
            o->autoRun = 3;
        } else if (a == "--off-screen") {
            o->offScreen = true;
        } else if (a == "--size") {
            const size_t x = value.find('x');
            long w = 0, h = 0;
            if (x == std::string::npos || !digitsOnly(value.substr(0, x), 8192, &w) ||
                !digitsOnly(value.substr(x + 1), 8192, &h) || w < 1 || h < 1)
                return wrongOption("--size takes WIDTHxHEIGHT, for example 640x480");
            o->wantX = int(w);
            o->wantY = int(h);
        } else if (a == "--fullscreen") {
            o->fullscreen = true;
        } else if (a == "--big-textures") {
            o->bigTex = 1;
        } else if (a == "--no-save") {
            o->noSave = 1;
        } else if (a == "--frame-log") {
            o->frameLog = value;
        } else if (a == "--results-dir") {
            o->resultsDir = value;
        } else if (a == "--stress") {
            long n = 0;
            if (!digitsOnly(value, 10080, &n) || n < 1)
                return wrongOption("--stress takes minutes from 1 to 10080");
            o->stress = int(n);
        } else if (a == "--repeat") {
            long n = 0;
            if (!digitsOnly(value, 1000, &n) || n < 1)
                return wrongOption("--repeat takes a count from 1 to 1000");
            o->repeat = int(n);
        } else {
            return wrongOption(("unknown option " + a).c_str());
        }
    }
    if (o->stress != 0) {
        if (o->timedemo || o->autoRun == 3 || o->validate != 0)
            return wrongOption("--stress loops the timed flight: leave out --timedemo, --demo and --validate");
        if (o->repeat != 1)
            return wrongOption("--stress runs its own loops: leave out --repeat");
        if (o->autoRun == 0)
            o->autoRun = 1;
    }
    if (o->validate != 0 && o->autoRun != 0)
        return wrongOption("--validate runs on its own: leave out --bench, --timedemo and --demo");
    if ((o->makeReferences || !o->references.empty()) && o->validate == 0)
        return wrongOption("--make-references and --references go with --validate");
    if (o->offScreen && o->validate == 0 && (o->autoRun == 0 || o->autoRun == 3))
        return wrongOption("--off-screen runs a benchmark: add --bench normal or --bench high (or --timedemo)");
    if (o->offScreen && o->fullscreen)
        return wrongOption("--fullscreen has no screen to fill off-screen");
    return -1;
}

// The user's paths are the working folder's, taken before the program moves
// into its data tree. @returns the exit status of a failure, or -1.
int absolutePaths(runOptions* o)
{
    std::error_code ec;
    const fs::path start = fs::current_path(ec);
    if (ec) {
        std::fprintf(stderr, "townview_x: the working folder can't be read (%s): start from a folder that exists\n",
                     ec.message().c_str());
        return 1;
    }
    for (std::string* p : {&o->references, &o->validateOut, &o->resultsDir})
        if (!p->empty())
            *p = (start / *p).lexically_normal().string();
    // a relative frame log goes with the results
    const fs::path results = o->resultsDir.empty() ? start : fs::path(o->resultsDir);
    if (!o->frameLog.empty())
        o->frameLog = (results / o->frameLog).lexically_normal().string();
    if (!o->resultsDir.empty()) {
        if (!fs::is_directory(o->resultsDir, ec)) {
            std::fprintf(stderr, "townview_x: --results-dir %s: %s\n", o->resultsDir.c_str(),
                         fs::exists(o->resultsDir, ec) ? "not a folder" : "no such folder");
            return 2;
        }
        if (o->resultsDir.size() + 2 >= sizeof outputDir3D) {
            std::fprintf(stderr, "townview_x: the results folder's path is too long\n");
            return 2;
        }
    }
    if (o->frameLog.size() >= sizeof frameLogPath3D) {
        std::fprintf(stderr, "townview_x: the frame log's path is too long\n");
        return 2;
    }
    std::snprintf(frameLogPath3D, sizeof frameLogPath3D, "%s", o->frameLog.c_str());
    // music sent to a WAV file the user named goes where they named it
    const char* audio = std::getenv("KORVA_AUDIO");
    if (audio != nullptr && std::strncmp(audio, "wav:", 4) == 0 && audio[4] != '\0' && audio[4] != '/')
        setenv("KORVA_AUDIO", ("wav:" + (start / (audio + 4)).lexically_normal().string()).c_str(), 1);
    return -1;
}

// The dialogs, the demo and a benchmark in a window need an X server; say
// so, and what runs without one, instead of the toolkit's bare exit.
bool haveDisplay()
{
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || name[0] == '\0') {
        std::fprintf(stderr, "townview_x: no X display (DISPLAY is not set): the dialogs and the demo need one; "
                             "a benchmark runs without: townview_x --bench normal --off-screen\n");
        return false;
    }
    if (!canOpenX11Display(name)) {
        std::fprintf(stderr, "townview_x: can't open the X display \"%s\": the dialogs and the demo need one; "
                             "a benchmark runs without: townview_x --bench normal --off-screen\n", name);
        return false;
    }
    return true;
}

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
    if (!fs::is_regular_file(shared / ".." / "data" / manifestName3D, ec)) {
        std::fprintf(stderr,
                     "townview_x: no data tree: none at ../data here, beside the program or in %s\n",
                     fs::path(dir / "../share/korvane").lexically_normal().c_str());
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

// what is refused before anything loads or prints: a frame log of the series
// that would replace what is not one, an off-screen run without a device.
// @returns the exit status, or -1 to go on.
int refusalBeforeStart(const runOptions& opt)
{
    if (frameLogPath3D[0] != '\0' && opt.autoRun != 0 && opt.autoRun != 3) {
        for (benchRunNumber3D = 1; benchRunNumber3D <= (opt.repeat > 1 ? opt.repeat : 1); benchRunNumber3D++) {
            benchRunCount3D = opt.repeat;
            const std::string log = frameLogPathOfRun3D();
            if (const char* refused = frameLogRefusal3D(log.c_str())) {
                std::fprintf(stderr, "townview_x: --frame-log %s: %s; it is left as it is\n", log.c_str(), refused);
                return 2;
            }
        }
    }
    if (opt.offScreen) {
        // the device is looked for before anything prints, so that its absence is one line
        char why[200];
        if (!openEglDisplay(why, sizeof why)) {
            std::fprintf(stderr, "townview_x: %s\n", why);
            return 1;
        }
    }
    return -1;
}

// the settings, the front-end that runs them and the console's first lines
void openSession(const runOptions& opt, const std::string& iniPath)
{
    // a terminal shows the flight's progress; out.txt and pipes get none of it
    if ((opt.autoRun == 1 || opt.autoRun == 2) && isTerminal3D(stdout))
        benchProgressOut3D = stdout;
    // scripts read the console on standard output
    if (opt.autoRun != 0 || opt.validate != 0 || std::getenv("KORVA_CONSOLE_ECHO") != nullptr)
        mainOut.setEcho(stdout);

    if (opt.offScreen || opt.validate != 0) {
        startSettings3D(iniPath.c_str());
        installBareFront3D(opt.offScreen ? eglWindowSystem3D() : glxWindowSystem3D());
        glxKeepPresented3D(opt.validate != 0 && !opt.offScreen);
        printBanner3D(mainTitle);
    } else {
        openMainDialog(iniPath.c_str());
        printBanner3D(mainWin->label());
    }
    std::error_code treeError;
    mainOut.prf("data tree: %s\n", fs::canonical("..", treeError).c_str());
    armClock3D();

    if (opt.wantX > 0 && opt.wantY > 0) {
        scrX = opt.wantX;
        scrY = opt.wantY;
    }
    if (opt.fullscreen) {
        scrX = fullScreenX;
        scrY = fullScreenY;
    }
    loadBigTex = opt.bigTex;
    if (opt.noSave)
        saveBench = 0;
}

// --validate: small frames unless a size is given, as the references were made
int validateDoor(const runOptions& opt)
{
    if (opt.wantX == 0) {
        scrX = 320;
        scrY = 240;
    }
    validateOptions o;
    o.references = opt.references;
    o.outDir = (fs::path(opt.validateOut) / (opt.validate == 2 ? "high" : "normal")).string();
    o.make = opt.makeReferences;
    return validateClass3D(opt.validate == 2, o, startBareRun3D);
}

// --bench or --demo: each run a whole benchmark with its own record; the first
// status that is not success ends the series, and a series ends with its statistics
int runSeries(const runOptions& opt)
{
    const int autoRun = opt.autoRun;
    if (autoRun != 3)
        saveBench = opt.noSave ? 0 : 1;
    const int repeat = autoRun == 3 ? 1 : opt.repeat;
    std::vector<double> rates;
    int status = 0;
    benchRunNumber3D = 1;
    benchRunCount3D = repeat;
    for (int r = 0; r < repeat && status == 0; r++) {
        runDemo = autoRun == 3;
        runBenchNormal = autoRun == 1;
        runBenchHigh = autoRun == 2;
        runTimedemo = opt.timedemo ? 1 : 0;
        if (opt.offScreen) {
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
        const std::string warnings = repeatWarnings3D(rates.data(), int(rates.size()));
        if (!warnings.empty())
            mainOut.pr(warnings.c_str());
    }
    return status;
}

// --stress: the timed flight looped for the minutes asked; the first loop
// prints as a benchmark does, the later ones their line alone
int runStress(const runOptions& opt)
{
    saveBench = 0;
    // the loops' frames go into one log of the whole run, not one a loop
    const std::string logPath = frameLogPath3D;
    frameLogPath3D[0] = '\0';
    const std::string refused = stressFileRefusal3D();
    if (!refused.empty()) {
        mainOut.prf("%s\nstress run not started\n", refused.c_str());
        return stressJsonFailed;
    }
    stress3D run(opt.stress, logPath);
    FILE* const echo = stdout;
    do {
        runDemo = 0;
        runBenchNormal = opt.autoRun == 1;
        runBenchHigh = opt.autoRun == 2;
        runTimedemo = 0;
        const bool started = opt.offScreen ? startBareRun3D() == 1 : startGlut() == 1;
        if (!started && run.loops() == 0)
            return refusedStatus();
        if (!started) {
            mainOut.setEcho(echo);
            mainOut.prf("stress loop %d could not start: no stress figures written\n", run.loops() + 1);
            return stressNoMeasure;
        }
        if (opt.offScreen) {
            runFrames3D(std::numeric_limits<int>::max());
        } else {
            while (!runEnded && Fl::wait() > 0) {
            }
        }
        mainOut.setEcho(echo);
        if (benchExitStatus3D() != 0 || !(cityFps > 0.0f)) {
            mainOut.prf("stress loop %d ended without a rate: no stress figures written\n", run.loops() + 1);
            return stressNoMeasure;
        }
        mainOut.pr(run.addLoop(double(cityFps), cityFrames3D, measureMicros3D()).c_str());
        mainOut.setEcho(nullptr);
    } while (run.wantsAnother());
    mainOut.setEcho(echo);
    std::string lines;
    const int status = run.finish(&lines);
    mainOut.pr(lines.c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    runOptions opt;
    const int parsed = parseOptions(argc, argv, &opt);
    if (parsed >= 0)
        return parsed;
    const int pathStatus = absolutePaths(&opt);
    if (pathStatus >= 0)
        return pathStatus;
    // a closed standard output (| head) must not end a run before its record
    keepRunningOnClosedOutput3D();
    if (!opt.offScreen && !haveDisplay())
        return 1;
    std::string iniPath;
    if (!findDataTree(argv[0], &iniPath))
        return 1;
    if (!opt.resultsDir.empty())
        std::snprintf(outputDir3D, sizeof outputDir3D, "%s/", opt.resultsDir.c_str());
    const int refused = refusalBeforeStart(opt);
    if (refused >= 0)
        return refused;
    openSession(opt, iniPath);
    if (opt.validate != 0)
        return validateDoor(opt);
    if (opt.stress != 0)
        return runStress(opt);
    if (opt.autoRun != 0)
        return runSeries(opt);
    while (Fl::wait() > 0) {
    }
    return 0;
}
