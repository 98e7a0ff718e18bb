// Renders views of the demo with the engine and the driver at chosen path
// times into image files, to look at the data set without watching the demo.
//   korva_preview ROOT OUTDIR [--day] [--size WxH] TIME...
// A TIME is seconds of the city flight, or "intro:S" or "end:S". Each view
// is written as OUTDIR/<sequence>_<night|day>_<S>.png (.ppm without ImageMagick).
// Run it under a display, for example xvfb-run.
#include "driver3D.h"
#include "glxWindow3D.h"
#include "platform3D.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// the frame as it stood just before the swap: the back buffer is the one that can be read
std::vector<unsigned char> px;
int frameW = 0, frameH = 0;
glWindow3D previewSys;

void grabAndSwap(int id)
{
    px.assign(size_t(frameW) * size_t(frameH) * 3, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frameW, frameH, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    glxWindowSystem3D()->swap(id);
}

bool writeView(const std::string& base, int w, int h)
{
    const std::string ppm = base + ".ppm";
    FILE* f = std::fopen(ppm.c_str(), "wb");
    if (f == nullptr)
        return false;
    std::fprintf(f, "P6\n%d %d\n255\n", w, h);
    for (int y = h - 1; y >= 0; y--)
        std::fwrite(&px[size_t(y) * size_t(w) * 3], 1, size_t(w) * 3, f);
    std::fclose(f);
    const char* tool = fs::exists("/usr/bin/convert") ? "/usr/bin/convert" : nullptr;
    if (tool != nullptr && std::system((std::string(tool) + " " + ppm + " " + base + ".png").c_str()) == 0)
        fs::remove(ppm);
    return true;
}

struct view {
    int sequence;  // 0 intro, 1 city, 2 end
    float time;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: korva_preview ROOT OUTDIR [--day] [--size WxH] TIME...\n");
        return 2;
    }
    const std::string root = fs::absolute(argv[1]).string();
    const std::string outDir = fs::absolute(argv[2]).string();
    fs::create_directories(outDir);
    int w = 640, h = 480;
    bool day = false;
    std::vector<view> views;
    for (int i = 3; i < argc; i++) {
        const std::string a = argv[i];
        if (a == "--day")
            day = true;
        else if (a == "--size" && i + 1 < argc)
            std::sscanf(argv[++i], "%dx%d", &w, &h);
        else if (a.rfind("intro:", 0) == 0)
            views.push_back({0, std::strtof(a.c_str() + 6, nullptr)});
        else if (a.rfind("end:", 0) == 0)
            views.push_back({2, std::strtof(a.c_str() + 4, nullptr)});
        else
            views.push_back({1, std::strtof(a.c_str(), nullptr)});
    }
    std::sort(views.begin(), views.end(), [](const view& a, const view& b) {
        return a.sequence != b.sequence ? a.sequence < b.sequence : a.time < b.time;
    });

    if (changeDir3D((root + "/linux").c_str()) != 0) {
        std::fprintf(stderr, "korva_preview: no %s/linux\n", root.c_str());
        return 1;
    }
    loadParameter("Korva.INI");
    runDemo = 1;
    runBenchNormal = runBenchHigh = 0;
    flyNight = day ? 0 : 1;
    scrX = startScrX = w;
    scrY = startScrY = h;
    armClock3D();
    frameW = w;
    frameH = h;
    previewSys = *glxWindowSystem3D();
    previewSys.swap = grabAndSwap;
    gl3D::setWindowSystem(&previewSys);
    if (start3D() != 1) {
        std::fprintf(stderr, "korva_preview: the run does not start:\n%s\n", mainOut.getText());
        return 1;
    }
    int started = -1;
    for (const view& v : views) {
        if (v.sequence != started) {
            // a sequence initialises itself on its first frame
            drawIntroNow = v.sequence == 0;
            drawCityNow = v.sequence == 1;
            drawEndNow = v.sequence == 2;
            if (v.sequence == 0)
                drawIntro3D();
            else if (v.sequence == 1)
                drawCity3D();
            else
                drawEnd3D();
            started = v.sequence;
        }
        if (v.sequence == 1) {
            recPlayTimeZero = elapsedStartTimeS - v.time;
            drawCity3D();
        } else {
            elapsedStartTimeS = v.time;
            if (v.sequence == 0)
                drawIntro3D();
            else
                drawEnd3D();
        }
        char name[256];
        static const char* const seq[] = {"intro", "city", "end"};
        std::snprintf(name, sizeof name, "%s/%s_%s_%05.1f", outDir.c_str(), seq[v.sequence], day ? "day" : "night",
                      double(v.time));
        if (!writeView(name, w, h))
            return 1;
        std::printf("%s  %d polygons\n", name, glEngine.polyCount);
    }
    glEngine.release3D();
    return 0;
}
