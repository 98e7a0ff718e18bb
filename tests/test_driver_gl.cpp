// The driver end to end in a real window (Mesa under Xvfb): a whole
// benchmark, then a demo through all its sequences, on the build's data tree.
#include "bareFront3D.h"
#include "driver3D.h"
#include "glxWindow3D.h"
#include "platform3D.h"
#include "results3D.h"

#include "glMirrors.h"
#include "tempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

int lineCount(const std::string& s)
{
    int n = 0;
    for (char c : s)
        n += c == '\n';
    return n;
}

// a private copy of the tree's working folder beside links to its data
void linkTree(const fs::path& at)
{
    const fs::path tree = KORVA_TREE;
    for (const char* d : {"data", "smltex", "bigtex", "endtex"})
        fs::create_directory_symlink(tree / d, at / d);
    fs::create_directory(at / "linux");
    fs::copy_file(tree / "linux" / "Korva.INI", at / "linux" / "Korva.INI");
}

// the window system's swaps while the city is drawn, counted
const glWindow3D* realWindow = nullptr;
int swaps = 0;
void countedSwap(int id)
{
    swaps += drawCityNow == 1;
    realWindow->swap(id);
}

long steppedMs = 0;
long steppedClock()
{
    return steppedMs;
}

// the system clock at eight times its pace: a whole flight in an eighth of its length
long quickFrom = 0;
std::chrono::steady_clock::time_point quickStart;
long quickClock()
{
    using namespace std::chrono;
    return quickFrom + long(duration_cast<milliseconds>(steady_clock::now() - quickStart).count() * 8);
}

}  // namespace

TEST(DriverRun, BenchmarkThenDemoOnOneSceneLoad)
{
    tempDir dir;
    linkTree(dir.path);
    ASSERT_EQ(changeDir3D("linux"), 0);
    writeFile("bench.res", "[\nearlier\n]\n");
    armClock3D();
    quickFrom = clockMillis3D();
    quickStart = std::chrono::steady_clock::now();
    setClockSource3D(quickClock);
    realWindow = glxWindowSystem3D();
    glWindow3D counted = *realWindow;
    counted.swap = countedSwap;
    bareFront3D* fe = installBareFront3D(&counted);

    // the benchmark, as the dialog starts it
    loadParameter("Korva.INI");
    identifyMachine3D();
    runDemo = 0;
    runBenchNormal = 1;
    runBenchHigh = 0;
    prepareRun3D();
    startScrX = scrX;
    startScrY = scrY;
    startScrD = scrD;
    ASSERT_EQ(start3D(), 1) << mainOut.getText();
    EXPECT_EQ(runBenchControlNow, 2);
    EXPECT_EQ(timeMul, 4.0f);
    swaps = 0;
    const int frames = runFrames3D(100000);
    EXPECT_GT(frames, 20);
    // two frames of the flight's first pose drawn before its clock, in no statistic
    EXPECT_EQ(swaps, cityFrames3D.count() + 2);
    EXPECT_EQ(fe->closes, 1);
    EXPECT_EQ(fe->enables, 1);
    EXPECT_TRUE(fe->music.empty());  // a benchmark plays no music
    EXPECT_GT(cityFps, 0.0f);

    const std::string res = readFile("bench.res");
    ASSERT_EQ(res.rfind("[\nearlier\n]\n", 0), 0u);
    const std::string rec = res.substr(12);
    EXPECT_EQ(lineCount(rec), 9);
    // the tree's Korva.INI names no machine: the record names the one it ran on
    EXPECT_NE(rec.find(" threads)\nOPENGL    N.DETAIL  N.TEX\n"), std::string::npos) << rec;
    EXPECT_NE(rec.find("\nOPENGL    N.DETAIL  N.TEX\n"), std::string::npos);
    EXPECT_NE(rec.find("\nKORVA_LIN 1.3  GLvendor:"), std::string::npos);
    EXPECT_NE(rec.find("DDMSwich OFF\n640 x 480 x 16 fps: "), std::string::npos);
    EXPECT_EQ(rec.substr(rec.size() - 4), "\n]\n\n");
    EXPECT_EQ(scrX, startScrX);

    // the same texture set again: neither the package nor the paths are read
    const int objects = sceneData.getNumObject();
    fs::remove("../data");
    mainOut.prCls();
    defaultSettings3D();
    runDemo = 1;
    prepareRun3D();
    ASSERT_EQ(start3D(), 1) << mainOut.getText();
    EXPECT_EQ(sceneData.getNumObject(), objects);
    EXPECT_EQ(drawIntroNow, 1);
    EXPECT_EQ(timeMul, 1.0f);

    // the intro draws, starts the demo's music and hands over when its path runs out
    EXPECT_EQ(runFrames3D(5), 5);
    ASSERT_EQ(fe->music.size(), 1u);
    EXPECT_EQ(fe->music[0], "../data/celesfnt.mus");
    EXPECT_GT(glEngine.polyCount, 0);
    startTimeM -= 30000;
    runFrames3D(2);
    EXPECT_EQ(drawIntroNow, 0);
    EXPECT_EQ(drawCityNow, 1);

    // the city flies until its camera path ends, then waits with its result
    EXPECT_EQ(runFrames3D(5), 5);
    EXPECT_GT(glEngine.polyCount, 1000);
    EXPECT_EQ(cityFps, 0.0f);
    startTimeM -= 200000;
    runFrames3D(3);
    EXPECT_GT(cityFps, 0.0f);
    EXPECT_EQ(drawCityNow, 1);
    EXPECT_NE(std::string(mainOut.getText()).find("DEMO "), std::string::npos);
    const float taken = cityFps;
    runFrames3D(3);
    EXPECT_EQ(cityFps, taken);  // taken once per flight

    // ESC goes on to the end pictures, which close the run when their path ends
    steppedMs = clockMillis3D();
    setClockSource3D(steppedClock);
    fe->pendingKey = 27;
    runFrames3D(3);
    EXPECT_EQ(drawEndNow, 1);
    EXPECT_EQ(drawCityNow, 0);
    // the end pictures have their own view, not the city's view distance: near and far of the projection
    float proj[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, proj);
    EXPECT_NEAR(proj[14] / (proj[10] - 1.0f), 0.3f, 1e-3f);
    EXPECT_NEAR(proj[14] / (proj[10] + 1.0f), 60.0f, 0.1f);
    // and their own light: the city's specular highlights dimmed to 0.4
    float specular[4] = {};
    glGetLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    EXPECT_FLOAT_EQ(specular[0], 0.4f);
    // no picture before 0.9 s; the first fades in through texture 0's alpha
    texture3D* shownTex = sceneData.getTex2D(0);
    const texture3D* firstPic = sceneData.getDynTex2D(0);
    ASSERT_TRUE(shownTex != nullptr && firstPic != nullptr && firstPic->pixels);
    size_t alphaAt = 3;
    while (alphaAt + 4 < size_t(firstPic->width) * size_t(firstPic->height) * 4 && firstPic->pixels[alphaAt] < 200)
        alphaAt += 4;
    ASSERT_GE(firstPic->pixels[alphaAt], 200);
    shownTex->pixels[alphaAt] = 7;
    // a frame draws at the time the frame before it took
    steppedMs += 800;
    runFrames3D(2);
    EXPECT_EQ(shownTex->pixels[alphaAt], 7) << "a picture was shown before its start";
    steppedMs += 275;  // half way into the fade
    runFrames3D(2);
    const int half = (firstPic->pixels[alphaAt] * 128) >> 8;
    EXPECT_NEAR(shownTex->pixels[alphaAt], half, 2);
    steppedMs += 700;
    runFrames3D(2);
    EXPECT_EQ(shownTex->pixels[alphaAt], firstPic->pixels[alphaAt]);
    setClockSource3D(quickClock);
    startTimeM -= 40000;
    runFrames3D(10);
    EXPECT_EQ(drawEndNow, 0);
    EXPECT_EQ(fe->closes, 2);
    EXPECT_EQ(fe->musicCloses, 2);
    EXPECT_EQ(lineCount(readFile("bench.res")), 3 + 9);  // the demo writes no record
    setClockSource3D(nullptr);
    EXPECT_EQ(changeDir3D(dir.home.c_str()), 0);
}

