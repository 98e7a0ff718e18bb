// The driver's few operating-system calls: the program clock, changing the
// working folder, making a file durable, and the computer's name.
#ifndef KORVA_PLATFORM3D_H
#define KORVA_PLATFORM3D_H

#include <cstdio>

// Arms the program clock (a real-time interval timer on POSIX).
void armClock3D();
// @returns a clock reading in milliseconds; only differences count.
long clockMillis3D();
// @returns 0 on success, as chdir.
int changeDir3D(const char* dir);
// Flushes f and asks the system to keep its contents. @returns whether both worked.
bool syncFile3D(FILE* f);

#endif
