// What resview --compare costs on a big side: a short series of 8 runs
// against one bench.json of N one-line results (about 170 bytes each), the
// files read and the test done, as the command line runs it.
#include "resCompare.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

const std::filesystem::path dir = std::filesystem::temp_directory_path() / "korva_bench_compare";

std::string writeSide(const char* name, int runs, double fps, double spread)
{
    std::filesystem::create_directories(dir);
    const std::string path = (dir / name).string();
    FILE* f = std::fopen(path.c_str(), "wb");
    for (int i = 0; i < runs; i++)
        // no two rates alike, on one side or across: no ties, the exact test's case
        std::fprintf(f,
                     "{\"computer\":\"PC\",\"benchmark\":\"OPENGL    N.DETAIL  N.TEX\",\"user_info\":\"\","
                     "\"auto_info1\":\"\",\"auto_info2\":\"\",\"width\":640,\"height\":480,\"depth\":32,"
                     "\"fps\":%.6f}\n",
                     fps + spread * i / runs);
    std::fclose(f);
    return path;
}

void BM_CompareEightAgainst(benchmark::State& state)
{
    const int n = int(state.range(0));
    const std::string a = writeSide("a.json", 8, 100.00013, 1.0);
    const std::string b = writeSide(("b" + std::to_string(n) + ".json").c_str(), n, 99.5, 3.0);
    FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        std::string a1 = a, b1 = b;
        char cmd[] = "--compare";
        char* argv[] = {nullptr, cmd, a1.data(), b1.data()};
        if (runCompare(4, argv, dir.c_str(), sink, sink) != 0)
            state.SkipWithError("the sides were not compared");
    }
    std::fclose(sink);
    state.SetComplexityN(n);
}
BENCHMARK(BM_CompareEightAgainst)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond)
    ->Iterations(1)->Complexity();

}  // namespace

BENCHMARK_MAIN();
