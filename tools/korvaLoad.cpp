// Loads model files into the scene store and prints what the store holds:
// the quick look at a model before it goes into a package.
//   korva_load [-v] [-d] [model.obj ...]   (no model: the sample scene)
#include "console/outTxt.h"
#include "scene/data3D.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#ifndef KORVA_SAMPLE_OBJ
#define KORVA_SAMPLE_OBJ "sample.obj"
#endif

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    outTxt console;
    console.setEcho(stdout);
    auto store = std::make_unique<data3D>(&console);

    std::vector<std::string> models;
    for (int i = 1; i < argc; i++) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::printf("usage: korva_load [-v] [-d] [model.obj ...]\n"
                        "  loads the models into the scene store and prints what it holds\n"
                        "  (no model: the sample scene)\n"
                        "  -v  the loader's verbose lines\n"
                        "  -d  its debug lines\n");
            return 0;
        }
        if (!std::strcmp(argv[i], "-v")) {
            store->verbose = 1;
        } else if (!std::strcmp(argv[i], "-d")) {
            store->debug = 1;
        } else if (argv[i][0] == '-') {
            std::fprintf(stderr, "korva_load: unknown option %s\nTry 'korva_load --help' for more information.\n",
                         argv[i]);
            return 2;
        } else {
            models.emplace_back(argv[i]);
        }
    }
    if (models.empty())
        models.emplace_back(KORVA_SAMPLE_OBJ);

    int failed = 0;
    std::error_code here;
    const fs::path home = fs::current_path(here);
    if (here) {
        std::fprintf(stderr, "korva_load: the working folder can't be read (%s)\n", here.message().c_str());
        return 1;
    }
    for (const std::string& m : models) {
        // material libraries and images are named relative to the model's folder
        const fs::path p = fs::absolute(home / m);
        std::error_code ec;
        fs::current_path(p.parent_path(), ec);
        if (ec) {
            std::printf("korva_load: can't enter the folder of %s\n", m.c_str());
            failed++;
            continue;
        }
        if (store->load_obj(p.filename().string().c_str()) < 0)
            failed++;
        fs::current_path(home, ec);
    }

    std::printf("\n%d objects, %d textures (%lld KB)\n", store->getNumObject(), store->getNumTex(),
                store->getTotalTexBytes() / 1024);
    for (int i = 0; i < store->getNumObject(); i++) {
        const object3D* o = store->getObject3D(i);
        std::printf("object %d  %s  %d groups\n", i, o->name, o->numGroups);
        for (int g = 0; g < o->numGroups; g++) {
            const group3D& gr = o->group[g];
            std::printf("  group %d  type %d  %d polygons  %d points  texture %d/%d  Ns %.1f\n", g, gr.type,
                        gr.numPoly, gr.numPoints, gr.texture, gr.texture2, double(gr.Ns));
        }
    }
    return failed == 0 ? 0 : 1;
}
