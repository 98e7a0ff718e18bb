#include "platform3D.h"

#include <csignal>
#include <sys/time.h>
#include <unistd.h>

const char dataDir3D[] = "../data/";
const bool windowsRecord3D = false;
const char buildVersion3D[16] = "KORVA_LIN 1.3  ";

void armClock3D()
{
    // the timer only serves as a clock: its signal must not end the process
    std::signal(SIGALRM, SIG_IGN);
    itimerval v = {};
    v.it_value.tv_sec = 65536;
    v.it_interval.tv_sec = 65536;
    setitimer(ITIMER_REAL, &v, nullptr);
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
    itimerval v = {};
    getitimer(ITIMER_REAL, &v);
    return 6553600L - long(v.it_value.tv_usec / 1000) - long(v.it_value.tv_sec) * 1000L;
}

int changeDir3D(const char* dir)
{
    return chdir(dir);
}

bool syncFile3D(FILE* f)
{
    if (std::fflush(f) != 0)
        return false;
    return fsync(fileno(f)) == 0;
}
