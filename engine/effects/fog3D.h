// Fog clouds: flat textured squares at random places that a moving point
// pushes aside and that drift back to their resting shape.
#ifndef KORVA_FOG3D_H
#define KORVA_FOG3D_H

#include "math/vec_4.h"

class outTxt;
class data3D;
class gl3D;

class fog3D {
public:
    static constexpr int MAXFOG = 16000;

    fog3D(outTxt* console, data3D* store);
    fog3D(const fog3D&) = delete;
    fog3D& operator=(const fog3D&) = delete;

    // No clouds and no textures.
    void init();
    // Sets the renderer, the three kinds' textures and how clouds give way
    // (vertical 1: up and down too); removes every cloud. @returns 1.
    int initFog(gl3D* gl, int tex1, int tex2, int tex3, float influence, float strength, float relax, int vertical);
    // Appends n / 3 clouds of each kind, seeded. @returns 0, or -1 when MAXFOG is reached.
    int fillFog(unsigned seed, int n, float xmin, float xmax, float zmin, float zmax, float ybase, float yrange,
                float rbase, float rrange);
    // Appends one resting cloud. @returns 0, or -1 when MAXFOG is reached.
    int insertFog(float x, float y, float z, float r);
    // Draws every cloud in view as a textured, lit quad, two triangles
    // counted each; leaves texturing on and a white material. @returns 1.
    int drawFog();
    // Pushes the corners within reach of (px, py, pz) away from it, dragged
    // along dir in moveFog2; the clouds near it drift back to rest by
    // relax * dt of their deviation. @returns 1.
    int moveFog(float px, float py, float pz, float dt);
    int moveFog2(float px, float py, float pz, vec_4 dir, float dt);

    int getCount() const { return count; }
    // Cloud i as it stands; i must be below getCount().
    const vec_4& getCentre(int i) const { return centre[i]; }
    const vec_4& getCorner(int i, int c) const { return corner[i][c]; }
    float getRadius(int i) const { return radius[i]; }
    int getTexture(int i) const { return texture[i]; }

    float influence;
    float strength;
    float relax;
    int vertical;

private:
    void restCorners(int i, vec_4 out[4]) const;
    void push(float px, float py, float pz, const vec_4* dir, float dt);

    outTxt* out;
    gl3D* gl;
    data3D* store;
    int count;
    int tex[3];
    int curKind;
    float radius[MAXFOG];
    int texture[MAXFOG];
    vec_4 centre[MAXFOG];
    vec_4 corner[MAXFOG][4];
    int orient[MAXFOG][2];
};

#endif
