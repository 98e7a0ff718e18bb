#include "d3dDisplay3D.h"

#include "console/appendf3D.h"
#include "displayVerdicts3D.h"
#include "driver3D.h"
#include "platform3D.h"

#include <cstdio>
#include <cstring>

namespace {

template <class T>
void release(T*& p)
{
    if (p != nullptr) {
        p->Release();
        p = nullptr;
    }
}

// real-time priority for a measurement, normal again however it ends
class realTime {
public:
    realTime()
    {
        SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    }
    ~realTime()
    {
        SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    }
    realTime(const realTime&) = delete;
    realTime& operator=(const realTime&) = delete;
};

void text(IDirectDrawSurface7* surface, const char* line, COLORREF ink, COLORREF paper)
{
    HDC dc = nullptr;
    if (surface == nullptr || FAILED(surface->GetDC(&dc)))
        return;
    SetTextColor(dc, ink);
    SetBkColor(dc, paper);
    SetBkMode(dc, OPAQUE);
    TextOutA(dc, 20, 20, line, int(std::strlen(line)));
    surface->ReleaseDC(dc);
}

LRESULT CALLBACK screenProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    return DefWindowProcA(w, msg, wp, lp);
}

HWND makeWindow(int width, int height, bool fullScreen)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = screenProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = "KorvaneD3D";
        if (RegisterClassA(&wc) == 0)
            return nullptr;
        registered = true;
    }
    DWORD style = fullScreen ? WS_POPUP : WS_OVERLAPPEDWINDOW;
    RECT r = {0, 0, width, height};
    AdjustWindowRect(&r, style, FALSE);
    HWND w = CreateWindowExA(fullScreen ? WS_EX_TOPMOST : 0, "KorvaneD3D", "Korvane", style, 0, 0, r.right - r.left,
                             r.bottom - r.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (w != nullptr)
        ShowWindow(w, SW_SHOW);
    return w;
}

HRESULT WINAPI zFormat(LPDDPIXELFORMAT pf, LPVOID ctx)
{
    auto* best = static_cast<DDPIXELFORMAT*>(ctx);
    if ((pf->dwFlags & DDPF_ZBUFFER) == 0 || (pf->dwFlags & DDPF_STENCILBUFFER) != 0)
        return D3DENUMRET_OK;
    // 16 bits where asked, else the deepest up to 32
    const DWORD bits = pf->dwZBufferBitDepth;
    const DWORD limit = d3dNo32BitZbuffer == 1 ? 16 : 32;
    if (bits <= limit && bits > best->dwZBufferBitDepth)
        *best = *pf;
    return D3DENUMRET_OK;
}

}  // namespace

