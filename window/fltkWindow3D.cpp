#include "fltkWindow3D.h"

#include <FL/Fl.H>
#include <FL/glut.H>

namespace {

int create(const char* title, int w, int h, int doubleBuffer)
{
    glutInitDisplayMode(GLUT_DEPTH | GLUT_RGB | (doubleBuffer ? GLUT_DOUBLE : GLUT_SINGLE));
    glutInitWindowSize(w, h);
    glutInitWindowPosition(0, 0);
    return glutCreateWindow(title);
}

void destroy(int id)
{
    glutDestroyWindow(id);
}

void swap(int)
{
    glutSwapBuffers();
}

// inside the display callback glutSwapBuffers only marks the frame for FLTK's own swap after it
void swapNow(int)
{
    if (glut_window != nullptr)
        glut_window->swap_buffers();
}

const glWindow3D sys = {
    .create = create,
    .destroy = destroy,
    .swap = swap,
    .swapNow = swapNow,
    .readFrame = nullptr,
    .name = "fltk-glut",
};

}  // namespace

const glWindow3D* fltkWindowSystem3D()
{
    return &sys;
}
