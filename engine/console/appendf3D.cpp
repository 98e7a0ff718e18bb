#include "appendf3D.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

void appendf3D(char* buf, size_t size, const char* fmt, ...)
{
    if (buf == nullptr || size == 0)
        return;
    const size_t used = strnlen(buf, size);
    if (used + 1 >= size)
        return;
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf + used, size - used, fmt, ap);
    va_end(ap);
}
