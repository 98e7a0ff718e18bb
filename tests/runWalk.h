// What the run-sequence tests and walks of both builds share: a fast
// program clock, their settings from the environment, a typed text as the
// record keeps it, and the Linux tree a run needs.
#ifndef KORVA_TEST_RUNWALK_H
#define KORVA_TEST_RUNWALK_H

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

// the program clock sixteen times faster, so that a whole flight takes seconds
inline long fastClock()
{
    using namespace std::chrono;
    return long(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() * 16);
}

inline long envNumber(const char* name, long fallback)
{
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0' ? std::strtol(v, nullptr, 10) : fallback;
}

// a typed text as the record keeps it: up to its first line break
inline std::string recordText(const std::string& typed)
{
    return typed.substr(0, typed.find_first_of("\r\n"));
}

// a tree of its own under `to`: data/ as links to the files, so that a test
// may take files away, the texture folders linked, linux/ with the parameter file
inline void makeLinuxTree(const std::filesystem::path& tree, const std::filesystem::path& to)
{
    namespace fs = std::filesystem;
    fs::create_directory(to / "data");
    for (const auto& e : fs::directory_iterator(tree / "data"))
        fs::create_symlink(e.path(), to / "data" / e.path().filename());
    for (const char* d : {"smltex", "bigtex", "endtex"})
        fs::create_directory_symlink(tree / d, to / d);
    fs::create_directory(to / "linux");
    fs::copy_file(tree / "linux" / "Korva.INI", to / "linux" / "Korva.INI");
}

#endif
