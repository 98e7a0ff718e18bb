// Runs in the orders a user takes them, in one process as the program
// keeps its state: a damaged package then a good one, a failed start then a
// retry, a demo then benchmarks, a benchmark left early, a record that
// cannot be written. Records are read back with the viewer's own reader.
#include "bareFront3D.h"
#include "driver3D.h"
#include "glxWindow3D.h"
#include "manifest3D.h"
#include "platform3D.h"
#include "resData.h"
#include "results3D.h"

#include "runWalk.h"
#include "tempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::string console()
{
    return mainOut.getText();
}

class RunSequences : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setClockSource3D(fastClock);
        fe = installBareFront3D(glxWindowSystem3D());
    }
    static void TearDownTestSuite() { setClockSource3D(nullptr); }

    void SetUp() override
    {
        // the working folder's data folder is a copy whose files the tests may damage
        makeLinuxTree(KORVA_TREE, dir.path);
        ASSERT_EQ(changeDir3D("linux"), 0);
        loadParameter("Korva.INI");
        scrX = 320;
        scrY = 200;
        mainOut.prCls();
    }
    void TearDown() override { changeDir3D(dir.home.c_str()); }

    // a benchmark started as the dialog starts one: from whatever the last run left
    int startBench(bool high)
    {
        runBenchHigh = high ? 1 : 0;
        runBenchNormal = high ? 0 : 1;
        prepareRun3D();
        startScrX = scrX;
        startScrY = scrY;
        startScrD = scrD;
        return start3D();
    }
    int startDemo()
    {
        runDemo = 1;
        runBenchNormal = runBenchHigh = 0;
        prepareRun3D();
        startScrX = scrX;
        startScrY = scrY;
        startScrD = scrD;
        return start3D();
    }
    // the records of bench.res as the result viewer reads them; -1 when it refuses the file
    int records(resData& d)
    {
        if (!fs::exists("bench.res"))
            return 0;
        return d.loadRes("bench.res") == 1 ? d.getNumRecords() : -1;
    }

    tempDir dir;
    resLog log;
    float maxFps = 0.0f;
    static bareFront3D* fe;
};

bareFront3D* RunSequences::fe = nullptr;

}  // namespace

// first in the process: the scene has never been loaded
TEST_F(RunSequences, HalfLoadedSceneIsNotTakenForLoaded)
{
    // a package made from loose files without the search lights: the engine's own
    // snapshot of a catalogue that stopped at its four "spot4.obj" objects
    const fs::path tree = KORVA_TREE;
    fs::remove("../smltex");
    fs::create_directory("../smltex");
    // real folders with links to the files, so that ".." never leads into the build's tree
    for (const auto& g : fs::directory_iterator(tree / "smltex")) {
        const fs::path group = fs::path("../smltex") / g.path().filename();
        fs::create_directory(group);
        if (g.path().filename() != "spot")
            for (const auto& f : fs::directory_iterator(g.path()))
                fs::create_symlink(f.path(), group / f.path().filename());
    }
    loadBigTex = 0;
    sceneData.init();
    ASSERT_EQ(loadSceneFiles3D(1), 0) << console();
    ASSERT_EQ(changeDir3D((dir.path / "linux").c_str()), 0);
    const int partial = sceneData.getNumObject();
    ASSERT_GT(partial, 100);
    const fs::path pac = "../data/smltex.pac";
    fs::remove(pac);
    ASSERT_EQ(sceneData.save_pac(pac.c_str()), 1);
    // taken for the build's data set, so that the start gets as far as the scene
    ASSERT_TRUE(writeManifest3D("../data/"));
    sceneData.init();
    mainOut.prCls();

    ASSERT_EQ(startBench(false), 0);
    EXPECT_NE(console().find("can't load spot4.obj"), std::string::npos) << console();
    EXPECT_NE(console().find("the scene of ../data/smltex.pac is incomplete"), std::string::npos);
    EXPECT_EQ(smlTexLoaded, 0);
    EXPECT_EQ(runOutcome3D, runNotStarted);
    EXPECT_EQ(benchExitStatus3D(), 1);

    // the next start loads the whole scene again, and the flight sees every object
    fs::remove(pac);
    fs::create_symlink(tree / "data" / "smltex.pac", pac);
    fs::remove("../data/korvane.manifest");
    fs::create_symlink(tree / "data" / "korvane.manifest", "../data/korvane.manifest");
    mainOut.prCls();
    ASSERT_EQ(startBench(false), 1) << console();
    EXPECT_EQ(smlTexLoaded, 1);
    EXPECT_GE(spot4a, 0);
    runFrames3D(100000);
    EXPECT_EQ(console().find("error no Object"), std::string::npos) << console();
    EXPECT_EQ(runOutcome3D, runWritten);
    resData d(&log, &maxFps, ".");
    EXPECT_EQ(records(d), 1);
}

