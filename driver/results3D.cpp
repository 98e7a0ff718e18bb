#include "results3D.h"

#include "driver3D.h"
#include "manifest3D.h"
#include "platform3D.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

frameLog3D cityFrames3D;
double cityCpuUserS3D = 0.0, cityCpuSystemS3D = 0.0;
char frameLogPath3D[1024] = "";
char outputDir3D[1024] = "";

std::string outputPath3D(const char* name)
{
    return std::string(outputDir3D) + name;
}

namespace {

// a record's text line without its line break
std::string line(const char* s)
{
    std::string t = s;
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r'))
        t.pop_back();
    return t;
}

std::string trimmed(const char* s)
{
    std::string t = line(s);
    while (!t.empty() && t.back() == ' ')
        t.pop_back();
    return t;
}

// a value to the digits it is printed with, so that the JSON shows those digits
double rounded(double v, double unit)
{
    char t[64];
    const int digits = unit >= 0.1 ? 1 : (unit >= 0.01 ? 2 : 3);
    std::snprintf(t, sizeof t, "%.*f", digits, v);
    return std::strtod(t, nullptr);
}

// two-sided 95 % quantiles of Student's t for 1 to 30 degrees of freedom
double student95(int dof)
{
    static const double t[] = {12.706, 4.303, 3.182, 2.776, 2.571, 2.447, 2.365, 2.306, 2.262, 2.228,
                               2.201,  2.179, 2.160, 2.145, 2.131, 2.120, 2.110, 2.101, 2.093, 2.086,
                               2.080,  2.074, 2.069, 2.064, 2.060, 2.056, 2.052, 2.048, 2.045, 2.042};
    if (dof < 1)
        return 0.0;
    return dof <= 30 ? t[dof - 1] : 1.960;
}

}  // namespace

cpuPerFrame3D cityCpuPerFrame3D()
{
    double u = 0.0, s = 0.0;
    const int frames = frameCounter;
    if (frames <= 0 || !processCpu3D(&u, &s))
        return {0.0, 0.0};
    return {(u - cityCpuUserS3D) * 1000.0 / frames, (s - cityCpuSystemS3D) * 1000.0 / frames};
}

void benchSummary3D(char* out, size_t size, const frameStats3D& s, double avgFps, const cpuPerFrame3D& cpu)
{
    std::snprintf(out, size,
                  "frames: %d  avg %.1f fps  1%% low %.1f fps  0.1%% low %.1f fps  frame ms p50 %.2f p95 %.2f "
                  "p99 %.2f max %.2f  cpu ms/frame user %.2f sys %.2f\n",
                  s.frames, avgFps, s.low1Fps, s.low01Fps, s.p50Ms, s.p95Ms, s.p99Ms, s.maxMs, cpu.userMs,
                  cpu.systemMs);
}

std::string benchJson3D(const frameStats3D& s, const cpuPerFrame3D& cpu, const char* isoTime)
{
    using nlohmann::json;
    char system[256];
    systemName3D(system, sizeof system);
    json j = {
        {"computer", line(pcNameText)},
        {"benchmark", line(benchNameText)},
        {"user_info", line(pcInfText)},
        {"auto_info1", line(m3dinfText1)},
        {"auto_info2", line(m3dinfText2)},
        {"width", scrX},
        {"height", scrY},
        {"depth", scrD},
        {"fps", rounded(double(cityFps), 0.1)},
        {"summary",
         {{"frames", frameCounter},
          {"fps_avg", rounded(double(cityFps), 0.01)},
          {"fps_1pct_low", rounded(s.low1Fps, 0.01)},
          {"fps_01pct_low", rounded(s.low01Fps, 0.01)},
          {"frame_ms_p50", rounded(s.p50Ms, 0.001)},
          {"frame_ms_p95", rounded(s.p95Ms, 0.001)},
          {"frame_ms_p99", rounded(s.p99Ms, 0.001)},
          {"frame_ms_max", rounded(s.maxMs, 0.001)},
          {"cpu_user_ms_per_frame", rounded(cpu.userMs, 0.001)},
          {"cpu_system_ms_per_frame", rounded(cpu.systemMs, 0.001)}}},
        {"settings",
         {{"detail", runBenchHigh == 1 ? "high" : "normal"},
          {"textures", loadBigTex == 1 ? "big" : "normal"},
          {"resolution", std::to_string(scrX) + "x" + std::to_string(scrY) + "x" + std::to_string(scrD)},
          {"view_distance", double(viewDistance)},
          {"fog", dynamicFog},
          {"night", flyNight}}},
        {"version", trimmed(buildVersion3D)},
        {"system", system},
        {"time", isoTime},
    };
    const std::string manifest = manifestHash3D(dataDir3D);
    if (!manifest.empty())
        j["data_manifest_sha256"] = manifest;
    // texts that are not UTF-8 (a Windows code page) become replacement characters, never an error
    return j.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

void repeatSummary3D(char* out, size_t size, const double* fps, int n)
{
    if (n <= 0) {
        std::snprintf(out, size, "repeat: no run measured\n");
        return;
    }
    std::vector<double> v(fps, fps + n);
    std::sort(v.begin(), v.end());
    double sum = 0.0;
    for (const double x : v)
        sum += x;
    const double mean = sum / n;
    double sq = 0.0;
    for (const double x : v)
        sq += (x - mean) * (x - mean);
    const double sd = n > 1 ? std::sqrt(sq / (n - 1)) : 0.0;
    const double median = n % 2 == 1 ? v[size_t(n / 2)] : (v[size_t(n / 2 - 1)] + v[size_t(n / 2)]) / 2.0;
    const double half = n > 1 ? student95(n - 1) * sd / std::sqrt(double(n)) : 0.0;
    std::snprintf(out, size,
                  "repeat %d: mean %.2f fps  median %.2f  min %.2f  max %.2f  CV %.2f %%  95%% CI of the mean "
                  "%.2f to %.2f fps\n",
                  n, mean, median, v.front(), v.back(), mean > 0.0 ? 100.0 * sd / mean : 0.0, mean - half,
                  mean + half);
}
