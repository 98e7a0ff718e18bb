#include "frameLog3D.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

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

// nearest rank: the smallest value with at least p % of the frames at or below it
double percentile(const float* sortedAscending, int n, double p)
{
    int rank = int(std::ceil(p / 100.0 * n));
    rank = std::clamp(rank, 1, n);
    return double(sortedAscending[rank - 1]);
}

}  // namespace

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
    s.p50Ms = percentile(sorted, n, 50.0);
    s.p95Ms = percentile(sorted, n, 95.0);
    s.p99Ms = percentile(sorted, n, 99.0);
    s.maxMs = double(sorted[n - 1]);
    std::reverse(sorted, sorted + n);
    s.low1Fps = lowRate(sorted, n, (n + 99) / 100);
    s.low01Fps = lowRate(sorted, n, (n + 999) / 1000);
    return s;
}

void frameLog3D::start(long long micros)
{
    startMicros = lastMicros = micros;
    n = lost = 0;
}

void frameLog3D::clear()
{
    start(0);
    // every page of the store is touched now, so that the flight meets no first-touch faults
    std::memset(ends, 0, sizeof ends);
    std::memset(times, 0, sizeof times);
    std::memset(paths, 0, sizeof paths);
    std::memset(tris, 0, sizeof tris);
    std::memset(texKB, 0, sizeof texKB);
}

void frameLog3D::frame(long long micros, float pathS, int triangles, float textureKB)
{
    if (n >= capacity) {
        lost++;
        lastMicros = micros;
        return;
    }
    ends[n] = micros;
    times[n] = float(double(micros - lastMicros) / 1000.0);
    paths[n] = pathS;
    tris[n] = triangles;
    texKB[n] = textureKB;
    lastMicros = micros;
    n++;
}

frameStats3D frameLog3D::stats() const
{
    return frameStatsOf3D(times, n, scratch);
}

std::string frameLog3D::csv(const char* header) const
{
    std::string out = std::string(header) + "\n";
    out.reserve(out.size() + size_t(n) * 48);
    char line[160];
    for (int i = 0; i < n; i++) {
        const int k = std::snprintf(line, sizeof line, "%d,%.3f,%.3f,%.3f,%d,%.1f\n", i + 1, sinceFirstMs(i),
                                    double(times[i]), double(paths[i]), tris[i], double(texKB[i]));
        out.append(line, size_t(k) < sizeof line ? size_t(k) : sizeof line - 1);
    }
    return out;
}
