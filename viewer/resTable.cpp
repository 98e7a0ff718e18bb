#include "resTable.h"

#include "frameCommand.h"
#include "resCompare.h"
#include "resCheck.h"

#include "resData.h"
#include "resText.h"
#include "version3D.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const usage = "usage: resview --table|--csv|--json [--base] [FILE...] [--benchmark TEXT] [--computer TEXT]\n"
                          "               [--resolution TEXT] [--sort none|fps|resolutions] [--verbose]\n";
// the project's version, from the build
constexpr const char resviewVersion[] = KORVA_VERSION3D;
const char* const help =
    "usage: resview [--base] [--open FILE] [--base-with FILE]\n"
    "       resview --table|--csv|--json [--base] [FILE...] [options]\n"
    "       resview --check FOLDER\n"
    "       resview --frames FILE... [--png OUT.png [--size WxH]]\n"
    "       resview --compare A B [FILE...] [--base] [--csv|--json]\n"
    "  (no options)             the main window\n"
    "  --base                   a view of the base database data/base.bin\n"
    "  --open FILE              a view of a bench.res or bench.json file\n"
    "  --base-with FILE         a view of the base database and the file together\n"
    "  --table                  print the rows a view would draw, in columns\n"
    "  --csv                    print them as CSV\n"
    "  --json                   print them as JSON\n"
    "                           (FILE... any bench.res and bench.json files, one table;\n"
    "                           a bench.json result adds its summary, time and settings)\n"
    "  --benchmark TEXT         only that benchmark: an entry of its list, or words that\n"
    "                           fit one entry, in any case (\"normal\", \"high big\")\n"
    "  --computer TEXT          only that computer\n"
    "  --resolution TEXT        only that resolution, \"all 16bit\" or \"640x480x16\"\n"
    "  --sort none|fps|resolutions  the order of the rows\n"
    "  --verbose                the viewer's log on standard error\n"
    "  --check FOLDER           whether each JSON line of FOLDER/bench.json has its\n"
    "                           record in bench.res and each record its JSON line\n"
    "  --frames FILE...         a window drawing frame logs of townview_x --frame-log:\n"
    "                           frame time over the run, frame time by percentile, and\n"
    "                           each log's frames, average rate and lows\n"
    "  --png OUT.png            those pictures into a PNG file instead, without a display\n"
    "  --size WxH               the PNG's size in pixels (1000x700; 320x240 at least)\n"
    "  --compare A B            compare two result files (bench.res or bench.json) for\n"
    "                           every benchmark and resolution both hold: runs, medians\n"
    "                           with their 95 % confidence intervals, the change, and its\n"
    "                           p-value (two-sided Mann-Whitney U test; \"~\" where p > 0.05);\n"
    "                           A or B that is no file names a computer whose results\n"
    "                           the other FILEs (and --base) hold\n"
    "  --help, -h               this text\n"
    "  --version                the program's version\n"
    "Control characters in the files' texts are shown as U+FFFD in --table and\n"
    "--csv (--json escapes them); a CSV text that begins with =, +, - or @ gets\n"
    "a leading ' so that a spreadsheet does not take it for a formula.\n"
    "exit status of --table, --csv, --json: 0 shown, 1 a file could not be read\n"
    "  or holds no record, 2 a wrong option or an entry no list has\n"
    "exit status of --frames with --png: 0 every log drawn, 1 a log that is no frame\n"
    "  log (one line each; the others are drawn) or a PNG not written, 2 a wrong option\n"
    "exit status of --compare: 0 compared, 1 a file that can't be read or nothing\n"
    "  both hold, 2 a wrong option\n"
    "exit status of --check: 0 every line and record has its partner (or was\n"
    "  written beside an earlier bench.res), 1 one has none, a line is no JSON or\n"
    "  names a record another line names (or neither file can be read), 2 a wrong option\n";

