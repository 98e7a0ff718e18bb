#include "meshBuilder.h"

#include <cmath>
#include <cstdio>
#include <map>

vec3 cross(vec3 a, vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

vec3 normalized(vec3 a)
{
    const double l = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return l > 0.0 ? a * (1.0 / l) : vec3{0.0, 1.0, 0.0};
}

void meshBuilder::use(const materialDef& m)
{
    for (size_t i = 0; i < mats.size(); i++)
        if (mats[i].name == m.name) {
            cur = int(i);
            return;
        }
    mats.push_back(m);
    cur = int(mats.size()) - 1;
}

int meshBuilder::addV(vec3 p)
{
    verts.push_back(p);
    return int(verts.size());
}

int meshBuilder::addN(vec3 n)
{
    norms.push_back(n);
    return int(norms.size());
}

int meshBuilder::addT(double u, double v)
{
    uvs.emplace_back(u, v);
    return int(uvs.size());
}

void meshBuilder::poly(const std::vector<vec3>& p, const std::vector<std::pair<double, double>>& uv)
{
    // counter-clockwise seen from the front
    const vec3 n = normalized(cross(p[1] - p[0], p[2] - p[0]));
    std::vector<vec3> ns(p.size(), n);
    polySmooth(p, ns, uv);
}

void meshBuilder::polySmooth(const std::vector<vec3>& p, const std::vector<vec3>& n,
                             const std::vector<std::pair<double, double>>& uv)
{
    face f;
    f.material = cur;
    const bool textured = !mats[size_t(cur)].texture.empty();
    for (size_t i = 0; i < p.size(); i++) {
        f.v.push_back(addV(p[i]));
        f.n.push_back(addN(n[i]));
        if (textured)
            f.t.push_back(uv.empty() ? addT(0.0, 0.0) : addT(uv[i].first, uv[i].second));
    }
    tris += int(p.size()) - 2;
    faces.push_back(std::move(f));
}

void meshBuilder::grid(vec3 o, vec3 du, vec3 dv, int nu, int nv, double u0, double v0, double u1, double v1)
{
    for (int j = 0; j < nv; j++)
        for (int i = 0; i < nu; i++) {
            const double a = double(i) / nu, b = double(i + 1) / nu;
            const double c = double(j) / nv, d = double(j + 1) / nv;
            poly({o + du * a + dv * c, o + du * b + dv * c, o + du * b + dv * d, o + du * a + dv * d},
                 {{u0 + (u1 - u0) * a, v0 + (v1 - v0) * c},
                  {u0 + (u1 - u0) * b, v0 + (v1 - v0) * c},
                  {u0 + (u1 - u0) * b, v0 + (v1 - v0) * d},
                  {u0 + (u1 - u0) * a, v0 + (v1 - v0) * d}});
        }
}

void meshBuilder::box(vec3 lo, vec3 hi, double cell, double texScale, bool top)
{
    const double w = hi.x - lo.x, h = hi.y - lo.y, d = hi.z - lo.z;
    auto cells = [cell](double len) { return len / cell < 1.0 ? 1 : int(std::lround(len / cell)); };
    const int nw = cells(w), nh = cells(h), nd = cells(d);
    // front (+z), right (+x), back (-z), left (-x): texture u runs along the wall
    grid({lo.x, lo.y, hi.z}, {w, 0, 0}, {0, h, 0}, nw, nh, 0, 0, w / texScale, h / texScale);
    grid({hi.x, lo.y, hi.z}, {0, 0, -d}, {0, h, 0}, nd, nh, 0, 0, d / texScale, h / texScale);
    grid({hi.x, lo.y, lo.z}, {-w, 0, 0}, {0, h, 0}, nw, nh, 0, 0, w / texScale, h / texScale);
    grid({lo.x, lo.y, lo.z}, {0, 0, d}, {0, h, 0}, nd, nh, 0, 0, d / texScale, h / texScale);
    if (top)
        grid({lo.x, hi.y, hi.z}, {w, 0, 0}, {0, 0, -d}, nw, nd, 0, 0, w / texScale, d / texScale);
}

void meshBuilder::cylinder(vec3 c, double r, double y0, double y1, int sides, bool caps, double texRepeat)
{
    for (int i = 0; i < sides; i++) {
        const double a0 = 2.0 * M_PI * i / sides, a1 = 2.0 * M_PI * (i + 1) / sides;
        const vec3 n0 = {std::cos(a0), 0, -std::sin(a0)}, n1 = {std::cos(a1), 0, -std::sin(a1)};
        const vec3 p0 = {c.x + r * n0.x, y0, c.z + r * n0.z}, p1 = {c.x + r * n1.x, y0, c.z + r * n1.z};
        const double u0 = texRepeat * i / sides, u1 = texRepeat * (i + 1) / sides;
        polySmooth({p0, p1, {p1.x, y1, p1.z}, {p0.x, y1, p0.z}}, {n0, n1, n1, n0},
                   {{u0, 0}, {u1, 0}, {u1, 1}, {u0, 1}});
    }
    if (caps) {
        std::vector<vec3> ring;
        std::vector<std::pair<double, double>> uv;
        for (int i = 0; i < sides; i++) {
            const double a = 2.0 * M_PI * i / sides;
            ring.push_back({c.x + r * std::cos(a), y1, c.z - r * std::sin(a)});
            uv.emplace_back(0.5 + 0.5 * std::cos(a), 0.5 + 0.5 * std::sin(a));
        }
        // a cap of many corners goes in as pieces of at most 31 points
        for (size_t s = 1; s + 1 < ring.size(); s += 28) {
            std::vector<vec3> part = {ring[0]};
            std::vector<std::pair<double, double>> pu = {uv[0]};
            for (size_t k = s; k < ring.size() && k < s + 30; k++) {
                part.push_back(ring[k]);
                pu.push_back(uv[k]);
            }
            poly(part, pu);
        }
    }
}

void meshBuilder::sphere(vec3 c, double r, int slices, int stacks)
{
    for (int j = 0; j < stacks; j++) {
        const double t0 = M_PI * j / stacks - M_PI / 2, t1 = M_PI * (j + 1) / stacks - M_PI / 2;
        for (int i = 0; i < slices; i++) {
            const double a0 = 2.0 * M_PI * i / slices, a1 = 2.0 * M_PI * (i + 1) / slices;
            auto at = [&](double a, double t) {
                return vec3{std::cos(t) * std::cos(a), std::sin(t), -std::cos(t) * std::sin(a)};
            };
            const vec3 n[4] = {at(a0, t0), at(a1, t0), at(a1, t1), at(a0, t1)};
            std::vector<vec3> p, ns;
            std::vector<std::pair<double, double>> uv;
            const double us[4] = {double(i) / slices, double(i + 1) / slices, double(i + 1) / slices,
                                  double(i) / slices};
            const double vs[4] = {double(j) / stacks, double(j) / stacks, double(j + 1) / stacks,
                                  double(j + 1) / stacks};
            for (int k = 0; k < 4; k++) {
                // the poles collapse to triangles
                if ((j == 0 && k == 1) || (j == stacks - 1 && k == 3))
                    continue;
                p.push_back(c + n[k] * r);
                ns.push_back(n[k]);
                uv.emplace_back(us[k], vs[k]);
            }
            polySmooth(p, ns, uv);
        }
    }
}

void meshBuilder::cone(vec3 tip, vec3 dir, double length, double radius, int sides)
{
    const vec3 d = normalized(dir);
    const vec3 side = normalized(std::fabs(d.y) < 0.9 ? cross(d, {0, 1, 0}) : cross(d, {1, 0, 0}));
    const vec3 up = cross(side, d);
    for (int i = 0; i < sides; i++) {
        const double a0 = 2.0 * M_PI * i / sides, a1 = 2.0 * M_PI * (i + 1) / sides;
        const vec3 r0 = side * std::cos(a0) + up * std::sin(a0);
        const vec3 r1 = side * std::cos(a1) + up * std::sin(a1);
        const vec3 b0 = tip + d * length + r0 * radius, b1 = tip + d * length + r1 * radius;
        polySmooth({tip, b0, b1}, {normalized(r0), normalized(r0), normalized(r1)},
                   {{0.5, 1.0}, {double(i) / sides, 0.0}, {double(i + 1) / sides, 0.0}});
    }
}

bool meshBuilder::write(const std::string& dir, const std::string& name) const
{
    FILE* m = std::fopen((dir + "/" + name + ".mtl").c_str(), "w");
    FILE* o = std::fopen((dir + "/" + name + ".obj").c_str(), "w");
    if (!m || !o) {
        if (m)
            std::fclose(m);
        if (o)
            std::fclose(o);
        return false;
    }
    for (const materialDef& d : mats) {
        // the loader passes over the line after newmtl
        std::fprintf(m, "newmtl %s\n# %s\n", d.name.c_str(), name.c_str());
        std::fprintf(m, "Ka %.3f %.3f %.3f\nKd %.3f %.3f %.3f\nKs %.3f %.3f %.3f\nNs %.1f\n", d.ka[0], d.ka[1],
                     d.ka[2], d.kd[0], d.kd[1], d.kd[2], d.ks[0], d.ks[1], d.ks[2], d.ns);
        if (!d.texture.empty()) {
            std::fprintf(m, "map_Kd %s\n", d.texture.c_str());
            if (d.sphereMap)
                std::fprintf(m, "map_refl %s\n", d.sphereTexture.c_str());
        } else if (d.sphereMap) {
            std::fprintf(m, "refl\n");
        }
        std::fprintf(m, "\n");
    }
    std::fclose(m);

    std::fprintf(o, "# Korvane scene model %s\nmtllib %s.mtl\n", name.c_str(), name.c_str());
    for (const vec3& v : verts)
        std::fprintf(o, "v %.4f %.4f %.4f\n", v.x, v.y, v.z);
    for (const vec3& n : norms)
        std::fprintf(o, "vn %.4f %.4f %.4f\n", n.x, n.y, n.z);
    for (const auto& t : uvs)
        std::fprintf(o, "vt %.4f %.4f\n", t.first, t.second);
    for (size_t mi = 0; mi < mats.size(); mi++) {
        std::fprintf(o, "usemtl %s\n", mats[mi].name.c_str());
        for (const face& f : faces) {
            if (f.material != int(mi))
                continue;
            std::fprintf(o, "f");
            for (size_t k = 0; k < f.v.size(); k++) {
                if (f.t.empty())
                    std::fprintf(o, " %d//%d", f.v[k], f.n[k]);
                else
                    std::fprintf(o, " %d/%d/%d", f.v[k], f.t[k], f.n[k]);
            }
            std::fprintf(o, "\n");
        }
    }
    return std::fclose(o) == 0;
}
