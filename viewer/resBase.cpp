// Turns the records of bench.res files into the 816-byte records of the
// viewer's base database.
//   korva_resbase OUT.bin IN.res...
#include "resData.h"

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: korva_resbase OUT.bin IN.res...\n");
        return 2;
    }
    resLog log;
    float maxFps = 0.0f;
    FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "korva_resbase: can't write %s\n", argv[1]);
        return 1;
    }
    int written = 0;
    for (int i = 2; i < argc; i++) {
        auto d = std::make_unique<resData>(&log, &maxFps, ".");
        if (d->loadRes(argv[i]) != 1) {
            std::fprintf(stderr, "korva_resbase: corrupt .res file %s\n", argv[i]);
            std::fclose(out);
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
            if (std::fwrite(&r, sizeof r, 1, out) != 1) {
                std::fclose(out);
                return 1;
            }
            written++;
        }
    }
    if (std::fclose(out) != 0)
        return 1;
    std::printf("korva_resbase: %d records written to %s\n", written, argv[1]);
    return 0;
}
