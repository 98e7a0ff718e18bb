#include "platform3D.h"
#include "osClock3D.h"
#include "scene/fileCloser.h"
#include "version3D.h"

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#include <bcrypt.h>
#include <mmsystem.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

const char dataDir3D[] = "data/";
const bool windowsRecord3D = true;
const char buildVersion3D[16] = "KORVA_WIN " KORVA_VERSION3D "  ";

void armClock3D()
{
    // one-millisecond resolution for timeGetTime
    timeBeginPeriod(1);
}

long osClockMillis3D()
{
    return long(timeGetTime());
}

long long osClockMicros3D()
{
    LARGE_INTEGER f, c;
    if (!QueryPerformanceFrequency(&f) || !QueryPerformanceCounter(&c) || f.QuadPart <= 0)
        return (long long)timeGetTime() * 1000LL;
    return (long long)(c.QuadPart / f.QuadPart) * 1000000LL + (long long)(c.QuadPart % f.QuadPart) * 1000000LL / f.QuadPart;
}

bool processCpu3D(double* userS, double* systemS)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return false;
    auto seconds = [](const FILETIME& t) {
        return double((unsigned long long)t.dwHighDateTime << 32 | t.dwLowDateTime) * 1e-7;
    };
    *userS = seconds(user);
    *systemS = seconds(kernel);
    return true;
}

bool machineCpu3D(double* busyS, double* stealS, double* totalS)
{
    FILETIME idle = {}, kernel = {}, user = {};
    if (!GetSystemTimes(&idle, &kernel, &user))
        return false;
    auto seconds = [](const FILETIME& t) {
        return double((unsigned long long)t.dwHighDateTime << 32 | t.dwLowDateTime) * 1e-7;
    };
    // kernel time holds the idle time
    *busyS = seconds(kernel) - seconds(idle) + seconds(user);
    *stealS = 0.0;
    *totalS = seconds(kernel) + seconds(user);
    return true;
}

void systemName3D(char* out, size_t size)
{
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const bool known = GetVersionExA(&v) != 0;
#pragma GCC diagnostic pop
    SYSTEM_INFO s = {};
    GetNativeSystemInfo(&s);
    const char* machine = s.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ? "x86_64" : "x86";
    if (known)
        std::snprintf(out, size, "Windows %lu.%lu.%lu %s", v.dwMajorVersion, v.dwMinorVersion, v.dwBuildNumber, machine);
    else
        std::snprintf(out, size, "Windows %s", machine);
}

void detectMachine3D(machine3D* m)
{
    *m = machine3D{};
    // the processor's name as the system keeps it, without its padding
    char name[128] = "";
    DWORD size = sizeof name;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", "ProcessorNameString",
                     RRF_RT_REG_SZ, nullptr, name, &size) == ERROR_SUCCESS) {
        const char* from = name;
        while (*from == ' ')
            from++;
        std::snprintf(m->cpuModel, sizeof m->cpuModel, "%s", from);
        for (size_t n = std::strlen(m->cpuModel); n > 0 && m->cpuModel[n - 1] == ' '; n--)
            m->cpuModel[n - 1] = '\0';
    }
    // cores and threads: one processor-core entry a core, its mask's bits its threads
    DWORD bytes = 0;
    GetLogicalProcessorInformation(nullptr, &bytes);
    std::vector<SYSTEM_LOGICAL_PROCESSOR_INFORMATION> info(bytes / sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION));
    if (!info.empty() && GetLogicalProcessorInformation(info.data(), &bytes)) {
        for (const SYSTEM_LOGICAL_PROCESSOR_INFORMATION& i : info) {
            if (i.Relationship != RelationProcessorCore)
                continue;
            m->cores++;
            for (ULONG_PTR mask = i.ProcessorMask; mask != 0; mask &= mask - 1)
                m->threads++;
        }
    }
    if (m->threads == 0) {
        SYSTEM_INFO s = {};
        GetNativeSystemInfo(&s);
        m->threads = m->cores = int(s.dwNumberOfProcessors);
    }
    DWORD_PTR processMask = 0, systemMask = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask))
        for (DWORD_PTR mask = processMask; mask != 0; mask &= mask - 1)
            m->allowedThreads++;
    MEMORYSTATUSEX mem = {};
    mem.dwLength = sizeof mem;
    if (GlobalMemoryStatusEx(&mem))
        m->memoryBytes = (long long)mem.ullTotalPhys;
    // the product's name and version as the system names them
    char product[96] = "", display[32] = "";
    DWORD productSize = sizeof product, displaySize = sizeof display;
    const char* const key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key, "ProductName", RRF_RT_REG_SZ, nullptr, product, &productSize) ==
        ERROR_SUCCESS) {
        if (RegGetValueA(HKEY_LOCAL_MACHINE, key, "DisplayVersion", RRF_RT_REG_SZ, nullptr, display, &displaySize) ==
            ERROR_SUCCESS)
            std::snprintf(m->osName, sizeof m->osName, "%s %s", product, display);
        else
            std::snprintf(m->osName, sizeof m->osName, "%s", product);
    }
}

