// The GL test fixture: a real window (Mesa under Xvfb), a renderer, a store
// and the helpers that read pixels back and write small models and images.
#ifndef KORVA_TEST_GLFIXTURE_H
#define KORVA_TEST_GLFIXTURE_H

#include "console/outTxt.h"
#include "gl/gl3D.h"
#include "scene/data3D.h"

#include "glxWindow3D.h"
#include "sgiFiles.h"
#include "tempDir.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace glfix {

inline constexpr int W = 128;
inline constexpr int H = 128;

struct rgb {
    int r, g, b;
};

class glFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        gl3D::setWindowSystem(glxWindowSystem3D());
        ASSERT_EQ(gl->init3D(W, H, 24, 0, 0, 2, 0), 1) << "no GL window: run the GL tests under xvfb-run";
        // a 90 degree view: the near plane spans -0.1 .. 0.1 at 0.1
        gl->init3DView(-0.1f, 0.1f, -0.1f, 0.1f, 0.1f, 100.0f);
        gl->zOn();
        gl->clear3DScreen(0.0f, 0.0f, 0.0f, 1.0f);
    }
    void TearDown() override { gl->release3D(); }

    rgb pixel(int x, int y)
    {
        unsigned char p[4] = {};
        glReadBuffer(GL_BACK);
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return rgb{p[0], p[1], p[2]};
    }
    // pixels that are not the clear colour
    int lit()
    {
        std::vector<unsigned char> p(size_t(W) * H * 4);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
        int n = 0;
        for (size_t i = 0; i < p.size(); i += 4)
            n += (p[i] | p[i + 1] | p[i + 2]) != 0;
        return n;
    }
    // a model of the given faces at z = -2 facing the camera, loaded into the store
    int model(const std::string& faces, const std::string& mtl = "", const std::string& verts = "")
    {
        static int n = 0;
        const std::string name = "m" + std::to_string(n++);
        std::string obj;
        if (!mtl.empty()) {
            writeFile(name + ".mtl", mtl);
            obj += "mtllib " + name + ".mtl\n";
        }
        obj += verts.empty() ? "v -1 -1 -2\nv 1 -1 -2\nv 1 1 -2\nv -1 1 -2\nv 0 1.5 -2\nvn 0 0 1\n"
                               "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvt 0.5 1\n"
                             : verts;
        writeFile(name + ".obj", obj + faces);
        return store->load_obj((name + ".obj").c_str());
    }

    tempDir dir;
    std::unique_ptr<outTxt> console = std::make_unique<outTxt>();
    std::unique_ptr<gl3D> gl = std::make_unique<gl3D>(console.get());
    std::unique_ptr<data3D> store = std::make_unique<data3D>(console.get());
};


inline std::string solidSgi(int w, int h, int ch, unsigned char r, unsigned char g, unsigned char b, unsigned char a = 255)
{
    std::vector<unsigned char> px;
    for (int i = 0; i < w * h; i++) {
        px.push_back(r);
        px.push_back(g);
        px.push_back(b);
        if (ch == 4)
            px.push_back(a);
    }
    return sgiFile(w, h, ch, px);
}

}  // namespace glfix

#endif
