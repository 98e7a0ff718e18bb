// The about and licence texts that both front-ends print into the console.
#ifndef KORVA_TEXTS3D_H
#define KORVA_TEXTS3D_H

#include <cstddef>

extern const char* const licenseText3D;
// The about text of a build: its title line and the drivers it needs.
void aboutText3D(char* out, size_t size, const char* title, const char* needs);

#endif
