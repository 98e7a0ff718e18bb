// The viewer's bench.res and base.bin readers on any bytes, and the check
// of records and JSON lines as pairs on any two files, read by the check
// and by the readers.
#include "resCheck.h"
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
    // the first byte splits the rest into bench.res and bench.json
    if (size > 0) {
        const size_t cut = 1 + (size - 1) * data[0] / 255;
        fuzzWrite("bench.res", data + 1, cut - 1);
        fuzzWrite("bench.json", data + cut, size - cut);
        resCheck c;
        checkResults(".", &c);
        volatile size_t n = c.report.size();
        (void)n;
        // every reader takes bench.json beside its bench.res by the same rules
        auto j = std::make_unique<resData>(&log, &maxFps, ".");
        if (j->loadRes("bench.json") == 1)
            n = j->leftOutNotes().size() + size_t(j->getNumRecords());
    }
    return 0;
}
