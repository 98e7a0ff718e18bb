#include "userFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

bool readAll(const std::string& path, std::string* out)
{
    std::ifstream f(path, std::ios::binary);
    if (!f)
        return false;
    out->assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return true;
}

bool writeAll(const std::string& path, const std::string& text)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << text;
    f.close();
    return bool(f);
}

}  // namespace

bool writeUserFile(const std::string& path, const std::string& text, const std::string& madeCopy, bool* kept)
{
    *kept = false;
    std::string now, made;
    const bool there = readAll(path, &now);
    const bool haveMade = readAll(madeCopy, &made);
    if (!there || (haveMade && now == made)) {
        if (!writeAll(path, text))
            return false;
    } else if (now != text) {
        *kept = true;
    }
    return writeAll(madeCopy, text);
}
