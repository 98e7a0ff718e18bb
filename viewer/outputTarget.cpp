#include "outputTarget.h"

#include "deadTemporaries3D.h"
#include "resultNames3D.h"

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <csignal>
#include <unistd.h>
#endif

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

bool alive(long pid)
{
    if (pid <= 0)
        return false;
#ifdef _WIN32
    const HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (h == nullptr)
        return GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
    CloseHandle(h);
    return running;
#else
    return kill(pid_t(pid), 0) == 0 || errno != ESRCH;
#endif
}

long ownPid()
{
#ifdef _WIN32
    return long(_getpid());
#else
    return long(getpid());
#endif
}

}  // namespace

std::string outputTarget::refusal(const std::string& path, const std::vector<std::string>& inputs,
                                  const std::string& signature, const char* kind)
{
    if (namesResultFile3D(path))
        return "it is a result file";
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (!fs::exists(st))
        return std::string();
    for (const std::string& in : inputs) {
        std::error_code e2;
        if (fs::equivalent(path, in, e2))
            return "it is one of the files it reads";
    }
    if (!fs::is_regular_file(st))
        return "it is not a regular file";
    std::ifstream f(path, std::ios::binary);
    std::string first(signature.size(), '\0');
    f.read(first.data(), std::streamsize(first.size()));
    const std::streamsize n = f.gcount();
    if (n > 0 && (size_t(n) < signature.size() || first != signature))
        return std::string("it is not ") + kind;
    return std::string();
}

bool outputTarget::write(const std::string& path, bodyWriter body, const void* what, std::string* why)
{
    sweepDeadTemporaries3D(path.c_str(), alive);
    const std::string part = path + "." + std::to_string(ownPid()) + ".tmp";
#ifdef _WIN32
    const int fd = ::_open(part.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
    if (fd < 0) {
        *why = "can't write " + path + ": " + std::strerror(errno);
        return false;
    }
#ifdef _WIN32
    FILE* f = ::_fdopen(fd, "wb");
#else
    FILE* f = ::fdopen(fd, "wb");
#endif
    if (f == nullptr) {
        *why = "can't write " + path + ": " + std::strerror(errno);
#ifdef _WIN32
        ::_close(fd);
#else
        ::close(fd);
#endif
        std::error_code ec;
        fs::remove(part, ec);
        return false;
    }
    std::string reason;
    bool ok = body(f, what, &reason);
    if (ok && (std::fflush(f) != 0 || std::ferror(f) != 0)) {
        reason = std::strerror(errno);
        ok = false;
    }
    if (std::fclose(f) != 0 && ok) {
        reason = std::strerror(errno);
        ok = false;
    }
    std::error_code ec;
    if (ok)
        fs::rename(part, path, ec);
    if (!ok || ec) {
        fs::remove(part, ec);
        *why = "can't write " + path + ": " + (ok ? ec.message() : reason.empty() ? "its writer failed" : reason);
        return false;
    }
    return true;
}
