#include "stress3D.h"

#include "platform3D.h"
#include "results3D.h"

#include <cstdio>
#include <utility>

stress3D::stress3D(int minutes, std::string logPath) : minutes(minutes), logPath(std::move(logPath))
{
    if (!this->logPath.empty())
        log = std::string(frameLogHeader3D) + "\n";
}

std::string stress3D::addLoop(double fps, const frameLog3D& frames, long long nowMicros)
{
    // clock readings may be negative: only differences count
    if (rates.empty())
        firstMicros = frames.startedAt();
    lastMicros = nowMicros;
    rates.push_back(fps);
    // one log for every loop: frames numbered on, timed from the first loop's start
    if (!logPath.empty()) {
        const double offsetMs = double(frames.startedAt() - firstMicros) / 1000.0;
        const int rows = frames.appendRows(&log, logged + 1, offsetMs, maxLogFrames - logged);
        logged += rows;
        unlogged += frames.count() - rows;
    }
    const frameStats3D s = frames.stats();
    char line[256];
    std::snprintf(line, sizeof line, "stress loop %d: %.2f fps  1%% low %.2f fps  max %.2f ms  at %.1f minutes\n",
                  loops(), fps, s.low1Fps, s.maxMs, double(nowMicros - firstMicros) / 60e6);
    return line;
}

bool stress3D::wantsAnother() const
{
    return loops() < 2 || lastMicros - firstMicros < (long long)minutes * 60000000LL;
}

int stress3D::finish(std::string* lines) const
{
    const stressStability3D st = stressStabilityOf3D(rates.data(), loops());
    const double seconds = double(lastMicros - firstMicros) / 1e6;
    char line[320];
    std::snprintf(line, sizeof line,
                  "stress: %d loops in %.1f minutes  lowest %.2f fps  highest %.2f fps  stability %.1f %%: %s\n",
                  st.loops, seconds / 60.0, st.lowest, st.highest, st.percent,
                  st.stable ? "stable" : "NOT STABLE (below 97 %)");
    *lines = line;
    int status = st.stable ? stressStable : stressUnstable;

    std::string logName;
    if (!logPath.empty()) {
        std::string why;
        if (writeFrameLogFile3D(logPath, log, &why)) {
            *lines += "frame log of every loop written to " + logPath + "\n";
            logName = logPath;
            if (unlogged > 0)
                *lines += "the frame log holds the first " + std::to_string(logged) + " frames of " +
                          std::to_string(logged + unlogged) + ": the frame-time window reads no more\n";
        } else {
            *lines += "can't write the frame log " + logPath + ": " + why + "\n";
            status = stressLogFailed;
        }
    }

    const std::string json = stressJson3D(rates.data(), loops(), minutes, seconds, isoTimeNow3D().c_str(),
                                          logName.empty() ? nullptr : logName.c_str());
    char why[256] = "";
    if (appendStressLine3D(json, why, sizeof why)) {
        *lines += "stress figures appended to " + outputPath3D("stress.json") + "\n";
    } else {
        *lines += std::string(why) + "\n";
        if (status == stressStable || status == stressUnstable)
            status = stressJsonFailed;
    }
    return status;
}
