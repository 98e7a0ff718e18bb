// Fuzz inputs become files in a private folder, since the engine's readers
// take file names.
#ifndef KORVA_FUZZFILES_H
#define KORVA_FUZZFILES_H

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

inline void fuzzEnterTempDir()
{
    static bool done = false;
    if (done)
        return;
    char tmpl[] = "/tmp/korva_fuzz_XXXXXX";
    if (mkdtemp(tmpl) == nullptr || chdir(tmpl) != 0)
        std::abort();
    done = true;
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