TEST_F(RunSequences, FailedStartThenRetry)
{
    // the demo's settings, then a start that fails before the flight: paths missing
    defaultSettings3D();
    scrX = 320;
    scrY = 200;
    viewDistance = 10.0f;
    dynamicFog = 0;
    frameWindow = 1;
    cityRecLoaded = 0;
    fs::rename("../data", "../data.away");
    const int closesBefore = fe->closes;
    EXPECT_EQ(startBench(true), 0);
    EXPECT_EQ(runOutcome3D, runNotStarted);
    // nothing of it is pending and the demo settings are the user's again
    EXPECT_EQ(closeFLTKWin, 0);
    EXPECT_EQ(runBenchControlNow, 0);
    EXPECT_EQ(viewDistance, 10.0f);
    EXPECT_EQ(dynamicFog, 0);
    EXPECT_EQ(frameWindow, 1);
    EXPECT_EQ(scrX, 320);

    // the user closes what the failed start left: that close must not end the retry
    closeRunWindow3D();
    fs::rename("../data.away", "../data");
    mainOut.prCls();
    ASSERT_EQ(startBench(true), 1) << console();
    EXPECT_GT(runFrames3D(100000), 20);
    EXPECT_EQ(fe->closes, closesBefore + 1);
    EXPECT_EQ(runOutcome3D, runWritten);
    EXPECT_EQ(viewDistance, 10.0f);
    EXPECT_EQ(dynamicFog, 0);
    resData d(&log, &maxFps, ".");
    ASSERT_EQ(records(d), 1);
    EXPECT_STREQ(d.record(0).benchmark, "OPENGL    H.DETAIL  N.TEX");
}

TEST_F(RunSequences, DemoThenBenchmarksKeepRecordsAndSettings)
{
    // the demo with the user's settings, walked through with ESC
    viewDistance = 10.0f;
    dynamicFog = 0;
    flyNight = 0;
    ASSERT_EQ(startDemo(), 1) << console();
    EXPECT_NE(console().find("VIEW DISTANCE: NEAR   FLY: DAY   DYNAMICFOG: NONE"), std::string::npos);
    runFrames3D(3);
    EXPECT_EQ(drawIntroNow, 1);
    // ESC or "e": the intro, then the city, then the end pictures, then the close
    for (int k = 0; k < 3; k++) {
        fe->pendingKey = k == 1 ? 'e' : 27;
        runFrames3D(3);
        EXPECT_EQ(drawCityNow, k == 0 ? 1 : 0) << "after key " << k;
        EXPECT_EQ(drawEndNow, k == 1 ? 1 : 0) << "after key " << k;
    }
    runFrames3D(2000);
    EXPECT_EQ(runDemo, 1);  // the benchmark dialog never cleared it before

    // a high-detail benchmark started from the state the demo left
    mainOut.prCls();
    ASSERT_EQ(startBench(true), 1) << console();
    EXPECT_EQ(console().find("STARTING DEMO"), std::string::npos) << console();
    EXPECT_NE(console().find("STARTING HIGHDETAIL BENCH  NORMALTEXTURES"), std::string::npos) << console();
    // the benchmark flies by night whatever the demo was set to
    EXPECT_NE(console().find("VIEW DISTANCE: FAR   FLY: NIGHT   DYNAMICFOG: HIGH"), std::string::npos);
    runFrames3D(100000);
    EXPECT_EQ(runOutcome3D, runWritten);
    EXPECT_EQ(benchExitStatus3D(), 0);

    // the demo's settings are back, and the next demo runs with them
    EXPECT_EQ(viewDistance, 10.0f);
    EXPECT_EQ(dynamicFog, 0);
    EXPECT_EQ(flyNight, 0);
    mainOut.prCls();
    ASSERT_EQ(startDemo(), 1);
    EXPECT_NE(console().find("VIEW DISTANCE: NEAR   FLY: DAY   DYNAMICFOG: NONE"), std::string::npos) << console();
    closeRunWindow3D();
    runFrames3D(10);
    closeRunWindow3D();
    runFrames3D(10);
    closeRunWindow3D();
    runFrames3D(10);

    // then a normal one with saving off, and one more with saving on
    saveBench = 0;
    ASSERT_EQ(startBench(false), 1);
    runFrames3D(100000);
    EXPECT_EQ(runOutcome3D, runNotSaved);
    EXPECT_EQ(benchExitStatus3D(), 0);
    saveBench = 1;
    ASSERT_EQ(startBench(false), 1);
    runFrames3D(100000);

    resData d(&log, &maxFps, ".");
    ASSERT_EQ(records(d), 2);
    EXPECT_STREQ(d.record(0).benchmark, "OPENGL    H.DETAIL  N.TEX");
    EXPECT_STREQ(d.record(1).benchmark, "OPENGL    N.DETAIL  N.TEX");
}

