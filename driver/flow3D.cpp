// Program flow: the start of a run, the idle and frame callbacks, the keys,
// and the benchmark's measurement and its bench.res record.
#include "benchProgress3D.h"
#include "console/appendf3D.h"
#include "driver3D.h"
#include "frontEnd3D.h"
#include "manifest3D.h"
#include "platform3D.h"
#include "results3D.h"
#include "validate3D.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

namespace {

const frontEnd3D* fe()
{
    return getFrontEnd3D();
}

// the requested resolution of the start of the run comes back
void restoreResolution()
{
    scrX = startScrX;
    scrY = startScrY;
    scrD = startScrD;
}

// the user's demo settings, kept while a benchmark's fixed ones stand in their place
struct demoSettings {
    int frameWindow, numBuf, precalc, noTextureMode, playSound, mNoReflectionMap, glFilterLinear,
        glQualityHintHigh, dynamicFog;
    float viewDistance;
    int mMipmapLevels, noBlendFuncSRCALPHA_DSTONE, vekCityFly, flyNight, d3dDisableFog, d3dSpecularEnable;
};
demoSettings keptSettings;
bool settingsKept = false;

void keepDemoSettings()
{
    if (settingsKept)
        return;  // a retry after a failed start keeps the first copy
    keptSettings = {frameWindow,       numBuf,         precalc,       noTextureMode,
                    playSound,         mNoReflectionMap, glFilterLinear, glQualityHintHigh,
                    dynamicFog,        viewDistance,   mMipmapLevels, noBlendFuncSRCALPHA_DSTONE,
                    vekCityFly,        flyNight,       d3dDisableFog, d3dSpecularEnable};
    settingsKept = true;
}

// ESC, "e" and closing the window: on to the next sequence of the demo, or
// the end of the run; closing the window also stops the drawing at once
void leaveSequence(bool windowClosed)
{
    if (runDemo == 1 && drawIntroNow == 1) {
        drawIntroNow = 0;
        drawCityNow = 1;
    } else if (runDemo == 1 && drawCityNow == 1) {
        drawCityNow = 0;
        drawEndNow = 1;
    } else {
        benchProgressEnd3D();
        // a benchmark left before its record was taken measured nothing
        if (runDemo != 1 && runOutcome3D == runRunning)
            runOutcome3D = runCancelled;
        closeFLTKWin = 1;
        if (windowClosed)
            drawCityNow = drawEndNow = 0;
    }
}

// the benchmark's fixed settings give way to the user's again
void restoreDemoSettings()
{
    if (!settingsKept)
        return;
    frameWindow = keptSettings.frameWindow;
    numBuf = keptSettings.numBuf;
    precalc = keptSettings.precalc;
    noTextureMode = keptSettings.noTextureMode;
    playSound = keptSettings.playSound;
    mNoReflectionMap = keptSettings.mNoReflectionMap;
    glFilterLinear = keptSettings.glFilterLinear;
    glQualityHintHigh = keptSettings.glQualityHintHigh;
    dynamicFog = keptSettings.dynamicFog;
    viewDistance = keptSettings.viewDistance;
    mMipmapLevels = keptSettings.mMipmapLevels;
    noBlendFuncSRCALPHA_DSTONE = keptSettings.noBlendFuncSRCALPHA_DSTONE;
    vekCityFly = keptSettings.vekCityFly;
    flyNight = keptSettings.flyNight;
    d3dDisableFog = keptSettings.d3dDisableFog;
    d3dSpecularEnable = keptSettings.d3dSpecularEnable;
    settingsKept = false;
}

// nothing of a run that did not start may act later
void clearRunRequests()
{
    drawIntroNow = drawCityNow = drawEndNow = 0;
    runBenchControlNow = 0;
    closeFLTKWin = 0;
    endTimedemoClock3D();
}

}  // namespace

void printBanner3D(const char* title)
{
    mainOut.prf("%s\n", title);
    mainOut.pr("Korvane on the web: https://korvane.example.org/\n");
    mainOut.pr("You use this software at your own risk.\n");
}

int runOutcome3D = runNone;

