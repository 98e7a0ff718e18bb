// The benchmark flown twice on the Windows tree under Wine, once on OpenGL
// and once on Direct3D 7, on a clock that moves only between frames: both
// renderers draw the same frames, which are read back and compared pixel by
// pixel, and both write their benchmark records.
#include "bareFront3D.h"
#include "d3dWindow3D.h"
#include "driver3D.h"
#include "platform3D.h"
#include "wglWindow3D.h"

#include "gl/glHeaders.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int W = 320;
constexpr int H = 240;
// a quarter second a frame: at four times the speed, one second of the flight
constexpr long stepMs = 250;
const int grabbed[] = {5, 30, 60, 90, 120, 150};

using image = std::vector<unsigned char>;  // RGBA, top row first

// Outside the flight every reading moves the clock on by a millisecond, so
// that waits end; in the flight it stands between the swaps.
long fakeNow = 1000;
long fakeClock()
{
    return drawCityNow == 1 ? fakeNow : fakeNow++;
}

const glWindow3D* realSystem = nullptr;
bool onD3D = false;
int cityFrames = 0;
std::map<int, image>* grabs = nullptr;

image readFrame()
{
    image rgba;
    if (onD3D) {
        int w = 0, h = 0;
        if (!d3dRenderer3D().readBack(rgba, &w, &h) || w != W || h != H)
            rgba.clear();
        return rgba;
    }
    image up(size_t(W) * H * 4);
    glFinish();
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, up.data());
    rgba.resize(up.size());
    for (int y = 0; y < H; y++)
        std::copy_n(&up[size_t(H - 1 - y) * W * 4], size_t(W) * 4, &rgba[size_t(y) * W * 4]);
    return rgba;
}

int create(const char* title, int w, int h, int db)
{
    return realSystem->create(title, w, h, db);
}
void destroy(int id)
{
    realSystem->destroy(id);
}
// the flight's frames are counted and grabbed before they are shown; the
// display tests' swaps leave the clock standing
void swap(int id)
{
    if (drawCityNow == 1) {
        cityFrames++;
        for (int f : grabbed)
            if (f == cityFrames && grabs != nullptr)
                (*grabs)[f] = readFrame();
        fakeNow += stepMs;
    }
    realSystem->swap(id);
}
const glWindow3D grabbing = {
    .create = create,
    .destroy = destroy,
    .swap = swap,
    .swapNow = nullptr,
    .readFrame = nullptr,
};

std::string readAll(const char* path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void writeAll(const char* path, const std::string& text)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << text;
}

void writePPM(const std::string& path, const image& rgba)
{
    std::ofstream f(path, std::ios::binary);
    f << "P6\n" << W << " " << H << "\n255\n";
    for (size_t i = 0; i < rgba.size(); i += 4)
        f.write(reinterpret_cast<const char*>(&rgba[i]), 3);
}

// One benchmark flight on the renderer; the frames of grabbed[] come back.
// @returns the record it appended to bench.res.
std::string fly(bool direct3D, std::map<int, image>& out)
{
    onD3D = direct3D;
    useDirect3D = direct3D ? 1 : 0;
    selectRenderer3D();
    realSystem = direct3D ? d3dWindowSystem3D() : wglWindowSystem3D();
    installBareFront3D(&grabbing);
    grabs = &out;
    cityFrames = 0;
    fakeNow = 1000;
    setClockSource3D(fakeClock);

    const std::string before = readAll("bench.res");
    defaultSettings3D();
    loadParameterWin("Korva.INI");
    runDemo = 0;
    runBenchNormal = 1;
    runBenchHigh = 0;
    frameWindow = 1;
    scrX = startScrX = W;
    scrY = startScrY = H;
    scrD = startScrD = 32;
    prepareRun3D();
    if (start3D() != 1)
        return "";
    runFrames3D(2000);
    setClockSource3D(nullptr);
    const std::string after = readAll("bench.res");
    writeAll("bench.res", before);
    return after.size() > before.size() ? after.substr(before.size()) : "";
}

struct difference {
    double mean;   // mean of the channels' absolute differences
    double close;  // share of pixels whose channels all lie within 24
    double apart;  // share of pixels with a channel 96 or more apart
};

