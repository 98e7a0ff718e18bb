// The texts of a result (the computer's name, the user's and the program's
// information) as UTF-8, read one way by everything that writes or shows
// them. A record keeps the bytes its program was given: UTF-8 on Linux, the
// Windows code page from townview.exe, cut at 159 bytes in bench.res.
#ifndef KORVA_RECORDTEXT3D_H
#define KORVA_RECORDTEXT3D_H

#include <cstddef>
#include <string>

// The bytes as they are when they are UTF-8 (a sequence that the field's
// end cut short is dropped: only a text that fills its field of fieldSize
// bytes can have been cut), else each byte read as Windows-1252.
std::string recordTextUtf8(const char* bytes, size_t fieldSize = 160);

#endif