bool openScreen3D(d3dScreen3D& s, int driver, int device, int width, int height, int depth, bool fullScreen,
                  WNDPROC proc)
{
    s = d3dScreen3D();
    s.width = width;
    s.height = height;
    s.depth = depth;
    s.fullScreen = fullScreen;
    GUID guid = {};
    if (!deviceGuid3D(driver, device, &guid, s.deviceName, sizeof s.deviceName)) {
        mainOut.pr("No DirectX Device found.\n");
        return false;
    }
    s.window = makeWindow(width, height, fullScreen);
    if (s.window != nullptr && proc != nullptr)
        SetWindowLongPtrA(s.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    s.dd = openDriver3D(driver);
    if (s.window == nullptr || s.dd == nullptr) {
        mainOut.pr("d3d3D::init3D: can't open DirectDraw\n");
        closeScreen3D(s);
        return false;
    }
    const DWORD level = fullScreen ? DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN : DDSCL_NORMAL;
    if (FAILED(s.dd->SetCooperativeLevel(s.window, level | DDSCL_FPUSETUP))) {
        mainOut.pr("d3d3D::init3D: can't SetCooperativeLevel\n");
        closeScreen3D(s);
        return false;
    }
    if (fullScreen && FAILED(s.dd->SetDisplayMode(DWORD(width), DWORD(height), DWORD(depth), 0, 0))) {
        mainOut.prf("d3d3D::init3D: can't SetDisplayMode %d x %d x %d\n", width, height, depth);
        closeScreen3D(s);
        return false;
    }
    DDSURFACEDESC2 sd = {};
    sd.dwSize = sizeof sd;
    if (fullScreen) {
        sd.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        sd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
        sd.dwBackBufferCount = 1;
    } else {
        sd.dwFlags = DDSD_CAPS;
        sd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    }
    if (FAILED(s.dd->CreateSurface(&sd, &s.primary, nullptr))) {
        mainOut.pr("d3d3D::init3D: can't create the primary surface\n");
        closeScreen3D(s);
        return false;
    }
    if (fullScreen) {
        DDSCAPS2 caps = {};
        caps.dwCaps = DDSCAPS_BACKBUFFER;
        if (FAILED(s.primary->GetAttachedSurface(&caps, &s.back))) {
            mainOut.pr("d3d3D::init3D: no back buffer\n");
            closeScreen3D(s);
            return false;
        }
    } else {
        // a window: the frame is drawn off screen and copied through a clipper
        if (SUCCEEDED(s.dd->CreateClipper(0, &s.clipper, nullptr))) {
            s.clipper->SetHWnd(0, s.window);
            s.primary->SetClipper(s.clipper);
        }
        DDSURFACEDESC2 bd = {};
        bd.dwSize = sizeof bd;
        bd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        bd.dwWidth = DWORD(width);
        bd.dwHeight = DWORD(height);
        bd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
        if (FAILED(s.dd->CreateSurface(&bd, &s.back, nullptr))) {
            mainOut.pr("d3d3D::init3D: can't create the back buffer\n");
            closeScreen3D(s);
            return false;
        }
    }
    if (FAILED(s.dd->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&s.d3d)))) {
        mainOut.pr("d3d3D::init3D: no Direct3D 7\n");
        closeScreen3D(s);
        return false;
    }
    DDPIXELFORMAT zf = {};
    zf.dwSize = sizeof zf;
    s.d3d->EnumZBufferFormats(guid, zFormat, &zf);
    if (zf.dwZBufferBitDepth > 0) {
        DDSURFACEDESC2 zd = {};
        zd.dwSize = sizeof zd;
        zd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        zd.dwWidth = DWORD(width);
        zd.dwHeight = DWORD(height);
        zd.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | DDSCAPS_VIDEOMEMORY;
        zd.ddpfPixelFormat = zf;
        if (SUCCEEDED(s.dd->CreateSurface(&zd, &s.zbuffer, nullptr)))
            s.back->AddAttachedSurface(s.zbuffer);
    }
    if (FAILED(s.d3d->CreateDevice(guid, s.back, &s.device))) {
        mainOut.prf("d3d3D::init3D: can't create the device %s\n", s.deviceName);
        closeScreen3D(s);
        return false;
    }
    D3DVIEWPORT7 vp = {0, 0, DWORD(width), DWORD(height), 0.0f, 1.0f};
    s.device->SetViewport(&vp);
    return true;
}

bool clipPresent3D(const RECT& to, int screenW, int screenH, int backW, int backH, RECT* clipped, RECT* from)
{
    const long w = to.right - to.left;
    const long h = to.bottom - to.top;
    RECT c = {to.left < 0 ? 0 : to.left, to.top < 0 ? 0 : to.top, to.right > screenW ? screenW : to.right,
              to.bottom > screenH ? screenH : to.bottom};
    if (w <= 0 || h <= 0 || c.right <= c.left || c.bottom <= c.top)
        return false;
    *clipped = c;
    // the back buffer's part in the same proportion as the window's part on the screen
    from->left = LONG((long long)(c.left - to.left) * backW / w);
    from->top = LONG((long long)(c.top - to.top) * backH / h);
    from->right = LONG((long long)(c.right - to.left) * backW / w);
    from->bottom = LONG((long long)(c.bottom - to.top) * backH / h);
    return from->right > from->left && from->bottom > from->top;
}

