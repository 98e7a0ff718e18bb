// The program's logo for the main dialog: a 158 x 60 XPM of 256 colours,
// two characters a pixel, drawn by code.
#ifndef KORVA_LOGO3D_H
#define KORVA_LOGO3D_H

#include <vector>

// @returns the XPM lines, kept for the life of the program.
const char* const* korvaLogoXpm();

// The same picture as palette indices, top row first, for the tools that
// write it as an image file.
struct korvaLogoPixels {
    int w = 0, h = 0;
    std::vector<unsigned char> palette;  // 256 entries of red, green, blue
    std::vector<unsigned char> index;    // w * h
};
// @returns false when the XPM is not of the form the tools read.
bool decodeKorvaLogo(korvaLogoPixels* out);

#endif