TEST_F(RunSequences, BenchmarkLeftEarlyOrUnwritable)
{
    // ESC in the flight: no record, a line that says so, a status that is not success
    ASSERT_EQ(startBench(false), 1);
    runFrames3D(10);
    fe->pendingKey = 27;
    runFrames3D(100000);
    EXPECT_EQ(runOutcome3D, runCancelled);
    EXPECT_EQ(benchExitStatus3D(), 4);
    EXPECT_NE(console().find("BENCHMARK CANCELLED. NO RESULT WRITTEN"), std::string::npos) << console();
    EXPECT_FALSE(fs::exists("bench.res"));

    // the window closed in the flight: the same
    ASSERT_EQ(startBench(true), 1);
    runFrames3D(10);
    closeRunWindow3D();
    runFrames3D(100000);
    EXPECT_EQ(runOutcome3D, runCancelled);
    EXPECT_FALSE(fs::exists("bench.res"));

    // a bench.res that cannot be opened: refused before the flight, with the reason and status 3
    fs::create_directory("bench.res");
    mainOut.prCls();
    ASSERT_EQ(startBench(false), 0);
    EXPECT_EQ(runOutcome3D, runWriteFailed);
    EXPECT_EQ(benchExitStatus3D(), 3);
    EXPECT_NE(console().find("benchmark not started: can't write bench.res in " + fs::current_path().string() +
                             ": it is not a regular file\n"),
              std::string::npos)
        << console();
    EXPECT_FALSE(fs::exists("bench.json"));
    fs::remove("bench.res");

    // a frame log that would replace what is no frame log: the windowed benchmark is refused
    // before its flight (status 7), and a demo, which writes none, is not
    writeFile("notes.txt", "my notes\n");
    std::snprintf(frameLogPath3D, sizeof frameLogPath3D, "%s", "notes.txt");
    mainOut.prCls();
    ASSERT_EQ(startBench(false), 0);
    EXPECT_EQ(benchExitStatus3D(), 7);
    EXPECT_NE(console().find("can't write the frame log notes.txt: it is not a frame log\nbenchmark not started\n"),
              std::string::npos)
        << console();
    EXPECT_EQ(readFile("notes.txt"), "my notes\n");
    ASSERT_EQ(startDemo(), 1) << console();
    for (int k = 0; k < 3; k++) {
        fe->pendingKey = 27;
        runFrames3D(3);
    }
    runFrames3D(2000);
    EXPECT_EQ(readFile("notes.txt"), "my notes\n");
    frameLogPath3D[0] = '\0';
}

namespace {

// puts a private copy of a data file in place of the tree's link, edited
void replaceData(const std::string& name, const std::function<void(std::string*)>& edit)
{
    const fs::path p = fs::path("../data") / name;
    std::string bytes = readFile(p.string());
    fs::remove(p);
    edit(&bytes);
    writeFile(p.string(), bytes);
}

}  // namespace

