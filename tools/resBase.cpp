// Turns the records of bench.res files into the 816-byte records of the
// viewer's base database. The database is written beside its place and
// renamed into it only when every input was read, so a broken input never
// leaves a partial database.
//   korva_resbase OUT.bin IN.res...
#include "resData.h"
#include "scene/fileCloser.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// the most records the viewer loads with a result file beside them
constexpr int maxRecords = resData::capacity - 1;

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: korva_resbase OUT.bin IN.res...\n");
        return 2;
    }
    resLog log;
    float maxFps = 0.0f;
    std::vector<resRecord> out;
    for (int i = 2; i < argc; i++) {
        auto d = std::make_unique<resData>(&log, &maxFps, ".");
        if (d->loadRes(argv[i]) != 1) {
            std::fprintf(stderr, "korva_resbase: corrupt .res file %s\n", argv[i]);
            return 1;
        }
        for (int k = 0; k < d->getNumRecords(); k++) {
            // unused text bytes are written as zeros, so the file is the same for the same input
            resRecord r = {};
            const resRecord& s = d->record(k);
            std::snprintf(r.computer, sizeof r.computer, "%s", s.computer);
            std::snprintf(r.benchmark, sizeof r.benchmark, "%s", s.benchmark);
            std::snprintf(r.userInfo, sizeof r.userInfo, "%s", s.userInfo);
            std::snprintf(r.autoInfo1, sizeof r.autoInfo1, "%s", s.autoInfo1);
            std::snprintf(r.autoInfo2, sizeof r.autoInfo2, "%s", s.autoInfo2);
            r.width = s.width;
            r.height = s.height;
            r.depth = s.depth;
            r.fps = s.fps;
            out.push_back(r);
        }
    }
    if (out.empty() || int(out.size()) > maxRecords) {
        std::fprintf(stderr, "korva_resbase: %zu records: the viewer loads 1 to %d\n", out.size(), maxRecords);
        return 1;
    }
    const std::string part = std::string(argv[1]) + ".part";
    {
        filePtr f(std::fopen(part.c_str(), "wb"));
        bool ok = f && std::fwrite(out.data(), sizeof(resRecord), out.size(), f.get()) == out.size();
        ok = f && std::fclose(f.release()) == 0 && ok;
        if (!ok || std::rename(part.c_str(), argv[1]) != 0) {
            std::remove(part.c_str());
            std::fprintf(stderr, "korva_resbase: can't write %s\n", argv[1]);
            return 1;
        }
    }
    std::printf("korva_resbase: %zu records written to %s\n", out.size(), argv[1]);
    return 0;
}