int changeDir3D(const char* dir)
{
    return _chdir(dir);
}

bool enterProgramFolder3D()
{
    const DWORD here = GetFileAttributesA(dataDir3D);
    if (here != INVALID_FILE_ATTRIBUTES && (here & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return true;
    char self[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    if (n == 0 || n >= sizeof self)
        return false;
    char* slash = std::strrchr(self, '\\');
    if (slash == nullptr)
        return false;
    slash[1] = '\0';
    const std::string data = std::string(self) + dataDir3D;
    const DWORD there = GetFileAttributesA(data.c_str());
    return there != INVALID_FILE_ATTRIBUTES && (there & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           SetCurrentDirectoryA(self) != 0;
}

void keepRunningOnClosedOutput3D()
{
    // no such signal: a failed write is only a failed write
}

bool isTerminal3D(FILE* f)
{
    return _isatty(_fileno(f)) != 0;
}

bool syncFile3D(FILE* f)
{
    if (std::fflush(f) != 0)
        return false;
    return _commit(_fileno(f)) == 0;
}

namespace {

void setWhy(char* why, size_t size, const char* text)
{
    if (why != nullptr && size > 0)
        std::snprintf(why, size, "%s", text);
}

HANDLE osHandle(int fd)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

bool writeAll(int fd, const char* data, size_t len)
{
    size_t done = 0;
    while (done < len) {
        const size_t part = len - done < 0x40000000u ? len - done : 0x40000000u;
        const int n = _write(fd, data + done, unsigned(part));
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

}  // namespace

long lockWaitLimitMs3D = 120000;

int openLockedFile3D(const char* path, char* why, size_t whySize, void (*waiting)())
{
    const DWORD attr = GetFileAttributesA(path);
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        setWhy(why, whySize, "it is not a regular file");
        return -1;
    }
    const int fd = _open(path, _O_RDWR | _O_APPEND | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        setWhy(why, whySize, std::strerror(errno));
        return -1;
    }
    if (GetFileType(osHandle(fd)) != FILE_TYPE_DISK) {
        setWhy(why, whySize, "it is not a regular file");
        _close(fd);
        return -1;
    }
    // another benchmark holding the lock is waited for, but not for ever
    for (long waited = 0;; waited += 20) {
        OVERLAPPED whole = {};
        if (LockFileEx(osHandle(fd), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                       &whole))
            return fd;
        if (GetLastError() != ERROR_LOCK_VIOLATION && GetLastError() != ERROR_IO_PENDING) {
            setWhy(why, whySize, "the file could not be locked");
            break;
        }
        if (waited >= lockWaitLimitMs3D) {
            char t[160];
            std::snprintf(t, sizeof t, "another benchmark held its lock for %ld s", lockWaitLimitMs3D / 1000);
            setWhy(why, whySize, t);
            break;
        }
        if (waited == 1000 && waiting != nullptr)
            waiting();
        Sleep(20);
    }
    _close(fd);
    return -1;
}

bool fileIdentity3D(int fd, char* out, size_t size)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(osHandle(fd), &info))
        return false;
    std::snprintf(out, size, "%lu:%lu:%lu", (unsigned long)info.dwVolumeSerialNumber,
                  (unsigned long)info.nFileIndexHigh, (unsigned long)info.nFileIndexLow);
    return true;
}

long long lockedFileSize3D(int fd)
{
    return _filelengthi64(fd);
}

bool readLockedFile3D(int fd, long long at, char* out, size_t len)
{
    if (_lseeki64(fd, at, SEEK_SET) != at)
        return false;
    size_t done = 0;
    while (done < len) {
        const size_t part = len - done < 0x40000000u ? len - done : 0x40000000u;
        const int n = _read(fd, out + done, unsigned(part));
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

appendResult3D appendLockedFile3D(int fd, const char* data, size_t len)
{
    const long long before = _filelengthi64(fd);
    if (before < 0)
        return appendFailed;
    if (writeAll(fd, data, len) && _commit(fd) == 0)
        return appendWritten;
    // whatever part of it reached the file goes again
    return cutLockedFile3D(fd, before) ? appendFailed : appendDamaged;
}

bool cutLockedFile3D(int fd, long long size)
{
    return _chsize_s(fd, size) == 0 && _filelengthi64(fd) == size && _commit(fd) == 0;
}

void closeLockedFile3D(int fd)
{
    if (fd < 0)
        return;
    OVERLAPPED whole = {};
    UnlockFileEx(osHandle(fd), 0, MAXDWORD, MAXDWORD, &whole);
    _close(fd);
}

appendResult3D appendFile3D(const char* path, const char* data, size_t len)
{
    const int fd = openLockedFile3D(path, nullptr, 0);
    if (fd < 0)
        return appendFailed;
    const appendResult3D result = appendLockedFile3D(fd, data, len);
    closeLockedFile3D(fd);
    return result;
}

namespace {

// a file's volume and index, which name it whatever path leads to it
bool fileId(const char* path, BY_HANDLE_FILE_INFORMATION* info)
{
    const HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = GetFileInformationByHandle(h, info) != 0;
    CloseHandle(h);
    return ok;
}

}  // namespace

bool sameFile3D(const char* a, const char* b)
{
    BY_HANDLE_FILE_INFORMATION ia = {}, ib = {};
    return fileId(a, &ia) && fileId(b, &ib) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

bool notRegularFile3D(const char* path)
{
    const DWORD attr = GetFileAttributesA(path);
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool replaceFile3D(const char* path, const char* data, size_t len, char* why, size_t whySize)
{
    const std::string tmp = std::string(path) + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
    const int fd = _open(tmp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        setWhy(why, whySize, std::strerror(errno));
        return false;
    }
    errno = 0;
    bool ok = writeAll(fd, data, len) && _commit(fd) == 0;
    int err = errno != 0 ? errno : EIO;
    if (_close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && !MoveFileExA(tmp.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        setWhy(why, whySize, "the finished file could not be renamed into place");
        _unlink(tmp.c_str());
        return false;
    }
    if (!ok) {
        setWhy(why, whySize, std::strerror(err));
        _unlink(tmp.c_str());
    }
    return ok;
}

bool processAlive3D(long pid)
{
    if (pid <= 0)
        return false;
    const HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (h == nullptr)
        return GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
    CloseHandle(h);
    return running;
}

bool canAppend3D(const char* path, char* why, size_t whySize)
{
    const DWORD attr = GetFileAttributesA(path);
    if (attr != INVALID_FILE_ATTRIBUTES) {
        if ((attr & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            setWhy(why, whySize, "it is not a regular file");
            return false;
        }
        if ((attr & FILE_ATTRIBUTE_READONLY) != 0) {
            setWhy(why, whySize, "the file is read-only");
            return false;
        }
        return true;
    }
    std::string dir = path;
    const size_t slash = dir.find_last_of("/\\");
    dir = slash == std::string::npos ? "." : dir.substr(0, slash + 1);
    const DWORD dirAttr = GetFileAttributesA(dir.c_str());
    if (dirAttr == INVALID_FILE_ATTRIBUTES || (dirAttr & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        setWhy(why, whySize, "its folder is missing");
        return false;
    }
    return true;
}

bool hashFile3D(const char* path, char hex[65], long long* size)
{
    const filePtr f(std::fopen(path, "rb"));
    if (!f)
        return false;
    BCRYPT_ALG_HANDLE alg = nullptr;
    if (BCryptOpenAlgorithmProvider(&alg, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0)
        return false;
    BCRYPT_HASH_HANDLE h = nullptr;
    bool ok = BCryptCreateHash(alg, &h, nullptr, 0, nullptr, 0, 0) == 0;
    std::vector<unsigned char> buf(size_t(1) << 20);
    long long total = 0;
    size_t n = 0;
    while (ok && (n = std::fread(buf.data(), 1, buf.size(), f.get())) > 0) {
        ok = BCryptHashData(h, buf.data(), ULONG(n), 0) == 0;
        total += (long long)n;
    }
    unsigned char md[32];
    ok = ok && !std::ferror(f.get()) && BCryptFinishHash(h, md, sizeof md, 0) == 0;
    if (h != nullptr)
        BCryptDestroyHash(h);
    BCryptCloseAlgorithmProvider(alg, 0);
    if (!ok)
        return false;
    for (size_t i = 0; i < sizeof md; i++)
        std::snprintf(hex + i * 2, 3, "%02x", md[i]);
    *size = total;
    return true;
}

bool hashBytes3D(const char* data, size_t len, char hex[65])
{
    BCRYPT_ALG_HANDLE alg = nullptr;
    if (BCryptOpenAlgorithmProvider(&alg, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0)
        return false;
    BCRYPT_HASH_HANDLE h = nullptr;
    unsigned char md[32];
    bool ok = BCryptCreateHash(alg, &h, nullptr, 0, nullptr, 0, 0) == 0;
    ok = ok && BCryptHashData(h, reinterpret_cast<PUCHAR>(const_cast<char*>(data)), ULONG(len), 0) == 0 &&
         BCryptFinishHash(h, md, sizeof md, 0) == 0;
    if (h != nullptr)
        BCryptDestroyHash(h);
    BCryptCloseAlgorithmProvider(alg, 0);
    if (!ok)
        return false;
    for (size_t i = 0; i < sizeof md; i++)
        std::snprintf(hex + i * 2, 3, "%02x", md[i]);
    return true;
}