difference compare(const image& a, const image& b, image* diff)
{
    difference d = {0.0, 0.0, 0.0};
    const size_t pixels = a.size() / 4;
    diff->assign(a.size(), 255);
    for (size_t i = 0; i < pixels; i++) {
        int worst = 0;
        for (int c = 0; c < 3; c++) {
            const int e = std::abs(int(a[i * 4 + c]) - int(b[i * 4 + c]));
            d.mean += e;
            worst = e > worst ? e : worst;
            (*diff)[i * 4 + c] = static_cast<unsigned char>(e * 4 > 255 ? 255 : e * 4);
        }
        d.close += worst <= 24;
        d.apart += worst >= 96;
    }
    d.mean /= double(pixels) * 3.0;
    d.close /= double(pixels);
    d.apart /= double(pixels);
    return d;
}

bool varied(const image& a)
{
    for (size_t i = 4; i < a.size(); i += 4)
        if (a[i] != a[0] || a[i + 1] != a[1] || a[i + 2] != a[2])
            return true;
    return false;
}

}  // namespace

TEST(D3DFrames, BothRenderersFlyTheSameFramesAndWriteTheirRecords)
{
    armClock3D();
    wglInstance = GetModuleHandleA(nullptr);
    ASSERT_EQ(changeDir3D(KORVA_WIN_TREE), 0);
    mainOut.setOut(nullptr, -1);
    d3dDriverChoice = 0;
    d3dDeviceChoice = 0;
    d3dShowTexFormats = 1;

    std::map<int, image> gl, d3d;
    mainOut.prCls();
    const std::string glRecord = fly(false, gl);
    const int glFrames = cityFrames;
    mainOut.prCls();
    const std::string d3dRecord = fly(true, d3d);
    const int d3dFrames = cityFrames;
    const std::string log = mainOut.getText();
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), DWORD(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);

    // both flights take as many frames, and each writes its record
    EXPECT_GT(glFrames, grabbed[5]);
    EXPECT_EQ(d3dFrames, glFrames);
    EXPECT_NE(glRecord.find("\nOPENGL    N.DETAIL  N.TEX\n"), std::string::npos) << glRecord;
    EXPECT_NE(glRecord.find("\nKORVA_WIN 1.3  GLvendor:"), std::string::npos) << glRecord;
    EXPECT_NE(d3dRecord.find("\nDIRECT3D  N.DETAIL  N.TEX\n"), std::string::npos) << d3dRecord;
    EXPECT_NE(d3dRecord.find("\nKORVA_WIN 1.3  D3Ddriver:"), std::string::npos) << d3dRecord;
    EXPECT_NE(d3dRecord.find("DDMSwich OFF\n320 x 240 x 32 fps: "), std::string::npos) << d3dRecord;
    int lines = 0;
    for (char c : d3dRecord)
        lines += c == '\n';
    EXPECT_EQ(lines, 9) << d3dRecord;
    EXPECT_NE(log.find("Direct3D texture format for RGB images: RGB0888\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Direct3D texture format for RGBA images: ARGB8888\r\n"), std::string::npos) << log;

    const char* shots = std::getenv("KORVA_FRAMES_DIR");
    std::printf("path time  mean diff  within 24  96 or more\n");
    for (int f : grabbed) {
        ASSERT_EQ(gl[f].size(), size_t(W) * H * 4) << "no OpenGL frame " << f;
        ASSERT_EQ(d3d[f].size(), size_t(W) * H * 4) << "no Direct3D frame " << f;
        EXPECT_TRUE(varied(gl[f]));
        EXPECT_TRUE(varied(d3d[f]));
        image diff;
        const difference d = compare(gl[f], d3d[f], &diff);
        std::printf("%5.0f s    %8.2f   %7.1f %%   %7.2f %%\n", double(f) * stepMs * 4.0 / 1000.0, d.mean,
                    d.close * 100.0, d.apart * 100.0);
        if (shots != nullptr) {
            const std::string base = std::string(shots) + "/frame" + std::to_string(f);
            writePPM(base + "_gl.ppm", gl[f]);
            writePPM(base + "_d3d.ppm", d3d[f]);
            writePPM(base + "_diff.ppm", diff);
        }
        EXPECT_LT(d.mean, 12.0) << "frame " << f;
        EXPECT_GT(d.close, 0.85) << "frame " << f;
    }
}
