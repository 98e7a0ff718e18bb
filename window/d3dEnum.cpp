// The Direct3D 7 enumerations of the main dialog: DirectDraw drivers, the
// Direct3D devices of a driver, and the screen modes a device can render
// into, as width x height x depth.
#include "d3dDisplay3D.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int maxDrivers = 16;
constexpr int maxDevices = 16;

struct driverEntry {
    GUID guid;
    bool primary;  // the null GUID: the primary display driver
};
driverEntry drivers[maxDrivers];
int numDrivers = 0;

struct deviceList {
    char (*names)[128];
    DWORD depths[maxDevices];
    GUID guids[maxDevices];
    int count;
    int max;
};

struct modeCollect {
    int (*modes)[3];
    int count;
    int max;
    DWORD depths;  // DDBD_ flags of the device
};

BOOL WINAPI driverCallback(GUID* guid, LPSTR description, LPSTR name, LPVOID ctx, HMONITOR monitor)
{
    (void)name;
    (void)monitor;
    auto* out = static_cast<char(*)[128]>(ctx);
    if (numDrivers >= maxDrivers)
        return FALSE;
    drivers[numDrivers].primary = guid == nullptr;
    if (guid != nullptr)
        drivers[numDrivers].guid = *guid;
    std::snprintf(out[numDrivers], 128, "%s", description ? description : "DirectDraw driver");
    numDrivers++;
    return TRUE;
}

HRESULT WINAPI deviceCallback(LPSTR description, LPSTR name, LPD3DDEVICEDESC7 desc, LPVOID ctx)
{
    auto* list = static_cast<deviceList*>(ctx);
    if (list->count >= list->max || list->count >= maxDevices)
        return D3DENUMRET_CANCEL;
    std::snprintf(list->names[list->count], 128, "%s", name ? name : (description ? description : "device"));
    list->depths[list->count] = desc != nullptr ? desc->dwDeviceRenderBitDepth : 0;
    if (desc != nullptr)
        list->guids[list->count] = desc->deviceGUID;
    list->count++;
    return D3DENUMRET_OK;
}

HRESULT WINAPI modeCallback(LPDDSURFACEDESC2 sd, LPVOID ctx)
{
    auto* c = static_cast<modeCollect*>(ctx);
    if (c->count >= c->max)
        return DDENUMRET_CANCEL;
    const int bits = int(sd->ddpfPixelFormat.dwRGBBitCount);
    const DWORD flag = bits == 16 ? DDBD_16 : bits == 24 ? DDBD_24 : bits == 32 ? DDBD_32 : 0;
    // only modes the device can render into
    if (flag == 0 || (c->depths != 0 && (c->depths & flag) == 0))
        return DDENUMRET_OK;
    for (int i = 0; i < c->count; i++)
        if (c->modes[i][0] == int(sd->dwWidth) && c->modes[i][1] == int(sd->dwHeight) && c->modes[i][2] == bits)
            return DDENUMRET_OK;
    c->modes[c->count][0] = int(sd->dwWidth);
    c->modes[c->count][1] = int(sd->dwHeight);
    c->modes[c->count][2] = bits;
    c->count++;
    return DDENUMRET_OK;
}

}  // namespace

IDirectDraw7* openDriver3D(int driver)
{
    // a renderer opened before the dialog listed the drivers lists them itself
    if (numDrivers == 0) {
        static char names[maxDrivers][128];
        enumDrivers3D(names, maxDrivers);
    }
    if (driver < 0 || driver >= numDrivers)
        return nullptr;
    IDirectDraw7* dd = nullptr;
    GUID* g = drivers[driver].primary ? nullptr : &drivers[driver].guid;
    if (FAILED(DirectDrawCreateEx(g, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr)))
        return nullptr;
    return dd;
}

namespace {

// the devices of a driver, with the depths each renders into and their ids
int listDevices(int driver, char names[][128], int max, DWORD* depths, GUID* guids = nullptr)
{
    IDirectDraw7* dd = openDriver3D(driver);
    if (dd == nullptr)
        return 0;
    IDirect3D7* d3d = nullptr;
    int n = 0;
    if (SUCCEEDED(dd->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&d3d)))) {
        deviceList list = {names, {}, {}, 0, max};
        d3d->EnumDevices(deviceCallback, &list);
        n = list.count;
        if (depths != nullptr)
            std::memcpy(depths, list.depths, sizeof list.depths);
        if (guids != nullptr)
            std::memcpy(guids, list.guids, sizeof list.guids);
        d3d->Release();
    }
    dd->Release();
    return n;
}

}  // namespace

int enumDrivers3D(char names[][128], int max)
{
    numDrivers = 0;
    DirectDrawEnumerateExA(driverCallback, names, DDENUM_ATTACHEDSECONDARYDEVICES);
    return numDrivers < max ? numDrivers : max;
}

int enumDevices3D(int driver, char names[][128], int max)
{
    return listDevices(driver, names, max, nullptr);
}

int enumModes3D(int driver, int device, int modes[][3], int max)
{
    static char names[maxDevices][128];
    DWORD depths[maxDevices] = {};
    const int n = listDevices(driver, names, maxDevices, depths);
    if (device < 0 || device >= n)
        return 0;
    IDirectDraw7* dd = openDriver3D(driver);
    if (dd == nullptr)
        return 0;
    modeCollect c = {modes, 0, max, depths[device]};
    dd->EnumDisplayModes(0, nullptr, &c, modeCallback);
    dd->Release();
    return c.count;
}

bool deviceGuid3D(int driver, int device, GUID* guid, char* name, size_t nameSize)
{
    static char names[maxDevices][128];
    GUID guids[maxDevices] = {};
    const int n = listDevices(driver, names, maxDevices, nullptr, guids);
    if (device < 0 || device >= n)
        return false;
    *guid = guids[device];
    if (name != nullptr && nameSize > 0)
        std::snprintf(name, nameSize, "%s", names[device]);
    return true;
}