bool swapScreen3D(d3dScreen3D& s)
{
    if (s.primary == nullptr || s.back == nullptr)
        return false;
    HRESULT hr;
    if (s.fullScreen) {
        hr = s.primary->Flip(nullptr, DDFLIP_WAIT);
    } else {
        RECT client = {};
        GetClientRect(s.window, &client);
        POINT origin = {0, 0};
        ClientToScreen(s.window, &origin);
        const int w = client.right > 0 ? client.right : s.width;
        const int h = client.bottom > 0 ? client.bottom : s.height;
        const RECT to = {origin.x, origin.y, origin.x + w, origin.y + h};
        // a window as wide as the desktop runs past its edge, and a copy past the screen is refused whole
        RECT on = {}, from = {};
        if (!clipPresent3D(to, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), s.width, s.height, &on,
                           &from))
            return true;  // nothing of the window is on the screen
        hr = s.primary->Blt(&on, s.back, &from, DDBLT_WAIT, nullptr);
    }
    if (hr == DDERR_SURFACELOST && s.dd != nullptr)
        s.dd->RestoreAllSurfaces();
    if (FAILED(hr) && !s.presentFailed)
        mainOut.prf("d3d3D::swap3DBuffer: the frame was not shown (%s 0x%08lx)\n", s.fullScreen ? "Flip" : "Blt",
                    (unsigned long)hr);
    s.presentFailed = FAILED(hr);
    return SUCCEEDED(hr);
}

namespace {

// one channel of the surface's pixels by its mask, scaled to 8 bits
struct channel {
    unsigned long mask = 0, max = 1;
    int shift = 0;
    explicit channel(unsigned long m) : mask(m)
    {
        if (mask == 0)
            return;
        while (((mask >> shift) & 1) == 0)
            shift++;
        max = mask >> shift;
    }
    unsigned char of(unsigned long pixel) const { return (unsigned char)(((pixel & mask) >> shift) * 255 / max); }
};

}  // namespace

bool readPresented3D(d3dScreen3D& s, int width, int height, unsigned char* rgb)
{
    if (s.primary == nullptr || width <= 0 || height <= 0 || rgb == nullptr)
        return false;
    RECT r = {0, 0, width, height};
    if (!s.fullScreen) {
        POINT origin = {0, 0};
        ClientToScreen(s.window, &origin);
        r = {origin.x, origin.y, origin.x + width, origin.y + height};
        if (r.left < 0 || r.top < 0 || r.right > GetSystemMetrics(SM_CXSCREEN) ||
            r.bottom > GetSystemMetrics(SM_CYSCREEN))
            return false;
    }
    DDSURFACEDESC2 d = {};
    d.dwSize = sizeof d;
    if (FAILED(s.primary->Lock(&r, &d, DDLOCK_WAIT | DDLOCK_READONLY | DDLOCK_SURFACEMEMORYPTR, nullptr)))
        return false;
    const DDPIXELFORMAT& f = d.ddpfPixelFormat;
    const int bytes = int(f.dwRGBBitCount / 8);
    const bool ok = (f.dwFlags & DDPF_RGB) != 0 && bytes >= 2 && bytes <= 4;
    if (ok) {
        const channel red(f.dwRBitMask), green(f.dwGBitMask), blue(f.dwBBitMask);
        for (int y = 0; y < height; y++) {
            const auto* row = static_cast<const unsigned char*>(d.lpSurface) + size_t(y) * size_t(d.lPitch);
            unsigned char* out = rgb + size_t(height - 1 - y) * size_t(width) * 3;
            for (int x = 0; x < width; x++) {
                unsigned long p = 0;
                for (int b = 0; b < bytes; b++)
                    p |= (unsigned long)(row[size_t(x) * size_t(bytes) + size_t(b)]) << (8 * b);
                out[x * 3 + 0] = red.of(p);
                out[x * 3 + 1] = green.of(p);
                out[x * 3 + 2] = blue.of(p);
            }
        }
    }
    s.primary->Unlock(&r);
    return ok;
}

