#include "platform3D.h"

#include "manifest3D.h"
#include "osClock3D.h"
#include "scene/fileCloser.h"
#include "version3D.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>
#include <sched.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/time.h>
#include <unistd.h>

const char dataDir3D[] = "../data/";
const bool windowsRecord3D = false;
const char buildVersion3D[16] = "KORVA_LIN " KORVA_VERSION3D "  ";

void armClock3D()
{
    // the timer only serves as a clock: its signal must not end the process
    std::signal(SIGALRM, SIG_IGN);
    itimerval v = {};
    v.it_value.tv_sec = 65536;
    v.it_interval.tv_sec = 65536;
    setitimer(ITIMER_REAL, &v, nullptr);
}

long osClockMillis3D()
{
    itimerval v = {};
    getitimer(ITIMER_REAL, &v);
    return 6553600L - long(v.it_value.tv_usec / 1000) - long(v.it_value.tv_sec) * 1000L;
}

long long osClockMicros3D()
{
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

bool machineCpu3D(double* busyS, double* stealS, double* totalS)
{
    // the first line of /proc/stat: user nice system idle iowait irq softirq steal (guest is in user)
    std::ifstream f("/proc/stat");
    std::string name;
    unsigned long long t[8] = {};
    if (!(f >> name) || name != "cpu")
        return false;
    for (unsigned long long& v : t)
        if (!(f >> v))
            return false;
    const double tick = 1.0 / double(sysconf(_SC_CLK_TCK) > 0 ? sysconf(_SC_CLK_TCK) : 100);
    *busyS = double(t[0] + t[1] + t[2] + t[5] + t[6]) * tick;
    *stealS = double(t[7]) * tick;
    *totalS = double(t[0] + t[1] + t[2] + t[3] + t[4] + t[5] + t[6] + t[7]) * tick;
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

namespace {

// the value of a "key : value" line of /proc/cpuinfo, or null
const char* cpuinfoValue(const char* line, const char* key)
{
    const size_t n = std::strlen(key);
    if (std::strncmp(line, key, n) != 0 || (line[n] != ' ' && line[n] != '\t' && line[n] != ':'))
        return nullptr;
    const char* colon = std::strchr(line + n, ':');
    if (colon == nullptr)
        return nullptr;
    colon++;
    while (*colon == ' ' || *colon == '\t')
        colon++;
    return colon;
}

// a text of a file for a record line: no line end, no control character
void keepText(char* out, size_t size, const char* text)
{
    std::snprintf(out, size, "%s", text);
    for (char* c = out; *c != '\0'; c++)
        if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7f)
            *c = *c == '\n' || *c == '\r' ? '\0' : ' ';
}

}  // namespace

void detectMachine3D(machine3D* m)
{
    *m = machine3D{};
    // the processor: its model, its threads ("processor" entries) and its
    // cores (distinct physical id and core id pairs)
    if (std::ifstream f("/proc/cpuinfo"); f) {
        std::string text;
        long physical = 0;
        std::vector<long long> cores;
        while (std::getline(f, text)) {
            const char* line = text.c_str();
            const char* v = nullptr;
            if ((v = cpuinfoValue(line, "processor")) != nullptr) {
                m->threads++;
            } else if (m->cpuModel[0] == '\0' && (v = cpuinfoValue(line, "model name")) != nullptr) {
                keepText(m->cpuModel, sizeof m->cpuModel, v);
            } else if ((v = cpuinfoValue(line, "physical id")) != nullptr) {
                physical = std::strtol(v, nullptr, 10);
            } else if ((v = cpuinfoValue(line, "core id")) != nullptr) {
                const long long id = physical * 65536 + std::strtol(v, nullptr, 10);
                if (std::find(cores.begin(), cores.end(), id) == cores.end())
                    cores.push_back(id);
            }
        }
        m->cores = cores.empty() ? m->threads : int(cores.size());
    }
    if (m->threads == 0) {
        m->threads = int(sysconf(_SC_NPROCESSORS_ONLN) > 0 ? sysconf(_SC_NPROCESSORS_ONLN) : 0);
        m->cores = m->threads;
    }
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        m->allowedThreads = CPU_COUNT(&allowed);
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        m->memoryBytes = (long long)pages * pageSize;
    // the system's PRETTY_NAME, unquoted
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        std::ifstream f(path);
        std::string line;
        while (m->osName[0] == '\0' && std::getline(f, line)) {
            if (line.rfind("PRETTY_NAME=", 0) != 0)
                continue;
            std::string v = line.substr(12);
            if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
                v = v.substr(1, v.size() - 2);
            keepText(m->osName, sizeof m->osName, v.c_str());
        }
        if (m->osName[0] != '\0')
            break;
    }
}

int changeDir3D(const char* dir)
{
    return chdir(dir);
}

