#include "resData.h"

#include "resPairs.h"

#include "scene/fileCloser.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

void resLog::prf(const char* fmt, ...)
{
    char buf[2048];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    lines += buf;
}

namespace {

// copies at most 159 characters and the terminator
void copyText(char* dst, const char* src)
{
    size_t n = 0;
    while (n < size_t(resRecord::textSize - 1) && src[n] != '\0')
        n++;
    std::memcpy(dst, src, n);
    dst[n] = '\0';
}

// a FIFO or a device would hang the read, a folder reads as empty
bool regularFile(const char* path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// a frame rate is a finite number at or above 0; anything else is damage
bool rateOk(float fps)
{
    return std::isfinite(fps) && fps >= 0.0f;
}

// The result line "W x H x D fps: F": blanks around each x are required.
bool parseResolution(const char* s, resRecord* r)
{
    const char* p = s;
    auto num = [&p](int32_t* v) {
        char* end = nullptr;
        const long n = std::strtol(p, &end, 10);
        if (end == p)
            return false;
        *v = int32_t(n < INT32_MIN ? INT32_MIN : (n > INT32_MAX ? INT32_MAX : n));
        p = end;
        return true;
    };
    auto blanks = [&p] {
        const char* start = p;
        while (*p != '\0' && isSpace(*p))
            p++;
        return p != start;
    };
    auto word = [&p](const char* w) {
        const size_t n = std::strlen(w);
        if (std::strncmp(p, w, n) != 0)
            return false;
        p += n;
        return true;
    };
    if (!num(&r->width) || !blanks() || !word("x") || !blanks() || !num(&r->height) || !blanks() || !word("x") ||
        !blanks() || !num(&r->depth) || !blanks() || !word("fps:"))
        return false;
    char* end = nullptr;
    const float f = std::strtof(p, &end);
    if (end == p || !rateOk(f))
        return false;
    r->fps = f;
    return true;
}

// the sort key of a record; a key that is no number sorts last
float keyOf(const resRecord& r, int mode)
{
    const float k = mode == 1 ? r.fps : float(int64_t(r.width) * int64_t(r.height));
    return std::isnan(k) ? -INFINITY : k;
}

}  // namespace

resData::resData(resLog* l, float* sharedMax, const char* workDir)
    : log(l), maxFps(sharedMax), dir(workDir ? workDir : ""), records(new resRecord[capacity]()),
      jsonLines(new std::string[capacity]()),
      display(new int[capacity]()), filtered(new int[capacity]()), benchList(new entry[capacity]()),
      compList(new entry[capacity]()), resList(new entry[capacity]()), sortList(new entry[capacity]()),
      resW(new int[capacity]()), resH(new int[capacity]()), resD(new int[capacity]())
{
}

int resData::loadRes(const char* path)
{
    numRecords = 0;
    notes.clear();
    return readRes(path);
}

int resData::addRes(const char* path)
{
    return readRes(path);
}

// the load's failure when a file holds more results than the store
int resData::full(const char* path)
{
    tooMany = std::string(path) + ": more than " + std::to_string(capacity - 1) +
              " results; a table or view holds at most that many";
    return -1;
}

int resData::readJson(const char* path)
{
    std::vector<resPairs::line> lines;
    if (!resPairs::readFile(path, &lines))
        return -1;
    // orphans, duplicates, test clocks and lines that are no result are left out and counted
    resPairs::leftOut skipped;
    for (const resPairs::line& l : lines) {
        if (!skipped.take(l))
            continue;
        resRecord r;
        if (!recordOfJson(l.value, &r)) {
            skipped.unreadable.push_back(l.number);
            continue;
        }
        if (numRecords >= capacity - 1)
            return full(path);
        records[numRecords] = r;
        jsonLines[numRecords] = l.text;
        numRecords++;
    }
    if (skipped.any()) {
        notes += skipped.text(path) + "\n";
        log->prf("%s\n", skipped.text(path).c_str());
    }
    buildLists();
    return 1;
}

bool resData::recordOfJson(const nlohmann::json& j, resRecord* r)
{
    auto text = [&j](const char* k) { return j.contains(k) && j[k].is_string(); };
    auto integer = [&j](const char* k) { return j.contains(k) && j[k].is_number_integer(); };
    // a rate beyond a float's range is no rate: it would read as infinite
    if (!text("computer") || !text("benchmark") || !text("user_info") || !text("auto_info1") ||
        !text("auto_info2") || !integer("width") || !integer("height") || !integer("depth") ||
        !j.contains("fps") || !j["fps"].is_number() || !rateOk(float(j["fps"].get<double>())))
        return false;
    copyText(r->computer, j["computer"].get<std::string>().c_str());
    copyText(r->benchmark, j["benchmark"].get<std::string>().c_str());
    copyText(r->userInfo, j["user_info"].get<std::string>().c_str());
    copyText(r->autoInfo1, j["auto_info1"].get<std::string>().c_str());
    copyText(r->autoInfo2, j["auto_info2"].get<std::string>().c_str());
    const auto clamped = [](long long v) { return int32_t(std::clamp<long long>(v, INT32_MIN, INT32_MAX)); };
    r->width = clamped(j["width"].get<long long>());
    r->height = clamped(j["height"].get<long long>());
    r->depth = clamped(j["depth"].get<long long>());
    r->fps = float(j["fps"].get<double>());
    return true;
}

int resData::readRes(const char* path)
{
    tooMany.clear();
    filePtr f(regularFile(path) ? std::fopen(path, "r") : nullptr);
    if (!f)
        return -1;
    // JSON Lines begin with an object
    int first = 0;
    // blanks, and the byte-order mark an editor may put first, before the first character
    while ((first = std::fgetc(f.get())) != EOF &&
           (isSpace(char(first)) || first == 0xef || first == 0xbb || first == 0xbf)) {
    }
    if (first == '{') {
        f.reset();
        return readJson(path);
    }
    std::rewind(f.get());
    char line[512];
    int testClock = 0;
    // the records read, and what was left out said once the file is read
    const auto leftOutNote = [&] {
        if (testClock == 0)
            return;
        resPairs::leftOut skipped;
        skipped.testClock = testClock;
        notes += skipped.text(path) + "\n";
        log->prf("%s\n", skipped.text(path).c_str());
    };
    for (;;) {
        if (std::fgets(line, 256, f.get()) == nullptr)
            break;
        char first[256];
        if (std::sscanf(line, "%255s", first) != 1 || std::strcmp(first, "[") != 0)
            continue;
        if (numRecords >= capacity)
            return full(path);
        resRecord& r = records[numRecords];
        jsonLines[numRecords].clear();
        char* texts[5] = {r.computer, r.benchmark, r.userInfo, r.autoInfo1, r.autoInfo2};
        for (char* t : texts) {
            if (std::fgets(line, sizeof line, f.get()) == nullptr)
                return -1;
            for (int i = 0; i < resRecord::textSize && line[i] != '\0'; i++)
                if (line[i] == '\n')
                    line[i] = '\0';
            // a line that Windows ended with CR LF keeps no carriage return
            const size_t end = std::strlen(line);
            if (end > 0 && line[end - 1] == '\r')
                line[end - 1] = '\0';
            line[resRecord::textSize - 1] = '\0';
            copyText(t, line);
        }
        if (std::fgets(line, sizeof line, f.get()) == nullptr || !parseResolution(line, &r))
            return -1;
        // a run on a test's fast clock measured nothing
        if (resPairs::testClockText(r.autoInfo2)) {
            testClock++;
            continue;
        }
        numRecords++;
        // the table holds 1499 records and a free entry
        if (numRecords >= capacity)
            return full(path);
    }
    leftOutNote();
    buildLists();
    return 1;
}

int resData::loadBin(const char* path)
{
    numRecords = 0;
    notes.clear();
    filePtr f(regularFile(path) ? std::fopen(path, "rb") : nullptr);
    if (f) {
        unsigned char img[sizeof(resRecord)];
        while (numRecords < capacity && std::fread(img, 1, sizeof img, f.get()) == sizeof img) {
            resRecord& r = records[numRecords];
            jsonLines[numRecords].clear();
            std::memcpy(&r, img, sizeof r);
            if (!rateOk(r.fps)) {
                log->prf("resData::loadBin: error record %d of %s has no valid fps\n", numRecords, path);
                numRecords = 0;
                return -1;
            }
            // the texts of a stored image are ended within their fields
            for (char* t : {r.computer, r.benchmark, r.userInfo, r.autoInfo1, r.autoInfo2})
                t[resRecord::textSize - 1] = '\0';
            log->prf("numRes %d\n", numRecords);
            log->prf(" %s\n", r.userInfo);
            numRecords++;
        }
    }
    if (numRecords > 0) {
        buildLists();
        return 1;
    }
    log->prf("resData::loadBin: error can't open %s\n", path);
    return -1;
}

int resData::loadBinWithRes(const char* path)
{
    // without the base database there is nothing to add the results to
    char base[1024];
    std::snprintf(base, sizeof base, "%s/data/base.bin", dir.c_str());
    if (loadBin(base) != 1)
        return -2;
    return readRes(path);
}

void resData::buildLists()
{
    nBench = nComp = nRes = nSort = 0;
    copyText(benchList[nBench++], "all");
    copyText(compList[nComp++], "all");
    for (int i = 0; i < numRecords; i++) {
        const resRecord& r = records[i];
        bool found = false;
        for (int k = 0; k < nComp && !found; k++)
            found = std::strcmp(compList[k], r.computer) == 0;
        if (!found && nComp < capacity) {
            copyText(compList[nComp++], r.computer);
            log->prf("%s\n", r.computer);
        }
        found = false;
        for (int k = 0; k < nBench && !found; k++)
            found = std::strcmp(benchList[k], r.benchmark) == 0;
        if (!found && nBench < capacity)
            copyText(benchList[nBench++], r.benchmark);
    }
    const struct {
        const char* text;
        int w, h, d;
    } fixed[] = {{"all", -1, -1, -1}, {"all 8bit", -1, -1, 8}, {"all 16bit", -1, -1, 16},
                 {"all 24bit", -1, -1, 24}, {"all 32bit", -1, -1, 32}};
    for (const auto& e : fixed) {
        copyText(resList[nRes], e.text);
        resW[nRes] = e.w;
        resH[nRes] = e.h;
        resD[nRes] = e.d;
        nRes++;
    }
    for (int i = 0; i < numRecords; i++) {
        const resRecord& r = records[i];
        bool found = false;
        for (int k = 0; k < nRes && !found; k++)
            found = resW[k] == r.width && resH[k] == r.height && resD[k] == r.depth;
        if (!found && nRes < capacity) {
            std::snprintf(resList[nRes], resRecord::textSize, "%dx%dx%d", r.width, r.height, r.depth);
            resW[nRes] = r.width;
            resH[nRes] = r.height;
            resD[nRes] = r.depth;
            nRes++;
        }
    }
    for (const char* s : {"no sorting", "fps", "resolutions"})
        copyText(sortList[nSort++], s);
    setFilter(0, 0, 0, 0);
}

void resData::setFilter(int benchmark, int computer, int resolution, int sort)
{
    // indices outside the lists fall back to "all"
    benchmark = benchmark >= 0 && benchmark < nBench ? benchmark : 0;
    computer = computer >= 0 && computer < nComp ? computer : 0;
    resolution = resolution >= 0 && resolution < nRes ? resolution : 0;
    copyText(filterBench, nBench > 0 ? benchList[benchmark] : "all");
    copyText(filterComp, nComp > 0 ? compList[computer] : "all");
    filterW = nRes > 0 ? resW[resolution] : -1;
    filterH = nRes > 0 ? resH[resolution] : -1;
    filterD = nRes > 0 ? resD[resolution] : -1;
    sortMode = sort;
    applyFilter();
}

void resData::applyFilter()
{
    numFiltered = numDisplay = 0;
    const bool anyBench = std::strcmp(filterBench, "all") == 0;
    const bool anyComp = std::strcmp(filterComp, "all") == 0;
    for (int i = 0; i < numRecords; i++) {
        const resRecord& r = records[i];
        if ((anyBench || std::strcmp(r.benchmark, filterBench) == 0) &&
            (anyComp || std::strcmp(r.computer, filterComp) == 0) && (filterW == -1 || r.width == filterW) &&
            (filterH == -1 || r.height == filterH) && (filterD == -1 || r.depth == filterD)) {
            filtered[numFiltered++] = i;
            display[numDisplay++] = i;
            if (maxFps != nullptr && r.fps > *maxFps)
                *maxFps = r.fps;
        }
    }
    if (sortMode == 1 || sortMode == 2) {
        // descending by key; equal keys keep their load order
        const int mode = sortMode;
        std::stable_sort(display.get(), display.get() + numDisplay,
                         [&](int a, int b) { return keyOf(records[a], mode) > keyOf(records[b], mode); });
    }
}
