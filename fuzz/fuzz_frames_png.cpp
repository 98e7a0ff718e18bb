// resview --frames LOG --png TARGET on any log (the first byte picks the
// target: a new picture, an earlier one, bench.json, the log itself, a file
// that is no picture, a link to one, a folder): nothing on disk changes but
// the picture it may write, and no temporary is left. A broken promise aborts.
#include "frameCommand.h"

#include "fuzzFiles.h"
#include "fuzzText.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

// every entry of the folder: its kind and, for a plain file, its bytes
std::map<std::string, std::string> folder()
{
    std::map<std::string, std::string> all;
    for (const fs::directory_entry& e : fs::directory_iterator(".")) {
        const std::string name = e.path().filename().string();
        if (e.is_symlink())
            all[name] = "link to " + fs::read_symlink(e.path()).string();
        else if (e.is_directory())
            all[name] = "folder";
        else {
            std::ifstream f(e.path(), std::ios::binary);
            all[name] = std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
        }
    }
    return all;
}

void setUp()
{
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator("."))
        fs::remove_all(e.path(), ec);
    const unsigned char png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 'o', 'l', 'd'};
    fuzzWrite("earlier.png", png, sizeof png);
    fuzzWrite("bench.json", reinterpret_cast<const unsigned char*>("{\"fps\":1}\n"), 10);
    fuzzWrite("victim.txt", reinterpret_cast<const unsigned char*>("keep"), 4);
    fs::create_symlink("victim.txt", "link.png");
    fs::create_directory("folder.png");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    if (size < 1)
        return 0;
    fuzzEnterTempDir();
    setUp();
    fuzzWrite("f.csv", data + 1, size - 1);
    const char* const targets[] = {"new.png", "earlier.png", "bench.json", "f.csv", "victim.txt", "link.png", "folder.png"};
    const std::string target = targets[data[0] % (sizeof targets / sizeof targets[0])];
    const std::map<std::string, std::string> before = folder();

    char prog[] = "resview", frames[] = "--frames", log[] = "f.csv", png[] = "--png", sizeArg[] = "--size",
         size320[] = "320x240";
    std::string t = target;
    char* argv[] = {prog, frames, log, png, t.data(), sizeArg, size320, nullptr};
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    if (out == nullptr || err == nullptr)
        std::abort();
    const int status = runFramesCommand(7, argv, out, err);
    const std::string said = fileText(err) + fileText(out);
    std::fclose(out);
    std::fclose(err);
    if (!terminalSafe(said))
        std::abort();

    std::map<std::string, std::string> after = folder();
    // a picture where one may be: new or replacing an earlier one, PNG from its first byte
    if (status != 2 && after.count(target) != 0 && after[target].compare(0, 4, "\x89PNG") == 0 &&
        (target == "new.png" || target == "earlier.png")) {
        after.erase(target);
        std::map<std::string, std::string> rest = before;
        rest.erase(target);
        if (after != rest)
            std::abort();
        return 0;
    }
    if (after != before)
        std::abort();
    return 0;
}
