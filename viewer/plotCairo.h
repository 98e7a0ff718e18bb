// Pictures drawn without a display: cairo's image surface, saved as PNG.
#ifndef KORVA_PLOTCAIRO_H
#define KORVA_PLOTCAIRO_H

#include "plotPicture.h"

#include <string>

// @returns false, with why in one line, when the PNG can't be written whole.
bool writePicturePngCairo(const plotPicture& pic, const std::string& path, std::string* why);

#endif