TEST_F(RunSequences, DataThatAreNotTheBuildsStopABenchmarkNotTheDemo)
{
    const fs::path tree = KORVA_TREE;
    // a camera path cut to half: refused before anything is measured
    replaceData("cam.bre", [](std::string* b) { b->resize(b->size() / 2); });
    cityRecLoaded = 0;
    EXPECT_EQ(startBench(false), 0);
    const auto half = std::to_string(fs::file_size(tree / "data" / "cam.bre") / 2);
    EXPECT_NE(console().find("data check: ../data/cam.bre has " + half + " bytes, the data set's has " +
                             std::to_string(fs::file_size(tree / "data" / "cam.bre")) + "\n"),
              std::string::npos)
        << console();
    EXPECT_NE(console().find("benchmark not started: its data files are not the build's data set\n"), std::string::npos);
    EXPECT_EQ(runOutcome3D, runNotStarted);
    EXPECT_EQ(benchExitStatus3D(), 1);
    EXPECT_FALSE(fs::exists("bench.res"));

    // the demo still runs on them, and says so
    mainOut.prCls();
    ASSERT_EQ(startDemo(), 1) << console();
    EXPECT_NE(console().find("warning: the demo runs on data files that are not the build's data set\n"),
              std::string::npos);
    for (int k = 0; k < 3; k++) {
        runFrames3D(10);
        closeRunWindow3D();
    }
    runFrames3D(10);

    // the same size, other bytes: one step of the ship path changed
    fs::remove("../data/cam.bre");
    fs::create_symlink(tree / "data" / "cam.bre", "../data/cam.bre");
    replaceData("ship.bre", [](std::string* b) { (*b)[68 * 10 + 64] ^= 1; });
    mainOut.prCls();
    EXPECT_EQ(startBench(true), 0);
    EXPECT_NE(console().find("data check: ../data/ship.bre differs from the data set's (SHA-256 "), std::string::npos)
        << console();

    // a manifest with a line that does not read, before the entries a start needs
    fs::remove("../data/ship.bre");
    fs::create_symlink(tree / "data" / "ship.bre", "../data/ship.bre");
    replaceData("korvane.manifest", [](std::string* b) { b->insert(b->find('\n') + 1, "12 not-a-hash x\n"); });
    mainOut.prCls();
    EXPECT_EQ(startBench(false), 0);
    EXPECT_NE(console().find("data check: ../data/korvane.manifest is damaged (line 2)\n"), std::string::npos)
        << console();

    // a folder or a FIFO in the manifest's place: said so, never read (a FIFO would hang)
    fs::remove("../data/korvane.manifest");
    fs::create_directory("../data/korvane.manifest");
    mainOut.prCls();
    EXPECT_EQ(startBench(false), 0);
    EXPECT_NE(console().find("data check: ../data/korvane.manifest is not a regular file\n"), std::string::npos)
        << console();
    fs::remove("../data/korvane.manifest");
    ASSERT_EQ(mkfifo("../data/korvane.manifest", 0600), 0);
    mainOut.prCls();
    EXPECT_EQ(startBench(false), 0);
    EXPECT_NE(console().find("data check: ../data/korvane.manifest is not a regular file\n"), std::string::npos);

    // no manifest at all
    fs::remove("../data/korvane.manifest");
    mainOut.prCls();
    EXPECT_EQ(startBench(false), 0);
    EXPECT_NE(console().find("data check: no ../data/korvane.manifest: these are not the build's data files\n"),
              std::string::npos)
        << console();

    // the build's data again: measured and written
    fs::create_symlink(tree / "data" / "korvane.manifest", "../data/korvane.manifest");
    cityRecLoaded = 0;
    mainOut.prCls();
    ASSERT_EQ(startBench(false), 1) << console();
    runFrames3D(100000);
    EXPECT_EQ(runOutcome3D, runWritten);
    EXPECT_EQ(console().find("data check"), std::string::npos);
    resData d(&log, &maxFps, ".");
    EXPECT_EQ(records(d), 1);

    // a path without length that the manifest vouches for still measures nothing
    replaceData("cam.bre", [](std::string* b) { b->clear(); });
    ASSERT_TRUE(writeManifest3D("../data/"));
    cityRecLoaded = 0;
    mainOut.prCls();
    ASSERT_EQ(startBench(false), 1) << console();
    runFrames3D(100000);
    EXPECT_EQ(runOutcome3D, runNoMeasure);
    EXPECT_EQ(benchExitStatus3D(), 4);
    EXPECT_NE(console().find("the city path lasts no time: no result written\n"), std::string::npos) << console();
    EXPECT_EQ(records(d), 1);
    cityRecLoaded = 0;
}

