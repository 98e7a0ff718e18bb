// Direct3D 7 on DirectDraw surfaces: opening a driver and a device in a
// mode, the refresh-rate and swap tests of the display, and closing again.
#ifndef KORVA_D3DDISPLAY3D_H
#define KORVA_D3DDISPLAY3D_H

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <cstddef>

// The enumerations through DirectDraw, each name at most 127 bytes:
// DirectDraw drivers, a driver's Direct3D devices, and the screen modes a
// device renders into as width, height, depth. @returns how many were listed.
int enumDrivers3D(char names[][128], int max);
int enumDevices3D(int driver, char names[][128], int max);
int enumModes3D(int driver, int device, int modes[][3], int max);
// @returns the DirectDraw object of an enumerated driver, or null.
IDirectDraw7* openDriver3D(int driver);
// The id and name of an enumerated device of a driver. @returns whether it exists.
bool deviceGuid3D(int driver, int device, GUID* guid, char* name, size_t nameSize);

// The surfaces and device of one opening.
struct d3dScreen3D {
    HWND window = nullptr;
    IDirectDraw7* dd = nullptr;
    IDirect3D7* d3d = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* back = nullptr;
    IDirectDrawSurface7* zbuffer = nullptr;
    IDirectDrawClipper* clipper = nullptr;
    IDirect3DDevice7* device = nullptr;
    int width = 0, height = 0, depth = 0;
    bool fullScreen = false;
    char deviceName[128] = {};
    // a present that failed was reported; the next that works reports again
    bool presentFailed = false;
};

// Opens driver and device at width x height x depth, full screen (exclusive,
// the display switched) or in a window, whose messages go to proc when one
// is given. Failures go to the console. @returns whether the device exists.
bool openScreen3D(d3dScreen3D& s, int driver, int device, int width, int height, int depth, bool fullScreen,
                  WNDPROC proc = nullptr);
// The back buffer to the screen: a flip, or a copy stretched over the
// window, clipped to the screen: the part of the window past its edges is
// not drawn. Surfaces lost to another program are restored; a present that
// fails says so once on the console. @returns whether it was presented.
bool swapScreen3D(d3dScreen3D& s);
// The window's part of the screen rectangle to, cut to the screen, and the
// part of the back buffer of backW x backH that lands there. @returns false
// when nothing of it is on the screen.
bool clipPresent3D(const RECT& to, int screenW, int screenH, int backW, int backH, RECT* clipped, RECT* from);
// Reads back what the last present put on the screen, width x height from
// the lower left of the window's client area, bottom row first, RGB.
// @returns false when the screen does not hold that much of the window.
bool readPresented3D(d3dScreen3D& s, int width, int height, unsigned char* rgb);
void closeScreen3D(d3dScreen3D& s);

// The refresh-rate test at real-time priority, normal priority again on
// every path. @returns the rate, or 0 when it was not measured or not believed.
float refreshTest3D(d3dScreen3D& s, int quiet, char* info, size_t size);
// The swap test and its VSync verdict against the refresh rate.
float swapTest3D(d3dScreen3D& s, float refreshHz, int quiet, char* info, size_t size);

#endif
