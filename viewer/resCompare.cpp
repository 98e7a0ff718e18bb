#include "resCompare.h"

#include "resData.h"
#include "resPairs.h"
#include "resTable.h"
#include "resText.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <tuple>

namespace {

// the largest n1 n2 whose exact U distribution is computed: at most 8
// against 200, some 2.6 million steps
constexpr int maxExactCells = 1600;

// a sample's class: its benchmark and resolution
using classKey = std::tuple<std::string, int, int, int>;

// a record's result, its texts read as every view shows them
resSample sampleOf(const resRecord& r)
{
    return {displayText(r.computer), displayText(r.benchmark), r.width, r.height, r.depth, double(r.fps), false};
}

// the results of a bench.json; what is no result is left out and said in notes
bool readJsonLines(const std::string& path, std::vector<resSample>* out, std::string* why, std::string* notes)
{
    std::vector<resPairs::line> lines;
    if (!resPairs::readFile(path, &lines)) {
        *why = path + ": can't read it";
        return false;
    }
    resPairs::leftOut skipped;
    for (const resPairs::line& l : lines) {
        if (!skipped.take(l))
            continue;
        const nlohmann::json& j = l.value;
        // what the table reads, and only that
        resRecord r;
        if (!resData::recordOfJson(j, &r)) {
            skipped.unreadable.push_back(l.number);
            continue;
        }
        resSample s = sampleOf(r);
        if (j.contains("summary") && j["summary"].is_object()) {
            for (const char* k : {"cpu_others_share", "cpu_steal_share"}) {
                const auto it = j["summary"].find(k);
                s.unsteady = s.unsteady || (it != j["summary"].end() && it->is_number() && it->get<double>() > 0.05);
            }
        }
        out->push_back(std::move(s));
    }
    if (skipped.any())
        *notes += skipped.text(path) + "\n";
    return true;
}

// the exact distribution of U for m and n values, every order equally likely: P(U = u)
std::vector<double> uDistribution(int m, int n)
{
    const size_t size = size_t(m) * size_t(n) + 1;
    // p[i]: the distribution for i values against the j handled so far
    std::vector<std::vector<double>> p(size_t(m) + 1, std::vector<double>(size, 0.0));
    for (auto& row : p)
        row[0] = 1.0;
    std::vector<double> next(size);
    for (int j = 1; j <= n; j++) {
        for (int i = 1; i <= m; i++) {
            // the largest of i + j values is one of the i (beating all j), or one of the j
            const double pi = double(i) / (i + j), pj = double(j) / (i + j);
            for (size_t u = 0; u < size; u++)
                next[u] = (u >= size_t(j) ? pi * p[size_t(i) - 1][u - size_t(j)] : 0.0) + pj * p[size_t(i)][u];
            p[size_t(i)].swap(next);
        }
    }
    return p[size_t(m)];
}

// The results of a side: the file it names, else those of the one computer
// in pool whose name it is or whose name has all its words.
bool sideSamples(const std::string& side, const std::vector<resSample>& pool, bool havePool,
                 std::vector<resSample>* out, std::string* why, std::string* notes)
{
    std::error_code ec;
    if (std::filesystem::exists(side, ec) || !havePool)
        return loadSamples(side, out, why, notes);
    std::vector<std::string> named;
    for (const resSample& s : pool)
        if (s.computer == side && std::find(named.begin(), named.end(), s.computer) == named.end())
            named.push_back(s.computer);
    if (named.empty())
        for (const resSample& s : pool)
            if (typedFits(side, s.computer) && std::find(named.begin(), named.end(), s.computer) == named.end())
                named.push_back(s.computer);
    if (named.size() != 1) {
        *why = named.empty() ? "no file and no computer \"" + side + "\" in the results"
                             : "\"" + side + "\" fits " + std::to_string(named.size()) + " computers: \"" +
                                   named[0] + "\", \"" + named[1] + "\"" + (named.size() > 2 ? "..." : "");
        return false;
    }
    for (const resSample& s : pool)
        if (s.computer == named[0])
            out->push_back(s);
    return true;
}

std::string fmt(const char* f, double v)
{
    char t[64];
    std::snprintf(t, sizeof t, f, v);
    return t;
}

}  // namespace

