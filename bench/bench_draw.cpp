// Draws a 51,200-triangle grid for 300 frames through each of the renderer's
// paths and through a bare glBegin/glVertex loop, and prints triangles per
// second and the engine's overhead as a ratio. Run under a display (xvfb-run).
#include "console/outTxt.h"
#include "gl/gl3D.h"
#include "glxWindow3D.h"
#include "scene/data3D.h"

#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

const int frames = 300;
const int cells = 160;

void writeGrid(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "w");
    for (int y = 0; y <= cells; y++)
        for (int x = 0; x <= cells; x++)
            std::fprintf(f, "v %.4f %.4f -3\n", -1.5 + 3.0 * x / cells, -1.5 + 3.0 * y / cells);
    std::fprintf(f, "vn 0 0 1\n");
    for (int y = 0; y < cells; y++)
        for (int x = 0; x < cells; x++) {
            const int a = y * (cells + 1) + x + 1;
            std::fprintf(f, "f %d//1 %d//1 %d//1\nf %d//1 %d//1 %d//1\n", a, a + 1, a + cells + 2, a, a + cells + 2,
                         a + cells + 1);
        }
    std::fclose(f);
}

template <class F>
double timeFrames(gl3D* gl, F draw)
{
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; i++) {
        gl->clear3DScreen(0.0f, 0.0f, 0.0f, 1.0f);
        draw();
        gl->swap3DBuffer();
    }
    glFinish();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main()
{
    const fs::path dir = fs::temp_directory_path() / "korva_bench_draw";
    fs::create_directories(dir);
    fs::current_path(dir);
    writeGrid("grid.obj");

    outTxt console;
    auto store = std::make_unique<data3D>(&console);
    auto gl = std::make_unique<gl3D>(&console);
    if (store->load_obj("grid.obj") != 0)
        return 1;
    gl3D::setWindowSystem(glxWindowSystem3D());
    if (gl->init3D(320, 240, 24, 0, 0, 2, 0) != 1) {
        std::fprintf(stderr, "no GL window: run under xvfb-run\n");
        return 1;
    }
    gl->init3DView(-0.1f, 0.1f, -0.075f, 0.075f, 0.1f, 100.0f);
    gl->zOn();
    gl->setNormalLight(0, 0.0f, 0.0f, 1.0f);
    gl->enableLightning();

    const group3D& g = store->getObject3D(0)->group[0];
    const long tris = long(g.numPoly);
    std::printf("grid: %ld triangles, %d frames per path, %s\n", tris, frames,
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

    // the floor: the same triangles from the same arrays, no engine in between
    const double bare = timeFrames(gl.get(), [&] {
        glBegin(GL_TRIANGLES);
        for (int p = 0; p < g.numPoints; p++) {
            glNormal3fv(&g.normal[size_t(p) * 3]);
            glVertex3fv(&g.vertex[size_t(p) * 3]);
        }
        glEnd();
    });
    gl->setPolySubDivide(0);
    const double batched = timeFrames(gl.get(), [&] { gl->drawObj(store.get(), 0); });
    const int counted = gl->polyCount;
    gl->setPolySubDivide(1);
    const double perPoly = timeFrames(gl.get(), [&] { gl->drawObj(store.get(), 0); });
    gl->setPolySubDivide(0);
    gl->precalcObj(store.get(), 0);
    const double list = timeFrames(gl.get(), [&] { gl->drawObj(store.get(), 0); });

    auto report = [&](const char* name, double s) {
        std::printf("%-22s %8.3f s  %10.0f triangles/s  time ratio to bare loop %.2f\n", name, s,
                    double(tris) * frames / s, s / bare);
    };
    report("bare glBegin/glVertex", bare);
    report("batched", batched);
    report("call per polygon", perPoly);
    report("display list", list);
    std::printf("triangles counted per frame: %d\n", counted);
    gl->release3D();
    return 0;
}
