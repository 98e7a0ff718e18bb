// The result store of one view window: records from bench.res and
// data/base.bin, the selection lists, and the filtered, sorted display list.
#ifndef KORVA_RESDATA_H
#define KORVA_RESDATA_H

#include "resLog.h"
#include "resRecord.h"

#include <nlohmann/json_fwd.hpp>

#include <memory>
#include <string>

class resData {
public:
    static constexpr int capacity = 1500;

    resData(resLog* log, float* sharedMaxFps, const char* workDir);
    resData(const resData&) = delete;
    resData& operator=(const resData&) = delete;

    // Reads a bench.res, or a bench.json (JSON Lines: its first character is
    // a "{"), in place of the records held; the lists are built again and
    // the filter is "all". @returns 1, or -1 when the file cannot be read as
    // results or the store is full: the records read before the fault stay.
    int loadRes(const char* path);
    // The same, adding to the records loaded before.
    int addRes(const char* path);
    // The base database of the working folder, then the results of path.
    // @returns 1, -2 when the base database cannot be loaded, -1 when the file cannot be read as results.
    int loadBinWithRes(const char* path);
    // Reads a base database in place of the records held, up to capacity.
    // @returns 1, or -1 with a log line when it is missing, empty or holds a
    // record without a valid rate: the store is then empty.
    int loadBin(const char* path);
    // The selection lists from the records: "all" and each benchmark and
    // computer in load order, the fixed depth entries and each resolution,
    // the three sort modes; then setFilter(0, 0, 0, 0).
    void buildLists();
    // Selects list entries (an index outside a list means "all") and sort
    // mode (0 load order, 1 fps, 2 resolution, both descending), then applies them.
    void setFilter(int benchmark, int computer, int resolution, int sort);
    // The display list again from the records; raises the shared highest
    // rate to the highest rate shown.
    void applyFilter();

    int getNumRecords() const { return numRecords; }
    // Record i; i must be below getNumRecords(), as for every indexed getter here.
    const resRecord& record(int i) const { return records[i]; }
    // the bench.json line a record was read from; empty for other records
    const std::string& jsonOf(int i) const { return jsonLines[i]; }
    // the index in the records of the i-th displayed one
    int displayedIndex(int i) const { return display[i]; }
    int getNumDisplay() const { return numDisplay; }
    const resRecord& displayed(int i) const { return records[display[i]]; }
    // How many records pass the filter; the display holds the same, sorted.
    int getNumFiltered() const { return numFiltered; }

    // The selection lists' entries as the view windows show them.
    int numBenchmarks() const { return nBench; }
    const char* benchmarkEntry(int i) const { return benchList[i]; }
    int numComputers() const { return nComp; }
    const char* computerEntry(int i) const { return compList[i]; }
    int numResolutions() const { return nRes; }
    const char* resolutionEntry(int i) const { return resList[i]; }
    int numSortModes() const { return nSort; }
    const char* sortEntry(int i) const { return sortList[i]; }
    // What the loads left out of their files (orphans, duplicates, lines
    // that are no result, runs on a test's fast clock), a line a file.
    const std::string& leftOutNotes() const { return notes; }
    // Why the last load of results failed where the file itself is sound:
    // it holds more results than a view holds. Empty otherwise ("corrupt .res file").
    const std::string& overflow() const { return tooMany; }
    // The folder data/base.bin is looked for in.
    const std::string& workDir() const { return dir; }

    // The one reading of a bench.json line as a result, for every reader:
    // the five texts (cut at 159 bytes), the resolution (held within 32
    // bits) and a rate that is a finite number, not negative.
    // @returns false for a line that is no result.
    static bool recordOfJson(const nlohmann::json& j, resRecord* r);

private:
    int readRes(const char* path);
    int readJson(const char* path);
    int full(const char* path);

    resLog* log;
    float* maxFps;
    std::string dir;
    std::string notes;
    std::string tooMany;
    std::unique_ptr<resRecord[]> records;
    std::unique_ptr<std::string[]> jsonLines;
    int numRecords = 0;
    std::unique_ptr<int[]> display;
    int numDisplay = 0;
    std::unique_ptr<int[]> filtered;
    int numFiltered = 0;

    char filterBench[resRecord::textSize] = {};
    char filterComp[resRecord::textSize] = {};
    int filterW = -1, filterH = -1, filterD = -1;
    int sortMode = 0;

    using entry = char[resRecord::textSize];
    std::unique_ptr<entry[]> benchList, compList, resList, sortList;
    std::unique_ptr<int[]> resW, resH, resD;
    int nBench = 0, nComp = 0, nRes = 0, nSort = 0;
};

#endif
