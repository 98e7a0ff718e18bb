// A GL "window" with no window system: OpenGL through EGL on Mesa's
// surfaceless platform, drawing into a pbuffer. The benchmark runs in it
// on machines without an X server.
#ifndef KORVA_EGLWINDOW3D_H
#define KORVA_EGLWINDOW3D_H

#include "gl/glWindow3D.h"

#include <cstddef>

// The window system behind the renderer's seam.
const glWindow3D* eglWindowSystem3D();
// Opens the EGL display once. @returns true when it and a config for an
// RGB pbuffer with a depth buffer are there; else why in one line, without
// its end of line.
bool openEglDisplay(char* why, size_t size);

#endif
