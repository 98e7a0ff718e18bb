// The frame-log reader and the frame-time picture on any bytes: a log is
// read whole or refused with one line; a read log gives a picture whose
// points are all finite and inside it, and frame times that never fall as
// the percentile rises. A broken promise aborts.
#include "frameFile.h"
#include "framePlot.h"

#include "fuzzFiles.h"

#include <cmath>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    fuzzEnterTempDir();
    fuzzWrite("f.csv", data, size);
    frameFile log;
    std::string why;
    if (!log.load("f.csv", &why)) {
        if (why.empty() || why.find('\n') != std::string::npos || log.frames() != 0)
            std::abort();
        return 0;
    }
    if (log.frames() < 1)
        std::abort();
    double last = -1.0;
    for (int k = 0; k <= 100; k++) {
        const double ms = log.atPercentile(percentileAtFraction(k / 100.0));
        if (!(ms >= last))
            std::abort();
        last = ms;
    }
    const plotPicture pic = framePicture({&log, &log}, 400, 300);
    for (const plotItem& i : pic.items)
        for (const float v : i.xy)
            if (!std::isfinite(v) || v < -50.0f || v > float(pic.width + pic.height))
                std::abort();
    return 0;
}
