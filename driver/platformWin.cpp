#include "platform3D.h"

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#include <bcrypt.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

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

long long clockMicros3D()
{
    if (clockSource != nullptr)
        return (long long)clockSource() * 1000LL;
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

bool syncFile3D(FILE* f)
{
    if (std::fflush(f) != 0)
        return false;
    return _commit(_fileno(f)) == 0;
}

appendResult3D appendFile3D(const char* path, const char* data, size_t len)
{
    const int fd = _open(path, _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return appendFailed;
    const long long before = _filelengthi64(fd);
    if (before < 0) {
        _close(fd);
        return appendFailed;
    }
    size_t done = 0;
    bool ok = true;
    while (ok && done < len) {
        const size_t part = len - done < 0x40000000u ? len - done : 0x40000000u;
        const int n = _write(fd, data + done, unsigned(part));
        ok = n > 0;
        if (ok)
            done += size_t(n);
    }
    appendResult3D result = appendWritten;
    if (!ok || _commit(fd) != 0) {
        // whatever part of the record reached the file goes again
        const bool cut = _chsize_s(fd, before) == 0 && _filelengthi64(fd) == before;
        if (cut)
            _commit(fd);
        result = cut ? appendFailed : appendDamaged;
    }
    if (_close(fd) != 0 && result == appendWritten)
        result = appendFailed;
    return result;
}

bool hashFile3D(const char* path, char hex[65], long long* size)
{
    struct fileCloser {
        void operator()(FILE* f) const { std::fclose(f); }
    };
    const std::unique_ptr<FILE, fileCloser> f(std::fopen(path, "rb"));
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
