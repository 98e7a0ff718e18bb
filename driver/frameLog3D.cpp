#include "frameLog3D.h"

#include <cstdio>
#include <cstring>
#include <memory>

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
    appendRows(&out, 1, 0.0, n);
    return out;
}

int frameLog3D::appendRows(std::string* out, int first, double offsetMs, int maxRows) const
{
    const int rows = maxRows < n ? (maxRows > 0 ? maxRows : 0) : n;
    out->reserve(out->size() + size_t(rows) * 48);
    char line[160];
    for (int i = 0; i < rows; i++) {
        const int k = std::snprintf(line, sizeof line, "%d,%.3f,%.3f,%.3f,%d,%.1f\n", first + i,
                                    offsetMs + sinceFirstMs(i), double(times[i]), double(paths[i]), tris[i],
                                    double(texKB[i]));
        out->append(line, size_t(k) < sizeof line ? size_t(k) : sizeof line - 1);
    }
    return rows;
}
