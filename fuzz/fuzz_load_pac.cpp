// The package reader on any bytes; what it accepts must survive a save and reload.
#include "console/outTxt.h"
#include "scene/data3D.h"

#include "fuzzFiles.h"

#include <memory>
#include <vector>

namespace {

std::vector<unsigned char> readAll(const char* name)
{
    std::vector<unsigned char> v;
    if (FILE* f = std::fopen(name, "rb")) {
        unsigned char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            v.insert(v.end(), buf, buf + n);
        std::fclose(f);
    }
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    fuzzEnterTempDir();
    static outTxt console;
    static auto store = std::make_unique<data3D>(&console);
    fuzzWrite("f.pac", data, size);
    if (store->load_pac("f.pac") != 1)
        return 0;
    // what was accepted saves, loads again and saves to the very same bytes
    if (store->save_pac("g.pac") != 1 || store->load_pac("g.pac") != 1 || store->save_pac("h.pac") != 1)
        __builtin_trap();
    if (readAll("g.pac") != readAll("h.pac"))
        __builtin_trap();
    return 0;
}