bool loadSamples(const std::string& path, std::vector<resSample>* out, std::string* why, std::string* notes)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        *why = path + (std::filesystem::exists(path, ec) ? ": not a regular file" : ": can't read it");
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    char first = ' ';
    // blanks, and the byte-order mark an editor may put first
    while (in.get(first) && (first == ' ' || first == '\t' || first == '\r' || first == '\n' || first == '\xef' ||
                             first == '\xbb' || first == '\xbf')) {
    }
    const size_t before = out->size();
    if (first == '{') {
        if (!readJsonLines(path, out, why, notes))
            return false;
    } else {
        resLog log;
        float maxFps = 0.0f;
        auto d = std::make_unique<resData>(&log, &maxFps, ".");
        if (d->loadRes(path.c_str()) != 1) {
            *why = d->overflow().empty() ? path + ": corrupt .res file" : d->overflow();
            return false;
        }
        *notes += d->leftOutNotes();
        for (int i = 0; i < d->getNumRecords(); i++) {
            out->push_back(sampleOf(d->record(i)));
        }
    }
    if (out->size() == before) {
        *why = path + ": no result in it";
        return false;
    }
    return true;
}

double medianOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

bool medianInterval95(std::vector<double> v, double* low, double* high)
{
    const int n = int(v.size());
    // the largest k whose binomial tail P(X <= k - 1), X ~ B(n, 1/2), stays within 2.5 %
    double tail = 0.0, term = std::pow(0.5, n);
    int k = 0;
    for (int x = 0; x < n / 2; x++) {
        tail += term;
        if (tail > 0.025)
            break;
        k = x + 1;
        term = term * double(n - x) / double(x + 1);
    }
    if (k == 0)
        return false;
    std::sort(v.begin(), v.end());
    *low = v[size_t(k) - 1];
    *high = v[size_t(n - k)];
    return true;
}

double mannWhitneyP(const std::vector<double>& a, const std::vector<double>& b)
{
    const int n1 = int(a.size()), n2 = int(b.size()), n = n1 + n2;
    if (n1 == 0 || n2 == 0)
        return 1.0;
    // midranks of the pooled values
    std::vector<std::pair<double, int>> all;
    for (int i = 0; i < n; i++)
        all.emplace_back(i < n1 ? a[size_t(i)] : b[size_t(i - n1)], i);
    std::sort(all.begin(), all.end());
    double r1 = 0.0, tieTerm = 0.0;
    for (int i = 0; i < n;) {
        int j = i;
        while (j < n && all[size_t(j)].first == all[size_t(i)].first)
            j++;
        const double rank = (i + 1 + j) / 2.0;
        for (int k = i; k < j; k++)
            if (all[size_t(k)].second < n1)
                r1 += rank;
        const double t = j - i;
        tieTerm += t * t * t - t;
        i = j;
    }
    const double u1 = r1 - n1 * (n1 + 1) / 2.0;
    const double u = std::max(u1, double(n1) * n2 - u1);
    double p = 0.0;
    // the exact distribution costs (n1 n2)^2 steps: only where that is cheap
    // (and the approximation poorest); a small side against thousands of
    // runs takes the approximation, which is close there
    if ((n1 <= 8 || n2 <= 8) && tieTerm == 0.0 && n1 * n2 <= maxExactCells) {
        const std::vector<double> d = uDistribution(std::min(n1, n2), std::max(n1, n2));
        for (size_t k = size_t(std::lround(u)); k < d.size(); k++)
            p += d[k];
    } else {
        const double mu = double(n1) * n2 / 2.0;
        const double s = std::sqrt(double(n1) * n2 / 12.0 * ((n + 1) - tieTerm / (double(n) * (n - 1))));
        p = s > 0.0 ? 0.5 * std::erfc((u - mu - 0.5) / s / std::sqrt(2.0)) : 1.0;
    }
    return std::clamp(2.0 * p, 0.0, 1.0);
}

double smallestMannWhitneyP(int n1, int n2)
{
    // all of one side above all of the other: one order of C(n1 + n2, n1), either way
    double orders = 1.0;
    for (int i = 1; i <= std::min(n1, n2); i++)
        orders = orders * double(n1 + n2 - std::min(n1, n2) + i) / i;
    return std::min(1.0, 2.0 / orders);
}

