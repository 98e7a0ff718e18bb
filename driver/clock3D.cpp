// The clock the driver reads: the system's, or a test's source when one is set.
#include "osClock3D.h"
#include "platform3D.h"

#include <cstdlib>

namespace {
long (*clockSource)() = nullptr;
bool stepped = false;
long steppedNow = 0;

// KORVA_CLOCK_RATE=N (2 to 64) runs the system clock N times fast, so that
// a test of a whole program flies a path in a fraction of its length; any
// other value leaves it as it is
long clockRate()
{
    static const long rate = [] {
        const char* text = std::getenv("KORVA_CLOCK_RATE");
        if (text == nullptr)
            return 1L;
        char* end = nullptr;
        const long n = std::strtol(text, &end, 10);
        return end != text && *end == '\0' && n >= 2 && n <= 64 ? n : 1L;
    }();
    return rate;
}

}  // namespace

long clockRate3D()
{
    return clockRate();
}

namespace {
// the system clock at the rate asked; a faster one counts from its first
// reading, which keeps a 32-bit long of milliseconds far from its end
template <class T>
T atRate(T now)
{
    if (clockRate() == 1)
        return now;
    static const T first = now;
    return first + (now - first) * T(clockRate());
}
}  // namespace

void setClockSource3D(long (*source)())
{
    clockSource = source;
}

long long measureMicros3D()
{
    return clockSource != nullptr ? (long long)clockSource() * 1000LL : atRate(osClockMicros3D());
}

long clockMillis3D()
{
    if (stepped)
        return steppedNow;
    return clockSource != nullptr ? clockSource() : atRate(osClockMillis3D());
}

long long clockMicros3D()
{
    return stepped ? (long long)steppedNow * 1000LL : measureMicros3D();
}

void startSteppedClock3D()
{
    if (stepped)
        return;
    steppedNow = clockMillis3D();
    stepped = true;
}

void stepClock3D(long ms)
{
    steppedNow += ms;
}

void stopSteppedClock3D()
{
    stepped = false;
}

bool steppedClockOn3D()
{
    return stepped;
}
