#include "platform3D.h"

#include <direct.h>
#include <io.h>
#include <windows.h>
#include <mmsystem.h>

const char dataDir3D[] = "data/";
const bool windowsRecord3D = true;
const char buildVersion3D[16] = "KORVA_WIN 1.3  ";

void armClock3D()
{
    // one-millisecond resolution for timeGetTime
    timeBeginPeriod(1);
}

namespace {
long (*clockSource)() = nullptr;
}

void setClockSource3D(long (*source)())
{
    clockSource = source;
}

long clockMillis3D()
{
    if (clockSource != nullptr)
        return clockSource();
    return long(timeGetTime());
}

int changeDir3D(const char* dir)
{
    return _chdir(dir);
}

bool syncFile3D(FILE* f)
{
    if (std::fflush(f) != 0)
        return false;
    return _commit(_fileno(f)) == 0;
}
