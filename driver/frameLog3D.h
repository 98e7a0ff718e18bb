// The times of every frame of a benchmark's measured flight, from its first
// city frame to the end of the path (the span of the average rate), kept in
// a fixed store so that the flight allocates and writes nothing; and what
// they give at its end: percentiles, low rates, the CPU time per frame.
#ifndef KORVA_FRAMELOG3D_H
#define KORVA_FRAMELOG3D_H

#include "frameStats3D.h"

#include <cstddef>
#include <string>

class frameLog3D {
public:
    // a 42-second flight at 6000 frames a second
    static constexpr int capacity = 1 << 18;

    // Empties the store and touches all of it, before the flight's clock starts.
    void clear();
    // The flight's clock starts: micros is the clock reading of its start.
    void start(long long micros);
    // One frame ended at micros, showing the path at pathS with these counts.
    void frame(long long micros, float pathS, int triangles, float textureKB);

    int count() const { return n; }
    long long startedAt() const { return startMicros; }
    // frames beyond the store: counted, not kept
    int dropped() const { return lost; }
    float frameMs(int i) const { return times[i]; }
    double sinceFirstMs(int i) const { return double(ends[i] - startMicros) / 1000.0; }
    float pathSeconds(int i) const { return paths[i]; }
    int triangles(int i) const { return tris[i]; }
    float textureKB(int i) const { return texKB[i]; }

    // the kept frames' statistics
    frameStats3D stats() const;
    // The kept frames as CSV, its first line header.
    std::string csv(const char* header) const;
    // Appends at most maxRows of the kept frames' CSV rows to out, numbered
    // from first and timed from offsetMs before this log's start. @returns the rows appended.
    int appendRows(std::string* out, int first, double offsetMs, int maxRows) const;

private:
    long long startMicros = 0;
    long long lastMicros = 0;
    int n = 0;
    int lost = 0;
    long long ends[capacity] = {};
    float times[capacity] = {};
    float paths[capacity] = {};
    int tris[capacity] = {};
    float texKB[capacity] = {};
    mutable float scratch[capacity] = {};
};

#endif
