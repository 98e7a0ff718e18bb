// The model loader on any bytes: the input is a model, and what follows a
// line "#MTL" is its material library "f.mtl".
#include "console/outTxt.h"
#include "scene/data3D.h"

#include "fuzzFiles.h"

#include <cstring>
#include <memory>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    fuzzEnterTempDir();
    static outTxt console;
    static auto store = std::make_unique<data3D>(&console);

    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t cut = all.find("\n#MTL\n");
    const size_t objSize = cut == std::string_view::npos ? size : cut + 1;
    fuzzWrite("f.obj", data, objSize);
    if (cut != std::string_view::npos)
        fuzzWrite("f.mtl", data + cut + 6, size - cut - 6);
    else
        std::remove("f.mtl");

    store->init();
    store->verbose = size > 0 && data[0] == '#';
    store->debug = size > 1 && data[1] == '#';
    const int i = store->load_obj("f.obj");
    if (i >= 0) {
        // every group's arrays must hold what its counts promise
        const object3D* o = store->getObject3D(i);
        for (int g = 0; g < o->numGroups; g++) {
            const group3D& gr = o->group[g];
            long points = 0;
            for (int p = 0; p < gr.numPoly; p++)
                points += gr.pointCount[p];
            if (points != gr.numPoints)
                __builtin_trap();
            float sum = 0.0f;
            for (long p = 0; p < points * 3; p++)
                sum += gr.vertex[p] + gr.normal[p];
            // read every element; the result itself does not matter
            asm volatile("" : : "r"(sum));
        }
    }
    return 0;
}
