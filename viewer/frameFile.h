// One frame log as townview_x --frame-log writes it (CSV, a header naming
// its columns, one row a frame), read for the frame-time window: when each
// frame ended, how long it took, and what those times say.
#ifndef KORVA_FRAMEFILE_H
#define KORVA_FRAMEFILE_H

#include "frameStats3D.h"

#include <string>
#include <vector>

class frameFile {
public:
    // more than four of the benchmark's longest logs is no log of ours
    static constexpr int maxFrames = 1 << 20;
    static constexpr long long maxBytes = 64LL << 20;

    // Reads path. @returns false, with one line naming the file and the row
    // in why, when it is no frame log; nothing is kept then.
    bool load(const std::string& path, std::string* why);

    const std::string& name() const { return shownName; }
    int frames() const { return int(ms.size()); }
    // seconds since the first city frame at the end of frame i
    double endSeconds(int i) const { return endS[size_t(i)]; }
    float frameMs(int i) const { return ms[size_t(i)]; }
    double lastSeconds() const { return endS.empty() ? 0.0 : endS.back(); }
    float slowestMs() const { return sorted.empty() ? 0.0f : sorted.back(); }
    // the frame time at percentile p, as the summary line takes its percentiles
    double atPercentile(double p) const;
    const frameStats3D& stats() const { return summary; }

private:
    std::string shownName;
    std::vector<double> endS;
    std::vector<float> ms;
    std::vector<float> sorted;
    frameStats3D summary = {};
};

#endif
