#include "results3D.h"

#include "deadTemporaries3D.h"
#include "driver3D.h"
#include "manifest3D.h"
#include "platform3D.h"
#include "resultNames3D.h"
#include "recordText3D.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

frameLog3D cityFrames3D;
double cityCpuUserS3D = 0.0, cityCpuSystemS3D = 0.0;
double cityMachineBusyS3D = 0.0, cityMachineStealS3D = 0.0, cityMachineTotalS3D = 0.0;
char frameLogPath3D[1024] = "";
char outputDir3D[1024] = "";

std::string outputPath3D(const char* name)
{
    return std::string(outputDir3D) + name;
}

int benchRunNumber3D = 1, benchRunCount3D = 1;
const char frameLogHeader3D[] = "frame,since_first_ms,frame_ms,path_s,triangles,texture_kb";
void (*resultPairPause3D)() = nullptr;

std::string frameLogPathOfRun3D()
{
    std::string p = frameLogPath3D;
    if (benchRunCount3D <= 1 || p.empty())
        return p;
    const size_t slash = p.find_last_of("/\\");
    const size_t dot = p.rfind('.');
    const size_t at = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1) ? dot : p.size();
    return p.insert(at, "-" + std::to_string(benchRunNumber3D));
}

namespace {

// whether two result paths are one file, or would be once the first is made
bool oneFile(const std::string& a, const std::string& b)
{
    return sameFile3D(a.c_str(), b.c_str()) || finalTarget3D(a) == finalTarget3D(b);
}

}  // namespace

const char* frameLogRefusal3D(const char* path)
{
    if (sameFile3D(path, outputPath3D("bench.res").c_str()) || sameFile3D(path, outputPath3D("bench.json").c_str()))
        return "it is a result file";
    // another folder's results, by name or by what a link leads to, even while empty
    if (namesResultFile3D(path))
        return "it is a result file";
    if (notRegularFile3D(path))
        return "it is not a regular file";
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr)
        return nullptr;
    char first[sizeof frameLogHeader3D + 1] = {};
    const size_t n = std::fread(first, 1, sizeof first - 1, f);
    std::fclose(f);
    // an empty file is taken over; anything else must begin as a frame log does
    if (n == 0)
        return nullptr;
    if (n < sizeof frameLogHeader3D || std::memcmp(first, frameLogHeader3D, sizeof frameLogHeader3D - 1) != 0 ||
        (first[sizeof frameLogHeader3D - 1] != '\n'))
        return "it is not a frame log";
    return nullptr;
}

void removeDeadTemporaries3D(const char* path)
{
    sweepDeadTemporaries3D(path, processAlive3D);
}

bool writeFrameLogFile3D(const std::string& path, const std::string& text, std::string* why)
{
    if (const char* refused = frameLogRefusal3D(path.c_str())) {
        *why = refused;
        return false;
    }
    char reason[256] = "";
    removeDeadTemporaries3D(path.c_str());
    if (!replaceFile3D(path.c_str(), text.data(), text.size(), reason, sizeof reason)) {
        *why = reason;
        return false;
    }
    return true;
}