// --check FOLDER: the pairs of records and JSON lines
int runCheck(int argc, char** argv, FILE* out, FILE* err)
{
    if (argc != 3) {
        std::fprintf(err, "resview: --check takes one folder and nothing else\n");
        return 2;
    }
    resCheck c;
    if (!checkResults(argv[2], &c)) {
        std::fprintf(err, "resview: %s holds no bench.res or bench.json that can be read\n", visibleText(argv[2]).c_str());
        return 1;
    }
    std::fputs(c.report.c_str(), out);
    std::fprintf(out, "%d whole, %d JSON lines without their record, %d records without a JSON line, %d JSON lines "
                      "naming no record, %d lines that are no JSON, %d of an earlier bench.res, %d duplicates\n",
                 c.whole, c.orphans, c.loneRecords, c.unnamed, c.broken, c.history, c.duplicates);
    return c.allPaired() ? 0 : 1;
}

// characters on a terminal: UTF-8 lead bytes
size_t columns(const std::string& s)
{
    size_t n = 0;
    for (const char c : s)
        n += (static_cast<unsigned char>(c) & 0xc0) != 0x80;
    return n;
}

std::string padded(const std::string& s, size_t width)
{
    return s + std::string(width > columns(s) ? width - columns(s) : 0, ' ');
}

// control characters shown safely, so that a record can't move the cursor or set a title
std::string visible(const std::string& s)
{
    return visibleText(s);
}

std::string shown(const char* bytes)
{
    return visible(displayText(bytes));
}

std::string resolutionOf(const resRecord& r)
{
    return std::to_string(r.width) + "x" + std::to_string(r.height) + "x" + std::to_string(r.depth);
}

std::string fpsOf(const resRecord& r)
{
    char t[32];
    std::snprintf(t, sizeof t, "%.2f", double(r.fps));
    return t;
}

// The list entry a choice names: by its bytes or its shown text, else the
// one entry (besides "all") that has every typed word; -1 with the valid or
// the fitting ones listed.
int entryIndex(const char* what, const std::string& text, int n, const char* (*entry)(const resData&, int),
               const resData& d, FILE* err)
{
    for (int i = 0; i < n; i++)
        if (text == entry(d, i) || text == displayText(entry(d, i)))
            return i;
    std::vector<int> fits;
    for (int i = 1; i < n; i++)
        if (typedFits(text, displayText(entry(d, i))))
            fits.push_back(i);
    if (fits.size() == 1)
        return fits[0];
    if (fits.size() > 1) {
        std::fprintf(err, "resview: \"%s\" fits %zu %ss; say which:\n", visible(text).c_str(), fits.size(), what);
        for (const int i : fits)
            std::fprintf(err, "  %s\n", shown(entry(d, i)).c_str());
        return -1;
    }
    std::fprintf(err, "resview: no %s \"%s\"; the %ss are:\n", what, visible(text).c_str(), what);
    for (int i = 0; i < n; i++)
        std::fprintf(err, "  %s\n", shown(entry(d, i)).c_str());
    return -1;
}

// the summary fields of a bench.json line that the CSV gives columns of
const char* const summaryKeys[] = {"frames",       "fps_1pct_low", "fps_01pct_low",         "frame_ms_p50",
                                   "frame_ms_p95", "frame_ms_p99", "frame_ms_max",          "cpu_user_ms_per_frame",
                                   "cpu_system_ms_per_frame",      "cpu_others_share",      "cpu_steal_share"};

}  // namespace

std::string csvField(std::string s)
{
    if (!s.empty() && (s[0] == '=' || s[0] == '+' || s[0] == '-' || s[0] == '@'))
        s.insert(0, "'");
    if (s.find_first_of(",\"\r\n") == std::string::npos)
        return s;
    std::string q = "\"";
    for (const char c : s) {
        q += c;
        if (c == '"')
            q += '"';
    }
    return q + "\"";
}

std::string visibleText(const std::string& s)
{
    std::string v;
    for (size_t i = 0; i < s.size(); i++) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c == 0x7f) {
            v += "\xef\xbf\xbd";
        } else if (c == 0xc2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(s[i + 1]) <= 0x9f) {
            v += "\xef\xbf\xbd";
            i++;
        } else {
            v += s[i];
        }
    }
    return v;
}

