// Both readers of Korva.INI on any bytes: the identification lines stay
// single NUL-terminated lines and the corrected settings stay in range.
#include "driver3D.h"

#include "fuzzFiles.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    fuzzEnterTempDir();
    fuzzWrite("Korva.INI", data, size);
    defaultSettings3D();
    loadParameter("Korva.INI");
    if (std::strchr(pcNameText, '\n') != nullptr || std::strchr(pcInfText, '\n') != nullptr)
        std::abort();
    if (scrX < 160 || scrX > 1920 || scrY < 120 || scrY > 1280 || dynamicFog > 2 || (numBuf != 1 && numBuf != 2))
        std::abort();
    if (viewDistance != 10.0f && viewDistance != 19.5f && viewDistance != 58.5f)
        std::abort();
    defaultSettings3D();
    loadParameterWin("Korva.INI");
    if (std::strchr(pcNameText, '\r') != nullptr || std::strchr(pcInfText, '\r') != nullptr)
        std::abort();
    return 0;
}