void prepareRun3D()
{
    // a benchmark request wins over a demo flag left from an earlier run
    const bool bench = runBenchNormal == 1 || runBenchHigh == 1;
    if (bench)
        runDemo = 0;
    else
        runTimedemo = 0;
    const char* const kind = runTimedemo == 1 ? "TIMEDEMO" : "BENCH";

    // every run composes its name anew
    benchNameText[0] = '\0';
    if (runDemo == 1)
        mainOut.pr("\nSTARTING DEMO  ");
    else
        std::snprintf(benchNameText, sizeof benchNameText, "%s", benchRendererText);
    if (runBenchNormal == 1) {
        mainOut.prf("\nSTARTING NORMALDETAIL %s  ", kind);
        appendf3D(benchNameText, sizeof benchNameText, "N.DETAIL  ");
    } else if (runBenchHigh == 1) {
        mainOut.prf("\nSTARTING HIGHDETAIL %s  ", kind);
        appendf3D(benchNameText, sizeof benchNameText, "H.DETAIL  ");
    }
    // a benchmark measures the same scene whatever the demo settings say
    if (bench) {
        keepDemoSettings();
        if (runBenchHigh == 1)
            runBenchNormal = 0;
        frameWindow = 0;
        numBuf = 2;
        precalc = 0;
        noTextureMode = 0;
        playSound = 0;
        mNoReflectionMap = 0;
        glFilterLinear = 1;
        glQualityHintHigh = 1;
        viewDistance = runBenchHigh == 1 ? 58.5f : 19.5f;
        dynamicFog = runBenchHigh == 1 ? 2 : 1;
        // nothing else that changes what is drawn or how the flight runs is the user's either:
        // mipmaps come with the texture set, the city is flown by night along its path, glows
        // blend, fog and specular light are Direct3D's as OpenGL's
        mMipmapLevels = loadBigTex == 1 ? 8 : 0;
        noBlendFuncSRCALPHA_DSTONE = 0;
        vekCityFly = 0;
        flyNight = 1;
        d3dDisableFog = 0;
        d3dSpecularEnable = 0;
    }
}

