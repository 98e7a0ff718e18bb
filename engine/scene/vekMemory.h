// Allocation counter of the engine: every block the engine allocates adds
// its size, printed in MB after each load.
#ifndef KORVA_VEKMEMORY_H
#define KORVA_VEKMEMORY_H

#include <cstddef>
#include <memory>
#include <new>

extern long long vekMemory;

// Allocates n elements without throwing; counts the bytes when it succeeds.
// @returns null when memory is short.
template <class T>
std::unique_ptr<T[]> vekAlloc(size_t n)
{
    std::unique_ptr<T[]> p(new (std::nothrow) T[n]);
    if (p)
        vekMemory += static_cast<long long>(n * sizeof(T));
    return p;
}

#endif
