// A bare GLX window: the glWindow3D seam without any toolkit, for the
// renderer tests and townview_x's validation on an X display.
#ifndef KORVA_GLXWINDOW3D_H
#define KORVA_GLXWINDOW3D_H

#include "gl/glWindow3D.h"

// @returns the window system for gl3D::setWindowSystem.
const glWindow3D* glxWindowSystem3D();
// Keeps each frame as its swap presents it, for readFrame; off by default,
// since it reads back every frame.
void glxKeepPresented3D(bool on);
// Whether an X server answers at the display name. The test connection
// stays open for the process: closing the last client resets a server such
// as Xvfb, and a connection made during the reset is refused.
bool canOpenX11Display(const char* name);

#endif
