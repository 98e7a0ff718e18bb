// The parameter file's rules and the bench.res record, without a display.
#include "benchProgress3D.h"
#include "driver3D.h"

#include "platform3D.h"
#include "resCheck.h"
#include "resData.h"
#include "results3D.h"
#include "tempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <csignal>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        defaultSettings3D();
        mainOut.prCls();
    }
    tempDir dir;
    void load(const std::string& text)
    {
        writeFile("Korva.INI", text);
        loadParameter("Korva.INI");
    }
};

int lineCount(const std::string& s)
{
    int n = 0;
    for (char c : s)
        n += c == '\n';
    return n;
}

}  // namespace

TEST_F(DriverTest, ParameterFileDefaultsAndIdentification)
{
    load("");
    EXPECT_STREQ(pcNameText, "");
    EXPECT_STREQ(pcInfText, "");
    EXPECT_EQ(runDemo, 1);
    EXPECT_EQ(frameWindow, 1);
    EXPECT_EQ(scrX, 640);
    EXPECT_EQ(scrY, 480);
    EXPECT_EQ(scrD, 16);
    EXPECT_EQ(viewDistance, 19.5f);
    EXPECT_EQ(dynamicFog, 1);
    EXPECT_EQ(numBuf, 2);
    EXPECT_EQ(mMipmapLevels, 0);
    EXPECT_EQ(playSound, 1);

    // a missing file leaves the defaults
    defaultSettings3D();
    loadParameter("nothere.INI");
    EXPECT_EQ(scrX, 640);
    EXPECT_EQ(runDemo, 1);

    // identification lines lose their line break, and a carriage return before it
    load("Athlon 1200, 512 MB\r\nGeForce2 GTS, driver 12.41\nXresolution=800\n");
    EXPECT_STREQ(pcNameText, "Athlon 1200, 512 MB");
    EXPECT_STREQ(pcInfText, "GeForce2 GTS, driver 12.41");
    EXPECT_EQ(scrX, 800);

    // a first line of more than 255 characters is cut at its field and says so; the user's info stays
    const std::string longLine(300, 'x');
    mainOut.prCls();
    load(longLine + "\nsecond\nYresolution=600\n");
    EXPECT_EQ(std::string(pcNameText), std::string(255, 'x'));
    EXPECT_EQ(std::string(pcInfText), "second");
    EXPECT_EQ(scrY, 600);
    EXPECT_NE(std::string(mainOut.getText()).find("Korva.INI line 1 is longer than its 255 characters: it is cut there"),
              std::string::npos);
}

TEST_F(DriverTest, ParameterClampsAndCorrectionsInTheirOrder)
{
    load("a\nb\nXresolution=100\nYresolution=2000\ndynamicFog=7\nnumBuf=0\nmMipmapLevels=3\n");
    EXPECT_EQ(scrX, 160);
    EXPECT_EQ(scrY, 1280);
    EXPECT_EQ(dynamicFog, 1);
    EXPECT_EQ(numBuf, 2);
    EXPECT_EQ(mMipmapLevels, 8);

    // a depth no display has falls back to 16; every real one stands
    for (const char* bad : {"-2147483648", "0", "17", "2147483647", "64"}) {
        defaultSettings3D();
        load(std::string("a\nb\nDresolution=") + bad + "\n");
        EXPECT_EQ(scrD, 16) << bad;
    }
    for (const int good : {8, 15, 16, 24, 32}) {
        defaultSettings3D();
        load("a\nb\nDresolution=" + std::to_string(good) + "\n");
        EXPECT_EQ(scrD, good);
    }

    // the run mode sets the view distance code before it is mapped
    defaultSettings3D();
    load("a\nb\nviewDistance=2\nrunBenchNormal=1\nenableMusic=1\nprecalc=1\n");
    EXPECT_EQ(viewDistance, 19.5f);
    EXPECT_EQ(runDemo, 0);
    EXPECT_EQ(frameWindow, 0);
    EXPECT_EQ(playSound, 0);
    EXPECT_EQ(precalc, 0);
    EXPECT_EQ(saveBench, 1);

    defaultSettings3D();
    load("a\nb\nrunBenchHigh=1\nrunBenchNormal=1\nviewDistance=0\n");
    EXPECT_EQ(viewDistance, 58.5f);
    EXPECT_EQ(dynamicFog, 2);
    EXPECT_EQ(runBenchNormal, 0);

    // keys must start the line; the last of two wins; no digits changes nothing
    defaultSettings3D();
    load("a\nb\n Xresolution=1024\nXresolution=800\nXresolution=1024\nYresolution=\nviewDistance=0\n"
         "noTextureMode=3\nflyNight=0\n# Dresolution=32\n");
    EXPECT_EQ(scrX, 1024);
    EXPECT_EQ(scrY, 480);
    EXPECT_EQ(viewDistance, 10.0f);
    EXPECT_EQ(noTextureMode, 0);
    EXPECT_EQ(flyNight, 0);
    EXPECT_EQ(scrD, 16);
    EXPECT_EQ(runDemo, 1);
}

TEST_F(DriverTest, BenchRecordIsNineLinesByteForByte)
{
    std::snprintf(pcNameText, sizeof pcNameText, "%s", "PC one");
    std::snprintf(pcInfText, sizeof pcInfText, "%s", "more info");
    std::snprintf(benchNameText, sizeof benchNameText, "%s", "OPENGL    N.DETAIL  N.TEX\n");
    std::snprintf(m3dinfText1, sizeof m3dinfText1, "%s", "KORVA_LIN 1.3  GLvendor:V  GLrenderer:R\n");
    std::snprintf(m3dinfText2, sizeof m3dinfText2, "%s", "VSync OFF  DDMSwich OFF\n");
    scrX = 640;
    scrY = 480;
    scrD = 16;
    cityFps = 23.44f;
    // the flight that measured it: a path with length, frames drawn
    cityCamRec.reset();
    matrix_4 m;
    identityMat(&m);
    cityCamRec.insert(m, 0.04f);
    cityCamRec.insert(m, 0.04f);
    frameCounter = 100;
    char rec[4096];
    benchRecord3D(rec, sizeof rec);
    const std::string expect = "[\nPC one\nOPENGL    N.DETAIL  N.TEX\nmore info\n"
                               "KORVA_LIN 1.3  GLvendor:V  GLrenderer:R\nVSync OFF  DDMSwich OFF\n"
                               "640 x 480 x 16 fps: 23.4\n]\n\n";
    EXPECT_EQ(std::string(rec), expect);
    EXPECT_EQ(lineCount(rec), 9);

    // appended to an existing file, never truncating it
    writeFile("bench.res", "earlier results\n");
    saveBench = 1;
    runBenchControlNow = 1;
    closeFLTKWin = 0;
    benchControl3D();
    EXPECT_EQ(readFile("bench.res"), "earlier results\n" + expect);
    EXPECT_EQ(runBenchControlNow, 0);
    EXPECT_EQ(closeFLTKWin, 1);
    const std::string log = mainOut.getText();
    EXPECT_NE(log.find("\nbenchmark results written to bench.res file\n\n"), std::string::npos);
    EXPECT_NE(log.find("640 x 480 x 16 fps: 23.4\n\n\n"), std::string::npos);

    // not saving still shows the whole result
    saveBench = 0;
    mainOut.prCls();
    runBenchControlNow = 1;
    benchControl3D();
    EXPECT_EQ(lineCount(readFile("bench.res")), 1 + 9);
    EXPECT_NE(std::string(mainOut.getText()).find("PC one\nmore info\nKORVA_LIN"), std::string::npos);

    // a results file that cannot be written says so
    saveBench = 1;
    std::filesystem::remove("bench.res");
    std::filesystem::create_directory("bench.res");
    mainOut.prCls();
    runBenchControlNow = 1;
    benchControl3D();
    EXPECT_NE(std::string(mainOut.getText()).find("can't write BENCH.RES file\n"), std::string::npos);
}