std::string resultsUnwritable3D(int* status)
{
    const std::string res = outputPath3D("bench.res"), json = outputPath3D("bench.json");
    std::error_code ec;
    std::string dir = outputDir3D[0] != '\0' ? std::string(outputDir3D) : std::filesystem::current_path(ec).string();
    if (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\'))
        dir.pop_back();
    if (oneFile(res, json)) {
        if (status != nullptr)
            *status = 6;
        return "can't write bench.json in " + dir + ": it is bench.res by another name";
    }
    for (const char* name : {"bench.res", "bench.json"}) {
        char why[256];
        const std::string path = outputPath3D(name);
        if (!canAppend3D(path.c_str(), why, sizeof why)) {
            if (status != nullptr)
                *status = std::strcmp(name, "bench.json") == 0 ? 6 : 3;
            return std::string("can't write ") + name + " in " + dir + ": " + why;
        }
    }
    return std::string();
}

namespace {

// every text of a JSON value as UTF-8, the bytes of another code page read as the record's are
void utf8Texts(nlohmann::json* j)
{
    if (j->is_string())
        *j = recordTextUtf8(j->get_ref<const std::string&>().c_str());
    else if (j->is_structured())
        for (auto& v : *j)
            utf8Texts(&v);
}

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

// the middle of sorted values (not empty)
double medianOfSorted(const std::vector<double>& v)
{
    const size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

// a series of rates: mean, sample standard deviation, median, extremes
struct seriesStats {
    double mean, sd, median, low, high;
};
seriesStats seriesStatsOf(const double* fps, int n)
{
    std::vector<double> v(fps, fps + n);
    std::sort(v.begin(), v.end());
    double sum = 0.0, sq = 0.0;
    for (const double x : v)
        sum += x;
    const double mean = sum / n;
    for (const double x : v)
        sq += (x - mean) * (x - mean);
    return {mean, n > 1 ? std::sqrt(sq / (n - 1)) : 0.0, medianOfSorted(v), v.front(), v.back()};
}

}  // namespace

void cpuShares3D(const double before[3], const double after[3], double ownS, double* othersShare,
                 double* stealShare)
{
    const double total = after[2] - before[2];
    if (!(total > 0.0)) {
        *othersShare = *stealShare = -1.0;
        return;
    }
    // the machine's counters tick coarser than the process's: never below none
    *othersShare = std::clamp((after[0] - before[0] - ownS) / total, 0.0, 1.0);
    *stealShare = std::clamp((after[1] - before[1]) / total, 0.0, 1.0);
}

cpuPerFrame3D cityCpuPerFrame3D()
{
    double u = 0.0, s = 0.0;
    const int frames = frameCounter;
    if (frames <= 0 || !processCpu3D(&u, &s))
        return {0.0, 0.0};
    cpuPerFrame3D c = {(u - cityCpuUserS3D) * 1000.0 / frames, (s - cityCpuSystemS3D) * 1000.0 / frames};
    double now[3] = {};
    if (cityMachineTotalS3D > 0.0 && machineCpu3D(&now[0], &now[1], &now[2])) {
        const double before[3] = {cityMachineBusyS3D, cityMachineStealS3D, cityMachineTotalS3D};
        cpuShares3D(before, now, (u - cityCpuUserS3D) + (s - cityCpuSystemS3D), &c.othersShare, &c.stealShare);
    }
    return c;
}

std::string steadinessWarnings3D(const cpuPerFrame3D& cpu)
{
    std::string out;
    char line[200];
    if (cpu.othersShare > 0.05) {
        std::snprintf(line, sizeof line,
                      "other processes used %.0f %% of the CPU during the flight: the result may not be comparable\n",
                      cpu.othersShare * 100.0);
        out += line;
    }
    if (cpu.stealShare > 0.05) {
        std::snprintf(line, sizeof line,
                      "the virtual machine's host took %.0f %% of the CPU (steal time) during the flight: the result "
                      "may not be comparable\n",
                      cpu.stealShare * 100.0);
        out += line;
    }
    return out;
}

void benchSummary3D(char* out, size_t size, const frameStats3D& s, double avgFps, const cpuPerFrame3D& cpu)
{
    std::snprintf(out, size,
                  "frames: %d  avg %.1f fps  1%% low %.1f fps  0.1%% low %.1f fps  frame ms p50 %.2f p95 %.2f "
                  "p99 %.2f max %.2f  cpu ms/frame user %.2f sys %.2f\n",
                  s.frames, avgFps, s.low1Fps, s.low01Fps, s.p50Ms, s.p95Ms, s.p99Ms, s.maxMs, cpu.userMs,
                  cpu.systemMs);
}

std::string benchJson3D(const frameStats3D& s, const cpuPerFrame3D& cpu, const char* isoTime,
                        const resultPartner3D* partner, const char* frameLog)
{
    using nlohmann::json;
    char system[256];
    systemName3D(system, sizeof system);
    machine3D machine;
    detectMachine3D(&machine);
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
          {"night", flyNight},
          {"time_scale", double(timeMul)},
          {"fly_mode", vekCityFly == 1 ? "free" : "path"},
          {"mipmaps", mMipmapLevels > 0 ? 1 : 0},
          {"texture_filter", glFilterLinear == 1 ? "linear" : "nearest"},
          {"quality_hint", glQualityHintHigh == 1 ? "nicest" : "fastest"},
          {"untextured", noTextureMode},
          {"reflection_maps", mNoReflectionMap == 1 ? 0 : 1},
          {"glow_blend_additive", noBlendFuncSRCALPHA_DSTONE == 1 ? 0 : 1},
          {"display_lists", precalc},
          {"buffers", numBuf},
          {"in_window", frameWindow}}},
        {"version", trimmed(buildVersion3D)},
        {"system", system},
        {"os", machine.osName},
        {"cpu_model", machine.cpuModel},
        {"cpu_cores", machine.cores},
        {"cpu_threads", machine.threads},
        {"memory_mb", machine.memoryBytes >> 20},
        {"time", isoTime},
    };
    // a timedemo's frames each move the path on by a fixed step of the clock
    j["mode"] = runTimedemo == 1 ? "timedemo" : "timed";
    if (runTimedemo == 1)
        j["step_ms"] = rounded(1000.0 / timedemoRate3D, 0.001);
    // how much of the machine others took during the flight, where the system tells
    if (cpu.othersShare >= 0.0) {
        j["summary"]["cpu_others_share"] = rounded(cpu.othersShare, 0.001);
        j["summary"]["cpu_steal_share"] = rounded(cpu.stealShare, 0.001);
    }
    // where it ran: the window system, its display test, the processors it could use
    if (const char* sys = gl3D::windowSystemName())
        j["window_system"] = sys;
    if (glEngine.swapTestMs() >= 0.0)
        j["swap_test_ms"] = rounded(glEngine.swapTestMs(), 0.001);
    if (machine.allowedThreads > 0 && machine.allowedThreads < machine.threads)
        j["cpu_threads_allowed"] = machine.allowedThreads;
    // a clock run fast for a test measures nothing: every reader leaves such a result out
    if (clockRate3D() > 1)
        j["clock_rate"] = clockRate3D();
    const std::string manifest = manifestHash3D(dataDir3D);
    if (!manifest.empty())
        j["data_manifest_sha256"] = manifest;
    // the GL version only when GL drew the flight
    if (std::strncmp(benchNameText, "OPENGL", 6) == 0)
        j["gl_version"] = gl3D::deviceText(GL_VERSION);
    if (windowsRecord3D) {
        // the Direct3D workarounds a driver may need stay the user's: they are named
        j["settings"]["direct3d"] = {{"desktop_in_software", d3dDeskTopRenderingInSoftware},
                                     {"no_32bit_textures", d3dNo32BitTex},
                                     {"no_32bit_zbuffer", d3dNo32BitZbuffer},
                                     {"fog_in_software", d3dFogInSoftware},
                                     {"fog_distance_fix", d3dFogdistanceFix},
                                     {"no_blend_hardware", d3dNoBlendHardware},
                                     {"disable_fog", d3dDisableFog},
                                     {"specular", d3dSpecularEnable},
                                     {"z_offset", mZOffsetEnable}};
    }
    if (partner != nullptr) {
        j["record_offset"] = partner->offset;
        j["record_bytes"] = partner->bytes;
        j["record_sha256"] = partner->sha256;
        j["record_file_id"] = partner->fileId;
        j["record_file_tail_sha256"] = partner->tailSha256;
    }
    if (frameLog != nullptr)
        j["frame_log"] = frameLog;
    // texts that are not UTF-8 (a Windows code page) are read as the viewer reads the record's
    utf8Texts(&j);
    return j.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

