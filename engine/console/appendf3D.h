// Appends printf-formatted text to a terminated text of a fixed buffer:
// what does not fit is cut, nothing is written past size bytes, and a
// buffer that is already full is left as it is.
#ifndef KORVA_APPENDF3D_H
#define KORVA_APPENDF3D_H

#include <cstddef>

void appendf3D(char* buf, size_t size, const char* fmt, ...) __attribute__((format(printf, 3, 4)));

#endif
