// Closes a C file when its owner goes: the readers and writers of the
// engine hold their files in a filePtr.
#ifndef KORVA_FILECLOSER_H
#define KORVA_FILECLOSER_H

#include <cstdio>
#include <memory>

struct fileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using filePtr = std::unique_ptr<FILE, fileCloser>;

#endif
