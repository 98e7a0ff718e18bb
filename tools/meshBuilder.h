// Builds a model face by face, grouped by material, and writes it as an
// .obj file with its .mtl library in the forms the scene loader reads.
#ifndef KORVA_MESHBUILDER_H
#define KORVA_MESHBUILDER_H

#include <string>
#include <vector>

struct vec3 {
    double x, y, z;
};

inline vec3 operator+(vec3 a, vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline vec3 operator-(vec3 a, vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline vec3 operator*(vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
vec3 cross(vec3 a, vec3 b);
vec3 normalized(vec3 a);

struct materialDef {
    std::string name;
    double ka[3] = {0.2, 0.2, 0.2};
    double kd[3] = {0.8, 0.8, 0.8};
    double ks[3] = {0.2, 0.2, 0.2};
    double ns = 20.0;
    std::string texture;  // map_Kd; empty: a plain colour
    bool sphereMap = false;  // refl, or map_refl with a texture
    std::string sphereTexture;
};

class meshBuilder {
public:
    // Starts a group of faces in material m (added to the library once).
    void use(const materialDef& m);
    // A flat polygon with its own normal; uv per corner when the material is textured.
    void poly(const std::vector<vec3>& p, const std::vector<std::pair<double, double>>& uv = {});
    // A polygon with one normal per corner (smooth shading).
    void polySmooth(const std::vector<vec3>& p, const std::vector<vec3>& n,
                    const std::vector<std::pair<double, double>>& uv = {});
    // A quad split into nu x nv cells, so that vertex lighting follows a spot light.
    void grid(vec3 origin, vec3 du, vec3 dv, int nu, int nv, double u0, double v0, double u1, double v1);
    // An axis-aligned box from (x0, y0, z0) to (x1, y1, z1); walls split every cell units,
    // textures repeat every texScale units; bottom left out.
    void box(vec3 lo, vec3 hi, double cell, double texScale, bool top = true);
    // A cylinder around the y axis through centre, from y0 to y1.
    void cylinder(vec3 centre, double radius, double y0, double y1, int sides, bool caps, double texRepeat = 1.0);
    // A sphere, smooth, with latitude/longitude texture coordinates.
    void sphere(vec3 centre, double radius, int slices, int stacks);
    // A cone with its tip at tip, opening along dir to radius at length.
    void cone(vec3 tip, vec3 dir, double length, double radius, int sides);

    int triangles() const { return tris; }
    // Writes name.obj and name.mtl into dir. @returns whether both were written.
    bool write(const std::string& dir, const std::string& name) const;

private:
    struct face {
        int material;
        std::vector<int> v, n, t;
    };
    int addV(vec3 p);
    int addN(vec3 n);
    int addT(double u, double v);

    std::vector<materialDef> mats;
    int cur = -1;
    std::vector<vec3> verts, norms;
    std::vector<std::pair<double, double>> uvs;
    std::vector<face> faces;
    int tris = 0;
};

#endif
