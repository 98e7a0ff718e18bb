#include "benchProgress3D.h"

#include "results3D.h"

#include <algorithm>

FILE* benchProgressOut3D = nullptr;

namespace {

long long lastShownMicros = 0;
int shownWidth = 0;

}  // namespace

void benchProgress3D(long long nowMicros, float pathS, float pathLengthS, int frames, double elapsedS)
{
    if (benchProgressOut3D == nullptr)
        return;
    if (shownWidth > 0 && nowMicros - lastShownMicros < 1000000)
        return;
    lastShownMicros = nowMicros;
    char run[32] = "";
    if (benchRunCount3D > 1)
        std::snprintf(run, sizeof run, "run %d of %d  ", benchRunNumber3D, benchRunCount3D);
    const double share = pathLengthS > 0.0f ? std::clamp(double(pathS / pathLengthS), 0.0, 1.0) : 0.0;
    char line[128];
    int n = std::snprintf(line, sizeof line, "%spath %.1f of %.1f s  %3.0f %%  %.1f fps", run, double(pathS),
                          double(pathLengthS), share * 100.0, elapsedS > 0.0 ? frames / elapsedS : 0.0);
    n = std::clamp(n, 0, int(sizeof line) - 1);
    // a shorter line than the last one blanks what is left of it
    std::fprintf(benchProgressOut3D, "\r%s%*s", line, std::max(shownWidth - n, 0), "");
    std::fflush(benchProgressOut3D);
    shownWidth = std::max(shownWidth, n);
}

void benchProgressEnd3D()
{
    if (benchProgressOut3D == nullptr || shownWidth == 0)
        return;
    std::fprintf(benchProgressOut3D, "\r%*s\r", shownWidth, "");
    std::fflush(benchProgressOut3D);
    shownWidth = 0;
}
