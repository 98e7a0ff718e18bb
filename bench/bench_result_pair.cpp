// What saving a benchmark's result costs: the record and its JSON line as
// a pair under bench.res's lock (the line first, naming the record by
// offset, length and SHA-256; a trailing orphan looked for) against the
// two plain appends it replaced. Both sync each file they write; files of
// 1000 earlier results. Prints the ratio.
#include "platform3D.h"
#include "results3D.h"

#include "ratioReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::string record = "[\nKorvane reference machine (2 cores, Mesa llvmpipe)\nOPENGL    N.DETAIL  N.TEX\n"
                           "Debian 12, software OpenGL\nKORVA_LIN 1.3  GLvendor:Mesa  GLrenderer:llvmpipe\n"
                           "VSync OFF  DDMSwich OFF\n640 x 480 x 16 fps: 159.6\n]\n\n";
// a JSON line of a real result's size
const std::string jsonBody = "{\"computer\":\"" + std::string(1100, 'x') + "\"";

void freshFiles()
{
    std::string res, json;
    for (int i = 0; i < 1000; i++) {
        res += record;
        json += jsonBody + "}\n";
    }
    FILE* f = std::fopen("bench.res", "wb");
    std::fwrite(res.data(), 1, res.size(), f);
    std::fclose(f);
    f = std::fopen("bench.json", "wb");
    std::fwrite(json.data(), 1, json.size(), f);
    std::fclose(f);
}

void BM_twoAppends(benchmark::State& state)
{
    freshFiles();
    const std::string line = jsonBody + "}\n";
    for (auto _ : state) {
        if (appendFile3D("bench.res", record.data(), record.size()) != appendWritten ||
            appendFile3D("bench.json", line.data(), line.size()) != appendWritten) {
            state.SkipWithError("append failed");
            return;
        }
    }
}

void BM_resultPair(benchmark::State& state)
{
    freshFiles();
    char why[200];
    for (auto _ : state) {
        const pairResult3D r = appendResultPair3D(
            "bench.res", "bench.json", record.data(), record.size(),
            [](const resultPartner3D& p) {
                return jsonBody + ",\"record_offset\":" + std::to_string(p.offset) +
                       ",\"record_bytes\":" + std::to_string(p.bytes) + ",\"record_sha256\":\"" + p.sha256 + "\"}\n";
            },
            why, sizeof why);
        if (r != pairWritten) {
            state.SkipWithError(why);
            return;
        }
    }
}

BENCHMARK(BM_twoAppends)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_resultPair)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv)
{
    const fs::path dir = fs::temp_directory_path() / "korva_bench_pair";
    fs::create_directories(dir);
    fs::current_path(dir);
    benchmark::Initialize(&argc, argv);
    ratioReporter rep;
    benchmark::RunSpecifiedBenchmarks(&rep);
    const double two = rep.times["BM_twoAppends/min_time:1.000"];
    const double pair = rep.times["BM_resultPair/min_time:1.000"];
    if (two > 0.0 && pair > 0.0)
        std::printf("result pair / two appends time ratio: %.2f\n", pair / two);
    benchmark::Shutdown();
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir);
    return 0;
}