namespace {

// the records of a bench.res as the result viewer reads them; -1 when it refuses the file
int viewerRecords(const std::string& path)
{
    resLog log;
    float maxFps = 0.0f;
    resData d(&log, &maxFps, ".");
    return d.loadRes(path.c_str()) == 1 ? d.getNumRecords() : -1;
}

// a measured result, ready to be appended as a benchmark's end does
void measuredResult()
{
    std::snprintf(pcNameText, sizeof pcNameText, "%s", "Disk full PC");
    std::snprintf(pcInfText, sizeof pcInfText, "%s", "a small disk");
    std::snprintf(benchNameText, sizeof benchNameText, "%s", "OPENGL    N.DETAIL  N.TEX\n");
    std::snprintf(m3dinfText1, sizeof m3dinfText1, "%s", "KORVA_LIN 1.3  GLvendor:V  GLrenderer:R\n");
    std::snprintf(m3dinfText2, sizeof m3dinfText2, "%s", "VSync OFF  DDMSwich OFF\n");
    scrX = 640;
    scrY = 480;
    scrD = 16;
    cityFps = 51.2f;
    cityCamRec.reset();
    matrix_4 m;
    identityMat(&m);
    cityCamRec.insert(m, 0.04f);
    cityCamRec.insert(m, 0.04f);
    frameCounter = 100;
    saveBench = 1;
    runBenchControlNow = 1;
    runOutcome3D = runRunning;
}

// earlier records filling exactly size bytes, as the viewer reads them
std::string earlierRecords(size_t size)
{
    const std::string one = "[\nOld PC\nOPENGL    N.DETAIL  N.TEX\nold\nKORVA_LIN 1.3  GLvendor:V  GLrenderer:R\n"
                            "VSync OFF  DDMSwich OFF\n640 x 480 x 16 fps: 40.0\n]\n\n";
    std::string text;
    while (text.size() + one.size() <= size)
        text += one;
    return text + std::string(size - text.size(), '\n');
}

}  // namespace

TEST_F(DriverTest, HashesAreSha256OfTheWholeFile)
{
    char hex[65] = {};
    long long size = -1;
    writeFile("abc.txt", "abc");
    ASSERT_TRUE(hashFile3D("abc.txt", hex, &size));
    EXPECT_STREQ(hex, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(size, 3);
    // longer than one read of the hasher
    writeFile("big.txt", std::string(3 << 20, 'a'));
    ASSERT_TRUE(hashFile3D("big.txt", hex, &size));
    EXPECT_EQ(size, 3 << 20);
    EXPECT_STREQ(hex, "6f850bc94ae6f7de14297c01616c36d712d22864497b28a63b81d776b035e656");
    EXPECT_FALSE(hashFile3D("none.txt", hex, &size));
}

TEST_F(DriverTest, AFullDiskLeavesBenchResAsItWas)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root (CI runs as root)";
    const std::filesystem::path disk = dir.path / "disk";
    std::filesystem::create_directory(disk);
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "can't mount a tmpfs: " << std::strerror(errno);
    struct unmountAtEnd {
        std::filesystem::path p;
        ~unmountAtEnd() { umount2(p.c_str(), MNT_DETACH); }
    } unmount{disk};
    ASSERT_EQ(changeDir3D(disk.c_str()), 0);

    // 4000 bytes of results, then the rest of the disk filled
    const std::string before = earlierRecords(4000);
    writeFile("bench.res", before);
    const int earlier = viewerRecords("bench.res");
    ASSERT_GT(earlier, 10);
    const std::string earlierLog = std::string(frameLogHeader3D) + "\n1,20.000,20.000,0.000,5000,900.0\n";
    writeFile("frames.csv", earlierLog);
    {
        FILE* fill = std::fopen("fill", "wb");
        ASSERT_NE(fill, nullptr);
        const std::string block(4096, 'f');
        while (std::fwrite(block.data(), 1, block.size(), fill) == block.size() && std::fflush(fill) == 0) {
        }
        std::fclose(fill);
    }

    // an earlier frame log on the full disk survives a new one that does not fit
    std::snprintf(frameLogPath3D, sizeof frameLogPath3D, "%s", "frames.csv");
    cityFrames3D.start(0);
    for (int i = 1; i <= 3000; i++)
        cityFrames3D.frame(i * 20000LL, float(i) * 0.02f, 5000, 900.0f);
    measuredResult();
    mainOut.prCls();
    benchControl3D();
    frameLogPath3D[0] = '\0';
    cityFrames3D.clear();
    EXPECT_EQ(readFile("frames.csv"), earlierLog);
    EXPECT_FALSE(std::filesystem::exists("frames.csv." + std::to_string(getpid()) + ".tmp"));
    EXPECT_NE(std::string(mainOut.getText()).find("can't write the frame log frames.csv: No space left on device"),
              std::string::npos);
    EXPECT_EQ(readFile("bench.res"), before);
    EXPECT_EQ(viewerRecords("bench.res"), earlier);
    // the JSON line goes first: it is the file that failed, and the record never follows
    EXPECT_EQ(runOutcome3D, runJsonFailed);
    EXPECT_EQ(benchExitStatus3D(), 6);
    EXPECT_EQ(readFile("bench.json"), "");
    const std::string log = mainOut.getText();
    EXPECT_NE(log.find("can't write bench.json (No space left on device): no record written"), std::string::npos)
        << log;
    EXPECT_EQ(log.find("benchmark results written"), std::string::npos);
    // the result is still shown
    EXPECT_NE(log.find("640 x 480 x 16 fps: 51.2"), std::string::npos);

    // room again: the next record lands whole behind the old ones
    std::filesystem::remove("fill");
    measuredResult();
    benchControl3D();
    EXPECT_EQ(runOutcome3D, runWritten);
    EXPECT_EQ(viewerRecords("bench.res"), earlier + 1);
    changeDir3D(dir.path.c_str());
}

