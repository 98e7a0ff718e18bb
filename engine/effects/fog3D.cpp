#include "fog3D.h"

#include "console/outTxt.h"
#include "gl/gl3D.h"
#include "korvaRand.h"

#include <cmath>

fog3D::fog3D(outTxt* console, data3D* d)
    : influence(0.0f), strength(0.0f), relax(0.0f), vertical(0), out(console), gl(nullptr), store(d), count(0),
      tex{}, curKind(0), radius{}, texture{}, orient{}
{
    for (int i = 0; i < MAXFOG; i++) {
        centre[i] = vec_4{0.0f, 0.0f, 0.0f, 1.0f};
        for (vec_4& c : corner[i])
            c = vec_4{0.0f, 0.0f, 0.0f, 1.0f};
    }
    init();
}

void fog3D::init()
{
    count = 0;
    tex[0] = tex[1] = tex[2] = 0;
    curKind = 0;
}

int fog3D::initFog(gl3D* g, int tex1, int tex2, int tex3, float infl, float str, float rel, int vert)
{
    gl = g;
    tex[0] = tex1;
    tex[1] = tex2;
    tex[2] = tex3;
    influence = infl;
    strength = str;
    relax = rel;
    vertical = vert;
    count = 0;
    return 1;
}

void fog3D::restCorners(int i, vec_4 c[4]) const
{
    const vec_4& m = centre[i];
    const float r = radius[i];
    c[0] = vec_4{m.x - r, m.y, m.z + r, 1.0f};
    c[1] = vec_4{m.x + r, m.y, m.z + r, 1.0f};
    c[2] = vec_4{m.x + r, m.y, m.z - r, 1.0f};
    c[3] = vec_4{m.x - r, m.y, m.z - r, 1.0f};
}

int fog3D::insertFog(float x, float y, float z, float r)
{
    if (count >= MAXFOG) {
        out->pr("fillFog: MAXFOG limit reached\n");
        return -1;
    }
    centre[count] = vec_4{x, y, z, 1.0f};
    radius[count] = r;
    texture[count] = tex[curKind];
    restCorners(count, corner[count]);
    count++;
    return 0;
}

int fog3D::fillFog(unsigned seed, int n, float xmin, float xmax, float zmin, float zmax, float ybase, float yrange,
                   float rbase, float rrange)
{
    // the same seed gives the same clouds on every platform
    korvaRand rnd(seed);
    auto u = [&rnd] { return float(rnd.rand()) * 4.656613e-10f; };
    const int per = n / 3;
    for (int k = 0; k < 3; k++) {
        for (int c = 0; c < per; c++) {
            if (count >= MAXFOG) {
                out->pr("fillFog: MAXFOG limit reached\n");
                return -1;
            }
            const float x = xmin + (xmax - xmin) * u();
            const float y = ybase + u() * yrange;
            const float z = zmin + u() * (zmax - zmin);
            const float r = rbase + u() * rrange;
            centre[count] = vec_4{x, y, z, 1.0f};
            radius[count] = r;
            texture[count] = tex[k];
            restCorners(count, corner[count]);
            const int o = int(std::lround(u() * 4.0f));
            orient[count][0] = o;
            orient[count][1] = o == 3 ? 0 : o + 1;
            count++;
        }
    }
    return 0;
}

int fog3D::drawFog()
{
    if (gl == nullptr)
        return 1;
    gl->texOn();
    matrix_4 cam;
    matrix_4 bound;
    gl->getCamMat(&cam);
    gl->getBoundMat(&bound);
    matrix_4 l;
    identityMat(&l);
    l.m[11] = -3.2f;
    const matrix_4 p = mulMat(bound, mulMat(l, cam));
    gl->setMaterial(1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f);
    const vec_4 n = {0.0f, 2.0f, 0.0f, 1.0f};
    const vec_4 t0 = {0.0f, 0.0f, 0.0f, 1.0f};
    const vec_4 t1 = {1.0f, 0.0f, 0.0f, 1.0f};
    const vec_4 t2 = {1.0f, 1.0f, 0.0f, 1.0f};
    const vec_4 t3 = {0.0f, 1.0f, 0.0f, 1.0f};
    for (int i = 0; i < count; i++) {
        if (gl->boundBoxCheck == 1 && gl3D::checkVecBoundBox(centre[i], &p) == 0)
            continue;
        gl->setTex(texture[i], store);
        const vec_4* c = corner[i];
        gl->poly4_ntv(n, t0, c[0], n, t1, c[1], n, t2, c[2], n, t3, c[3]);
        gl->polyCount += 2;
    }
    return 1;
}

// Pushes the corners near (px, py, pz) away from it, along dir as well when
// given, then lets every cloud within twice the influence relax back.
void fog3D::push(float px, float py, float pz, const vec_4* dir, float dt)
{
    vec_4 along = {0.0f, 0.0f, 0.0f, 0.0f};
    if (dir != nullptr) {
        const float len = std::sqrt(dir->x * dir->x + dir->y * dir->y + dir->z * dir->z);
        if (len > 0.0f)
            along = vec_4{dir->x / len * 0.7f, dir->y / len * 0.7f, dir->z / len * 0.7f, 0.0f};
    }
    const float back = relax * dt > 1.0f ? 1.0f : (relax * dt < 0.0f ? 0.0f : relax * dt);
    for (int i = 0; i < count; i++) {
        const float cx = centre[i].x - px;
        const float cy = centre[i].y - py;
        const float cz = centre[i].z - pz;
        const float d = std::sqrt(cx * cx + cy * cy + cz * cz);
        if (d > 2.0f * influence)
            continue;
        if (d < influence) {
            for (vec_4& c : corner[i]) {
                float vx = c.x - px;
                float vy = c.y - py;
                float vz = c.z - pz;
                const float dc = std::sqrt(vx * vx + vy * vy + vz * vz);
                const float e = influence - dc > 0.0f ? influence - dc : 0.0f;
                if (e == 0.0f || dc == 0.0f)
                    continue;
                const float mag = e * (e * strength) * (e * strength) * dt;
                // away from the point, and dragged along its way
                vx = vx / dc + along.x;
                vy = vy / dc + along.y;
                vz = vz / dc + along.z;
                c.x += mag * vx;
                if (vertical == 1)
                    c.y += mag * vy;
                c.z += mag * vz;
            }
        }
        vec_4 rest[4];
        restCorners(i, rest);
        // a step of at most the whole deviation: never past the resting place
        for (int k = 0; k < 4; k++) {
            vec_4& c = corner[i][k];
            c.x += (rest[k].x - c.x) * back;
            c.y += (rest[k].y - c.y) * back;
            c.z += (rest[k].z - c.z) * back;
        }
    }
}

int fog3D::moveFog(float px, float py, float pz, float dt)
{
    push(px, py, pz, nullptr, dt);
    return 1;
}

int fog3D::moveFog2(float px, float py, float pz, vec_4 dir, float dt)
{
    push(px, py, pz, &dir, dt);
    return 1;
}
