// A device table that records the renderer's drawing calls and passes each on
// to the system's OpenGL: the tests read back the orders and coordinates the
// renderer sent, which the pixels alone do not show.
#ifndef KORVA_TEST_GLRECORDER_H
#define KORVA_TEST_GLRECORDER_H

#include "gl/glApi3D.h"

#include <string>
#include <vector>

namespace glrec {

struct call {
    std::string op;
    float a[4] = {};
    unsigned u = 0;
};

inline std::vector<call>& log()
{
    static std::vector<call> calls;
    return calls;
}

inline const glApi3D& real()
{
    static const glApi3D* r = openGLApi3D();
    return *r;
}

inline void add(const char* op, float x = 0, float y = 0, float z = 0, unsigned u = 0)
{
    call c;
    c.op = op;
    c.a[0] = x;
    c.a[1] = y;
    c.a[2] = z;
    c.u = u;
    log().push_back(c);
}

inline void APIENTRY begin(GLenum m)
{
    add("Begin", 0, 0, 0, m);
    real().Begin(m);
}
inline void APIENTRY end()
{
    add("End");
    real().End();
}
inline void APIENTRY normal(GLfloat x, GLfloat y, GLfloat z)
{
    add("Normal", x, y, z);
    real().Normal3f(x, y, z);
}
inline void APIENTRY texCoord(GLfloat s, GLfloat t)
{
    add("TexCoord", s, t);
    real().TexCoord2f(s, t);
}
inline void APIENTRY vertex(GLfloat x, GLfloat y, GLfloat z)
{
    add("Vertex", x, y, z);
    real().Vertex3f(x, y, z);
}
inline void APIENTRY enable(GLenum c)
{
    add("Enable", 0, 0, 0, c);
    real().Enable(c);
}
inline void APIENTRY disable(GLenum c)
{
    add("Disable", 0, 0, 0, c);
    real().Disable(c);
}
inline void APIENTRY bindTexture(GLenum t, GLuint n)
{
    add("BindTexture", 0, 0, 0, n);
    real().BindTexture(t, n);
}
inline void APIENTRY callList(GLuint n)
{
    add("CallList", 0, 0, 0, n);
    real().CallList(n);
}

// the vendor and renderer texts the table reports instead of the system's (null: the system's)
inline const char*& vendorText()
{
    static const char* t = nullptr;
    return t;
}
inline const char*& rendererText()
{
    static const char* t = nullptr;
    return t;
}
inline const GLubyte* APIENTRY getString(GLenum name)
{
    const char* t = name == GL_VENDOR ? vendorText() : name == GL_RENDERER ? rendererText() : nullptr;
    return t != nullptr ? reinterpret_cast<const GLubyte*>(t) : real().GetString(name);
}

// The table: every entry the system's, the drawing calls recorded.
inline const glApi3D* table()
{
    static glApi3D t = [] {
        glApi3D r = real();
        r.Begin = begin;
        r.End = end;
        r.Normal3f = normal;
        r.TexCoord2f = texCoord;
        r.Vertex3f = vertex;
        r.Enable = enable;
        r.Disable = disable;
        r.BindTexture = bindTexture;
        r.CallList = callList;
        r.GetString = getString;
        return r;
    }();
    return &t;
}

// the calls named op, in order
inline std::vector<call> only(const char* op)
{
    std::vector<call> r;
    for (const call& c : log())
        if (c.op == op)
            r.push_back(c);
    return r;
}

// the primitive blocks as text: "T3 S4 Q4" for a triangle, a strip and a quad of their vertex counts
inline std::string blocks()
{
    std::string s;
    int n = -1;
    char kind = '?';
    for (const call& c : log()) {
        if (c.op == "Begin") {
            n = 0;
            kind = c.u == GL_TRIANGLES ? 'T' : c.u == GL_TRIANGLE_STRIP ? 'S' : c.u == GL_QUADS ? 'Q' : '?';
        } else if (c.op == "Vertex" && n >= 0) {
            n++;
        } else if (c.op == "End" && n >= 0) {
            if (!s.empty())
                s += ' ';
            s += kind + std::to_string(n);
            n = -1;
        }
    }
    return s;
}

}  // namespace glrec

#endif
