// The driver's few operating-system calls: the program clock, changing the
// working folder, making a file durable, and the computer's name.
#ifndef KORVA_PLATFORM3D_H
#define KORVA_PLATFORM3D_H

#include <cstdio>

// The data folder, seen from the working folder ("../data/" beside linux/
// on POSIX, "data/" beside the program on Windows).
extern const char dataDir3D[];
// The build's version text, the first words of the record's fifth line.
extern const char buildVersion3D[16];

// The Windows build's record rules: a record only for a measured run, no
// confirmation line, identification echoed only when nothing was written.
extern const bool windowsRecord3D;

// Arms the program clock (a real-time interval timer on POSIX).
void armClock3D();
// @returns a clock reading in milliseconds; only differences count.
long clockMillis3D();
// Puts another clock in the system clock's place, so that a run can be
// replayed frame for frame; null puts the system clock back.
void setClockSource3D(long (*source)());
// @returns 0 on success, as chdir.
int changeDir3D(const char* dir);
// Flushes f and asks the system to keep its contents. @returns whether both worked.
bool syncFile3D(FILE* f);

#endif
