// The WGL window system of the renderer on Windows.
#ifndef KORVA_WGLWINDOW3D_H
#define KORVA_WGLWINDOW3D_H

#include "gl/glWindow3D.h"

#include <windows.h>

// the module that owns the window class
extern HINSTANCE wglInstance;

// The window system to hand to gl3D::setWindowSystem. A full-screen window
// (frameWindow 0) switches the desktop to its mode when the renderer's
// ddmSwitch is set; the desktop comes back when the window goes.
const glWindow3D* wglWindowSystem3D();
// Keeps each frame as its swap presents it, for readFrame; off by default,
// since it reads back every frame.
void wglKeepPresented3D(bool on);
// @returns the open run window, or null.
HWND wglRunWindow3D();
// The run window's messages for either renderer: ESC and 'e' to the driver,
// the close box ends the run, a new size reshapes an OpenGL view.
LRESULT CALLBACK runWindowProc3D(HWND w, UINT msg, WPARAM wp, LPARAM lp);

#endif
