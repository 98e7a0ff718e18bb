// The SGI reader of the material loader on any bytes, as a texture and as a live texture.
#include "console/outTxt.h"
#include "scene/data3D.h"

#include "fuzzFiles.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    fuzzEnterTempDir();
    static outTxt console;
    static auto store = std::make_unique<data3D>(&console);
    fuzzWrite("f.rgb", data, size);
    store->init();
    store->debug = 1;
    const int t = store->load_sgi("f.rgb");
    const int d = store->load_dynsgi("f.rgb");
    if (t >= 0) {
        const texture3D* x = store->getTex2D(t);
        if (x->pixels[size_t(x->width) * size_t(x->height) * size_t(x->components) - 1] == 0x5a)
            console.pr("");
    }
    if (d >= 0)
        store->setdyntex(d, 200);
    return 0;
}
