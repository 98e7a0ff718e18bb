// load_obj against tinyobjloader on the same large model; prints the ratio.
#include "benchModel.h"
#include "console/outTxt.h"
#include "scene/data3D.h"

#include "ratioReporter.h"

#include <benchmark/benchmark.h>

#define TINYOBJLOADER_IMPLEMENTATION
#include <tiny_obj_loader.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

void BM_korvaLoadObj(benchmark::State& state)
{
    outTxt console;
    auto store = std::make_unique<data3D>(&console);
    long points = 0;
    for (auto _ : state) {
        store->init();
        if (store->load_obj("bench.obj") != 0) {
            state.SkipWithError("load_obj failed");
            return;
        }
        points = 0;
        const object3D* o = store->getObject3D(0);
        for (int g = 0; g < o->numGroups; g++)
            points += o->group[g].numPoints;
    }
    state.counters["facePoints"] = double(points);
}

void BM_tinyobjLoadObj(benchmark::State& state)
{
    long points = 0;
    for (auto _ : state) {
        tinyobj::attrib_t attrib;
        std::vector<tinyobj::shape_t> shapes;
        std::vector<tinyobj::material_t> materials;
        std::string warn, err;
        if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, "bench.obj", "./")) {
            state.SkipWithError("tinyobj failed");
            return;
        }
        points = 0;
        for (const auto& s : shapes)
            points += long(s.mesh.indices.size());
        benchmark::DoNotOptimize(attrib.vertices.data());
    }
    state.counters["facePoints"] = double(points);
}

BENCHMARK(BM_korvaLoadObj)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_tinyobjLoadObj)->Unit(benchmark::kMillisecond)->MinTime(2.0);


}  // namespace

int main(int argc, char** argv)
{
    const fs::path dir = fs::temp_directory_path() / "korva_bench_obj";
    fs::create_directories(dir);
    writeBenchModel(dir.string());
    fs::current_path(dir);
    std::printf("model: %s, %.1f MB\n", (dir / "bench.obj").c_str(), double(fs::file_size(dir / "bench.obj")) / 1e6);

    benchmark::Initialize(&argc, argv);
    ratioReporter rep;
    benchmark::RunSpecifiedBenchmarks(&rep);
    const double k = rep.times["BM_korvaLoadObj/min_time:2.000"];
    const double t = rep.times["BM_tinyobjLoadObj/min_time:2.000"];
    if (k > 0.0 && t > 0.0)
        std::printf("load_obj / tinyobjloader time ratio: %.2f (below 1: load_obj is faster)\n", k / t);
    benchmark::Shutdown();
    return 0;
}