TEST_F(RunSequences, AMeasuredFlightLogsEveryFrameBesideItsRecord)
{
    std::snprintf(frameLogPath3D, sizeof frameLogPath3D, "%s", (dir.path / "frames.csv").c_str());
    ASSERT_EQ(startBench(false), 1) << console();
    runFrames3D(100000);
    frameLogPath3D[0] = '\0';
    ASSERT_EQ(runOutcome3D, runWritten) << console();
    ASSERT_GT(frameCounter, 10);

    // the frame log: one row per frame of the measured flight, times adding up to its span
    std::ifstream csv(dir.path / "frames.csv");
    std::string row;
    ASSERT_TRUE(std::getline(csv, row));
    EXPECT_EQ(row, "frame,since_first_ms,frame_ms,path_s,triangles,texture_kb");
    int rows = 0;
    double sum = 0.0, last = 0.0, lastPath = -1.0;
    while (std::getline(csv, row)) {
        int n = 0, tris = 0;
        double since = 0.0, ms = 0.0, path = 0.0, kb = 0.0;
        ASSERT_EQ(std::sscanf(row.c_str(), "%d,%lf,%lf,%lf,%d,%lf", &n, &since, &ms, &path, &tris, &kb), 6) << row;
        EXPECT_EQ(n, ++rows);
        EXPECT_GE(path, lastPath);
        EXPECT_GT(tris, 0);
        sum += ms;
        last = since;
        lastPath = path;
    }
    EXPECT_EQ(rows, frameCounter);
    EXPECT_NEAR(sum, last, 0.01 * rows);
    EXPECT_NEAR(last, elapsedStartTimeS * 1000.0, 2.0);

    // the JSON line says the same as the record the viewer reads, and names the data set
    resData d(&log, &maxFps, ".");
    ASSERT_EQ(records(d), 1);
    const std::string text = readFile("bench.json");
    ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
    const auto j = nlohmann::json::parse(text);
    EXPECT_EQ(j["fps"].get<double>(), std::round(double(d.record(0).fps) * 10.0) / 10.0);
    EXPECT_EQ(j["computer"], d.record(0).computer);
    EXPECT_EQ(j["benchmark"], d.record(0).benchmark);
    EXPECT_EQ(j["auto_info2"], d.record(0).autoInfo2);
    EXPECT_EQ(j["summary"]["frames"], frameCounter);
    EXPECT_EQ(j["data_manifest_sha256"], std::string(manifestHash3D("../data/")));
    EXPECT_EQ(j["data_manifest_sha256"].get<std::string>().size(), 64u);
    EXPECT_NE(console().find("frames: " + std::to_string(frameCounter) + "  avg "), std::string::npos) << console();
}

TEST(RecordText, TypedTextsEndAtTheirFirstLineBreak)
{
    char out[16];
    setRecordText3D(out, sizeof out, "Athlon 1400\nsecond line");
    EXPECT_STREQ(out, "Athlon 1400");
    setRecordText3D(out, sizeof out, "Windows box\r\n");
    EXPECT_STREQ(out, "Windows box");
    setRecordText3D(out, sizeof out, "\nall gone");
    EXPECT_STREQ(out, "");
    setRecordText3D(out, sizeof out, "a text longer than the field");
    EXPECT_STREQ(out, "a text longer t");
    // past the parameter file's 256 bytes a break still ends the text
    char big[1024];
    setRecordText3D(big, sizeof big, (std::string(400, 'x') + "\rrest").c_str());
    EXPECT_EQ(std::string(big), std::string(400, 'x'));
    setRecordText3D(out, sizeof out, nullptr);
    EXPECT_STREQ(out, "");
}
