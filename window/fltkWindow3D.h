// The run window of townview_x: FLTK's GLUT interface behind the renderer's
// seam. The window lives inside FLTK's event loop, so its swaps follow
// FLTK's frame callback.
#ifndef KORVA_FLTKWINDOW3D_H
#define KORVA_FLTKWINDOW3D_H

#include "gl/glWindow3D.h"

// The window system to hand to gl3D::setWindowSystem.
const glWindow3D* fltkWindowSystem3D();

#endif