TEST_F(DriverTest, AFileSizeLimitNeitherKillsTheRunNorCutsARecord)
{
    // as under "ulimit -f": the record would cross the limit in its fourth line
    const std::string before = earlierRecords(4000);
    writeFile("bench.res", before);
    const int earlier = viewerRecords("bench.res");
    measuredResult();
    fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit = {4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        mainOut.prCls();
        benchControl3D();
        const std::string log = mainOut.getText();
        const bool said = log.find("can't write BENCH.RES file\nbench.res is left as it was (File too large)") !=
                          std::string::npos;
        _exit(said ? benchExitStatus3D() : 99);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(readFile("bench.res"), before);
    EXPECT_EQ(readFile("bench.json"), "");  // the record's JSON line went with it
    EXPECT_EQ(viewerRecords("bench.res"), earlier);

    // without the limit the same result is appended
    benchControl3D();
    EXPECT_EQ(runOutcome3D, runWritten);
    EXPECT_EQ(viewerRecords("bench.res"), earlier + 1);
}

TEST_F(DriverTest, AFlightThatMeasuredNothingWritesNoRecord)
{
    writeFile("bench.res", earlierRecords(600));
    const std::string before = readFile("bench.res");
    // a path without length: all steps 0
    measuredResult();
    cityCamRec.reset();
    matrix_4 m;
    identityMat(&m);
    cityCamRec.insert(m, 0.0f);
    mainOut.prCls();
    benchControl3D();
    EXPECT_EQ(runOutcome3D, runNoMeasure);
    EXPECT_EQ(benchExitStatus3D(), 4);
    EXPECT_NE(std::string(mainOut.getText()).find("the city path lasts no time: no result written\n"),
              std::string::npos);
    // an empty path
    measuredResult();
    cityCamRec.reset();
    benchControl3D();
    EXPECT_EQ(runOutcome3D, runNoMeasure);
    // no frame drawn, or no rate
    for (const float fps : {0.0f, 51.2f, std::nanf(""), INFINITY}) {
        measuredResult();
        cityFps = fps;
        if (fps == 51.2f)
            frameCounter = 0;
        mainOut.prCls();
        benchControl3D();
        EXPECT_EQ(runOutcome3D, runNoMeasure) << fps;
        EXPECT_NE(std::string(mainOut.getText()).find("the city flight ended before its first frame: no result written\n"),
                  std::string::npos);
    }
    EXPECT_EQ(readFile("bench.res"), before);
    EXPECT_EQ(closeFLTKWin, 1);
}

TEST(FrameStats, PercentilesAndLowRatesByHand)
{
    // 990 frames of 10 ms, 9 of 20 ms, one of 50 ms, in a shuffled order
    std::vector<float> ms;
    for (int i = 0; i < 1000; i++)
        ms.push_back(i % 111 == 5 && i < 999 ? 20.0f : 10.0f);
    ms[500] = 50.0f;
    ASSERT_EQ(std::count(ms.begin(), ms.end(), 20.0f), 9);
    std::vector<float> scratch(ms.size());
    const frameStats3D s = frameStatsOf3D(ms.data(), int(ms.size()), scratch.data());
    EXPECT_EQ(s.frames, 1000);
    EXPECT_NEAR(s.avgFps, 1000.0 * 1000.0 / 10130.0, 1e-9);
    EXPECT_EQ(s.p50Ms, 10.0);
    EXPECT_EQ(s.p95Ms, 10.0);
    EXPECT_EQ(s.p99Ms, 10.0);  // the 990th of 1000 sorted times
    EXPECT_EQ(s.maxMs, 50.0);
    // the slowest 10 frames: 50 + 9 x 20 ms; the slowest one: 50 ms
    EXPECT_NEAR(s.low1Fps, 10.0 / 0.230, 1e-9);
    EXPECT_NEAR(s.low01Fps, 20.0, 1e-9);
    // the input is left as it was
    EXPECT_EQ(ms[500], 50.0f);

    // seven frames: nearest ranks 4, 7 and 7; the slowest frame stands for both lows
    const float seven[] = {5, 1, 4, 2, 3, 7, 6};
    float room[7];
    const frameStats3D t = frameStatsOf3D(seven, 7, room);
    EXPECT_EQ(t.p50Ms, 4.0);
    EXPECT_EQ(t.p95Ms, 7.0);
    EXPECT_EQ(t.p99Ms, 7.0);
    EXPECT_NEAR(t.low1Fps, 1000.0 / 7.0, 1e-9);
    EXPECT_NEAR(t.low01Fps, 1000.0 / 7.0, 1e-9);
    EXPECT_NEAR(t.avgFps, 7000.0 / 28.0, 1e-9);
    // 2001 frames: the slowest 21 and 3 make the lows
    std::vector<float> many(2001, 4.0f);
    for (int i = 0; i < 21; i++)
        many[size_t(i) * 90] = i < 3 ? 40.0f : 8.0f;
    std::vector<float> room2(many.size());
    const frameStats3D u = frameStatsOf3D(many.data(), 2001, room2.data());
    EXPECT_NEAR(u.low1Fps, 21000.0 / (3 * 40.0 + 18 * 8.0), 1e-9);
    EXPECT_NEAR(u.low01Fps, 1000.0 / 40.0, 1e-9);
    EXPECT_EQ(u.p99Ms, 8.0);  // rank 1981: the first slow one after 1980 fast ones
    EXPECT_EQ(frameStatsOf3D(many.data(), 0, room2.data()).frames, 0);
}

TEST(FrameStats, RepeatedRunsStatistics)
{
    const double fps[] = {98.3, 95.8, 96.3, 91.9, 103.1};
    char line[512];
    repeatSummary3D(line, sizeof line, fps, 5);
    // sample standard deviation 4.0868; t(4) = 2.776
    EXPECT_STREQ(line, "repeat 5: mean 97.08 fps  median 96.30  min 91.90  max 103.10  CV 4.21 %  "
                       "95% CI of the mean 92.01 to 102.15 fps\n");
    const double two[] = {10.0, 12.0};
    repeatSummary3D(line, sizeof line, two, 2);
    EXPECT_STREQ(line, "repeat 2: mean 11.00 fps  median 11.00  min 10.00  max 12.00  CV 12.86 %  "
                       "95% CI of the mean -1.71 to 23.71 fps\n");
    const double one[] = {50.0};
    repeatSummary3D(line, sizeof line, one, 1);
    EXPECT_STREQ(line, "repeat 1: mean 50.00 fps  median 50.00  min 50.00  max 50.00  CV 0.00 %  "
                       "95% CI of the mean 50.00 to 50.00 fps\n");
}

TEST(FrameStats, StressStabilityIsTheLowestLoopOverTheHighest)
{
    // judged on the tenth of a percent it is printed with
    const double edge[] = {100.0, 98.0, 96.96};
    const stressStability3D a = stressStabilityOf3D(edge, 3);
    EXPECT_EQ(a.loops, 3);
    EXPECT_EQ(a.lowest, 96.96);
    EXPECT_EQ(a.highest, 100.0);
    EXPECT_EQ(a.percent, 97.0);
    EXPECT_TRUE(a.stable);
    const double below[] = {96.94, 100.0};
    EXPECT_EQ(stressStabilityOf3D(below, 2).percent, 96.9);
    EXPECT_FALSE(stressStabilityOf3D(below, 2).stable);
    // one loop says nothing of stability; no rate at all neither
    const double one[] = {100.0};
    EXPECT_FALSE(stressStabilityOf3D(one, 1).stable);
    const double none[] = {0.0, 0.0};
    EXPECT_FALSE(stressStabilityOf3D(none, 2).stable);
}

TEST_F(DriverTest, EveryMeasuredBenchmarkAddsOneJsonLineAndItsFrameLog)
{
    measuredResult();
    std::snprintf(pcNameText, sizeof pcNameText, "%s", "PC \"quoted\" \\ name");
    runBenchHigh = 1;
    loadBigTex = 1;
    viewDistance = 58.5f;
    dynamicFog = 2;
    glFilterLinear = 0;
    glQualityHintHigh = 0;
    // a flight of 100 frames of 20 ms, the last one 60 ms
    cityFrames3D.start(1000000);
    long long t = 1000000;
    for (int i = 0; i < 100; i++) {
        t += i == 99 ? 60000 : 20000;
        cityFrames3D.frame(t, float(i) * 0.08f, 5000 + i, 900.5f);
    }
    frameCounter = 100;
    cityFps = 48.54f;
    std::snprintf(frameLogPath3D, sizeof frameLogPath3D, "%s", (dir.path / "frames.csv").c_str());
    writeFile("bench.json", "{\"earlier\":1}\n");
    mainOut.prCls();
    benchControl3D();
    frameLogPath3D[0] = '\0';
    ASSERT_EQ(runOutcome3D, runWritten);

    const std::string log = mainOut.getText();
    EXPECT_NE(log.find("frames: 100  avg 48.5 fps  1% low 16.7 fps  0.1% low 16.7 fps  frame ms p50 20.00 "
                       "p95 20.00 p99 20.00 max 60.00  cpu ms/frame user "),
              std::string::npos)
        << log;

    // one more line, whole, that a JSON parser reads with every field
    const std::string text = readFile("bench.json");
    ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    const std::string last = text.substr(text.find('\n') + 1);
    const auto j = nlohmann::json::parse(last);
    EXPECT_EQ(j["computer"], "PC \"quoted\" \\ name");
    EXPECT_EQ(j["benchmark"], "OPENGL    N.DETAIL  N.TEX");
    EXPECT_EQ(j["user_info"], "a small disk");
    EXPECT_EQ(j["auto_info1"], "KORVA_LIN 1.3  GLvendor:V  GLrenderer:R");
    EXPECT_EQ(j["auto_info2"], "VSync OFF  DDMSwich OFF");
    EXPECT_EQ(j["width"], 640);
    EXPECT_EQ(j["height"], 480);
    EXPECT_EQ(j["depth"], 16);
    EXPECT_EQ(j["fps"], 48.5);
    const auto& s = j["summary"];
    EXPECT_EQ(s["frames"], 100);
    EXPECT_EQ(s["fps_avg"], 48.54);
    EXPECT_EQ(s["fps_1pct_low"], 16.67);
    EXPECT_EQ(s["fps_01pct_low"], 16.67);
    EXPECT_EQ(s["frame_ms_p50"], 20.0);
    EXPECT_EQ(s["frame_ms_p95"], 20.0);
    EXPECT_EQ(s["frame_ms_p99"], 20.0);
    EXPECT_EQ(s["frame_ms_max"], 60.0);
    EXPECT_GE(s["cpu_user_ms_per_frame"].get<double>(), 0.0);
    EXPECT_GE(s["cpu_system_ms_per_frame"].get<double>(), 0.0);
    const auto& set = j["settings"];
    EXPECT_EQ(set["detail"], "high");
    EXPECT_EQ(set["textures"], "big");
    EXPECT_EQ(set["resolution"], "640x480x16");
    EXPECT_EQ(set["view_distance"], 58.5);
    EXPECT_EQ(set["fog"], 2);
    EXPECT_EQ(set["night"], flyNight);
    EXPECT_EQ(set["texture_filter"], "nearest");
    EXPECT_EQ(set["quality_hint"], "fastest");
    // the rest as the defaults leave them
    const nlohmann::json rest = {{"mipmaps", 0},         {"fly_mode", "path"},         {"untextured", 0},
                                 {"reflection_maps", 1}, {"glow_blend_additive", 1}, {"display_lists", 0},
                                 {"buffers", 2},         {"in_window", 1}};
    for (const auto& [key, value] : rest.items())
        EXPECT_EQ(set[key], value) << key;
    EXPECT_EQ(j["version"], "KORVA_LIN 1.3");
    EXPECT_EQ(j["system"].get<std::string>().rfind("Linux ", 0), 0u);
    const std::string when = j["time"];
    ASSERT_EQ(when.size(), 20u) << when;
    EXPECT_EQ(when[4], '-');
    EXPECT_EQ(when[10], 'T');
    EXPECT_EQ(when.back(), 'Z');
    // the machine, field by field
    machine3D m;
    detectMachine3D(&m);
    EXPECT_EQ(j["cpu_model"], m.cpuModel);
    EXPECT_EQ(j["cpu_cores"], m.cores);
    EXPECT_EQ(j["cpu_threads"], m.threads);
    EXPECT_EQ(j["memory_mb"], m.memoryBytes >> 20);
    EXPECT_EQ(j["os"], m.osName);
    EXPECT_TRUE(j["gl_version"].is_string());
    // no manifest in this folder: no hash
    EXPECT_FALSE(j.contains("data_manifest_sha256"));
    // the frame log beside it, by its name; which bench.res its record went to
    EXPECT_EQ(j["frame_log"], "frames.csv");
    EXPECT_EQ(j["record_file_tail_sha256"].get<std::string>().size(), 64u);
    EXPECT_TRUE(j["record_file_id"].is_string());
    // (and the processors it may use, on a machine that gives it fewer than it has)
    EXPECT_EQ(j["mode"], "timed");
    EXPECT_FALSE(j.contains("step_ms"));
    EXPECT_EQ(j.size(), m.allowedThreads > 0 && m.allowedThreads < m.threads ? 28u : 27u);

    // the frame log: a header and one row a frame
    const std::string csv = readFile((dir.path / "frames.csv").string());
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 100);
    EXPECT_EQ(csv.rfind("frame,since_first_ms,frame_ms,path_s,triangles,texture_kb\n1,20.000,20.000,0.000,5000,900.5\n", 0),
              0u)
        << csv.substr(0, 200);
    EXPECT_NE(csv.find("\n100,2040.000,60.000,7.920,5099,900.5\n"), std::string::npos);

    // saving off: neither file grows
    saveBench = 0;
    runBenchControlNow = 1;
    benchControl3D();
    EXPECT_EQ(readFile("bench.json"), text);
    runBenchHigh = 0;
    loadBigTex = 0;
}

