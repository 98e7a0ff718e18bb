// A stress run: the benchmark's timed flight looped back to back for at
// least a number of minutes (whole loops, at least two), a line a loop,
// and at the end how steady the rate stayed, with one frame log that
// spans every loop.
#ifndef KORVA_STRESS3D_H
#define KORVA_STRESS3D_H

#include "frameLog3D.h"

#include <string>
#include <vector>

// what a stress run ends with, as the program's exit status
enum stressStatus3D {
    stressStable = 0,
    stressNotStarted = 1,
    stressNoMeasure = 4,     // a loop ended without a rate (closed, ESC)
    stressJsonFailed = 6,    // stress.json could not be written
    stressLogFailed = 7,     // the frame log could not be written
    stressUnstable = 8,      // below the stable share
};

class stress3D {
public:
    // the frame-time window reads at most this many frames of one log
    static constexpr int maxLogFrames = 1 << 20;

    // minutes: how long the loops go on at least; logPath: the frame log, or empty
    stress3D(int minutes, std::string logPath);

    // Takes the loop just flown: its rate and frames, ended at nowMicros on
    // the measuring clock. @returns its console line.
    std::string addLoop(double fps, const frameLog3D& frames, long long nowMicros);
    // whether another loop is wanted: fewer than two flown, or the minutes not gone
    bool wantsAnother() const;
    int loops() const { return int(rates.size()); }

    // Writes the frame log and the stress.json line; lines gets the console's
    // closing lines. @returns the exit status.
    int finish(std::string* lines) const;

private:
    int minutes;
    std::string logPath;
    std::vector<double> rates;
    long long firstMicros = 0;
    long long lastMicros = 0;
    std::string log;
    int logged = 0;
    long long unlogged = 0;
};

#endif