namespace {

// open under its lock, closed (and unlocked) at the end of the scope
class lockedFile {
public:
    lockedFile(const char* path, char* why, size_t whySize)
        : fd(openLockedFile3D(path, why, whySize, [] { mainOut.pr("waiting for another benchmark writing bench.res\n"); }))
    {
    }
    ~lockedFile() { closeLockedFile3D(fd); }
    lockedFile(const lockedFile&) = delete;
    lockedFile& operator=(const lockedFile&) = delete;
    const int fd;
};

// Cuts off the JSON lines at bench.json's end that are provably orphans of
// this bench.res: each names this file, its record was to begin exactly at
// its end, and the bytes before that end are the ones it saw.
bool dropTrailingOrphans(int json, const resultPartner3D& here)
{
    for (;;) {
        const long long size = lockedFileSize3D(json);
        if (size < 0)
            return false;
        const long long tail = size < 65536 ? size : 65536;
        std::string t(size_t(tail), '\0');
        if (tail == 0 || !readLockedFile3D(json, size - tail, t.data(), t.size()) || t.back() != '\n')
            return true;
        const size_t prev = t.rfind('\n', t.size() - 2);
        if (prev == std::string::npos && tail < size)
            return true;
        const size_t begin = prev == std::string::npos ? 0 : prev + 1;
        const nlohmann::json j = nlohmann::json::parse(t.substr(begin), nullptr, false);
        const auto text = [&j](const char* k) {
            return j.is_object() && j.contains(k) && j[k].is_string() ? j[k].get<std::string>() : std::string();
        };
        if (!j.is_object() || !j.contains("record_offset") || !j["record_offset"].is_number_integer() ||
            j["record_offset"].get<long long>() != here.offset || text("record_file_id") != here.fileId ||
            text("record_file_tail_sha256") != here.tailSha256)
            return true;
        if (!cutLockedFile3D(json, size - tail + (long long)begin))
            return false;
    }
}

// A file that ends inside a line (a hand-made note, a cut copy) gets its
// line break, so that what is appended starts a line of its own.
bool endLastLine(int fd)
{
    const long long size = lockedFileSize3D(fd);
    char last = '\n';
    if (size < 0 || (size > 0 && !readLockedFile3D(fd, size - 1, &last, 1)))
        return false;
    return last == '\n' || appendLockedFile3D(fd, "\n", 1) == appendWritten;
}

// where the next record of bench.res begins, and which file it is
bool partnerOf(int res, const char* record, size_t len, resultPartner3D* p)
{
    p->offset = lockedFileSize3D(res);
    p->bytes = (long long)len;
    if (p->offset < 0 || !hashBytes3D(record, len, p->sha256) || !fileIdentity3D(res, p->fileId, sizeof p->fileId))
        return false;
    const long long n = std::min(p->offset, resultTailBytes3D);
    std::string before(size_t(n), '\0');
    return readLockedFile3D(res, p->offset - n, before.data(), before.size()) &&
           hashBytes3D(before.data(), before.size(), p->tailSha256);
}

}  // namespace

