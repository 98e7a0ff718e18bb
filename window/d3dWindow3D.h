// The Direct3D 7 window system of the renderer on Windows: the run window
// with its DirectDraw surfaces and device, and the Direct3D renderer on them.
#ifndef KORVA_D3DWINDOW3D_H
#define KORVA_D3DWINDOW3D_H

#include "d3d/d3d3D.h"
#include "gl/glWindow3D.h"

#include <windows.h>

// the driver and device the window opens (the main dialog's choice)
extern int d3dDriverChoice, d3dDeviceChoice;
// 1: the Direct3D renderer is chosen, 0: OpenGL
extern int useDirect3D;
// check 1130: the T&L HAL may be opened
extern int useTnLHal;
// the Direct3D settings of SETTINGS_DIALOG
extern int d3dTexFilter, d3dFullSceneAA, d3dEdgeAA, d3dShowTexFormats;

// The window system to hand to gl3D::setWindowSystem together with
// d3d3D::api(). A full-screen window (frameWindow 0) takes the display in
// the chosen mode; a framed one draws off screen and is copied in.
const glWindow3D* d3dWindowSystem3D();
// @returns the open run window, or null.
HWND d3dRunWindow3D();
// the renderer on the open window's device
d3d3D& d3dRenderer3D();
// The options the window's renderer starts with: the "d3d..." keys and the
// Direct3D controls of the settings dialog.
d3d3D::options d3dOptions3D();
// @returns the device to open for the chosen one: the T&L HAL only where
// check 1130 allows it, the software rasteriser for framed windows when
// d3dDeskTopRenderingInSoftware asks for it.
int d3dDeviceFor3D(int driver, int device, bool framed);
// The renderer's window system and device for the choice of 1070 / 1071,
// and the first word of the benchmark record's third line.
void selectRenderer3D();

#endif