namespace {

// what a start that refused its run comes to
int refusedOutcome = runNotStarted;

// The renderer's switches of the run, and the console's lines that name them
// and the benchmark's texture set.
void announceRunSettings()
{
    // a timedemo's results are a class of their own: its name says so to every reader
    const char* const timedemo = runDemo != 1 && runTimedemo == 1 ? "  TIMEDEMO" : "";
    if (loadBigTex == 1) {
        mMipmapLevels = 8;
        mainOut.pr("BIGTEXTURES  ");
        appendf3D(benchNameText, sizeof benchNameText, "B.TEX%s\n", timedemo);
    } else {
        mainOut.pr("NORMALTEXTURES  ");
        appendf3D(benchNameText, sizeof benchNameText, "N.TEX%s\n", timedemo);
    }
    glEngine.mipmap = mMipmapLevels > 0 ? 1 : 0;
    glEngine.noReflect = mNoReflectionMap;
    glEngine.hintNicest = glQualityHintHigh;
    glEngine.texLinear = glFilterLinear;

    char line[512];
    std::snprintf(line, sizeof line, "%s\n", startRendererText);
    if (viewDistance == 10.0f)
        appendf3D(line, sizeof line, "VIEW DISTANCE: NEAR   ");
    if (viewDistance == 19.5f)
        appendf3D(line, sizeof line, "VIEW DISTANCE: NORMAL   ");
    if (viewDistance == 58.5f)
        appendf3D(line, sizeof line, "VIEW DISTANCE: FAR   ");
    if (flyNight == 0)
        appendf3D(line, sizeof line, "FLY: DAY   ");
    if (flyNight == 1)
        appendf3D(line, sizeof line, "FLY: NIGHT   ");
    if (dynamicFog == 0)
        appendf3D(line, sizeof line, "DYNAMICFOG: NONE   ");
    if (dynamicFog == 1)
        appendf3D(line, sizeof line, "DYNAMICFOG: NORMAL   ");
    if (dynamicFog > 1)
        appendf3D(line, sizeof line, "DYNAMICFOG: HIGH   ");
    if (numBuf == 1)
        appendf3D(line, sizeof line, "SINGLEBUFFER   ");
    if (numBuf == 2)
        appendf3D(line, sizeof line, "DOUBLEBUFFER   ");
    appendf3D(line, sizeof line, mMipmapLevels > 0 ? "MIPMAPON\n" : "MIPMAPOFF\n");
    appendf3D(line, sizeof line, glQualityHintHigh == 1 ? "glHint: GL_NICEST   " : "glHint: GL_FASTEST   ");
    appendf3D(line, sizeof line, glFilterLinear == 1 ? "glTextureFilter: LINEAR\n" : "glTextureFilter: NEAREST\n");
    mainOut.pr(line);
}

// What stops a run before anything loads: for a benchmark, data files that
// are not the build's, results or a frame log that can't be written.
// @returns whether the run may go on.
bool runMayStart()
{
    // a benchmark measures only on the data set the build made; a demo may show any
    char why[512];
    if (!checkDataTree3D(dataDir3D, loadBigTex == 1, why, sizeof why)) {
        mainOut.prf("%s\n", why);
        if (runDemo != 1 && !validating3D) {
            mainOut.pr("benchmark not started: its data files are not the build's data set\n");
            return false;
        }
        mainOut.pr(validating3D ? "warning: the validation runs on data files that are not the build's data set\n"
                                : "warning: the demo runs on data files that are not the build's data set\n");
    }
    // a result that can't be kept is found out before the flight, not after it
    if (runDemo != 1 && !validating3D && saveBench == 1) {
        int status = 3;
        const std::string unwritable = resultsUnwritable3D(&status);
        if (!unwritable.empty()) {
            mainOut.prf("benchmark not started: %s\n", unwritable.c_str());
            refusedOutcome = status == 6 ? runJsonFailed : runWriteFailed;
            return false;
        }
    }
    if (runDemo != 1 && !validating3D && frameLogPath3D[0] != '\0') {
        const std::string log = frameLogPathOfRun3D();
        const char* refused = frameLogRefusal3D(log.c_str());
        if (refused != nullptr) {
            mainOut.prf("can't write the frame log %s: %s\nbenchmark not started\n", log.c_str(), refused);
            refusedOutcome = runFrameLogFailed;
            return false;
        }
    }
    return true;
}

// The six recorded paths, read on the first run that opened its window and
// rewound otherwise. @returns false when one could not be read.
bool loadPaths()
{
    recmat3D* const paths[] = {&cityShipRec, &cityCamRec, &deskShipRec, &endShipRec, &endCamRec, &sphereRec};
    if (cityRecLoaded == 1 || startUpOK != 1) {
        for (recmat3D* p : paths)
            p->rewind();
        return true;
    }
    const char* const files[] = {"ship.bre", "cam.bre", "deskship.bre", "endship.bre", "endcam.bre", "sphere.bre"};
    for (int k = 0; k < 6; k++) {
        char file[256];
        std::snprintf(file, sizeof file, "%s%s", dataDir3D, files[k]);
        startUpOK = paths[k]->loadBin(file);
        if (startUpOK <= 0)
            return false;
    }
    cityRecLoaded = 1;
    return true;
}

int startRun()
{
    announceRunSettings();

    if (!runMayStart())
        return 0;

    if ((loadBigTex == 1 && bigTexLoaded == 0) || (loadBigTex == 0 && smlTexLoaded == 0)) {
        bigTexLoaded = smlTexLoaded = 0;
        sceneData.init();
        if (loadObjs3D() == 0)
            return 0;
    }
    glEngine.texClampOn();

    startUpOK = 1;
    startUpOK = glEngine.init3D(scrX, scrY, scrD, numDrv, numDev, numBuf, frameWindow);
    if (startUpOK == 1) {
        glEngine.init3DView(-0.2f, 0.2f, -0.2f, 0.2f, 0.3f, viewDistance);
        glEngine.zOn();
        glEngine.cullFaceOn();
    }

    if (!loadPaths()) {
        restoreResolution();
        glEngine.release3D();
        return 0;
    }

    if (startUpOK == 1) {
        sceneData.setdyntex(4, 255);
        glEngine.makeTex(&sceneData);
        if (noTextureMode == 1) {
            glEngine.texOff();
            glEngine.noTexOn();
        } else {
            glEngine.noTexOff();
            glEngine.texOn();
        }
        if (precalc == 1)
            for (int i = 0; i < sceneData.getNumObject(); i++)
                glEngine.precalcObj(&sceneData, i);
        cityFps = 0.0f;
        endPicNum = 0;
        startIntro = startCity = startEnd = 1;
    }
    if (startUpOK == 0) {
        restoreResolution();
        glEngine.release3D();
        return 0;
    }

    lastTimeM = clockMillis3D();
    do {
        if (runDemo == 1) {
            timeMul = 1.0f;
            drawIntroNow = 1;
        } else {
            timeMul = 4.0f;
            runBenchControlNow = 2;
        }
    } while (clockMillis3D() - lastTimeM < 100);
    return 1;
}

}  // namespace