pairResult3D appendResultPair3D(const char* resPath, const char* jsonPath, const char* record, size_t len,
                                const std::function<std::string(const resultPartner3D&)>& jsonLine, char* why,
                                size_t whySize)
{
    // one file by two names would wait for its own lock (asked once bench.res is made)
    const lockedFile res(resPath, why, whySize);
    if (res.fd < 0)
        return pairResFailed;
    if (oneFile(resPath, jsonPath)) {
        std::snprintf(why, whySize, "bench.json is bench.res by another name");
        return pairJsonFailed;
    }
    const lockedFile json(jsonPath, why, whySize);
    if (json.fd < 0)
        return pairJsonFailed;
    const long long resBefore = lockedFileSize3D(res.fd);
    resultPartner3D partner = {};
    if (resBefore < 0 || !endLastLine(res.fd) || !partnerOf(res.fd, record, len, &partner)) {
        std::snprintf(why, whySize, "its size or the record's hash could not be taken");
        return cutLockedFile3D(res.fd, resBefore) ? pairResFailed : pairDamaged;
    }
    if (!dropTrailingOrphans(json.fd, partner)) {
        std::snprintf(why, whySize, "a line without its record could not be cut off");
        return pairJsonFailed;
    }
    const long long jsonBefore = lockedFileSize3D(json.fd);
    // what this pair changed goes again when it fails
    const auto takeBack = [&] { return cutLockedFile3D(json.fd, jsonBefore) && cutLockedFile3D(res.fd, resBefore); };
    if (!endLastLine(json.fd)) {
        std::snprintf(why, whySize, "%s", errno != 0 ? std::strerror(errno) : "the write failed");
        return takeBack() ? pairJsonFailed : pairDamaged;
    }
    const std::string line = jsonLine(partner);
    errno = 0;
    const appendResult3D j = appendLockedFile3D(json.fd, line.data(), line.size());
    if (j != appendWritten) {
        std::snprintf(why, whySize, "%s", errno != 0 ? std::strerror(errno) : "the write failed");
        return j == appendFailed && takeBack() ? pairJsonFailed : pairDamaged;
    }
    if (resultPairPause3D != nullptr)
        resultPairPause3D();
    errno = 0;
    const appendResult3D r = appendLockedFile3D(res.fd, record, len);
    if (r != appendWritten) {
        std::snprintf(why, whySize, "%s", errno != 0 ? std::strerror(errno) : "the write failed");
        // the record's JSON line goes with it
        return r == appendFailed && takeBack() ? pairResFailed : pairDamaged;
    }
    return pairWritten;
}

std::string repeatWarnings3D(const double* fps, int n)
{
    if (n < 3)
        return "";
    const seriesStats st = seriesStatsOf(fps, n);
    const double cv = st.mean > 0.0 ? 100.0 * st.sd / st.mean : 0.0;
    const double median = st.median;
    // the median absolute deviation, scaled to a standard deviation for normal spreads
    std::vector<double> dev;
    for (int i = 0; i < n; i++)
        dev.push_back(std::fabs(fps[i] - median));
    std::sort(dev.begin(), dev.end());
    const double mad = 1.4826 * medianOfSorted(dev);
    std::string out;
    char line[200];
    if (cv > 3.0) {
        std::snprintf(line, sizeof line, "the runs spread by %.2f %% (coefficient of variation, more than 3 %%): "
                                         "the result may be unstable\n", cv);
        out += line;
    }
    // far: more than three deviations and more than 3 % from the median
    for (int i = 0; i < n; i++) {
        const double off = std::fabs(fps[i] - median);
        if (off > 3.0 * mad && off > 0.03 * median) {
            std::snprintf(line, sizeof line, "run %d (%.2f fps) lies far from the others (median %.2f fps)\n", i + 1,
                          fps[i], median);
            out += line;
        }
    }
    return out;
}

