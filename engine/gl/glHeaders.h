// OpenGL 1.1 declarations; Windows wants its own header first.
#ifndef KORVA_GLHEADERS_H
#define KORVA_GLHEADERS_H

#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>

#endif
