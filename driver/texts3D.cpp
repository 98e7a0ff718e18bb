#include "texts3D.h"

#include <cstdio>

const char* const licenseText3D =
    "KORVANE LICENSE\n\n"
    "Korvane is free for private use and may be given away without charge.\n"
    "If you publish results, name the program and its version and let the\n"
    "Korvane team know (https://korvane.example.org/).\n"
    "Distribution on media for sale or with commercial products needs our\n"
    "permission.\n\n"
    "The music is played with libopenmpt, under its own BSD-style licence.\n"
    "Models, textures, paths and music: the Korvane team.\n"
    "OpenGL is a trademark of its owners; Direct3D and Windows are trademarks\n"
    "of Microsoft; other names are trademarks of theirs.\n\n"
    "You use this software at your own risk: the authors take no responsibility\n"
    "for any damage it may cause.\n";

void aboutText3D(char* out, size_t size, const char* title, const char* needs)
{
    std::snprintf(out, size,
                  "%s\n\n"
                  "A real-time 3D graphics demo and benchmark: a ship and a camera fly along\n"
                  "recorded paths through a night or day city with fog clouds, spot light\n"
                  "and trails.\n\n"
                  "%s\n\n"
                  "Installation: Just unzip the xx.zip with directory structure to any dir.\n"
                  "The start-up options are in the file Korva.INI.\n"
                  "Benchmark results are appended to bench.res, an ASCII file that can be read\n"
                  "with any text viewer or with the result viewer resview.\n\n"
                  "Please read the readme file for more.\n",
                  title, needs);
}
