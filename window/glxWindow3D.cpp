#include "glxWindow3D.h"

#include "gl/presentedFrame3D.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdio>

namespace {

Display* dpy = nullptr;
Window win = 0;
GLXContext ctx = nullptr;

// Xvfb's GLX reads a window's front buffer back black
presentedFrame3D presented;

int create(const char* title, int w, int h, int doubleBuffer)
{
    if (dpy == nullptr)
        dpy = XOpenDisplay(nullptr);
    if (dpy == nullptr) {
        std::fprintf(stderr, "glxWindow: no X display (run under xvfb-run)\n");
        return 0;
    }
    int single[] = {GLX_RGBA, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, GLX_DEPTH_SIZE, 16, None};
    int dbl[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                 GLX_DEPTH_SIZE, 16, None};
    XVisualInfo* vi = glXChooseVisual(dpy, DefaultScreen(dpy), doubleBuffer ? dbl : single);
    if (vi == nullptr)
        return 0;
    const Window root = RootWindow(dpy, vi->screen);
    XSetWindowAttributes swa = {};
    swa.colormap = XCreateColormap(dpy, root, vi->visual, AllocNone);
    swa.event_mask = ExposureMask;
    win = XCreateWindow(dpy, root, 0, 0, unsigned(w), unsigned(h), 0, vi->depth, InputOutput, vi->visual,
                        CWColormap | CWEventMask, &swa);
    XStoreName(dpy, win, title);
    XMapWindow(dpy, win);
    ctx = glXCreateContext(dpy, vi, nullptr, True);
    XFree(vi);
    if (ctx == nullptr || !glXMakeCurrent(dpy, win, ctx))
        return 0;
    XSync(dpy, False);
    return 1;
}

void destroy(int)
{
    if (dpy == nullptr)
        return;
    glXMakeCurrent(dpy, None, nullptr);
    if (ctx != nullptr)
        glXDestroyContext(dpy, ctx);
    if (win != 0)
        XDestroyWindow(dpy, win);
    ctx = nullptr;
    win = 0;
    XSync(dpy, False);
}

void swap(int)
{
    if (dpy == nullptr || win == 0)
        return;
    if (presented.keeping()) {
        XWindowAttributes a = {};
        XGetWindowAttributes(dpy, win, &a);
        presented.grab(a.width, a.height);
    }
    glXSwapBuffers(dpy, win);
}

int readFrame(int, int w, int h, unsigned char* rgb)
{
    return presented.read(w, h, rgb);
}

const glWindow3D sys = {
    .create = create,
    .destroy = destroy,
    .swap = swap,
    .swapNow = nullptr,
    .readFrame = readFrame,
    .name = "glx",
};

}  // namespace

const glWindow3D* glxWindowSystem3D()
{
    return &sys;
}

void glxKeepPresented3D(bool on)
{
    presented.keep(on);
}

bool canOpenX11Display(const char* name)
{
    static Display* held = nullptr;
    if (held == nullptr)
        held = XOpenDisplay(name);
    return held != nullptr;
}