TEST(DriverRun, ADemoFromDisplayListsKeepsTheMirrorsTrue)
{
    tempDir dir;
    linkTree(dir.path);
    ASSERT_EQ(changeDir3D("linux"), 0);
    armClock3D();
    installBareFront3D(glxWindowSystem3D());
    loadParameter("Korva.INI");
    runDemo = 1;
    runBenchNormal = runBenchHigh = 0;
    precalc = 1;
    scrX = 320;
    scrY = 240;
    ASSERT_EQ(startBareRun3D(), 1) << mainOut.getText();
    // every object drawn from its list, through the intro into the city, 100 ms a frame
    steppedMs = 5000000;
    setClockSource3D(steppedClock);
    int wrong = 0, frames = 0, city = 0;
    std::string first;
    for (; frames < 400; frames++) {
        if (runFrames3D(1) != 1)
            break;
        city += drawCityNow;
        const std::string f = mirrorFaults(glEngine);
        if (!f.empty() && wrong++ == 0)
            first = "frame " + std::to_string(frames) + ":" + f;
        // the city's third window of six frames runs at half speed: the first two only warm up
        const bool slow = drawCityNow == 1 && frameCounter > 2 * conterRes && frameCounter <= 3 * conterRes;
        steppedMs += slow ? 200 : 100;
    }
    // the window rates after the warm-up: 5 fps in the slow window, 10 in the others
    EXPECT_NEAR(minFps, 5.0f, 0.01f);
    EXPECT_NEAR(maxFps, 10.0f, 0.01f);
    setClockSource3D(nullptr);
    EXPECT_EQ(frames, 400);
    EXPECT_GT(city, 100);
    EXPECT_EQ(wrong, 0) << "the mirrors disagreed with OpenGL after " << wrong << " of " << frames
                        << " frames, first " << first;
    closeRunWindow3D();
    closeRunWindow3D();
    closeRunWindow3D();
    runFrames3D(5);
    endRun3D();
    EXPECT_EQ(changeDir3D(dir.home.c_str()), 0);
}
