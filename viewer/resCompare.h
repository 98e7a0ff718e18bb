// resview --compare A B: two sets of results, side by side for every
// benchmark class and resolution they share, with each side's median and
// its 95 % confidence interval, the change, and whether it is significant
// (a two-sided Mann-Whitney U test).
#ifndef KORVA_RESCOMPARE_H
#define KORVA_RESCOMPARE_H

#include <cstdio>
#include <string>
#include <vector>

// one measured run, from a bench.res record or a bench.json line
struct resSample {
    std::string computer;
    std::string benchmark;
    int width = 0, height = 0, depth = 0;
    double fps = 0.0;
    // others took more than 5 % of the machine during its flight
    bool unsteady = false;
};

// Reads a bench.res or a bench.json (JSON Lines) file; what it leaves out
// (orphans, duplicates, lines that are no result, runs on a test's fast
// clock) is added to notes, a line a file. @returns false, with one line in
// why, when it holds no result that can be read.
bool loadSamples(const std::string& path, std::vector<resSample>* out, std::string* why, std::string* notes);

// The median of v (not empty).
double medianOf(std::vector<double> v);
// The distribution-free 95 % confidence interval of the median: the order
// statistics that cover it with at least 95 %. @returns false when the
// sample is too small for any (fewer than 6 values).
bool medianInterval95(std::vector<double> v, double* low, double* high);
// The two-sided p-value of the Mann-Whitney U test of a against b: exact
// when either sample has at most 8 values, none are tied and the other has
// at most 200 (8 x 200 at most, so that its cost stays small), else the
// normal approximation with tie and continuity corrections.
double mannWhitneyP(const std::vector<double>& a, const std::vector<double>& b);
// The smallest two-sided p any outcome can give for samples of n1 and n2.
double smallestMannWhitneyP(int n1, int n2);

// resview --compare A B [FILE...] [--base]: A and B each a result file, or
// a computer's name (as --computer takes it) picking its results from the
// other files and the base database of workDir.
// @returns the exit status: 0 compared, 1 a file that can't be read, a
// side with no result or no class on both sides, 2 a wrong option.
int runCompare(int argc, char** argv, const char* workDir, FILE* out, FILE* err);

#endif