int start3D()
{
    // a close request of a run that never started must not end this one
    clearRunRequests();
    runOutcome3D = runRunning;
    refusedOutcome = runNotStarted;
    if (startRun() == 1)
        return 1;
    clearRunRequests();
    restoreDemoSettings();
    runOutcome3D = refusedOutcome;
    return 0;
}

int benchExitStatus3D()
{
    switch (runOutcome3D) {
    case runWritten:
    case runNotSaved:
        return 0;
    case runNotStarted:
        return 1;
    case runWriteFailed:
        return 3;
    case runJsonFailed:
        return 6;
    case runFrameLogFailed:
        return 7;
    default:
        return 4;
    }
}

void endRun3D()
{
    clearRunRequests();
    restoreDemoSettings();
}

void myIdle()
{
    if (closeFLTKWin == 1) {
        closeFLTKWin = 0;
        if (runOutcome3D == runCancelled)
            mainOut.pr("BENCHMARK CANCELLED. NO RESULT WRITTEN\n");
        if (fe() && fe()->musicClose)
            fe()->musicClose();
        restoreDemoSettings();
        if (fe() && fe()->musicOnBox)
            playSound = fe()->musicOnBox();
        if (fe() && fe()->inWindowBox)
            frameWindow = fe()->inWindowBox();
        drawCityNow = drawEndNow = 0;
        glEngine.release3D();
        restoreResolution();
        if (fe() && fe()->destroyRunWindow)
            fe()->destroyRunWindow();
        // the run is over: nothing of it may ask for a frame of a window that is gone
        clearRunRequests();
        if (fe() && fe()->enableDialog)
            fe()->enableDialog();
        return;
    }
    if (drawIntroNow == 1 || drawCityNow == 1 || drawEndNow == 1 || runBenchControlNow >= 1) {
        if (fe() && fe()->redisplay)
            fe()->redisplay();
    }
}

void draw3D()
{
    if (drawIntroNow != 1 && drawCityNow != 1 && drawEndNow != 1 && runBenchControlNow < 1)
        return;
    if (change3dWin)
        glEngine.change3DWin(0, 0, scrX, scrY, scrD);
    if (drawIntroNow == 1)
        drawIntro3D();
    if (drawCityNow == 1)
        drawCity3D();
    if (drawEndNow == 1)
        drawEnd3D();
    if (runBenchControlNow > 0)
        benchControl3D();
}

void myReshape(int w, int h)
{
    glEngine.change3DWin(0, 0, w, h, scrD);
}

void myKeyboard(unsigned char key, int x, int y)
{
    (void)x;
    (void)y;
    if (key == 27 || key == 'e')
        leaveSequence(false);
}

void mySpecial(int key, int x, int y)
{
    (void)key;
    (void)x;
    (void)y;
}

void closeRunWindow3D()
{
    leaveSequence(true);
}

int benchRecord3D(char* out, int size)
{
    return std::snprintf(out, size_t(size), "[\n%s\n%s%s\n%s%s%d x %d x %d fps: %4.1f\n]\n\n", pcNameText,
                         benchNameText, pcInfText, m3dinfText1, m3dinfText2, scrX, scrY, scrD, double(cityFps));
}

