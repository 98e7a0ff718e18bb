// What the data check adds to a benchmark's start: the start's own data
// load (the city package and the six paths) against the manifest check,
// the first one in the process (which hashes) and a later one, in one run.
// With --gl the whole start of a benchmark (window, scene, textures) is
// timed as well, once the check's hashes are made.
//   korva_startcheck ROOT [--big] [--rounds N] [--gl]
#include "bareFront3D.h"
#include "driver3D.h"
#include "glxWindow3D.h"
#include "manifest3D.h"
#include "platform3D.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

double millisSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

bool loadStartData(bool big)
{
    sceneData.init();
    char pac[256];
    std::snprintf(pac, sizeof pac, "%s%s", dataDir3D, big ? "bigtex.pac" : "smltex.pac");
    if (sceneData.load_pac(pac) != 1)
        return false;
    recmat3D* const paths[] = {&cityShipRec, &cityCamRec, &deskShipRec, &endShipRec, &endCamRec, &sphereRec};
    const char* const files[] = {"ship.bre", "cam.bre", "deskship.bre", "endship.bre", "endcam.bre", "sphere.bre"};
    for (int k = 0; k < 6; k++)
        if (paths[k]->loadBin((std::string(dataDir3D) + files[k]).c_str()) != 1)
            return false;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: korva_startcheck ROOT [--big] [--rounds N]\n");
        return 2;
    }
    bool big = false;
    bool gl = false;
    int rounds = 5;
    for (int i = 2; i < argc; i++) {
        if (!std::strcmp(argv[i], "--big"))
            big = true;
        else if (!std::strcmp(argv[i], "--gl"))
            gl = true;
        else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc)
            rounds = std::atoi(argv[++i]);
    }
    if (changeDir3D((std::string(argv[1]) + "/linux").c_str()) != 0) {
        std::fprintf(stderr, "korva_startcheck: no %s/linux\n", argv[1]);
        return 1;
    }
    // the files in the page cache for both, as on a second start
    if (!loadStartData(big)) {
        std::fprintf(stderr, "korva_startcheck: the data do not load\n%s\n", mainOut.getText());
        return 1;
    }
    char why[512];
    auto t0 = std::chrono::steady_clock::now();
    const bool ok = checkDataTree3D(dataDir3D, big, why, sizeof why);
    const double first = millisSince(t0);
    if (!ok) {
        std::fprintf(stderr, "korva_startcheck: %s\n", why);
        return 1;
    }
    double load = 0.0, later = 0.0;
    for (int r = 0; r < rounds; r++) {
        t0 = std::chrono::steady_clock::now();
        loadStartData(big);
        load += millisSince(t0);
        t0 = std::chrono::steady_clock::now();
        checkDataTree3D(dataDir3D, big, why, sizeof why);
        later += millisSince(t0);
    }
    load /= rounds;
    later /= rounds;
    std::printf("%s: start's data load %.1f ms; the check first in the process %.1f ms, on later starts %.2f ms\n",
                big ? "bigtex" : "smltex", load, first, later);
    if (!gl)
        return 0;
    loadParameter("Korva.INI");
    loadBigTex = big ? 1 : 0;
    runDemo = runBenchHigh = 0;
    runBenchNormal = 1;
    saveBench = 0;
    armClock3D();
    installBareFront3D(glxWindowSystem3D());
    prepareRun3D();
    startScrX = scrX;
    startScrY = scrY;
    startScrD = scrD;
    sceneData.init();
    smlTexLoaded = bigTexLoaded = 0;
    t0 = std::chrono::steady_clock::now();
    if (start3D() != 1) {
        std::fprintf(stderr, "korva_startcheck: the benchmark does not start\n%s\n", mainOut.getText());
        return 1;
    }
    const double start = millisSince(t0);
    std::printf("%s: a benchmark's start %.1f ms without hashing, %.1f ms with the first check (+%.1f %%)\n",
                big ? "bigtex" : "smltex", start, start + first, 100.0 * first / start);
    return 0;
}
