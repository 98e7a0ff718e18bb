// The OpenGL 1.1 entry points the renderer draws with, as one table. The
// renderer calls through the table it was given, so the same operations run
// on the system's OpenGL or on another device that implements this subset
// (the Direct3D 7 device of the Windows build).
#ifndef KORVA_GLAPI3D_H
#define KORVA_GLAPI3D_H

#include "glHeaders.h"

#include <cstddef>

#ifndef APIENTRY
#define APIENTRY
#endif

struct glApi3D {
    // the device's own display test; null runs the OpenGL swap test
    int (*deviceInfo)(int verbose, char* title, size_t titleSize, char* info1, size_t size1);

    void(APIENTRY* Enable)(GLenum cap);
    void(APIENTRY* Disable)(GLenum cap);
    void(APIENTRY* Hint)(GLenum target, GLenum mode);
    const GLubyte*(APIENTRY* GetString)(GLenum name);
    GLenum(APIENTRY* GetError)();
    void(APIENTRY* Flush)();
    void(APIENTRY* Finish)();

    void(APIENTRY* MatrixMode)(GLenum mode);
    void(APIENTRY* LoadIdentity)();
    void(APIENTRY* PushMatrix)();
    void(APIENTRY* PopMatrix)();
    void(APIENTRY* Translatef)(GLfloat x, GLfloat y, GLfloat z);
    void(APIENTRY* Rotatef)(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
    void(APIENTRY* MultMatrixf)(const GLfloat* m);
    void(APIENTRY* Frustum)(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f);
    void(APIENTRY* Viewport)(GLint x, GLint y, GLsizei w, GLsizei h);
    void(APIENTRY* DepthRange)(GLclampd n, GLclampd f);

    void(APIENTRY* DrawBuffer)(GLenum mode);
    void(APIENTRY* ClearColor)(GLclampf r, GLclampf g, GLclampf b, GLclampf a);
    void(APIENTRY* ClearDepth)(GLclampd d);
    void(APIENTRY* Clear)(GLbitfield mask);
    void(APIENTRY* DepthFunc)(GLenum func);
    void(APIENTRY* DepthMask)(GLboolean flag);
    void(APIENTRY* BlendFunc)(GLenum s, GLenum d);
    void(APIENTRY* CullFace)(GLenum mode);
    void(APIENTRY* PolygonMode)(GLenum face, GLenum mode);
    void(APIENTRY* PushAttrib)(GLbitfield mask);
    void(APIENTRY* PopAttrib)();

    void(APIENTRY* Lightf)(GLenum light, GLenum pname, GLfloat v);
    void(APIENTRY* Lightfv)(GLenum light, GLenum pname, const GLfloat* v);
    void(APIENTRY* LightModeli)(GLenum pname, GLint v);
    void(APIENTRY* Materialf)(GLenum face, GLenum pname, GLfloat v);
    void(APIENTRY* Materialfv)(GLenum face, GLenum pname, const GLfloat* v);
    void(APIENTRY* Fogi)(GLenum pname, GLint v);
    void(APIENTRY* Fogf)(GLenum pname, GLfloat v);
    void(APIENTRY* Fogfv)(GLenum pname, const GLfloat* v);

    void(APIENTRY* Begin)(GLenum mode);
    void(APIENTRY* End)();
    void(APIENTRY* Normal3f)(GLfloat x, GLfloat y, GLfloat z);
    void(APIENTRY* TexCoord2f)(GLfloat s, GLfloat t);
    void(APIENTRY* Vertex3f)(GLfloat x, GLfloat y, GLfloat z);
    void(APIENTRY* RasterPos3f)(GLfloat x, GLfloat y, GLfloat z);
    void(APIENTRY* Bitmap)(GLsizei w, GLsizei h, GLfloat xo, GLfloat yo, GLfloat xm, GLfloat ym, const GLubyte* bits);
    void(APIENTRY* PixelStorei)(GLenum pname, GLint v);

    void(APIENTRY* NewList)(GLuint list, GLenum mode);
    void(APIENTRY* EndList)();
    void(APIENTRY* CallList)(GLuint list);

    void(APIENTRY* GenTextures)(GLsizei n, GLuint* names);
    void(APIENTRY* DeleteTextures)(GLsizei n, const GLuint* names);
    void(APIENTRY* BindTexture)(GLenum target, GLuint name);
    void(APIENTRY* TexParameteri)(GLenum target, GLenum pname, GLint v);
    void(APIENTRY* TexEnvi)(GLenum target, GLenum pname, GLint v);
    void(APIENTRY* TexImage2D)(GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border,
                               GLenum format, GLenum type, const GLvoid* pixels);
};

// The system's OpenGL.
const glApi3D* openGLApi3D();

#endif
