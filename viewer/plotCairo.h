// Pictures drawn without a display: cairo's image surface, saved as PNG.
#ifndef KORVA_PLOTCAIRO_H
#define KORVA_PLOTCAIRO_H

#include "plotPicture.h"

#include <string>

#include <cstdio>

// Writes the picture as PNG into f. @returns false, with why in one line,
// when it can't be written whole.
bool writePicturePngCairo(const plotPicture& pic, FILE* f, std::string* why);

#endif
