// What a benchmark reports beside its nine-line record: the frame-time
// summary line, the JSON line of bench.json, and the line that ends a
// series of repeated runs.
#ifndef KORVA_RESULTS3D_H
#define KORVA_RESULTS3D_H

#include "frameLog3D.h"

#include <cstddef>
#include <string>

// the measured flight of the last benchmark: its frames and the CPU time it took
extern frameLog3D cityFrames3D;
extern double cityCpuUserS3D, cityCpuSystemS3D;
// where --frame-log writes the frames of each benchmark; empty for none
extern char frameLogPath3D[1024];
// The folder bench.res and bench.json are appended in, with its closing
// slash; empty: the working folder.
extern char outputDir3D[1024];
// The path of a result file in that folder.
std::string outputPath3D(const char* name);

// CPU time per frame of the last flight, in ms
struct cpuPerFrame3D {
    double userMs, systemMs;
};
cpuPerFrame3D cityCpuPerFrame3D();

// The summary line of a flight, ended by a line break.
void benchSummary3D(char* out, size_t size, const frameStats3D& s, double avgFps, const cpuPerFrame3D& cpu);

// The JSON line (one object, no line break inside, ended by one) of the
// last benchmark: the record's fields, the summary, the run's settings, the
// build, the system, the time (UTC, ISO 8601) and the data set's manifest hash.
std::string benchJson3D(const frameStats3D& s, const cpuPerFrame3D& cpu, const char* isoTime);

// The statistics of repeated runs' rates: mean, median, minimum, maximum,
// coefficient of variation and the 95 % confidence interval of the mean
// (Student's t), one line ended by a line break.
void repeatSummary3D(char* out, size_t size, const double* fps, int n);

#endif
