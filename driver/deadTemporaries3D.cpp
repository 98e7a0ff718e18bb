#include "deadTemporaries3D.h"

#include <filesystem>
#include <string>

void sweepDeadTemporaries3D(const char* path, bool (*alive)(long pid))
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path p(path);
    const std::string stem = p.filename().string() + ".";
    const fs::path dir = p.parent_path().empty() ? fs::path(".") : p.parent_path();
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= stem.size() + 4 || name.compare(0, stem.size(), stem) != 0 ||
            name.compare(name.size() - 4, 4, ".tmp") != 0)
            continue;
        const std::string digits = name.substr(stem.size(), name.size() - stem.size() - 4);
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        // only a plain file of a process that is gone; never through a link
        std::error_code e2;
        if (it->is_regular_file(e2) && !it->is_symlink(e2) && !alive(std::stol(digits)))
            fs::remove(it->path(), e2);
    }
}
