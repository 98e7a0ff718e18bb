// Where the renderer's state mirrors and OpenGL disagree, by name: "" when
// they agree. Read with the renderer's context current.
#ifndef KORVA_TEST_GLMIRRORS_H
#define KORVA_TEST_GLMIRRORS_H

#include "gl/gl3D.h"

#include <GL/gl.h>

#include <cmath>
#include <string>

inline std::string mirrorFaults(const gl3D& g)
{
    std::string f;
    GLint two = 0;
    glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &two);
    if ((g.texEnabled == 1) != (glIsEnabled(GL_TEXTURE_2D) == GL_TRUE))
        f += " texture";
    if ((g.blending == 1) != (glIsEnabled(GL_BLEND) == GL_TRUE))
        f += " blend";
    if ((g.cullFace == 1) != (glIsEnabled(GL_CULL_FACE) == GL_TRUE))
        f += " cull";
    if ((g.twoSideLight == 1) != (two != 0))
        f += " two-side";
    return f;
}

// Where the current material's mirror and OpenGL's front material disagree:
// the colours setLastMaterial would apply again. Meaningful once a material
// was set (init keeps defaults OpenGL has not been given).
inline std::string materialFaults(const gl3D& g)
{
    std::string f;
    const struct {
        GLenum what;
        const float* mirror;
        const char* name;
    } colours[] = {{GL_AMBIENT, g.matAmbient, " ambient"},
                   {GL_DIFFUSE, g.matDiffuse, " diffuse"},
                   {GL_SPECULAR, g.matSpecular, " specular"}};
    for (const auto& c : colours) {
        GLfloat v[4] = {};
        glGetMaterialfv(GL_FRONT, c.what, v);
        for (int k = 0; k < 4; k++)
            if (std::fabs(v[k] - c.mirror[k]) > 1e-4f) {
                f += c.name;
                break;
            }
    }
    return f;
}

#endif
