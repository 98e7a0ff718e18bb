// The run window of the Windows build: a Win32 window with a WGL context
// for the renderer, its keys and its close box handed to the driver.
#include "wglWindow3D.h"

#include "driver3D.h"

#include "gl/glHeaders.h"
#include "gl/presentedFrame3D.h"

HINSTANCE wglInstance = nullptr;

namespace {

const char* const runClass = "KorvaneGL";
HWND runWin = nullptr;
HDC runDC = nullptr;
HGLRC runRC = nullptr;
bool displaySwitched = false;

bool switchDisplay(int w, int h, int d)
{
    DEVMODEA dm = {};
    dm.dmSize = sizeof dm;
    dm.dmPelsWidth = DWORD(w);
    dm.dmPelsHeight = DWORD(h);
    dm.dmBitsPerPel = DWORD(d);
    dm.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    return ChangeDisplaySettingsA(&dm, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

void destroyGL(int id)
{
    (void)id;
    if (runRC != nullptr) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(runRC);
        runRC = nullptr;
    }
    if (runDC != nullptr) {
        ReleaseDC(runWin, runDC);
        runDC = nullptr;
    }
    if (runWin != nullptr) {
        DestroyWindow(runWin);
        runWin = nullptr;
    }
    if (displaySwitched) {
        ChangeDisplaySettingsA(nullptr, 0);
        displaySwitched = false;
    }
}

int createGL(const char* title, int w, int h, int doubleBuffer)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = runWindowProc3D;
        wc.hInstance = wglInstance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = runClass;
        if (RegisterClassA(&wc) == 0) {
            mainOut.pr("gl3D::initglWin: Can't RegisterClass OpenGL Window\n");
            return 0;
        }
        registered = true;
    }
    DWORD style = WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    DWORD exStyle = WS_EX_APPWINDOW;
    int x = 0, y = 0, ww = w, wh = h;
    if (frameWindow == 1) {
        style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
        RECT r = {0, 0, w, h};
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
        ww = r.right - r.left;
        wh = r.bottom - r.top;
        x = y = CW_USEDEFAULT;
    } else {
        exStyle |= WS_EX_TOPMOST;
        if (glEngine.ddmSwitch == 1)
            displaySwitched = switchDisplay(w, h, scrD);
    }
    runWin = CreateWindowExA(exStyle, runClass, title, style, x, y, ww, wh, nullptr, nullptr, wglInstance, nullptr);
    if (runWin == nullptr) {
        mainOut.pr("gl3D::initglWin: Can't create OpenGL Window\n");
        destroyGL(0);
        return 0;
    }
    runDC = GetDC(runWin);
    if (runDC == nullptr) {
        mainOut.pr("gl3D::initGLPixelFormat: Can't GetDC");
        destroyGL(0);
        return 0;
    }
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | (doubleBuffer ? PFD_DOUBLEBUFFER : 0);
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = BYTE(scrD >= 24 ? 24 : 16);
    pfd.cDepthBits = BYTE(scrD >= 24 ? 24 : 16);
    pfd.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(runDC, &pfd);
    if (format == 0) {
        mainOut.pr("gl3D::initGLPixelFormat: Can't ChoosePixelFormat");
        destroyGL(0);
        return 0;
    }
    if (!SetPixelFormat(runDC, format, &pfd)) {
        mainOut.pr("gl3D::initGLPixelFormat: Can't SetPixelFormat\n");
        destroyGL(0);
        return 0;
    }
    runRC = wglCreateContext(runDC);
    if (runRC == nullptr) {
        mainOut.pr("gl3D::initGLPixelFormat: Can't wglCreateContext\n");
        destroyGL(0);
        return 0;
    }
    if (!wglMakeCurrent(runDC, runRC)) {
        mainOut.pr("gl3D::initGLPixelFormat: Can't wglMakeCurrent");
        destroyGL(0);
        return 0;
    }
    ShowWindow(runWin, SW_SHOW);
    SetForegroundWindow(runWin);
    SetFocus(runWin);
    mainOut.pr("gl3D::initglWin: created glWindow\n");
    const char* v = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
    const char* r = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    mainOut.prf("GL_VENDOR: %s   GL_RENDERER: %s\n", v ? v : "", r ? r : "");
    return 1;
}

// Wine's front buffer reads back black
presentedFrame3D presented;

void swapGL(int id)
{
    (void)id;
    if (runDC == nullptr)
        return;
    if (presented.keeping()) {
        RECT client = {};
        GetClientRect(runWin, &client);
        presented.grab(client.right, client.bottom);
    }
    SwapBuffers(runDC);
}

int readGL(int id, int w, int h, unsigned char* rgb)
{
    (void)id;
    return presented.read(w, h, rgb);
}

const glWindow3D wglSystem = {
    .create = createGL,
    .destroy = destroyGL,
    .swap = swapGL,
    .swapNow = nullptr,
    .readFrame = readGL,
    .name = "wgl",
};

}  // namespace

LRESULT CALLBACK runWindowProc3D(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_KEYDOWN:
        if (wp == VK_ESCAPE)
            myKeyboard(27, 0, 0);
        return 0;
    case WM_CHAR:
        if (wp == 'e')
            myKeyboard('e', 0, 0);
        return 0;
    case WM_CLOSE:
        // the driver ends the run and destroys the window at its next step
        closeRunWindow3D();
        return 0;
    case WM_SIZE:
        // a Direct3D frame is stretched into the window instead
        if (runRC != nullptr && LOWORD(lp) > 0 && HIWORD(lp) > 0)
            myReshape(LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    default:
        return DefWindowProcA(w, msg, wp, lp);
    }
}

const glWindow3D* wglWindowSystem3D()
{
    return &wglSystem;
}

void wglKeepPresented3D(bool on)
{
    presented.keep(on);
}

HWND wglRunWindow3D()
{
    return runWin;
}