namespace {

// what --compare was asked
struct compareOptions {
    enum { text, csv, json } format = text;
    std::vector<std::string> files;
    bool base = false;
};

// @returns 0, or the wrong option's status with its line written
int parseCompare(int argc, char** argv, FILE* err, compareOptions* o)
{
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (a == "--compare")
            continue;
        if (a == "--base")
            o->base = true;
        else if (a == "--csv")
            o->format = compareOptions::csv;
        else if (a == "--json")
            o->format = compareOptions::json;
        else if (!a.empty() && a[0] == '-')
            return wrongOption(err, "--compare takes two sides, result files, --base, and --csv or --json, not " + a);
        else
            o->files.push_back(a);
    }
    if (o->files.size() < 2)
        return wrongOption(err, "--compare takes two sides: result files, or computers' names and the files to take them from");
    return 0;
}

// the two sides' results, from their files or picked by name from the other
// files and the base database; @returns false with a line on err
bool loadSides(const compareOptions& o, const char* workDir, FILE* err, std::vector<resSample> side[2])
{
    std::vector<resSample> pool;
    std::string notes;
    // what the files left out is said before whatever comes of them
    const auto sayNotes = [&notes, err] {
        sayLeftOut(err, notes);
        notes.clear();
    };
    for (size_t k = 2; k < o.files.size(); k++) {
        std::string why;
        const bool loaded = loadSamples(o.files[k], &pool, &why, &notes);
        sayNotes();
        if (!loaded) {
            std::fprintf(err, "resview: %s\n", visibleText(why).c_str());
            return false;
        }
    }
    if (o.base) {
        resLog log;
        float maxFps = 0.0f;
        auto d = std::make_unique<resData>(&log, &maxFps, workDir);
        if (d->loadBin((std::string(workDir) + "/data/base.bin").c_str()) != 1) {
            std::fprintf(err, "can't load data/base.bin baseresult file\n");
            return false;
        }
        for (int i = 0; i < d->getNumRecords(); i++) {
            pool.push_back(sampleOf(d->record(i)));
        }
    }
    for (int k = 0; k < 2; k++) {
        std::string why;
        const bool loaded = sideSamples(o.files[size_t(k)], pool, o.files.size() > 2 || o.base, &side[k], &why, &notes);
        sayNotes();
        if (!loaded) {
            std::fprintf(err, "resview: %s\n", visibleText(why).c_str());
            return false;
        }
    }
    return true;
}

// one row a benchmark and resolution both sides ran, as JSON and as cells
struct compareRows {
    nlohmann::json rows = nlohmann::json::array();
    std::vector<std::vector<std::string>> table;
    bool anyTooFew = false, anyUnsteady = false;
};

compareRows compareSides(const std::vector<resSample> side[2])
{
    struct group {
        std::vector<double> fps[2];
        bool unsteady[2] = {false, false};
    };
    std::map<classKey, group> groups;
    for (int k = 0; k < 2; k++)
        for (const resSample& s : side[k]) {
            group& g = groups[classKey(s.benchmark, s.width, s.height, s.depth)];
            g.fps[k].push_back(s.fps);
            g.unsteady[k] = g.unsteady[k] || s.unsteady;
        }
    compareRows c;
    for (const auto& [key, g] : groups) {
        if (g.fps[0].empty() || g.fps[1].empty())
            continue;
        const auto& [bench, w, h, d] = key;
        const std::string res = std::to_string(w) + "x" + std::to_string(h) + "x" + std::to_string(d);
        nlohmann::json row = {{"benchmark", bench}, {"resolution", res}};
        std::vector<std::string> cells = {bench, res};
        double med[2] = {};
        for (int k = 0; k < 2; k++) {
            med[k] = medianOf(g.fps[k]);
            double lo = 0.0, hi = 0.0;
            const bool ci = medianInterval95(g.fps[k], &lo, &hi);
            const char* name = k == 0 ? "a" : "b";
            row[name] = {{"runs", g.fps[k].size()}, {"median_fps", med[k]}, {"unsteady", g.unsteady[k]}};
            if (ci)
                row[name]["ci95_fps"] = {lo, hi};
            cells.push_back(std::to_string(g.fps[k].size()));
            cells.push_back(fmt("%.2f", med[k]) + (g.unsteady[k] ? " !" : ""));
            cells.push_back(ci ? fmt("%.2f", lo) + " to " + fmt("%.2f", hi) : "too few runs");
            c.anyUnsteady = c.anyUnsteady || g.unsteady[k];
        }
        const double p = mannWhitneyP(g.fps[0], g.fps[1]);
        const double change = med[0] != 0.0 ? 100.0 * (med[1] - med[0]) / med[0] : 0.0;
        const bool tooFew = smallestMannWhitneyP(int(g.fps[0].size()), int(g.fps[1].size())) > 0.05;
        c.anyTooFew = c.anyTooFew || tooFew;
        row["change_percent"] = change;
        row["p"] = p;
        row["significant"] = p <= 0.05;
        row["too_few_runs"] = tooFew;
        c.rows.push_back(row);
        cells.push_back(p <= 0.05 ? fmt("%+.2f %%", change) : "~");
        cells.push_back(fmt("p=%.3f", p) + (tooFew ? " (too few)" : ""));
        c.table.push_back(cells);
    }
    return c;
}

