// The multi-format image reader on any bytes; the first byte picks the decoder.
#include "console/outTxt.h"
#include "scene/data3D.h"

#include "fuzzFiles.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    fuzzEnterTempDir();
    static outTxt console;
    static auto store = std::make_unique<data3D>(&console);
    if (size < 1)
        return 0;
    static const char* const names[] = {"f.rgb", "f.RGBA", "f.sgi", "f.bw", "f.tga", "f.ras"};
    const char* name = names[data[0] % 6];
    fuzzWrite(name, data + 1, size - 1);
    store->init();
    const int t = store->load_BriskImage(name);
    if (t >= 0) {
        const texture3D* x = store->getTex2D(t);
        if (x->components != 3 && x->components != 4)
            __builtin_trap();
        // touch the last byte the record promises
        if (x->pixels[size_t(x->width) * size_t(x->height) * size_t(x->components) - 1] == 0x5a)
            console.pr("");
    }
    return 0;
}