void repeatSummary3D(char* out, size_t size, const double* fps, int n)
{
    if (n <= 0) {
        std::snprintf(out, size, "repeat: no run measured\n");
        return;
    }
    const seriesStats st = seriesStatsOf(fps, n);
    const double mean = st.mean, sd = st.sd, median = st.median;
    const double half = n > 1 ? student95(n - 1) * sd / std::sqrt(double(n)) : 0.0;
    std::snprintf(out, size,
                  "repeat %d: mean %.2f fps  median %.2f  min %.2f  max %.2f  CV %.2f %%  95%% CI of the mean "
                  "%.2f to %.2f fps\n",
                  n, mean, median, st.low, st.high, mean > 0.0 ? 100.0 * sd / mean : 0.0, mean - half,
                  mean + half);
}

std::string isoTimeNow3D()
{
    char when[32];
    const std::time_t now = std::time(nullptr);
    std::tm utc = {};
    if (const std::tm* t = std::gmtime(&now))
        utc = *t;
    std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return when;
}

stressStability3D stressStabilityOf3D(const double* fps, int n)
{
    stressStability3D st = {n, 0.0, 0.0, 0.0, false};
    if (n <= 0)
        return st;
    st.lowest = *std::min_element(fps, fps + n);
    st.highest = *std::max_element(fps, fps + n);
    st.percent = st.highest > 0.0 ? rounded(100.0 * st.lowest / st.highest, 0.1) : 0.0;
    // judged on the figure the console and the JSON line show, so that they never contradict it
    st.stable = n >= 2 && st.percent >= stressStablePercent3D;
    return st;
}

std::string stressJson3D(const double* fps, int n, int minutes, double seconds, const char* isoTime,
                         const char* frameLog)
{
    using nlohmann::json;
    // the machine, renderer and settings as the last loop's bench.json line names them
    json j = json::parse(benchJson3D(cityFrames3D.stats(), cityCpuPerFrame3D(), isoTime, nullptr, frameLog));
    for (const char* perRun : {"fps", "summary", "step_ms"})
        j.erase(perRun);
    // the renderer is gone once its last loop ended: its name stays in auto_info1
    if (j.contains("gl_version") && j["gl_version"] == "")
        j.erase("gl_version");
    const stressStability3D st = stressStabilityOf3D(fps, n);
    json rates = json::array();
    for (int i = 0; i < n; i++)
        rates.push_back(rounded(fps[i], 0.01));
    j["mode"] = "stress";
    j["minutes"] = minutes;
    j["seconds"] = rounded(seconds, 0.1);
    j["loops"] = n;
    j["loop_fps"] = rates;
    j["lowest_fps"] = rounded(st.lowest, 0.01);
    j["highest_fps"] = rounded(st.highest, 0.01);
    j["stability_pct"] = st.percent;
    j["stable"] = st.stable;
    return j.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

std::string stressFileRefusal3D()
{
    const std::string path = outputPath3D("stress.json");
    if (oneFile(path, outputPath3D("bench.res")) || oneFile(path, outputPath3D("bench.json")) ||
        namesResultFile3D(path))
        return "can't write " + path + ": it is a result file";
    if (notRegularFile3D(path.c_str()))
        return "can't write " + path + ": it is not a regular file";
    char why[256];
    if (!canAppend3D(path.c_str(), why, sizeof why))
        return "can't write " + path + ": " + why;
    return std::string();
}

bool appendStressLine3D(const std::string& line, char* why, size_t whySize)
{
    const std::string refused = stressFileRefusal3D();
    if (!refused.empty()) {
        std::snprintf(why, whySize, "%s", refused.c_str());
        return false;
    }
    const lockedFile f(outputPath3D("stress.json").c_str(), why, whySize);
    if (f.fd < 0)
        return false;
    errno = 0;
    if (!endLastLine(f.fd) || appendLockedFile3D(f.fd, line.data(), line.size()) != appendWritten) {
        std::snprintf(why, whySize, "%s", errno != 0 ? std::strerror(errno) : "the write failed");
        return false;
    }
    return true;
}
