#include "d3dWindow3D.h"

#include "d3dDisplay3D.h"
#include "driver3D.h"
#include "wglWindow3D.h"

#include <cstdio>
#include <cstring>

int d3dDriverChoice = -1, d3dDeviceChoice = 0;
int useDirect3D = 0;
int useTnLHal = 0;
int d3dTexFilter = 1, d3dFullSceneAA = 0, d3dEdgeAA = 0, d3dShowTexFormats = 0;

namespace {

d3dScreen3D screen;
bool screenOpen = false;

d3d3D& renderer()
{
    static d3d3D r(&mainOut);
    return r;
}

// the display tests the renderer's information text runs, on this window's surfaces
int displayTests(int verbose, char* info, size_t size)
{
    if (!screenOpen)
        return 0;
    const int quiet = verbose == 1 ? 0 : 1;
    const float hz = refreshTest3D(screen, quiet, info, size);
    swapTest3D(screen, hz, quiet, info, size);
    return 1;
}

void destroyD3D(int id)
{
    (void)id;
    renderer().detach();
    if (screenOpen)
        closeScreen3D(screen);
    screenOpen = false;
}

int createD3D(const char* title, int w, int h, int doubleBuffer)
{
    (void)doubleBuffer;  // a back buffer always
    destroyD3D(0);
    const bool framed = frameWindow == 1;
    const int device = d3dDeviceFor3D(d3dDriverChoice, d3dDeviceChoice, framed);
    if (!openScreen3D(screen, d3dDriverChoice, device, w, h, scrD, !framed, runWindowProc3D)) {
        // a display that cannot take the mode still shows the run, in a window
        if (framed || !openScreen3D(screen, d3dDriverChoice, device, w, h, scrD, false, runWindowProc3D))
            return 0;
        mainOut.prf("d3d3D::init3D: %d x %d x %d runs in a window\n", w, h, scrD);
    }
    screenOpen = true;
    SetWindowTextA(screen.window, title);
    DDDEVICEIDENTIFIER2 id = {};
    screen.dd->GetDeviceIdentifier(&id, 0);
    if (!renderer().attach(screen.dd, screen.device, screen.back, id.szDescription, screen.deviceName,
                           d3dOptions3D())) {
        mainOut.pr("d3d3D::init3D: can't draw on the device\n");
        destroyD3D(0);
        return 0;
    }
    d3d3D::setDisplayTests(displayTests);
    ShowWindow(screen.window, SW_SHOW);
    SetForegroundWindow(screen.window);
    SetFocus(screen.window);
    mainOut.prf("d3d3D::init3D: created Direct3D Window %d x %d x %d\n", w, h, scrD);
    mainOut.prf("DirectDraw driver: %s   Direct3D device: %s\n", id.szDescription, screen.deviceName);
    return 1;
}

void swapD3D(int id)
{
    (void)id;
    if (!screenOpen)
        return;
    renderer().endFrame();
    swapScreen3D(screen);
}

int readD3D(int id, int w, int h, unsigned char* rgb)
{
    (void)id;
    return screenOpen && readPresented3D(screen, w, h, rgb) ? 1 : 0;
}

const glWindow3D d3dSystem = {
    .create = createD3D,
    .destroy = destroyD3D,
    .swap = swapD3D,
    .swapNow = nullptr,
    .readFrame = readD3D,
    .name = "direct3d",
};

}  // namespace

const glWindow3D* d3dWindowSystem3D()
{
    return &d3dSystem;
}

HWND d3dRunWindow3D()
{
    return screenOpen ? screen.window : nullptr;
}

d3d3D& d3dRenderer3D()
{
    return renderer();
}

d3d3D::options d3dOptions3D()
{
    d3d3D::options o;
    o.texFilter = d3dTexFilter;
    o.fullSceneAA = d3dFullSceneAA;
    o.edgeAA = d3dEdgeAA;
    o.showTexFormats = d3dShowTexFormats;
    o.no32BitTex = d3dNo32BitTex;
    o.fogInSoftware = d3dFogInSoftware;
    o.disableFog = d3dDisableFog;
    o.fogDistanceFix = d3dFogdistanceFix;
    o.noBlendHardware = d3dNoBlendHardware;
    o.specularEnable = d3dSpecularEnable;
    return o;
}

int d3dDeviceFor3D(int driver, int device, bool framed)
{
    char names[16][128];
    GUID guids[16] = {};
    int n = 0;
    for (; n < 16; n++) {
        char name[128];
        if (!deviceGuid3D(driver, n, &guids[n], name, sizeof name))
            break;
        std::snprintf(names[n], sizeof names[n], "%s", name);
    }
    auto find = [&](const GUID& g) {
        for (int i = 0; i < n; i++)
            if (IsEqualGUID(guids[i], g))
                return i;
        return -1;
    };
    if (device < 0 || device >= n)
        return device;
    if (framed && d3dDeskTopRenderingInSoftware == 1) {
        const int rgb = find(IID_IDirect3DRGBDevice);
        if (rgb >= 0)
            return rgb;
    }
    const int tnl = find(IID_IDirect3DTnLHalDevice);
    const int hal = find(IID_IDirect3DHALDevice);
    if (device == tnl && useTnLHal == 0 && hal >= 0) {
        mainOut.prf("USE Direct3DTnLHalDevice is off: %s renders\n", names[hal]);
        return hal;
    }
    if (device == hal && useTnLHal == 1 && tnl >= 0)
        return tnl;
    return device;
}

void selectRenderer3D()
{
    if (useDirect3D == 1) {
        gl3D::setWindowSystem(d3dWindowSystem3D());
        gl3D::setApi(d3d3D::api());
        benchRendererText = "DIRECT3D  ";
        startRendererText = "DIRECT 3D";
    } else {
        gl3D::setWindowSystem(wglWindowSystem3D());
        gl3D::setApi(nullptr);
        benchRendererText = "OPENGL    ";
        startRendererText = "OPEN GL";
    }
}
