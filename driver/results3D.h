// What a benchmark reports beside its nine-line record: the frame-time
// summary line, the JSON line of bench.json, and the line that ends a
// series of repeated runs.
#ifndef KORVA_RESULTS3D_H
#define KORVA_RESULTS3D_H

#include "frameLog3D.h"

#include <cstddef>
#include <functional>
#include <string>

// the measured flight of the last benchmark: its frames and the CPU time it took
extern frameLog3D cityFrames3D;
extern double cityCpuUserS3D, cityCpuSystemS3D;
// where --frame-log writes the frames of each benchmark; empty for none
extern char frameLogPath3D[1024];
// The folder bench.res and bench.json are appended in, with its closing
// slash; empty: the working folder.
extern char outputDir3D[1024];
// The path of a result file in that folder.
std::string outputPath3D(const char* name);
// The run of a series (--repeat) being measured, from 1, and the series'
// length; a series of more than one run writes one frame log a run.
extern int benchRunNumber3D, benchRunCount3D;
// The frame log of the current run: the --frame-log path, with "-K" before
// its extension in a series of more than one run.
std::string frameLogPathOfRun3D();
// The first line of a frame log.
extern const char frameLogHeader3D[];
// Why a frame log must not be written at path (a result file, something
// that is not a regular file, a file that is not a frame log), or null.
const char* frameLogRefusal3D(const char* path);
// Writes a frame log's text at path unless it is refused, through a
// temporary file renamed over it, after removing dead writers' temporaries.
// @returns false with the refusal or the system's reason in why.
bool writeFrameLogFile3D(const std::string& path, const std::string& text, std::string* why);
// Removes what a writer of path killed before its rename left: its
// temporary files (path.PID.tmp) whose process is gone.
void removeDeadTemporaries3D(const char* path);
// Why results can't be appended in the results folder, as one line without
// its break, or an empty text when they can; status gets the exit status
// that goes with it (3 for bench.res, 6 for bench.json). Changes nothing.
std::string resultsUnwritable3D(int* status = nullptr);

// Where a record lies in bench.res, as its JSON line names it: its place,
// length and hash, and which bench.res that is (the file's identity and the
// hash of at most resultTailBytes3D bytes before the record), so that a line
// whose record never came is told from one whose bench.res was moved aside.
struct resultPartner3D {
    long long offset;
    long long bytes;
    char sha256[65];
    char fileId[64];
    char tailSha256[65];
};
constexpr long long resultTailBytes3D = 4096;
enum pairResult3D {
    pairWritten,     // both appended and durable
    pairResFailed,   // bench.res could not take the record: neither file changed
    pairJsonFailed,  // bench.json could not take the line: neither file changed
    pairDamaged,     // a write failed and could not be taken back
};
// Appends a benchmark's result as one pair: under bench.res's lock, the
// JSON line first (made by jsonLine for the record's place), then the
// record; a failure of either takes the other back. Each starts on a line
// of its own. A JSON line left at the end of bench.json by a writer killed
// between the two (its record to begin at this very bench.res's end) is cut
// off first; lines of an earlier bench.res stay. why gets the reason of a failure.
pairResult3D appendResultPair3D(const char* resPath, const char* jsonPath, const char* record, size_t len,
                                const std::function<std::string(const resultPartner3D&)>& jsonLine, char* why,
                                size_t whySize);
// For tests only: called between the two appends, where a kill leaves a
// JSON line without its record.
extern void (*resultPairPause3D)();

// the whole machine's CPU times at the flight's start (machineCpu3D); total 0: unknown
extern double cityMachineBusyS3D, cityMachineStealS3D, cityMachineTotalS3D;
// CPU time per frame of the last flight, in ms, and how much of the
// machine others took meanwhile: other processes, and a virtual machine's
// host (steal), as shares of all its processors' time; -1 where unknown.
struct cpuPerFrame3D {
    double userMs, systemMs;
    double othersShare = -1.0, stealShare = -1.0;
};
cpuPerFrame3D cityCpuPerFrame3D();
// The shares of the machine that others took between two readings of
// machineCpu3D, this process having used ownS of it. -1 each when the total did not grow.
void cpuShares3D(const double before[3], const double after[3], double ownS, double* othersShare,
                 double* stealShare);
// Lines that say why a flight may not compare with others (others took more
// than 5 % of the machine); empty when none.
std::string steadinessWarnings3D(const cpuPerFrame3D& cpu);

// The summary line of a flight, ended by a line break.
void benchSummary3D(char* out, size_t size, const frameStats3D& s, double avgFps, const cpuPerFrame3D& cpu);

// The JSON line (one object, no line break inside, ended by one) of the
// last benchmark: the record's fields, the summary, the run's settings, the
// build, the system, the time (UTC, ISO 8601) and the data set's manifest hash.
// partner: where the record lies in bench.res; frameLog: the frame log
// written beside it, or null.
std::string benchJson3D(const frameStats3D& s, const cpuPerFrame3D& cpu, const char* isoTime,
                        const resultPartner3D* partner = nullptr, const char* frameLog = nullptr);

// The statistics of repeated runs' rates: mean, median, minimum, maximum,
// coefficient of variation and the 95 % confidence interval of the mean
// (Student's t), one line ended by a line break.
void repeatSummary3D(char* out, size_t size, const double* fps, int n);
// Lines that warn of an unsteady series: a coefficient of variation over
// 3 %, and each run far from the others (rates in run order); empty when none.
std::string repeatWarnings3D(const double* fps, int n);

// The time now, UTC, as ISO 8601 ("2026-12-11T03:08:25Z"), for the JSON lines.
std::string isoTimeNow3D();

// A stress run's stability: the lowest loop's rate over the highest's, in
// percent (to the tenth it is printed with); stable at stressStablePercent3D or more.
constexpr double stressStablePercent3D = 97.0;
struct stressStability3D {
    int loops;
    double lowest, highest, percent;
    bool stable;
};
stressStability3D stressStabilityOf3D(const double* fps, int n);
// The JSON line of a stress run for stress.json: the machine, the settings
// and the renderer as bench.json names them (from the last loop), the
// minutes asked, the seconds it ran, each loop's rate and the stability.
std::string stressJson3D(const double* fps, int n, int minutes, double seconds, const char* isoTime,
                         const char* frameLog);
// Why stress.json in the results folder can't take a line (a result file
// by another name, no regular file, not writable), or an empty text.
std::string stressFileRefusal3D();
// Appends line to stress.json in the results folder under the results'
// lock, on a line of its own. @returns false with the reason in why.
bool appendStressLine3D(const std::string& line, char* why, size_t whySize);

#endif