void sayLeftOut(FILE* err, const std::string& notes)
{
    for (size_t at = 0, end = 0; at < notes.size(); at = end + 1) {
        end = notes.find('\n', at);
        std::fprintf(err, "resview: %s\n", visibleText(notes.substr(at, end - at)).c_str());
    }
}

int wrongOption(FILE* err, const std::string& what)
{
    std::fprintf(err, "resview: %s\nTry 'resview --help' for more information.\n", visibleText(what).c_str());
    return 2;
}

namespace {

enum tableFormat { noTable, table, csv, json };

struct tableOptions {
    tableFormat format = noTable;
    bool base = false, verbose = false;
    bool windowOption = false;  // --open or --base-with: a window's options
    std::vector<std::string> files;
    std::string bench, comp, res, sort;
    bool haveBench = false, haveComp = false, haveRes = false, haveSort = false;
};

// The options of a table, in their order: help and the version are printed
// where they stand. @returns the exit status, or -1 to go on.
int parseTableOptions(int argc, char** argv, tableOptions* o, FILE* out, FILE* err)
{
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fprintf(out, "%s", help);
            return 0;
        }
        if (a == "--version") {
            std::fprintf(out, "resview %s\n", resviewVersion);
            return 0;
        }
        auto value = [&](std::string* v, bool* have) {
            if (i + 1 >= argc)
                return false;
            *v = argv[++i];
            *have = true;
            return true;
        };
        bool ok = true;
        std::string ignored;
        bool seen = false;
        if (a == "--table")
            o->format = table;
        else if (a == "--csv")
            o->format = csv;
        else if (a == "--json")
            o->format = json;
        else if (a == "--base")
            o->base = true;
        else if (a == "--verbose")
            o->verbose = true;
        else if (a == "--benchmark")
            ok = value(&o->bench, &o->haveBench);
        else if (a == "--computer")
            ok = value(&o->comp, &o->haveComp);
        else if (a == "--resolution")
            ok = value(&o->res, &o->haveRes);
        else if (a == "--sort")
            ok = value(&o->sort, &o->haveSort);
        else if (a == "--open" || a == "--base-with") {
            ok = value(&ignored, &seen);
            o->windowOption = true;
        } else if (a == "--check")
            return wrongOption(err, "--check takes one folder and nothing else");
        else if (!a.empty() && a[0] == '-')
            return wrongOption(err, "unknown option " + a);
        else
            o->files.push_back(a);
        if (!ok)
            return wrongOption(err, a + " needs a value");
    }
    return -1;
}

// Only regular files that are there: a FIFO or a device would hang the read.
// @returns whether all of them are.
bool resultFilesThere(const std::vector<std::string>& files, FILE* err)
{
    for (const std::string& file : files) {
        std::error_code ec;
        const auto st = std::filesystem::status(file, ec);
        if (!std::filesystem::exists(st)) {
            std::fprintf(err, "resview: can't read %s: %s\n", visible(file).c_str(),
                         ec ? ec.message().c_str() : "No such file or directory");
            return false;
        }
        if (!std::filesystem::is_regular_file(st)) {
            std::fprintf(err, "resview: %s is not a regular file\n", visible(file).c_str());
            return false;
        }
    }
    return true;
}

// The base database, the result files or both, the other files adding their
// results to the first's. @returns whether they loaded, after the message when not.
bool loadTables(const tableOptions& o, const char* workDir, resData* d, resLog* log, FILE* err)
{
    int r = 0;
    if (o.base && !o.files.empty()) {
        r = d->loadBinWithRes(o.files[0].c_str());
    } else if (o.base) {
        const std::string path = std::string(workDir) + "/data/base.bin";
        log->prf("%s\n", path.c_str());
        r = d->loadBin(path.c_str()) == 1 ? 1 : -2;
    } else {
        r = d->loadRes(o.files[0].c_str());
    }
    for (size_t k = 1; k < o.files.size() && r == 1; k++)
        r = d->addRes(o.files[k].c_str());
    if (o.verbose)
        std::fputs(log->text().c_str(), err);
    // what was left out is said, whatever was shown
    const std::string& notes = d->leftOutNotes();
    sayLeftOut(err, notes);
    // a result file that holds no record is not one; one whose records were all left out is, and said so
    if (r == 1 && !o.base && d->getNumRecords() == 0 && notes.empty())
        r = -1;
    if (r != 1) {
        std::fprintf(err, "%s\n", r == -2                   ? "can't load data/base.bin baseresult file"
                                  : !d->overflow().empty() ? ("resview: " + visibleText(d->overflow())).c_str()
                                                           : "corrupt .res file");
        return false;
    }
    return true;
}

