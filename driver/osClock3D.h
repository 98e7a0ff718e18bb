// The operating system's own clocks behind clockMillis3D and clockMicros3D,
// which read a test's clock source instead when one is set.
#ifndef KORVA_OSCLOCK3D_H
#define KORVA_OSCLOCK3D_H

// milliseconds and microseconds since an arbitrary start, never going back
long osClockMillis3D();
long long osClockMicros3D();

#endif
