// The driver's few operating-system calls: the program clock, changing the
// working folder, making a file durable, appending a record whole or not
// at all, and hashing a data file.
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
// How many times faster than real time the program clock runs
// (KORVA_CLOCK_RATE, for tests): 1 for a real clock.
long clockRate3D();
// @returns the same clock in microseconds.
long long clockMicros3D();
// The stepped clock: while it runs, the program clock stands at its reading
// of the start and moves only when the driver steps it, so that every frame
// moves a flight on by the same time whatever the machine's speed.
void startSteppedClock3D();
void stepClock3D(long ms);
void stopSteppedClock3D();
bool steppedClockOn3D();
// @returns the clock the frames are measured with, in microseconds: the
// program clock's source, never stepped.
long long measureMicros3D();
// The CPU time the process has used so far, user and system, in seconds.
// @returns false when the system does not tell.
bool processCpu3D(double* userS, double* systemS);
// The whole machine's CPU time since it started, summed over its processors,
// in seconds: busy (every process's, this one's too), taken by a virtual
// machine's host (steal; 0 where the system does not tell) and in all.
// @returns false when the system does not tell.
bool machineCpu3D(double* busyS, double* stealS, double* totalS);
// The system's name, release and machine, for the results' JSON line.
void systemName3D(char* out, size_t size);

// What the machine is, as the system tells it; an empty text or a 0 where it does not.
struct machine3D {
    char cpuModel[128];
    int cores, threads;
    // the processors this process may run on (its affinity); 0 where unknown
    int allowedThreads;
    long long memoryBytes;
    // the operating system's name and version ("Debian GNU/Linux 12 (bookworm)")
    char osName[128];
};
void detectMachine3D(machine3D* m);
// Puts another clock in the system clock's place, so that a run can be
// replayed frame for frame; null puts the system clock back.
void setClockSource3D(long (*source)());
// @returns 0 on success, as chdir.
int changeDir3D(const char* dir);
// A program started from another folder (a shortcut, a script) works from
// its own when the working folder does not see the data folder and its own
// folder does. @returns whether the data folder is seen now.
bool enterProgramFolder3D();
// A closed standard output (a pipe into head) makes writes to it fail
// instead of ending the process.
void keepRunningOnClosedOutput3D();
// whether f is a terminal (not a file or a pipe)
bool isTerminal3D(FILE* f);
// Flushes f and asks the system to keep its contents. @returns whether both worked.
bool syncFile3D(FILE* f);

enum appendResult3D {
    appendWritten,  // all of it written and made durable
    appendFailed,   // nothing of it stays: the file is as it was
    appendDamaged,  // the write failed and the file could not be cut back
};
// Appends len bytes to the file at path (created if missing) in one write
// and makes them durable; a write that fails part-way (a full disk, a file
// size limit) is undone by cutting the file back to its size before.
appendResult3D appendFile3D(const char* path, const char* data, size_t len);

// A result file open for reading and appending under an exclusive lock
// that every benchmark takes before it appends (flock on POSIX, LockFileEx
// on Windows), so that a writer's cut-back removes only its own bytes.
// A lock held by another process is waited for: after a second waiting()
// is called once, after lockWaitLimitMs3D the wait gives up.
// @returns the open file, or -1 with the reason in why; a file that is not
// a regular file is refused, never waited on.
int openLockedFile3D(const char* path, char* why, size_t whySize, void (*waiting)() = nullptr);
// how long openLockedFile3D waits for another process's lock: 120 s
extern long lockWaitLimitMs3D;
// The identity of an open file, the same whatever path leads to it (device
// and inode; volume and file index on Windows), as text. @returns false
// when the system does not tell.
bool fileIdentity3D(int fd, char* out, size_t size);
// @returns the file's size, or -1.
long long lockedFileSize3D(int fd);
// Reads len bytes at offset at. @returns whether all of them were read.
bool readLockedFile3D(int fd, long long at, char* out, size_t len);
// Appends len bytes in one write and makes them durable; a write that fails
// part-way is undone by cutting the file back to its size before.
appendResult3D appendLockedFile3D(int fd, const char* data, size_t len);
// Cuts the file back to size bytes, durably. @returns whether it worked.
bool cutLockedFile3D(int fd, long long size);
// Releases the lock and closes the file.
void closeLockedFile3D(int fd);

// Whether the two paths name one file (links followed); false when either
// is missing.
bool sameFile3D(const char* a, const char* b);
// Whether the path names something that is there but no regular file (a
// folder, a FIFO, a device).
bool notRegularFile3D(const char* path);
// Writes a whole file: into a temporary file in its folder, made durable,
// then renamed over path. Any failure leaves path as it was, removes the
// temporary file and puts the system's reason in why.
bool replaceFile3D(const char* path, const char* data, size_t len, char* why, size_t whySize);
// Whether a process of that id runs (a temporary file named after it may be in use).
bool processAlive3D(long pid);
// Whether results can be appended to the file at path, without creating or
// changing anything: the file is there and writable, or its folder takes
// new files. @returns false with the system's reason in why.
bool canAppend3D(const char* path, char* why, size_t whySize);

// SHA-256 of a whole file as 64 lower-case hex digits and a NUL, and its
// size in bytes. @returns false when the file cannot be read.
bool hashFile3D(const char* path, char hex[65], long long* size);
// SHA-256 of len bytes, as hashFile3D gives it.
bool hashBytes3D(const char* data, size_t len, char hex[65]);

#endif
