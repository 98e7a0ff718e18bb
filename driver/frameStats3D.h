// What the times of a flight's frames say: average rate, low rates and
// percentiles. The benchmark's summary line and the viewer's frame-time
// window both take them from here, so that both say the same of one log.
#ifndef KORVA_FRAMESTATS3D_H
#define KORVA_FRAMESTATS3D_H

struct frameStats3D {
    int frames;
    double avgFps;                // frames over the measured time
    double low1Fps, low01Fps;     // average rate of the slowest 1 % and 0.1 % of frames
    double p50Ms, p95Ms, p99Ms, maxMs;
};

// Statistics of n frame times in ms (nearest-rank percentiles; the slowest
// ceil(n / 100) and ceil(n / 1000) frames for the low rates). sorted is
// scratch room for n values; it is left sorted in descending order.
frameStats3D frameStatsOf3D(const float* frameMs, int n, float* sorted);

// Nearest rank: the smallest of n ascending times with at least p % of them
// at or below it (p at or below 0 gives the smallest, 100 the largest).
double percentileMs3D(const float* sortedAscending, int n, double p);

#endif
