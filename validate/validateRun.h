// The validation of a started benchmark run: its frames flown on the stepped
// clock, read back as presented, compared with the references of its detail
// class; one console line a frame and a last line with the count.
#ifndef KORVA_VALIDATERUN_H
#define KORVA_VALIDATERUN_H

#include "frameCompare.h"

#include <string>

struct validateOptions {
    std::string references;  // the folder of NAME.png for the run's detail class
    std::string outDir;      // where the frames and differences of failures go
    bool make = false;       // write the frames as references instead of comparing
    const char* label = "";  // the run's name on the last line ("normal detail")
    // the spread measured between llvmpipe runs (a mean of 0.58, 0.04 % far pixels) and
    // between OpenGL and Direct3D under Wine (2.66, 0.66 %), with room to spare
    frameLimits limits = {3.0, 0.015};
};

// exit statuses of a validation
constexpr int validPassed = 0;
constexpr int validNoFrames = 1;  // nothing could be read back
constexpr int validFailed = 5;    // a frame differs, or has no reference

// Runs after start3D started the benchmark of the detail class. @returns one of the statuses above.
int runValidation3D(const validateOptions& o);

// The whole validation of a detail class, as every front door runs it: the
// run is set as the references were made (the class's benchmark alone, the
// normal texture set, nothing saved, data files that are not the build's
// only warned of), started by the caller's start, then flown and compared.
// Without references, those of the data tree's references/CLASS folder; without
// a label, the class's name. @returns one of the statuses above,
// validNoFrames when the run does not start.
int validateClass3D(bool high, const validateOptions& o, int (*start)());

#endif