void closeScreen3D(d3dScreen3D& s)
{
    release(s.device);
    if (s.back != nullptr && s.zbuffer != nullptr)
        s.back->DeleteAttachedSurface(0, s.zbuffer);
    release(s.zbuffer);
    if (!s.fullScreen)
        release(s.back);
    else
        s.back = nullptr;  // part of the flip chain
    release(s.clipper);
    release(s.primary);
    release(s.d3d);
    if (s.dd != nullptr) {
        if (s.fullScreen) {
            s.dd->RestoreDisplayMode();
            s.dd->SetCooperativeLevel(s.window, DDSCL_NORMAL);
        }
        release(s.dd);
    }
    if (s.window != nullptr) {
        DestroyWindow(s.window);
        s.window = nullptr;
    }
}

float refreshTest3D(d3dScreen3D& s, int quiet, char* info, size_t size)
{
    const realTime priority;
    if (FAILED(s.dd->WaitForVerticalBlank(DDWAITVB_BLOCKEND, nullptr))) {
        mainOut.pr("can't do WaitForVerticalBlank");
        return 0.0f;
    }
    char line[128];
    std::snprintf(line, sizeof line, "TESTING REFRESHRATE %d x %d x %d  PLEASE WAIT", s.width, s.height, s.depth);
    text(s.primary, line, RGB(255, 255, 255), RGB(0, 0, 0));
    s.dd->WaitForVerticalBlank(DDWAITVB_BLOCKEND, nullptr);
    const long t0 = clockMillis3D();
    for (int i = 0; i < 200; i++)
        s.dd->WaitForVerticalBlank(DDWAITVB_BLOCKEND, nullptr);
    const float hz = rateOf200(clockMillis3D() - t0);
    if (!refreshRateValid(hz)) {
        if (quiet == 0)
            mainOut.pr("\nRefreshRate test error. Wrong WaitForVerticalBlank\n");
        return 0.0f;
    }
    if (quiet == 0) {
        mainOut.prf("\nVideocard refreshrate %d x %d x %d test result: ", s.width, s.height, s.depth);
        mainOut.prf("%3.2f Hz \n", double(hz));
    }
    appendf3D(info, size, " refreshrate:%3.0f  ", double(hz));
    return hz;
}

float swapTest3D(d3dScreen3D& s, float refreshHz, int quiet, char* info, size_t size)
{
    D3DRECT all = {0, 0, s.width, s.height};
    s.device->Clear(1, &all, D3DCLEAR_TARGET, 0xffffffffu, 1.0f, 0);
    swapScreen3D(s);
    s.device->Clear(1, &all, D3DCLEAR_TARGET, 0xffffffffu, 1.0f, 0);
    char line[128];
    std::snprintf(line, sizeof line, "TESTING SWAP3DBuffer for Direct3D %d x %d x %d  PLEASE WAIT", s.width, s.height,
                  s.depth);
    text(s.back, line, RGB(0, 0, 0), RGB(255, 255, 255));
    const long t0 = clockMillis3D();
    for (int i = 0; i < 200; i++) {
        if (s.fullScreen)
            s.primary->Flip(nullptr, DDFLIP_WAIT);
        swapScreen3D(s);
    }
    const float hz = rateOf200(clockMillis3D() - t0);
    if (quiet == 0) {
        mainOut.prf("\nSWAP3DBuffer  %d x %d x %d test result: ", s.width, s.height, s.depth);
        mainOut.prf("%3.2f Hz \n", double(hz));
    }
    if (d3dVSyncOn(hz, refreshHz)) {
        mainOut.pr("VSync for Direct3D is ON\n");
        appendf3D(info, size, "VSync ON  ");
    } else {
        mainOut.pr("VSync for Direct3D is OFF\n");
        appendf3D(info, size, "VSync OFF  ");
    }
    return hz;
}
