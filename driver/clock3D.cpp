// The clock the driver reads: the system's, or a test's source when one is set.
#include "osClock3D.h"
#include "platform3D.h"

namespace {
long (*clockSource)() = nullptr;
}

void setClockSource3D(long (*source)())
{
    clockSource = source;
}

long clockMillis3D()
{
    return clockSource != nullptr ? clockSource() : osClockMillis3D();
}

long long clockMicros3D()
{
    return clockSource != nullptr ? (long long)clockSource() * 1000LL : osClockMicros3D();
}
