// A bare GLX window for the renderer tests: the glWindow3D seam without any
// toolkit, on the display the test runs under (Xvfb).
#ifndef KORVA_TEST_GLXWINDOW_H
#define KORVA_TEST_GLXWINDOW_H

#include "gl/glWindow3D.h"

// @returns the window system for gl3D::setWindowSystem.
const glWindow3D* glxWindowSystem();

#endif
