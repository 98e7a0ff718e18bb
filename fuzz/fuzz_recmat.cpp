// Both path loaders on any bytes (the first byte picks the binary or the
// text form): an accepted path has finite poses and time steps at or above
// 0, and playing it over its whole length ends.
#include "console/outTxt.h"
#include "effects/recmat3D.h"

#include "fuzzFiles.h"

#include <cmath>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    fuzzEnterTempDir();
    if (size == 0)
        return 0;
    static outTxt console;
    static auto path = std::make_unique<recmat3D>(&console);
    console.prCls();
    fuzzWrite("path.bre", data + 1, size - 1);
    const int r = (data[0] & 1) != 0 ? path->load("path.bre") : path->loadBin("path.bre");
    if (r != 1 && r != -1)
        std::abort();
    if (r == -1) {
        if (path->getCount() != 0)
            std::abort();
        return 0;
    }
    for (int i = 0; i < path->getCount(); i++) {
        for (const float x : path->getPose(i).m)
            if (!std::isfinite(x))
                std::abort();
        if (!std::isfinite(path->getStep(i)) || path->getStep(i) < 0.0f)
            std::abort();
    }
    const float length = path->duration();
    if (!(length >= 0.0f && length <= recmat3D::maxSeconds))
        std::abort();
    // a frame every 1/256 of the path: it must end within the frames that cover it
    const float dt = length / 256.0f + 0.001f;
    path->rewind();
    matrix_4 m;
    int frames = 0;
    for (float t = 0.0f; path->get(&m, t) == 1; t += dt)
        if (++frames > 600)
            std::abort();
    for (const float x : m.m)
        if (!std::isfinite(x))
            std::abort();
    return 0;
}