// The benchmark, computer, resolution and sort the options choose. @returns
// whether each named one exists, after the message when not.
bool chooseFilter(const tableOptions& o, resData* d, FILE* err)
{
    int b = 0, c = 0, s = 0, res0 = 0;
    if (o.haveBench)
        b = entryIndex("benchmark", o.bench, d->numBenchmarks(),
                       [](const resData& x, int i) { return x.benchmarkEntry(i); }, *d, err);
    if (b >= 0 && o.haveComp)
        c = entryIndex("computer", o.comp, d->numComputers(),
                       [](const resData& x, int i) { return x.computerEntry(i); }, *d, err);
    if (b >= 0 && c >= 0 && o.haveRes)
        res0 = entryIndex("resolution", o.res, d->numResolutions(),
                          [](const resData& x, int i) { return x.resolutionEntry(i); }, *d, err);
    if (b < 0 || c < 0 || res0 < 0)
        return false;
    if (o.haveSort) {
        const char* const modes[] = {"none", "fps", "resolutions"};
        s = -1;
        for (int k = 0; k < 3; k++)
            if (o.sort == modes[k])
                s = k;
        if (s < 0) {
            std::fprintf(err, "resview: no sort \"%s\"; the sorts are: none, fps, resolutions\n", visible(o.sort).c_str());
            return false;
        }
    }
    d->setFilter(b, c, res0, s);
    return true;
}

void printTable(const std::vector<const resRecord*>& rows, FILE* out)
{
    size_t w[3] = {columns("COMPUTER"), columns("BENCHMARK"), columns("RESOLUTION")};
    for (const resRecord* x : rows) {
        w[0] = std::max(w[0], columns(shown(x->computer)));
        w[1] = std::max(w[1], columns(shown(x->benchmark)));
        w[2] = std::max(w[2], columns(resolutionOf(*x)));
    }
    std::fprintf(out, "%s  %s  %s  %8s\n", padded("COMPUTER", w[0]).c_str(), padded("BENCHMARK", w[1]).c_str(),
                 padded("RESOLUTION", w[2]).c_str(), "FPS");
    for (const resRecord* x : rows)
        std::fprintf(out, "%s  %s  %s  %8s\n", padded(shown(x->computer), w[0]).c_str(),
                     padded(shown(x->benchmark), w[1]).c_str(), padded(resolutionOf(*x), w[2]).c_str(),
                     fpsOf(*x).c_str());
}

