// Fuzz inputs become files in a private folder, since the engine's readers
// take file names. The folder is entered in LLVMFuzzerInitialize, after the
// paths on the command line (corpus folders, -artifact_prefix= and the like)
// are made absolute, so that libFuzzer still finds them; it goes at exit.
#ifndef KORVA_FUZZFILES_H
#define KORVA_FUZZFILES_H

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fuzzFiles {

inline std::string& tempDir()
{
    static std::string dir;
    return dir;
}

inline void removeTempDir()
{
    std::error_code ec;
    if (!tempDir().empty())
        std::filesystem::remove_all(tempDir(), ec);
}

// NAME or -flag=NAME with NAME relative: made absolute against the starting folder
inline char* absoluteArg(const char* arg)
{
    std::string a = arg;
    size_t at = 0;
    if (a.rfind("-", 0) == 0) {
        const size_t eq = a.find('=');
        if (eq == std::string::npos)
            return nullptr;
        const std::string flag = a.substr(0, eq);
        // the flags that name files or folders
        static const char* const pathFlags[] = {"-artifact_prefix", "-exact_artifact_path", "-dict",
                                                "-merge_control_file", "-features_dir", "-seed_inputs"};
        bool named = false;
        for (const char* f : pathFlags)
            named = named || flag == f;
        if (!named)
            return nullptr;
        at = eq + 1;
    }
    const std::string path = a.substr(at);
    if (path.empty() || path[0] == '/')
        return nullptr;
    std::string abs = std::filesystem::absolute(path).string();
    // a prefix keeps its trailing slash
    if (path.back() == '/' && abs.back() != '/')
        abs += '/';
    static std::vector<std::string> keep;
    keep.push_back(a.substr(0, at) + abs);
    return keep.back().data();
}

}  // namespace fuzzFiles

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static std::vector<char*> args;
    bool prefix = false;
    for (int i = 0; i < *argc; i++) {
        char* abs = i > 0 ? fuzzFiles::absoluteArg((*argv)[i]) : nullptr;
        args.push_back(abs != nullptr ? abs : (*argv)[i]);
        prefix = prefix || std::strncmp((*argv)[i], "-artifact_prefix=", 17) == 0;
    }
    // crash files land where the fuzzer was started, not in the folder that goes at exit
    static std::string here = "-artifact_prefix=" + std::filesystem::current_path().string() + "/";
    if (!prefix)
        args.push_back(here.data());
    args.push_back(nullptr);
    *argc = int(args.size()) - 1;
    *argv = args.data();
    char tmpl[] = "/tmp/korva_fuzz_XXXXXX";
    if (mkdtemp(tmpl) == nullptr || chdir(tmpl) != 0)
        std::abort();
    fuzzFiles::tempDir() = tmpl;
    std::atexit(fuzzFiles::removeTempDir);
    return 0;
}

// the folder is entered before the first input; kept for the targets' own calls
inline void fuzzEnterTempDir()
{
}

inline void fuzzWrite(const char* name, const unsigned char* data, size_t size)
{
    FILE* f = std::fopen(name, "wb");
    if (f == nullptr)
        std::abort();
    if (size > 0)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
}

#endif