namespace {

resCheck checked()
{
    resCheck c;
    EXPECT_TRUE(checkResults(".", &c));
    return c;
}

int pausePipe[2], goPipe[2];
void pauseBetweenWrites()
{
    char c = 'p';
    (void)!write(pausePipe[1], &c, 1);
    (void)!read(goPipe[0], &c, 1);
}

// a child that runs a benchmark's end and exits with its status
pid_t benchChild(rlim_t fileLimit, void (*pause)())
{
    fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        if (fileLimit > 0) {
            const rlimit limit = {fileLimit, fileLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        resultPairPause3D = pause;
        measuredResult();
        benchControl3D();
        _exit(benchExitStatus3D());
    }
    return child;
}

int exitOf(pid_t child)
{
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TEST_F(DriverTest, ARecordAndItsJsonLineAreWrittenAsOnePair)
{
    const std::string before = earlierRecords(4000);
    writeFile("bench.res", before);
    const int earlier = viewerRecords("bench.res");
    measuredResult();
    benchControl3D();
    ASSERT_EQ(runOutcome3D, runWritten);
    resCheck c = checked();
    EXPECT_EQ(c.whole, 1);
    EXPECT_EQ(c.loneRecords, viewerRecords("bench.res") - 1) << c.report;

    // killed between the two writes: a JSON line without its record, which the next benchmark cuts off
    const std::string res1 = readFile("bench.res");
    EXPECT_EQ(exitOf(benchChild(0, [] { raise(SIGKILL); })), 128 + SIGKILL);
    EXPECT_EQ(readFile("bench.res"), res1);
    EXPECT_EQ(checked().orphans, 1);
    measuredResult();
    benchControl3D();
    ASSERT_EQ(runOutcome3D, runWritten);
    c = checked();
    EXPECT_EQ(c.orphans, 0) << c.report;
    EXPECT_EQ(c.whole, 2);
    const std::string json = readFile("bench.json");
    EXPECT_EQ(std::count(json.begin(), json.end(), '\n'), 2);

    // two benchmarks at once: A fails its record part-way while B waits for the lock, then B appends
    const std::string res2 = readFile("bench.res");
    ASSERT_EQ(pipe(pausePipe), 0);
    ASSERT_EQ(pipe(goPipe), 0);
    const pid_t a = benchChild(rlim_t(res2.size()) + 100, pauseBetweenWrites);
    char p = 0;
    ASSERT_EQ(read(pausePipe[0], &p, 1), 1);
    const pid_t b = benchChild(0, nullptr);
    usleep(300000);
    int bStatus = 0;
    EXPECT_EQ(waitpid(b, &bStatus, WNOHANG), 0) << "B appended while A held the files";
    ASSERT_EQ(write(goPipe[1], "g", 1), 1);
    EXPECT_EQ(exitOf(a), 3);
    EXPECT_EQ(exitOf(b), 0);
    for (int fd : {pausePipe[0], pausePipe[1], goPipe[0], goPipe[1]})
        close(fd);
    EXPECT_EQ(readFile("bench.res").rfind(res2, 0), 0u);
    EXPECT_EQ(viewerRecords("bench.res"), earlier + 3);
    c = checked();
    EXPECT_EQ(c.whole, 3) << c.report;
    EXPECT_TRUE(c.orphans == 0 && c.broken == 0) << c.report;

    // bench.json that can't be written: no record either, status 6
    const std::string res3 = readFile("bench.res");
    std::filesystem::rename("bench.json", "kept.json");
    std::filesystem::create_directory("bench.json");
    measuredResult();
    mainOut.prCls();
    benchControl3D();
    EXPECT_EQ(benchExitStatus3D(), 6);
    EXPECT_EQ(readFile("bench.res"), res3);
    EXPECT_NE(std::string(mainOut.getText()).find("can't write bench.json (Is a directory): no record written"),
              std::string::npos);
    int status = 0;
    EXPECT_EQ(resultsUnwritable3D(&status),
              "can't write bench.json in " + std::filesystem::current_path().string() + ": it is not a regular file");
    EXPECT_EQ(status, 6);
    std::filesystem::remove("bench.json");
    std::filesystem::rename("kept.json", "bench.json");
    EXPECT_EQ(resultsUnwritable3D(), "");
    std::snprintf(outputDir3D, sizeof outputDir3D, "%s", "missing/");
    EXPECT_EQ(resultsUnwritable3D(), "can't write bench.res in missing: No such file or directory");
    outputDir3D[0] = '\0';

    // the append that takes bench.res past what the viewer loads says so
    std::string full;
    for (int i = 0; i < viewerRecordLimit3D; i++)
        full += "[\nOld PC\nOPENGL    N.DETAIL  N.TEX\nold\nKORVA_LIN 1.3\nVSync OFF\n640 x 480 x 16 fps: 40.0\n]\n\n";
    writeFile("bench.res", full);
    ASSERT_EQ(viewerRecords("bench.res"), viewerRecordLimit3D);
    measuredResult();
    mainOut.prCls();
    benchControl3D();
    EXPECT_EQ(viewerRecords("bench.res"), -1);
    EXPECT_NE(std::string(mainOut.getText())
                  .find("bench.res now holds 1500 records; the result viewer loads at most 1499"),
              std::string::npos)
        << mainOut.getText();
}

TEST_F(DriverTest, AFrameLogIsWholeOrNoneAndNeverAResultFile)
{
    writeFile("bench.res", earlierRecords(400));
    writeFile("bench.json", "{}\n");
    std::filesystem::create_symlink("bench.res", "link.res");
    std::filesystem::create_directory("folder");
    writeFile("notes.txt", "my notes\n");
    EXPECT_STREQ(frameLogRefusal3D("bench.res"), "it is a result file");
    EXPECT_STREQ(frameLogRefusal3D("link.res"), "it is a result file");
    EXPECT_STREQ(frameLogRefusal3D("bench.json"), "it is a result file");
    EXPECT_STREQ(frameLogRefusal3D("folder"), "it is not a regular file");
    EXPECT_STREQ(frameLogRefusal3D("notes.txt"), "it is not a frame log");
    EXPECT_EQ(frameLogRefusal3D("new.csv"), nullptr);

    // one file a run in a series
    std::snprintf(frameLogPath3D, sizeof frameLogPath3D, "%s", "runs/a.b/frames.csv");
    benchRunCount3D = 3;
    benchRunNumber3D = 2;
    EXPECT_EQ(frameLogPathOfRun3D(), "runs/a.b/frames-2.csv");
    std::snprintf(frameLogPath3D, sizeof frameLogPath3D, "%s", "runs/a.b/frames");
    EXPECT_EQ(frameLogPathOfRun3D(), "runs/a.b/frames-2");
    // a name that begins with its only dot has no extension
    std::snprintf(frameLogPath3D, sizeof frameLogPath3D, "%s", "runs/.frames");
    EXPECT_EQ(frameLogPathOfRun3D(), "runs/.frames-2");
    std::snprintf(frameLogPath3D, sizeof frameLogPath3D, "%s", "runs/a.b/frames");
    benchRunCount3D = benchRunNumber3D = 1;
    EXPECT_EQ(frameLogPathOfRun3D(), "runs/a.b/frames");

    // an earlier frame log survives a write that fails, under a file size limit, whole and without a signal
    std::snprintf(frameLogPath3D, sizeof frameLogPath3D, "%s", "frames.csv");
    measuredResult();
    cityFrames3D.start(0);
    for (int i = 1; i <= 3000; i++)
        cityFrames3D.frame(i * 20000LL, float(i) * 0.02f, 5000, 900.0f);
    benchControl3D();
    ASSERT_EQ(runOutcome3D, runWritten);
    const std::string earlier = readFile("frames.csv");
    EXPECT_GT(earlier.size(), 60000u);
    EXPECT_EQ(exitOf(benchChild(40000, nullptr)), 7);
    EXPECT_EQ(readFile("frames.csv"), earlier);
    // nothing of it left, under any name
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator("."))
        files += e.path().filename().string().find("frames") != std::string::npos;
    EXPECT_EQ(files, 1);
    std::snprintf(frameLogPath3D, sizeof frameLogPath3D, "%s", "missing/frames.csv");
    measuredResult();
    mainOut.prCls();
    benchControl3D();
    EXPECT_EQ(benchExitStatus3D(), 7);
    EXPECT_NE(std::string(mainOut.getText()).find("can't write the frame log missing/frames.csv: No such file"),
              std::string::npos);
    frameLogPath3D[0] = '\0';
    cityFrames3D.clear();
}

TEST_F(DriverTest, ABenchmarkFixesEverySettingThatChangesItsWork)
{
    load("PC\ninfo\nmMipmapLevels=1\nnoBlendFuncSRCALPHA_DSTONE=1\nvekCityFly=1\nflyNight=0\nprecalc=1\n"
         "noTextureMode=1\nmNoReflectionMap=1\nglFilterLinear=0\nglQualityHintHigh=0\nnumBuf=1\ndynamicFog=0\n");
    const auto user = [] {
        return std::vector<int>{mMipmapLevels, noBlendFuncSRCALPHA_DSTONE, vekCityFly, flyNight, precalc, noTextureMode,
                                mNoReflectionMap, glFilterLinear, glQualityHintHigh, numBuf, dynamicFog, d3dDisableFog};
    };
    d3dDisableFog = 1;
    const std::vector<int> demo = user();
    for (const int big : {0, 1}) {
        loadBigTex = big;
        runDemo = 0;
        runBenchNormal = 1;
        runBenchHigh = 0;
        prepareRun3D();
        EXPECT_EQ(user(), (std::vector<int>{big == 1 ? 8 : 0, 0, 0, 1, 0, 0, 0, 1, 1, 2, 1, 0}));
        EXPECT_EQ(viewDistance, 19.5f);
        endRun3D();
        EXPECT_EQ(user(), demo);
    }
    loadBigTex = 0;
    d3dDisableFog = 0;
}

TEST(BenchProgress, OneLineInPlaceAboutOnceASecondAndBlankedAtTheEnd)
{
    FILE* tty = std::tmpfile();
    ASSERT_NE(tty, nullptr);
    auto shown = [&] {
        std::fflush(tty);
        std::string s(size_t(std::ftell(tty)), '\0');
        std::rewind(tty);
        s.resize(std::fread(s.data(), 1, s.size(), tty));
        std::fseek(tty, 0, SEEK_END);
        return s;
    };
    // nowhere to show it: nothing happens
    benchProgressOut3D = nullptr;
    benchProgress3D(0, 1.0f, 40.0f, 10, 1.0);
    benchProgressEnd3D();

    benchProgressOut3D = tty;
    benchRunNumber3D = 2;
    benchRunCount3D = 5;
    benchProgress3D(5000000, 12.0f, 40.0f, 540, 10.0);
    EXPECT_EQ(shown(), "\rrun 2 of 5  path 12.0 of 40.0 s   30 %  54.0 fps");
    // within the second: nothing; a second later: the line again, in place
    benchProgress3D(5999999, 12.2f, 40.0f, 560, 10.2);
    EXPECT_EQ(shown().size(), 49u);
    benchRunCount3D = 1;
    benchProgress3D(6000000, 40.5f, 40.0f, 600, 11.0);
    const std::string two = shown();
    EXPECT_EQ(two.substr(49), "\rpath 40.5 of 40.0 s  100 %  54.5 fps" + std::string(12, ' '));
    benchProgressEnd3D();
    EXPECT_EQ(shown().substr(two.size()), "\r" + std::string(48, ' ') + "\r");
    // ended once: a second end writes nothing; the next flight starts at once
    benchProgressEnd3D();
    EXPECT_EQ(shown().size(), two.size() + 50);
    benchProgress3D(6000001, 0.1f, 40.0f, 1, 0.01);
    EXPECT_GT(shown().size(), two.size() + 50);
    benchProgressEnd3D();
    benchProgressOut3D = nullptr;

    // what the front-end asks before it shows the line: a terminal is one, a file and a pipe are not
    EXPECT_FALSE(isTerminal3D(tty));
    std::fclose(tty);
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    FILE* piped = fdopen(ends[1], "w");
    EXPECT_FALSE(isTerminal3D(piped));
    std::fclose(piped);
    close(ends[0]);
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    FILE* terminal = std::fopen(ptsname(master), "w");
    ASSERT_NE(terminal, nullptr);
    EXPECT_TRUE(isTerminal3D(terminal));
    std::fclose(terminal);
    close(master);
}

namespace {

// what a shell command prints, its last line end dropped
std::string shell(const char* command)
{
    std::string out;
    if (FILE* p = popen(command, "r")) {
        char buf[512];
        size_t n = 0;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

}  // namespace

TEST(Machine, DetectedAsTheSystemSaysAndOnlyWhereTheUserGaveNothing)
{
    machine3D m;
    detectMachine3D(&m);
    // what the system's own tools say of this machine
    EXPECT_EQ(m.cpuModel, shell("grep -m1 '^model name' /proc/cpuinfo | sed 's/^[^:]*: *//'"));
    EXPECT_EQ(m.threads, std::stoi(shell("grep -c '^processor' /proc/cpuinfo")));
    EXPECT_EQ(m.cores, std::stoi(shell("lscpu -p=core,socket | grep -v '^#' | sort -u | wc -l")));
    EXPECT_EQ(m.osName, shell(". /etc/os-release && echo \"$PRETTY_NAME\""));
    const long long memKB = std::stoll(shell("awk '/^MemTotal:/ { print $2 }' /proc/meminfo"));
    EXPECT_NEAR(double(m.memoryBytes) / 1024.0, double(memKB), double(memKB) * 0.01);

    // an empty identification takes the machine's; a given one stays
    pcNameText[0] = pcInfText[0] = '\0';
    identifyMachine3D();
    EXPECT_EQ(std::string(pcNameText), std::string(m.cpuModel) + " (" + std::to_string(m.cores) + " core" +
                                           (m.cores == 1 ? "" : "s") + ", " + std::to_string(m.threads) +
                                           " thread" + (m.threads == 1 ? "" : "s") + ")");
    EXPECT_EQ(std::string(pcInfText), std::string(m.osName) + ", " + shell("uname -s") + " " + shell("uname -r") +
                                          " " + shell("uname -m"));
    std::snprintf(pcNameText, sizeof pcNameText, "my box");
    pcInfText[0] = '\0';
    identifyMachine3D();
    EXPECT_STREQ(pcNameText, "my box");
    EXPECT_NE(std::string(pcInfText).find(shell("uname -r")), std::string::npos);
    std::snprintf(pcInfText, sizeof pcInfText, "my notes");
    identifyMachine3D();
    EXPECT_STREQ(pcInfText, "my notes");
}

TEST(Steadiness, SharesOfTheMachineAndWarningsOfUnsteadyRuns)
{
    // by hand: others took 30 - 20 of 40 s, the host 2 of 40
    const double before[3] = {10.0, 1.0, 100.0}, after[3] = {40.0, 3.0, 140.0};
    double others = 0.0, steal = 0.0;
    cpuShares3D(before, after, 20.0, &others, &steal);
    EXPECT_DOUBLE_EQ(others, 0.25);
    EXPECT_DOUBLE_EQ(steal, 0.05);
    cpuShares3D(before, after, 35.0, &others, &steal);
    EXPECT_DOUBLE_EQ(others, 0.0);
    cpuShares3D(before, before, 0.0, &others, &steal);
    EXPECT_EQ(others, -1.0);
    EXPECT_EQ(steal, -1.0);

    cpuPerFrame3D cpu = {5.0, 0.1, 0.23, 0.05};
    EXPECT_EQ(steadinessWarnings3D(cpu),
              "other processes used 23 % of the CPU during the flight: the result may not be comparable\n");
    cpu.othersShare = 0.05;
    cpu.stealShare = 0.07;
    EXPECT_EQ(steadinessWarnings3D(cpu), "the virtual machine's host took 7 % of the CPU (steal time) during the "
                                         "flight: the result may not be comparable\n");
    cpu.othersShare = cpu.stealShare = -1.0;
    EXPECT_EQ(steadinessWarnings3D(cpu), "");

    // series: steady, one run far out, spread wide, too few to say
    const double steady[] = {100.0, 101.0, 99.0, 100.5, 99.5};
    EXPECT_EQ(repeatWarnings3D(steady, 5), "");
    const double oneOff[] = {100.0, 100.0, 100.0, 96.5, 100.0};
    EXPECT_EQ(repeatWarnings3D(oneOff, 5), "run 4 (96.50 fps) lies far from the others (median 100.00 fps)\n");
    const double wide[] = {100.0, 101.0, 99.0, 100.5, 80.0};
    EXPECT_EQ(repeatWarnings3D(wide, 5),
              "the runs spread by 9.40 % (coefficient of variation, more than 3 %): the result may be unstable\n"
              "run 5 (80.00 fps) lies far from the others (median 100.00 fps)\n");
    const double two[] = {100.0, 50.0};
    EXPECT_EQ(repeatWarnings3D(two, 2), "");

    // the machine's counters as /proc/stat has them, and a flight's shares in its JSON line
    double busy = 0.0, stolen = 0.0, total = 0.0;
    ASSERT_TRUE(machineCpu3D(&busy, &stolen, &total));
    const double listed = std::stod(shell("awk '/^cpu / { print $2+$3+$4+$5+$6+$7+$8+$9 }' /proc/stat")) /
                          std::stod(shell("getconf CLK_TCK"));
    EXPECT_NEAR(total, listed, 5.0);
    EXPECT_GT(busy, 0.0);
    EXPECT_LE(busy + stolen, total);
    frameCounter = 10;
    ASSERT_TRUE(processCpu3D(&cityCpuUserS3D, &cityCpuSystemS3D));
    ASSERT_TRUE(machineCpu3D(&cityMachineBusyS3D, &cityMachineStealS3D, &cityMachineTotalS3D));
    // some CPU time of its own between the two readings
    volatile double sink = 0.0;
    for (int spin = 0; spin < 50000000; spin++)
        sink = sink + 1.0;
    const cpuPerFrame3D flight = cityCpuPerFrame3D();
    EXPECT_GE(flight.othersShare, 0.0);
    EXPECT_LE(flight.othersShare, 1.0);
    // a name in a Windows code page reads as the record's bytes read, not as replacement characters
    char name[sizeof pcNameText];
    std::memcpy(name, pcNameText, sizeof name);
    std::snprintf(pcNameText, sizeof pcNameText, "%s", "\xe9t\xe9 \x80 box");
    const auto j = nlohmann::json::parse(benchJson3D(frameStats3D{}, flight, "2026-12-10T00:00:00Z", nullptr, nullptr));
    std::memcpy(pcNameText, name, sizeof name);
    EXPECT_EQ(j["computer"], "\u00e9t\u00e9 \u20ac box");
    EXPECT_EQ(j["summary"]["cpu_others_share"].get<double>(), std::round(flight.othersShare * 1000.0) / 1000.0);
    EXPECT_TRUE(j["summary"].contains("cpu_steal_share"));
}

namespace {

// the results of a file as every reader takes them, and what they left out
int readerResults(const std::string& path, std::string* notes = nullptr)
{
    resLog log;
    float maxFps = 0.0f;
    resData d(&log, &maxFps, ".");
    const int n = d.loadRes(path.c_str()) == 1 ? d.getNumRecords() : -1;
    if (notes != nullptr)
        *notes = d.leftOutNotes();
    return n;
}

int benchOnce()
{
    measuredResult();
    mainOut.prCls();
    benchControl3D();
    return benchExitStatus3D();
}

}  // namespace

TEST_F(DriverTest, TheResultPairAtTheEdgesUsersReach)
{
    // bench.res moved aside, as the program advises, after one pair and after two: the lines stay, as history
    ASSERT_EQ(benchOnce(), 0);
    std::filesystem::rename("bench.res", "first.res");
    ASSERT_EQ(benchOnce(), 0);
    ASSERT_EQ(benchOnce(), 0);
    std::filesystem::rename("bench.res", "second.res");
    ASSERT_EQ(benchOnce(), 0);
    EXPECT_EQ(lineCount(readFile("bench.json")), 4);
    resCheck c = checked();
    EXPECT_TRUE(c.allPaired()) << c.report;
    EXPECT_EQ(c.whole, 1);
    EXPECT_EQ(c.history, 3) << c.report;
    EXPECT_EQ(readerResults("bench.json"), 4);

    // killed between the writes: the orphan is no result to any reader, and the next run cuts it
    EXPECT_EQ(exitOf(benchChild(0, [] { raise(SIGKILL); })), 128 + SIGKILL);
    std::string notes;
    EXPECT_EQ(readerResults("bench.json", &notes), 4);
    EXPECT_EQ(notes, "bench.json: left out 1 orphan (a run killed before its record)\n");
    ASSERT_EQ(benchOnce(), 0);
    c = checked();
    EXPECT_EQ(c.orphans, 0);
    EXPECT_EQ(c.whole + c.history, 5) << c.report;

    // a note without its line break in bench.res, a cut bench.json: the pair starts lines of its own
    appendFile3D("bench.res", "my note", 7);
    const std::string json = readFile("bench.json");
    writeFile("bench.json", json + json.substr(0, 50));
    ASSERT_EQ(benchOnce(), 0);
    c = checked();
    EXPECT_EQ(c.whole, 3) << c.report;
    EXPECT_EQ(c.loneRecords, 0) << c.report;
    EXPECT_EQ(c.broken, 1);
    EXPECT_NE(c.report.find("bench.json line 6: no JSON object"), std::string::npos) << c.report;
    EXPECT_EQ(readerResults("bench.res"), 3);
    EXPECT_EQ(readerResults("bench.json", &notes), 6);
    EXPECT_EQ(notes, "bench.json: left out 1 unreadable line (6)\n");

    // every line twice: one result each, and the check fails on them
    const std::string twice = readFile("bench.json");
    writeFile("bench.json", twice + twice);
    c = checked();
    EXPECT_EQ(c.duplicates, 6) << c.report;
    EXPECT_FALSE(c.allPaired());
    EXPECT_EQ(readerResults("bench.json", &notes), 6);
    EXPECT_NE(notes.find("6 duplicates"), std::string::npos) << notes;
    writeFile("bench.json", twice);

    // fewer processors than the machine has (taskset): said, and kept in the JSON line;
    // the user's own escape sequences reach the console as "?"
    machine3D m;
    detectMachine3D(&m);
    cpu_set_t all, one;
    ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
    CPU_ZERO(&one);
    for (int i = 0; i < CPU_SETSIZE; i++)
        if (CPU_ISSET(i, &all)) {
            CPU_SET(i, &one);
            break;
        }
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    measuredResult();
    std::snprintf(pcNameText, sizeof pcNameText, "%s", "box\x1b]0;PWNED\x07\x1b[2J");
    mainOut.prCls();
    runOutcome3D = runRunning;
    runBenchControlNow = 2;
    benchControl3D();
    runBenchControlNow = 1;
    benchControl3D();
    sched_setaffinity(0, sizeof all, &all);
    const std::string said = mainOut.getText();
    EXPECT_EQ(said.find('\x1b'), std::string::npos);
    EXPECT_NE(said.find("box?]0;PWNED??[2J\n"), std::string::npos) << said;
    const std::string jsonText = readFile("bench.json");
    const std::string lastJson = jsonText.substr(jsonText.rfind('\n', jsonText.size() - 2) + 1);
    if (m.threads > 1) {
        EXPECT_NE(said.find("this process may use 1 of the machine's " + std::to_string(m.threads) + " processors"),
                  std::string::npos) << said;
        EXPECT_EQ(nlohmann::json::parse(lastJson)["cpu_threads_allowed"], 1);
    }
    c = checked();
    EXPECT_EQ(c.whole, 4) << c.report;

    // a computer's name that begins as a record does is no second record
    std::snprintf(pcNameText, sizeof pcNameText, "%s", "[ lab box 7");
    mainOut.prCls();
    const std::string name = "[ lab box 7";
    measuredResult();
    std::snprintf(pcNameText, sizeof pcNameText, "%s", name.c_str());
    benchControl3D();
    c = checked();
    EXPECT_EQ(c.loneRecords, 0) << c.report;
    EXPECT_EQ(c.whole, 5);

    // bench.json that is bench.res by another name is refused before the flight, and never waited on
    std::filesystem::rename("bench.json", "kept.json");
    std::filesystem::create_symlink("bench.res", "bench.json");
    int status = 0;
    EXPECT_NE(resultsUnwritable3D(&status).find("it is bench.res by another name"), std::string::npos);
    EXPECT_EQ(status, 6);
    EXPECT_EQ(benchOnce(), 6);
    std::filesystem::remove("bench.json");
    // a link into a missing folder can't be written either
    std::filesystem::create_symlink("missing/bench.json", "bench.json");
    EXPECT_NE(resultsUnwritable3D(&status).find("can't write bench.json"), std::string::npos);
    std::filesystem::remove("bench.json");
    std::filesystem::rename("kept.json", "bench.json");

    // another benchmark's lock: waited for, said after a second, given up with status 3
    ASSERT_EQ(pipe(pausePipe), 0);
    ASSERT_EQ(pipe(goPipe), 0);
    const pid_t a = benchChild(0, pauseBetweenWrites);
    char p = 0;
    ASSERT_EQ(read(pausePipe[0], &p, 1), 1);
    lockWaitLimitMs3D = 1500;
    EXPECT_EQ(benchOnce(), 3);
    lockWaitLimitMs3D = 120000;
    const std::string log = mainOut.getText();
    EXPECT_NE(log.find("waiting for another benchmark writing bench.res"), std::string::npos) << log;
    EXPECT_NE(log.find("another benchmark held its lock for 1 s"), std::string::npos) << log;
    ASSERT_EQ(write(goPipe[1], "g", 1), 1);
    EXPECT_EQ(exitOf(a), 0);
    for (int fd : {pausePipe[0], pausePipe[1], goPipe[0], goPipe[1]})
        close(fd);
    c = checked();
    EXPECT_EQ(c.whole, 6) << c.report;
    EXPECT_EQ(c.orphans + c.loneRecords, 0) << c.report;
}

TEST_F(DriverTest, AFrameLogNeverTakesAnotherFoldersResultsOrLeavesItsTemporaries)
{
    // an empty bench.json of another folder, by name or through a link, is no frame log to write
    std::filesystem::create_directory("B");
    writeFile("B/bench.json", "");
    std::filesystem::create_symlink("B/bench.json", "frames.csv");
    EXPECT_STREQ(frameLogRefusal3D("B/bench.json"), "it is a result file");
    EXPECT_STREQ(frameLogRefusal3D("frames.csv"), "it is a result file");
    EXPECT_STREQ(frameLogRefusal3D("B/Bench.Res"), "it is a result file");
    std::filesystem::remove("frames.csv");

    // a writer killed before its rename left a temporary file: gone with the next write, a living one's stays
    const pid_t dead = fork();
    if (dead == 0)
        _exit(0);
    ASSERT_EQ(exitOf(dead), 0);
    const std::string stale = "frames.csv." + std::to_string(dead) + ".tmp";
    const std::string mine = "frames.csv." + std::to_string(getpid()) + ".tmp";
    writeFile(stale, "half");
    writeFile(mine, "busy");
    removeDeadTemporaries3D("frames.csv");
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(mine));
}
