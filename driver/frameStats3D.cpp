#include "frameStats3D.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

// the average rate of the k slowest frames: their count over their time
double lowRate(const float* sortedDescending, int n, int k)
{
    k = std::clamp(k, 1, n);
    double ms = 0.0;
    for (int i = 0; i < k; i++)
        ms += double(sortedDescending[i]);
    return ms > 0.0 ? 1000.0 * k / ms : 0.0;
}

}  // namespace

double percentileMs3D(const float* sortedAscending, int n, double p)
{
    if (n <= 0)
        return 0.0;
    int rank = int(std::ceil(p / 100.0 * n));
    rank = std::clamp(rank, 1, n);
    return double(sortedAscending[rank - 1]);
}

frameStats3D frameStatsOf3D(const float* frameMs, int n, float* sorted)
{
    frameStats3D s = {};
    if (n <= 0)
        return s;
    s.frames = n;
    double total = 0.0;
    for (int i = 0; i < n; i++)
        total += double(frameMs[i]);
    s.avgFps = total > 0.0 ? 1000.0 * n / total : 0.0;
    std::memcpy(sorted, frameMs, sizeof(float) * size_t(n));
    std::sort(sorted, sorted + n);
    s.p50Ms = percentileMs3D(sorted, n, 50.0);
    s.p95Ms = percentileMs3D(sorted, n, 95.0);
    s.p99Ms = percentileMs3D(sorted, n, 99.0);
    s.maxMs = double(sorted[n - 1]);
    std::reverse(sorted, sorted + n);
    s.low1Fps = lowRate(sorted, n, (n + 99) / 100);
    s.low01Fps = lowRate(sorted, n, (n + 999) / 1000);
    return s;
}