void printCompareCsv(const compareRows& c, FILE* out)
{
    std::fprintf(out, "benchmark,resolution,a_runs,a_median_fps,a_ci95,b_runs,b_median_fps,b_ci95,change,p\r\n");
    for (const auto& cells : c.table) {
        // the benchmark is a result file's text; the other cells are this program's numbers
        for (size_t k = 0; k < cells.size(); k++)
            std::fprintf(out, "%s%s", k > 0 ? "," : "", k == 0 ? csvField(visibleText(cells[k])).c_str() : cells[k].c_str());
        std::fprintf(out, "\r\n");
    }
}

void printCompareText(const compareOptions& o, const compareRows& c, FILE* out)
{
    std::vector<std::vector<std::string>> table = c.table;
    // a text of a result file can't move the cursor or set a title
    for (auto& cells : table)
        for (std::string& cell : cells)
            cell = visibleText(cell);
    table.insert(table.begin(), {"BENCHMARK", "RESOLUTION", "A RUNS", "A MEDIAN", "A 95% CI", "B RUNS", "B MEDIAN",
                                 "B 95% CI", "CHANGE", "P"});
    std::vector<size_t> width(table[0].size());
    for (size_t k = 0; k < width.size(); k++)
        for (const auto& cells : table)
            width[k] = std::max(width[k], cells[k].size());
    std::fprintf(out, "A: %s\nB: %s\n", visibleText(o.files[0]).c_str(), visibleText(o.files[1]).c_str());
    for (const auto& cells : table)
        for (size_t k = 0; k < cells.size(); k++) {
            // the last column unpadded: no blanks at the line's end
            if (k + 1 < cells.size())
                std::fprintf(out, "%-*s  ", int(width[k]), cells[k].c_str());
            else
                std::fprintf(out, "%s\n", cells[k].c_str());
        }
    std::fprintf(out, "medians in fps; CHANGE is B's median against A's, \"~\" where the difference is not "
                      "significant (two-sided Mann-Whitney U test, p > 0.05)\n");
    if (c.anyTooFew)
        std::fprintf(out, "too few: so few runs that no difference can reach p = 0.05 (3 against 3 runs give at "
                          "best p = 0.100): run more, for example --repeat 5\n");
    if (c.anyUnsteady)
        std::fprintf(out, "!: a run of that side warned that other processes or the host took more than 5 %% of "
                          "the CPU during its flight\n");
}

}  // namespace

int runCompare(int argc, char** argv, const char* workDir, FILE* out, FILE* err)
{
    compareOptions o;
    if (const int wrong = parseCompare(argc, argv, err, &o); wrong != 0)
        return wrong;
    std::vector<resSample> side[2];
    if (!loadSides(o, workDir, err, side))
        return 1;
    const compareRows c = compareSides(side);
    if (c.rows.empty()) {
        std::fprintf(err, "resview: %s and %s share no benchmark at one resolution\n", visibleText(o.files[0]).c_str(),
                     visibleText(o.files[1]).c_str());
        return 1;
    }
    if (o.format == compareOptions::json)
        std::fprintf(out, "%s\n", c.rows.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    else if (o.format == compareOptions::csv)
        printCompareCsv(c, out);
    else
        printCompareText(o, c, out);
    return 0;
}