void printCsv(const std::vector<const resRecord*>& rows, const std::vector<nlohmann::json>& lines, FILE* out)
{
    std::fprintf(out, "computer,benchmark,user_info,auto_info1,auto_info2,width,height,depth,fps");
    for (const char* k : summaryKeys)
        std::fprintf(out, ",%s", k);
    std::fprintf(out, ",time,settings\r\n");
    for (size_t i = 0; i < rows.size(); i++) {
        const resRecord* x = rows[i];
        std::fprintf(out, "%s,%s,%s,%s,%s,%d,%d,%d,%s", csvField(shown(x->computer)).c_str(),
                     csvField(shown(x->benchmark)).c_str(), csvField(shown(x->userInfo)).c_str(),
                     csvField(shown(x->autoInfo1)).c_str(), csvField(shown(x->autoInfo2)).c_str(), x->width,
                     x->height, x->depth, fpsOf(*x).c_str());
        // a bench.json result's summary, time and settings; empty for a record of bench.res
        const nlohmann::json& j = lines[i];
        for (const char* k : summaryKeys) {
            const bool has = j.is_object() && j.contains("summary") && j["summary"].is_object() &&
                             j["summary"].contains(k) && j["summary"][k].is_number();
            std::fprintf(out, ",%s", has ? j["summary"][k].dump().c_str() : "");
        }
        const bool hasTime = j.is_object() && j.contains("time") && j["time"].is_string();
        const bool hasSettings = j.is_object() && j.contains("settings");
        std::fprintf(out, ",%s,%s\r\n", hasTime ? csvField(visible(j["time"].get<std::string>())).c_str() : "",
                     hasSettings ? csvField(visible(j["settings"].dump(-1, ' ', false,
                                                                       nlohmann::json::error_handler_t::replace)))
                                       .c_str()
                                 : "");
    }
}

void printJson(const std::vector<const resRecord*>& rows, const std::vector<nlohmann::json>& lines, FILE* out)
{
    nlohmann::json list = nlohmann::json::array();
    for (size_t i = 0; i < rows.size(); i++) {
        const resRecord* x = rows[i];
        // a bench.json result keeps all it holds; the record's fields as the viewer shows them
        nlohmann::json row = lines[i].is_object() ? lines[i] : nlohmann::json::object();
        row.update({{"computer", displayText(x->computer)},
                    {"benchmark", displayText(x->benchmark)},
                    {"user_info", displayText(x->userInfo)},
                    {"auto_info1", displayText(x->autoInfo1)},
                    {"auto_info2", displayText(x->autoInfo2)},
                    {"width", x->width},
                    {"height", x->height},
                    {"depth", x->depth},
                    {"fps", std::strtod(fpsOf(*x).c_str(), nullptr)}});
        list.push_back(row);
    }
    std::fprintf(out, "%s\n", list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
}

}  // namespace

int runTableCommand(int argc, char** argv, const char* workDir, FILE* out, FILE* err)
{
    if (argc >= 2 && std::string(argv[1]) == "--check")
        return runCheck(argc, argv, out, err);
    bool asksHelp = false;
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        asksHelp = asksHelp || a == "--help" || a == "-h" || a == "--version";
    }
    if (asksForFrames(argc, argv) && !asksHelp)
        return runFramesCommand(argc, argv, out, err);
    for (int i = 1; i < argc && !asksHelp; i++)
        if (std::strcmp(argv[i], "--compare") == 0)
            return runCompare(argc, argv, workDir, out, err);
    tableOptions o;
    const int parsed = parseTableOptions(argc, argv, &o, out, err);
    if (parsed >= 0)
        return parsed;
    if (o.windowOption && o.format != noTable)
        return wrongOption(err, "--open and --base-with open a window, not a table");
    if (o.format == noTable)
        return -1;
    if (!o.base && o.files.empty()) {
        std::fprintf(err, "resview: nothing to show: give --base, a result file, or both\n%s", usage);
        return 2;
    }
    if (!resultFilesThere(o.files, err))
        return 1;

    resLog log;
    float maxFps = 0.0f;
    auto d = std::make_unique<resData>(&log, &maxFps, workDir);
    if (!loadTables(o, workDir, d.get(), &log, err))
        return 1;
    if (!chooseFilter(o, d.get(), err))
        return 2;
    std::vector<const resRecord*> rows;
    std::vector<nlohmann::json> lines;
    for (int i = 0; i < d->getNumDisplay(); i++) {
        rows.push_back(&d->displayed(i));
        // what a bench.json line holds beyond the record
        const std::string& line = d->jsonOf(d->displayedIndex(i));
        lines.push_back(line.empty() ? nlohmann::json::object() : nlohmann::json::parse(line, nullptr, false));
    }
    if (o.format == table)
        printTable(rows, out);
    else if (o.format == csv)
        printCsv(rows, lines, out);
    else
        printJson(rows, lines, out);
    return 0;
}