namespace {

// the records a file holds, counted as the result viewer finds them: a line
// whose first word is "[", then the record's six lines (a computer's name
// may begin with "[" too)
int recordsIn(const char* path)
{
    std::FILE* f = std::fopen(path, "r");
    if (f == nullptr)
        return 0;
    int n = 0, skip = 0;
    char line[256];
    while (std::fgets(line, sizeof line, f) != nullptr) {
        char first[256];
        const bool whole = std::strchr(line, '\n') != nullptr;
        if (skip > 0) {
            skip -= whole ? 1 : 0;
        } else if (std::sscanf(line, "%255s", first) == 1 && std::strcmp(first, "[") == 0) {
            n++;
            skip = 6;
        }
    }
    std::fclose(f);
    return n;
}

// a text of the user's or the system's for the console: control characters
// but the line break (an escape sequence would move the cursor or retitle
// the terminal) become "?"
std::string consoleText(const char* s)
{
    std::string t;
    for (const char* p = s; *p != '\0'; p++) {
        const unsigned char c = static_cast<unsigned char>(*p);
        t += (c < 0x20 && c != '\n') || c == 0x7f ? '?' : *p;
    }
    return t;
}

// the frame log's name as bench.json keeps it: beside the results by its
// own name, elsewhere by its whole path
std::string frameLogName(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path log = std::filesystem::absolute(path, ec);
    const std::filesystem::path dir =
        std::filesystem::absolute(outputDir3D[0] != '\0' ? std::filesystem::path(outputDir3D) : ".", ec);
    const std::filesystem::path rel = log.lexically_normal().lexically_relative(dir.lexically_normal());
    return !rel.empty() && rel.begin()->string() != ".." && rel.parent_path().empty() ? rel.string() : log.string();
}

// the record and its JSON line, as one pair; frameLog: the frame log
// written for it, which the JSON line names, or null
void saveResult(const char* record, size_t len, const frameStats3D& s, const cpuPerFrame3D& cpu,
                const char* frameLog)
{
    const std::string when = isoTimeNow3D();
    const std::string res = outputPath3D("bench.res");
    char why[256] = "";
    const pairResult3D r = appendResultPair3D(
        res.c_str(), outputPath3D("bench.json").c_str(), record, len,
        [&](const resultPartner3D& p) { return benchJson3D(s, cpu, when.c_str(), &p, frameLog); }, why, sizeof why);
    switch (r) {
    case pairWritten:
        if (!windowsRecord3D)
            mainOut.pr("\nbenchmark results written to bench.res file\n\n");
        runOutcome3D = runWritten;
        break;
    case pairResFailed:
        mainOut.pr("can't write BENCH.RES file\n");
        mainOut.prf("bench.res is left as it was (%s), and bench.json too\n", why);
        runOutcome3D = runWriteFailed;
        break;
    case pairJsonFailed:
        mainOut.prf("can't write bench.json (%s): no record written, bench.res and bench.json are left as they were\n",
                    why);
        runOutcome3D = runJsonFailed;
        break;
    case pairDamaged:
        mainOut.pr("can't write BENCH.RES file\n");
        mainOut.prf("a write failed (%s) and could not be taken back: bench.res or bench.json ends incomplete\n",
                    why);
        runOutcome3D = runWriteFailed;
        break;
    }
    if (r == pairWritten) {
        const int n = recordsIn(res.c_str());
        if (n > viewerRecordLimit3D)
            mainOut.prf("bench.res now holds %d records; the result viewer loads at most %d: start a new bench.res "
                        "to see them all\n",
                        n, viewerRecordLimit3D);
    }
}

// Writes the frame log of a measured flight, before its result is saved so
// that the result can name it. @returns its name for bench.json, or empty
// when none was asked or it failed (why then says why).
std::string writeFrameLog(std::string* why)
{
    if (frameLogPath3D[0] == '\0')
        return std::string();
    const std::string path = frameLogPathOfRun3D();
    if (!writeFrameLogFile3D(path, cityFrames3D.csv(frameLogHeader3D), why))
        return std::string();
    return frameLogName(path);
}

// What makes a result no measurement or hard to compare, said before the
// flight: a test's fast clock is marked in the record's information text
// too, so that every reader of bench.res leaves the result out.
void markRunConditions()
{
    if (clockRate3D() > 1) {
        mainOut.prf("the program clock runs %ld times fast (KORVA_CLOCK_RATE=%ld): this run measures nothing\n",
                    clockRate3D(), clockRate3D());
        const size_t end = std::strcspn(m3dinfText2, "\n");
        char mark[64];
        std::snprintf(mark, sizeof mark, "  TEST CLOCK x%ld\n", clockRate3D());
        if (end + std::strlen(mark) < sizeof m3dinfText2)
            std::snprintf(m3dinfText2 + end, sizeof m3dinfText2 - end, "%s", mark);
    }
    machine3D m;
    detectMachine3D(&m);
    if (m.allowedThreads > 0 && m.allowedThreads < m.threads)
        mainOut.prf("this process may use %d of the machine's %d processors: the result may not compare with runs "
                    "that had them all\n",
                    m.allowedThreads, m.threads);
}

// the frame-time summary and how the frame log went, written or not (why)
void reportFlight(const frameStats3D& s, const cpuPerFrame3D& cpu, bool logWritten, const std::string& logWhy)
{
    char summary[512];
    benchSummary3D(summary, sizeof summary, s, double(cityFps), cpu);
    mainOut.pr(summary);
    const std::string warnings = steadinessWarnings3D(cpu);
    if (!warnings.empty())
        mainOut.pr(warnings.c_str());
    if (cityFrames3D.dropped() > 0)
        mainOut.prf("the frame times hold the first %d frames of %d\n", cityFrames3D.count(), frameCounter);
    if (frameLogPath3D[0] == '\0')
        return;
    const std::string path = frameLogPathOfRun3D();
    if (logWritten) {
        mainOut.prf("frame log written to %s\n", path.c_str());
        return;
    }
    mainOut.prf("can't write the frame log %s: %s; nothing of it written\n", path.c_str(), logWhy.c_str());
    if (runOutcome3D == runWritten || runOutcome3D == runNotSaved)
        runOutcome3D = runFrameLogFailed;
}

}  // namespace

