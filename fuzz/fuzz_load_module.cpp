// The module player's loader on any bytes: a module it takes can be played
// and freed; one it refuses leaves the player as it was.
#include "midas.h"

#include "fuzzFiles.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    fuzzEnterTempDir();
    static const int started = MIDASstartup();
    if (started != 1)
        std::abort();
    fuzzWrite("song.mus", data, size);
    MIDASmodule m = MIDASloadModule("song.mus");
    if (m == nullptr)
        return 0;
    // no sound device is open, so the player takes the module but gives no handle
    if (MIDASplayModule(m, 1) != 0)
        std::abort();
    if (MIDASfreeModule(m) != 1)
        std::abort();
    return 0;
}