namespace {

// a folder is the data tree's data folder only when its manifest is there
bool isDataFolder(const std::string& dir)
{
    struct stat st = {};
    return stat((dir + manifestName3D).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

bool enterProgramFolder3D()
{
    if (isDataFolder(dataDir3D))
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
    return isDataFolder(std::string(self) + dataDir3D) && chdir(self) == 0;
}

void keepRunningOnClosedOutput3D()
{
    std::signal(SIGPIPE, SIG_IGN);
}

bool isTerminal3D(FILE* f)
{
    return isatty(fileno(f)) == 1;
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

namespace {

void setWhy(char* why, size_t size, const char* text)
{
    if (why != nullptr && size > 0)
        std::snprintf(why, size, "%s", text);
}

}  // namespace

long lockWaitLimitMs3D = 120000;

int openLockedFile3D(const char* path, char* why, size_t whySize, void (*waiting)())
{
    // never blocks on a FIFO; a regular file ignores the flag
    const int fd = open(path, O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0) {
        setWhy(why, whySize, std::strerror(errno));
        return -1;
    }
    struct stat st = {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        setWhy(why, whySize, "it is not a regular file");
        close(fd);
        return -1;
    }
    // another benchmark holding the lock is waited for, but not for ever
    long waited = 0;
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0)
            return fd;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK) {
            setWhy(why, whySize, std::strerror(errno));
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
        usleep(20000);
        waited += 20;
    }
    close(fd);
    return -1;
}

bool fileIdentity3D(int fd, char* out, size_t size)
{
    struct stat st = {};
    if (fstat(fd, &st) != 0)
        return false;
    std::snprintf(out, size, "%llu:%llu", (unsigned long long)st.st_dev, (unsigned long long)st.st_ino);
    return true;
}

long long lockedFileSize3D(int fd)
{
    struct stat st = {};
    return fstat(fd, &st) == 0 ? (long long)st.st_size : -1;
}

bool readLockedFile3D(int fd, long long at, char* out, size_t len)
{
    size_t done = 0;
    while (done < len) {
        const ssize_t n = pread(fd, out + done, len - done, off_t(at + (long long)done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

appendResult3D appendLockedFile3D(int fd, const char* data, size_t len)
{
    const ignoreFileSizeSignal quiet;
    const long long before = lockedFileSize3D(fd);
    if (before < 0)
        return appendFailed;
    if (writeAll(fd, data, len) && fsync(fd) == 0)
        return appendWritten;
    // whatever part of it reached the file goes again
    return cutLockedFile3D(fd, before) ? appendFailed : appendDamaged;
}

bool cutLockedFile3D(int fd, long long size)
{
    return ftruncate(fd, off_t(size)) == 0 && lockedFileSize3D(fd) == size && fsync(fd) == 0;
}

void closeLockedFile3D(int fd)
{
    if (fd >= 0)
        close(fd);
}

appendResult3D appendFile3D(const char* path, const char* data, size_t len)
{
    const int fd = openLockedFile3D(path, nullptr, 0);
    if (fd < 0)
        return appendFailed;
    appendResult3D result = appendLockedFile3D(fd, data, len);
    if (close(fd) != 0 && result == appendWritten)
        result = appendFailed;
    return result;
}

bool sameFile3D(const char* a, const char* b)
{
    struct stat sa = {}, sb = {};
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool notRegularFile3D(const char* path)
{
    struct stat st = {};
    return stat(path, &st) == 0 && !S_ISREG(st.st_mode);
}

bool replaceFile3D(const char* path, const char* data, size_t len, char* why, size_t whySize)
{
    const ignoreFileSizeSignal quiet;
    const std::string tmp = std::string(path) + "." + std::to_string(getpid()) + ".tmp";
    const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        setWhy(why, whySize, std::strerror(errno));
        return false;
    }
    errno = 0;
    bool ok = writeAll(fd, data, len) && fsync(fd) == 0;
    int err = errno != 0 ? errno : EIO;
    if (close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && rename(tmp.c_str(), path) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        setWhy(why, whySize, std::strerror(err));
        unlink(tmp.c_str());
    }
    return ok;
}

bool processAlive3D(long pid)
{
    return pid > 0 && (kill(pid_t(pid), 0) == 0 || errno != ESRCH);
}

bool canAppend3D(const char* path, char* why, size_t whySize)
{
    struct stat st = {};
    if (stat(path, &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            setWhy(why, whySize, "it is not a regular file");
            return false;
        }
        if (access(path, W_OK) != 0) {
            setWhy(why, whySize, std::strerror(errno));
            return false;
        }
        return true;
    }
    if (errno != ENOENT) {
        setWhy(why, whySize, std::strerror(errno));
        return false;
    }
    // a link to a file still to be made is made where the link leads
    std::string target = path;
    char to[4096];
    for (int hops = 0; hops < 16; hops++) {
        const ssize_t n = readlink(target.c_str(), to, sizeof to - 1);
        if (n <= 0)
            break;
        to[n] = '\0';
        const size_t cut = target.rfind('/');
        target = to[0] == '/' || cut == std::string::npos ? std::string(to) : target.substr(0, cut + 1) + to;
    }
    std::string dir = target;
    const size_t slash = dir.rfind('/');
    dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : dir.substr(0, slash));
    if (access(dir.c_str(), W_OK | X_OK) != 0) {
        setWhy(why, whySize, std::strerror(errno));
        return false;
    }
    return true;
}

bool hashFile3D(const char* path, char hex[65], long long* size)
{
    struct digestFree {
        void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
    };
    const filePtr f(std::fopen(path, "rb"));
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

bool hashBytes3D(const char* data, size_t len, char hex[65])
{
    unsigned char md[32];
    unsigned mdLen = 0;
    if (EVP_Digest(data, len, md, &mdLen, EVP_sha256(), nullptr) != 1 || mdLen != sizeof md)
        return false;
    for (size_t i = 0; i < mdLen; i++)
        std::snprintf(hex + i * 2, 3, "%02x", md[i]);
    return true;
}