int benchControl3D()
{
    if (runBenchControlNow == 2) {
        std::snprintf(m3dinfText1, sizeof m3dinfText1, "%s", tVersion);
        startUpOK = glEngine.get3DInfo(scrX, scrY, scrD, numDrv, numDev, 2, 0, 1, m3dinfText1, sizeof m3dinfText1,
                                       m3dinfText2, sizeof m3dinfText2, m3dinfText3, sizeof m3dinfText3);
        markRunConditions();
        runBenchControlNow = 0;
        if (startUpOK != 0)
            drawCityNow = 1;
        return 1;
    }
    if (runBenchControlNow == 1) {
        benchProgressEnd3D();
        // a flight with no frame or a path without length measured nothing
        const char* noMeasure = nullptr;
        if (cityCamRec.duration() <= 0.0f)
            noMeasure = "the city path lasts no time";
        else if (frameCounter <= 0 || !(cityFps > 0.0f) || !std::isfinite(cityFps))
            noMeasure = "the city flight ended before its first frame";
        const bool write = saveBench == 1 && noMeasure == nullptr;
        frameStats3D stats = cityFrames3D.stats();
        // the flight's own count, which the store holds all of unless it overflowed
        stats.frames = frameCounter;
        const cpuPerFrame3D cpu = cityCpuPerFrame3D();
        std::string logWhy;
        const std::string logName = noMeasure == nullptr ? writeFrameLog(&logWhy) : std::string();
        if (noMeasure != nullptr) {
            mainOut.prf("%s: no result written\n", noMeasure);
            runOutcome3D = runNoMeasure;
        } else if (write) {
            // composed whole and appended in one write, so that neither a crash nor a full
            // disk leaves half a record behind
            char record[5200];
            const int n = benchRecord3D(record, sizeof record);
            const size_t len = size_t(n) < sizeof record ? size_t(n) : sizeof record - 1;
            saveResult(record, len, stats, cpu, logName.empty() ? nullptr : logName.c_str());
        } else {
            runOutcome3D = runNotSaved;
        }
        if (!windowsRecord3D || !write) {
            mainOut.prf("%s\n", consoleText(pcNameText).c_str());
            mainOut.prf("%s\n", consoleText(pcInfText).c_str());
        }
        mainOut.pr(consoleText(m3dinfText1).c_str());
        mainOut.prf("%s\n", consoleText(m3dinfText2).c_str());
        mainOut.prf("%d x %d x %d", scrX, scrY, scrD);
        mainOut.prf(windowsRecord3D ? " fps: %4.1f\n" : " fps: %4.1f\n\n\n", double(cityFps));
        if (noMeasure == nullptr)
            reportFlight(stats, cpu, !logName.empty(), logWhy);
        runBenchControlNow = 0;
        closeFLTKWin = 1;
    }
    return 1;
}
