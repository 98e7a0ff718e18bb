#include "eglWindow3D.h"

#include "gl/presentedFrame3D.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

EGLDisplay display = EGL_NO_DISPLAY;
EGLConfig config = nullptr;
EGLSurface surface = EGL_NO_SURFACE;
EGLContext context = EGL_NO_CONTEXT;

bool hasExtension(const char* list, const char* name)
{
    const size_t n = std::strlen(name);
    for (const char* p = list; p != nullptr && (p = std::strstr(p, name)) != nullptr; p += n)
        if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0'))
            return true;
    return false;
}

int create(const char*, int width, int height, int)
{
    char why[160];
    if (!openEglDisplay(why, sizeof why)) {
        std::fprintf(stderr, "%s\n", why);
        return 0;
    }
    // the driver allocates a pbuffer only when it draws: ask its limits first
    EGLint maxW = 0, maxH = 0;
    eglGetConfigAttrib(display, config, EGL_MAX_PBUFFER_WIDTH, &maxW);
    eglGetConfigAttrib(display, config, EGL_MAX_PBUFFER_HEIGHT, &maxH);
    if (width < 1 || height < 1 || width > maxW || height > maxH) {
        std::fprintf(stderr, "off-screen: no %d x %d pbuffer (the largest is %d x %d)\n", width, height, int(maxW),
                     int(maxH));
        return 0;
    }
    // a pbuffer renders into its back buffer whatever the buffer mode
    const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    surface = eglCreatePbufferSurface(display, config, size);
    if (surface == EGL_NO_SURFACE) {
        std::fprintf(stderr, "off-screen: no %d x %d pbuffer (EGL error 0x%04x)\n", width, height,
                     unsigned(eglGetError()));
        return 0;
    }
    context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT || eglMakeCurrent(display, surface, surface, context) != EGL_TRUE) {
        std::fprintf(stderr, "off-screen: no OpenGL context (EGL error 0x%04x)\n", unsigned(eglGetError()));
        if (context != EGL_NO_CONTEXT)
            eglDestroyContext(display, context);
        eglDestroySurface(display, surface);
        context = EGL_NO_CONTEXT;
        surface = EGL_NO_SURFACE;
        return 0;
    }
    return 1;
}

void destroy(int)
{
    if (display == EGL_NO_DISPLAY)
        return;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context != EGL_NO_CONTEXT)
        eglDestroyContext(display, context);
    if (surface != EGL_NO_SURFACE)
        eglDestroySurface(display, surface);
    context = EGL_NO_CONTEXT;
    surface = EGL_NO_SURFACE;
}

// A pbuffer has nothing to show and no refresh to wait for; the frame
// counts once the driver has drawn all of it.
void swap(int)
{
    if (surface == EGL_NO_SURFACE)
        return;
    eglSwapBuffers(display, surface);
    glFinish();
}

// the pbuffer's one buffer holds what the last swap finished
int readFrame(int, int w, int h, unsigned char* rgb)
{
    if (surface == EGL_NO_SURFACE)
        return 0;
    return presentedFrame3D::readBack(w, h, rgb);
}

const glWindow3D sys = {
    .create = create,
    .destroy = destroy,
    .swap = swap,
    .swapNow = nullptr,
    .readFrame = readFrame,
    .name = "egl-surfaceless",
};

}  // namespace

const glWindow3D* eglWindowSystem3D()
{
    return &sys;
}

bool openEglDisplay(char* why, size_t size)
{
    if (display != EGL_NO_DISPLAY)
        return true;
    // the driver's own warnings would bury the one line that says what is missing
    setenv("EGL_LOG_LEVEL", "fatal", 0);
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!hasExtension(client, "EGL_MESA_platform_surfaceless")) {
        // name the cause: a vendor setting of the user's, or Mesa's vendor missing
        const char* const settings[] = {"__EGL_VENDOR_LIBRARY_FILENAMES", "__EGL_VENDOR_LIBRARY_DIRS"};
        for (const char* name : settings) {
            const char* v = std::getenv(name);
            if (v != nullptr && v[0] != '\0') {
                std::snprintf(why, size, "off-screen: this EGL has no surfaceless platform: %s=%s names no EGL "
                                         "vendor that has it", name, v);
                return false;
            }
        }
        std::error_code ec;
        if (std::filesystem::exists("/usr/share/glvnd/egl_vendor.d/50_mesa.json", ec))
            std::snprintf(why, size, "off-screen: this EGL has no surfaceless platform, though Mesa's EGL vendor "
                                     "is installed");
        else
            std::snprintf(why, size, "off-screen: this EGL has no surfaceless platform (install libegl-mesa0)");
        return false;
    }
    auto getDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    EGLDisplay d = getDisplay ? getDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)
                              : EGL_NO_DISPLAY;
    EGLint major = 0, minor = 0;
    if (d == EGL_NO_DISPLAY || eglInitialize(d, &major, &minor) != EGL_TRUE) {
        std::snprintf(why, size, "off-screen: no usable GL device for EGL (EGL error 0x%04x)",
                      unsigned(eglGetError()));
        return false;
    }
    const EGLint want[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                           EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 16, EGL_NONE};
    EGLint found = 0;
    if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE || eglChooseConfig(d, want, &config, 1, &found) != EGL_TRUE ||
        found < 1) {
        std::snprintf(why, size, "off-screen: the EGL device has no OpenGL pbuffer with a depth buffer");
        eglTerminate(d);
        return false;
    }
    // kept for the process's life, as a window system's connection is: ending
    // it would unload the driver, whose memory then has no name
    display = d;
    return true;
}
