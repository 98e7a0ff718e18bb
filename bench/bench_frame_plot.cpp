// What the frame-time pictures cost on the longest log a benchmark keeps
// (262,144 frames): reading the CSV, laying out the picture (a line per
// pixel column, however many frames), and drawing it into a PNG. The window
// redraws with the layout and the toolkit's drawing of the same few items.
#include "frameFile.h"
#include "framePlot.h"
#include "plotCairo.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

const std::string logPath = (std::filesystem::temp_directory_path() / "korva_bench_frames.csv").string();
constexpr int frames = 1 << 18;

void writeLog()
{
    FILE* f = std::fopen(logPath.c_str(), "wb");
    std::fprintf(f, "frame,since_first_ms,frame_ms,path_s,triangles,texture_kb\n");
    double t = 0.0;
    for (int i = 0; i < frames; i++) {
        // a band of 3 to 6 ms with a slow frame now and then
        const double ms = 4.5 + 1.5 * std::sin(i * 0.001) + (i % 997 == 0 ? 20.0 : 0.0);
        t += ms;
        std::fprintf(f, "%d,%.3f,%.3f,%.3f,%d,%.1f\n", i + 1, t, ms, t / 250.0, 24000, 5120.0);
    }
    std::fclose(f);
}

frameFile& loaded()
{
    static frameFile log;
    static bool once = [] {
        writeLog();
        std::string why;
        return log.load(logPath, &why);
    }();
    (void)once;
    return log;
}

void BM_ReadLog(benchmark::State& state)
{
    loaded();
    for (auto _ : state) {
        frameFile log;
        std::string why;
        benchmark::DoNotOptimize(log.load(logPath, &why));
    }
}
BENCHMARK(BM_ReadLog)->Unit(benchmark::kMillisecond);

void BM_Picture(benchmark::State& state)
{
    const frameFile& log = loaded();
    size_t points = 0;
    for (auto _ : state) {
        const plotPicture pic = framePicture({&log, &log}, 1000, 700);
        points = 0;
        for (const plotItem& i : pic.items)
            points += i.xy.size() / 2;
        benchmark::DoNotOptimize(points);
    }
    state.counters["points"] = double(points);
}
BENCHMARK(BM_Picture)->Unit(benchmark::kMillisecond);

void BM_PngCairo(benchmark::State& state)
{
    const frameFile& log = loaded();
    const std::string out = (std::filesystem::temp_directory_path() / "korva_bench_frames.png").string();
    for (auto _ : state) {
        std::string why;
        FILE* f = std::fopen(out.c_str(), "wb");
        benchmark::DoNotOptimize(writePicturePngCairo(framePicture({&log, &log}, 1000, 700), f, &why));
        std::fclose(f);
    }
    std::filesystem::remove(out);
}
BENCHMARK(BM_PngCairo)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(logPath);
    return 0;
}
