#include "resultNames3D.h"

namespace {

bool resultFileName(const std::string& name)
{
    std::string lower;
    for (const char c : name)
        lower += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower == "bench.res" || lower == "bench.json";
}

}  // namespace

std::filesystem::path finalTarget3D(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path p = fs::absolute(path, ec);
    for (int hops = 0; hops < 16 && fs::is_symlink(p, ec); hops++) {
        const fs::path to = fs::read_symlink(p, ec);
        if (ec)
            break;
        p = to.is_absolute() ? to : p.parent_path() / to;
    }
    const fs::path c = fs::weakly_canonical(p, ec);
    return ec ? p.lexically_normal() : c;
}

bool namesResultFile3D(const std::string& path)
{
    // the last name after either separator: a Windows path read anywhere
    const size_t slash = path.find_last_of("/\\");
    return resultFileName(slash == std::string::npos ? path : path.substr(slash + 1)) ||
           resultFileName(finalTarget3D(path).filename().string());
}
