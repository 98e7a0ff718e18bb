// The viewer's bench.res and base.bin readers on any bytes.
#include "resData.h"

#include "fuzzFiles.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    fuzzEnterTempDir();
    static resLog log;
    float maxFps = 0.0f;
    fuzzWrite("f.res", data, size);
    auto d = std::make_unique<resData>(&log, &maxFps, ".");
    if (d->loadRes("f.res") == 1) {
        for (int s = 0; s < 3; s++)
            d->setFilter(d->numBenchmarks() - 1, d->numComputers() - 1, d->numResolutions() - 1, s);
        volatile int n = d->getNumDisplay();
        (void)n;
    }
    auto b = std::make_unique<resData>(&log, &maxFps, ".");
    if (b->loadBin("f.res") == 1)
        b->setFilter(0, 1, 5, 2);
    return 0;
}
