// The program's logo for the main dialog: a 158 x 60 XPM of 256 colours,
// two characters a pixel, drawn by code.
#ifndef KORVA_LOGO3D_H
#define KORVA_LOGO3D_H

// @returns the XPM lines, kept for the life of the program.
const char* const* korvaLogoXpm();

#endif
