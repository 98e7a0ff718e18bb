// load_pac of a 50 MB package against reading the same file into memory; prints the ratio.
#include "benchModel.h"
#include "console/outTxt.h"
#include "scene/data3D.h"
#include "sgiWriter.h"

#include "ratioReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void BM_loadPac(benchmark::State& state)
{
    outTxt console;
    auto store = std::make_unique<data3D>(&console);
    for (auto _ : state) {
        if (store->load_pac("bench.pac") != 1) {
            state.SkipWithError("load_pac failed");
            return;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fs::file_size("bench.pac")));
}

void BM_readFile(benchmark::State& state)
{
    const size_t size = fs::file_size("bench.pac");
    for (auto _ : state) {
        std::unique_ptr<char[]> buf(new char[size]);
        FILE* f = std::fopen("bench.pac", "rb");
        const size_t got = std::fread(buf.get(), 1, size, f);
        std::fclose(f);
        if (got != size) {
            state.SkipWithError("short read");
            return;
        }
        benchmark::DoNotOptimize(buf.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

BENCHMARK(BM_loadPac)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_readFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);


}  // namespace

int main(int argc, char** argv)
{
    const fs::path dir = fs::temp_directory_path() / "korva_bench_pac";
    fs::create_directories(dir);
    writeBenchModel(dir.string());
    fs::current_path(dir);
    {
        // the grid model and 24 big textures: about 50 MB
        outTxt console;
        auto store = std::make_unique<data3D>(&console);
        if (store->load_obj("bench.obj") != 0)
            return 1;
        std::vector<unsigned char> px(size_t(512) * 512 * 3);
        for (int t = 0; t < 24; t++) {
            for (size_t i = 0; i < px.size(); i++)
                px[i] = (unsigned char)(i * 7 + size_t(t));
            const std::string name = "big" + std::to_string(t) + ".rgb";
            writeSGI(name.c_str(), 512, 512, 3, px.data());
            store->load_sgi(name.c_str());
        }
        if (store->save_pac("bench.pac") != 1)
            return 1;
    }
    std::printf("package: %s, %.1f MB\n", (dir / "bench.pac").c_str(), double(fs::file_size("bench.pac")) / 1e6);

    benchmark::Initialize(&argc, argv);
    ratioReporter rep;
    benchmark::RunSpecifiedBenchmarks(&rep);
    const double p = rep.times["BM_loadPac/min_time:2.000"];
    const double r = rep.times["BM_readFile/min_time:2.000"];
    if (p > 0.0 && r > 0.0)
        std::printf("load_pac / plain read time ratio: %.2f\n", p / r);
    benchmark::Shutdown();
    return 0;
}
