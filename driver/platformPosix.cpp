#include "platform3D.h"

#include <openssl/evp.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/utsname.h>
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

long long clockMicros3D()
{
    if (clockSource != nullptr)
        return (long long)clockSource() * 1000LL;
    itimerval v = {};
    getitimer(ITIMER_REAL, &v);
    return 6553600000LL - (long long)v.it_value.tv_usec - (long long)v.it_value.tv_sec * 1000000LL;
}

bool processCpu3D(double* userS, double* systemS)
{
    rusage u = {};
    if (getrusage(RUSAGE_SELF, &u) != 0)
        return false;
    *userS = double(u.ru_utime.tv_sec) + double(u.ru_utime.tv_usec) * 1e-6;
    *systemS = double(u.ru_stime.tv_sec) + double(u.ru_stime.tv_usec) * 1e-6;
    return true;
}

void systemName3D(char* out, size_t size)
{
    utsname u = {};
    if (uname(&u) != 0)
        std::snprintf(out, size, "POSIX");
    else
        std::snprintf(out, size, "%s %s %s", u.sysname, u.release, u.machine);
}

int changeDir3D(const char* dir)
{
    return chdir(dir);
}

bool enterProgramFolder3D()
{
    struct stat st = {};
    if (stat(dataDir3D, &st) == 0 && S_ISDIR(st.st_mode))
        return true;
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return false;
    self[n] = '\0';
    char* slash = std::strrchr(self, '/');
    if (slash == nullptr)
        return false;
    slash[1] = '\0';
    const std::string data = std::string(self) + dataDir3D;
    return stat(data.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && chdir(self) == 0;
}

bool syncFile3D(FILE* f)
{
    if (std::fflush(f) != 0)
        return false;
    return fsync(fileno(f)) == 0;
}

namespace {

// a write past the file size limit must fail with EFBIG, not end the process
class ignoreFileSizeSignal {
public:
    ignoreFileSizeSignal()
    {
        struct sigaction ign = {};
        ign.sa_handler = SIG_IGN;
        sigemptyset(&ign.sa_mask);
        sigaction(SIGXFSZ, &ign, &old);
    }
    ~ignoreFileSizeSignal() { sigaction(SIGXFSZ, &old, nullptr); }
    ignoreFileSizeSignal(const ignoreFileSizeSignal&) = delete;
    ignoreFileSizeSignal& operator=(const ignoreFileSizeSignal&) = delete;

private:
    struct sigaction old = {};
};

bool writeAll(int fd, const char* data, size_t len)
{
    size_t done = 0;
    while (done < len) {
        const ssize_t n = write(fd, data + done, len - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

}  // namespace

appendResult3D appendFile3D(const char* path, const char* data, size_t len)
{
    const ignoreFileSizeSignal quiet;
    const int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return appendFailed;
    struct stat st = {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return appendFailed;
    }
    const off_t before = st.st_size;
    appendResult3D result = appendWritten;
    if (!writeAll(fd, data, len) || fsync(fd) != 0) {
        // whatever part of the record reached the file goes again
        struct stat after = {};
        const bool cut = ftruncate(fd, before) == 0 && fstat(fd, &after) == 0 && after.st_size == before;
        if (cut)
            fsync(fd);
        result = cut ? appendFailed : appendDamaged;
    }
    if (close(fd) != 0 && result == appendWritten)
        result = appendFailed;
    return result;
}

bool hashFile3D(const char* path, char hex[65], long long* size)
{
    struct fileCloser {
        void operator()(FILE* f) const { std::fclose(f); }
    };
    struct digestFree {
        void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
    };
    const std::unique_ptr<FILE, fileCloser> f(std::fopen(path, "rb"));
    const std::unique_ptr<EVP_MD_CTX, digestFree> ctx(EVP_MD_CTX_new());
    if (!f || !ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1)
        return false;
    std::vector<unsigned char> buf(size_t(1) << 20);
    long long total = 0;
    size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), f.get())) > 0) {
        if (EVP_DigestUpdate(ctx.get(), buf.data(), n) != 1)
            return false;
        total += (long long)n;
    }
    if (std::ferror(f.get()))
        return false;
    unsigned char md[32];
    unsigned mdLen = 0;
    if (EVP_DigestFinal_ex(ctx.get(), md, &mdLen) != 1 || mdLen != sizeof md)
        return false;
    for (size_t i = 0; i < mdLen; i++)
        std::snprintf(hex + i * 2, 3, "%02x", md[i]);
    *size = total;
    return true;
}
