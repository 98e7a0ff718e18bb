#include "textLines.h"

#include "fileCloser.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

}  // namespace

int textLines::load(const char* path)
{
    filePtr f(std::fopen(path, "rb"));
    if (!f)
        return 0;
    // read in chunks: the size of a pipe or special file is not known in advance
    size_t cap = 1 << 16;
    size_t used = 0;
    std::unique_ptr<char[]> buf(new (std::nothrow) char[cap]);
    if (!buf)
        return -1;
    for (;;) {
        used += std::fread(buf.get() + used, 1, cap - used, f.get());
        if (used < cap)
            break;
        std::unique_ptr<char[]> bigger(new (std::nothrow) char[cap * 2]);
        if (!bigger)
            return -1;
        std::memcpy(bigger.get(), buf.get(), used);
        buf = std::move(bigger);
        cap *= 2;
    }
    text = std::move(buf);
    bytes = used;
    numLines = 0;
    lines.reset();
    return 1;
}

int textLines::loadMem(const char* data, size_t n)
{
    std::unique_ptr<char[]> buf(new (std::nothrow) char[n + 1]);
    if (!buf)
        return -1;
    if (n > 0)
        std::memcpy(buf.get(), data, n);
    text = std::move(buf);
    bytes = n;
    numLines = 0;
    lines.reset();
    return 1;
}

int textLines::split(int lineSize)
{
    const size_t most = lineSize > 1 ? size_t(lineSize - 1) : 1;
    const char* const base = text.get();
    const char* const stop = base + bytes;

    // first count, then fill: one exact allocation
    size_t n = 0;
    for (const char* p = base; p < stop; n++) {
        const size_t left = size_t(stop - p);
        const size_t limit = left < most ? left : most;
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', limit));
        p = nl ? nl + 1 : p + limit;
    }
    if (n > 0x7fffffff)
        return -1;
    std::unique_ptr<line[]> table(new (std::nothrow) line[n > 0 ? n : 1]);
    if (!table)
        return -1;

    const bool hasNul = bytes > 0 && std::memchr(base, '\0', bytes) != nullptr;
    size_t i = 0;
    for (const char* p = base; p < stop; i++) {
        const size_t left = size_t(stop - p);
        const size_t limit = left < most ? left : most;
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', limit));
        const char* next = nl ? nl + 1 : p + limit;
        const char* end = next;
        if (hasNul) {
            if (const char* z = static_cast<const char*>(std::memchr(p, '\0', size_t(next - p))))
                end = z;
        }
        table[i] = line{p, end};
        p = next;
    }
    lines = std::move(table);
    numLines = int(n);
    return 1;
}
