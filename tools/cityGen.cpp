#include "cityGen.h"

#include "meshBuilder.h"
#include "texGen.h"

#include <cmath>
#include <filesystem>

namespace {

materialDef textured(const std::string& name, const std::string& tex, double kd = 0.85, double ks = 0.15,
                     double ns = 20.0)
{
    materialDef m;
    m.name = name;
    m.texture = tex;
    for (int c = 0; c < 3; c++) {
        m.ka[c] = 0.35;
        m.kd[c] = kd;
        m.ks[c] = ks;
    }
    m.ns = ns;
    return m;
}

materialDef plain(const std::string& name, double r, double g, double b, double ks = 0.3, double ns = 30.0)
{
    materialDef m;
    m.name = name;
    m.ka[0] = r * 0.4;
    m.ka[1] = g * 0.4;
    m.ka[2] = b * 0.4;
    m.kd[0] = r;
    m.kd[1] = g;
    m.kd[2] = b;
    m.ks[0] = m.ks[1] = m.ks[2] = ks;
    m.ns = ns;
    return m;
}

// centres of the 2 x 2 tile groups that hold a tower block, in load order
// (block1 .. block8, block10 .. block18, then block12, 14, 15 again as the far skyline)
const double blockAt[20][2] = {
    {-20, -36}, {-20, -20}, {-20, -4}, {-20, 12}, {-20, 28}, {-20, 44}, {-20, 60}, {28, -36},
    {28, -20},  {28, -4},   {28, 12},  {28, 28},  {28, 44},  {28, 60},  {12, 44},  {-4, 60},
    {12, 60},   {-20, -52}, {12, -52}, {28, -52},
};

const char* const blockFile[20] = {"block1",  "block2",  "block3",  "block4",  "block5",  "block6",  "block7",
                                   "block8",  "block10", "block11", "block12", "block13", "block14", "block15",
                                   "block16", "block17", "block18", "block12", "block14", "block15"};

// One tower: walls in its facade style, a roof, sometimes a setback tier and
// a mast. The glow twin gets the lit windows just outside the walls.
void addTower(meshBuilder& base, meshBuilder& glow, double cx, double cz, double w, double d, double h, int style,
              uint32_t seed, cityLayout* layout)
{
    const std::string fac = "facade" + std::to_string(style + 1);
    const std::string lit = "winlit" + std::to_string(style + 1);
    const materialDef wall = textured(fac, fac + ".rgb", 0.9, 0.12, 12.0);
    const materialDef roof = textured("roof", "roof.rgb", 0.8, 0.05, 5.0);
    materialDef glowMat = textured(lit, lit + ".rgb", 1.0, 0.0, 0.0);

    const double texScale = 4.0;
    // walls in small cells: the ship's spot light is lit per vertex
    const double cell = 0.4;
    double y0 = 0.0;
    double ww = w, dd = d;
    const bool tiered = hash01(int(cx * 10), int(cz * 10), seed) < 0.45 && h > 9.0;
    const int tiers = tiered ? 2 : 1;
    for (int t = 0; t < tiers; t++) {
        const double y1 = (t == tiers - 1) ? h : h * 0.62;
        const vec3 lo = {cx - ww / 2, y0, cz - dd / 2};
        const vec3 hi = {cx + ww / 2, y1, cz + dd / 2};
        base.use(wall);
        base.box(lo, hi, cell, texScale, false);
        base.use(roof);
        base.grid({lo.x, y1, hi.z}, {ww, 0, 0}, {0, 0, -dd}, 2, 2, 0, 0, ww / 4, dd / 4);
        // the lit windows stand a little off the walls so they never fight them for depth
        glow.use(glowMat);
        const double off = 0.03;
        glow.box({lo.x - off, y0 + 0.05, lo.z - off}, {hi.x + off, y1, hi.z + off}, 1000.0, texScale, false);
        layout->towers.push_back({lo.x, lo.z, hi.x, hi.z, y1});
        y0 = y1;
        ww *= 0.7;
        dd *= 0.7;
    }
    if (hash01(int(cz * 10), int(cx * 10), seed + 5) < 0.5) {
        base.use(plain("mast", 0.5, 0.5, 0.55));
        base.cylinder({cx, 0, cz}, 0.06, h, h + 2.0, 5, false);
    }
}

long writeBlocks(const std::string& dir, cityLayout* layout)
{
    long tris = 0;
    for (int b = 0; b < 17; b++) {
        meshBuilder base, glow;
        const double bx = blockAt[b][0], bz = blockAt[b][1];
        const uint32_t seed = 1000U + uint32_t(b) * 31U;
        // four plots, one per tile, inside the streets along the tile edges
        for (int p = 0; p < 4; p++) {
            const double px = bx + (p % 2 == 0 ? -4.0 : 4.0);
            const double pz = bz + (p < 2 ? -4.0 : 4.0);
            const double r = hash01(p, b, seed);
            // the blocks near the centre stand tallest
            const double nearCentre = 1.0 - std::min(1.0, std::hypot(px - 4.0, pz - 12.0) / 60.0);
            const double h = 5.0 + 16.0 * nearCentre * (0.5 + 0.5 * r) + 3.0 * hash01(p + 9, b, seed);
            const int style = int(hash01(p + 3, b + 7, seed) * 4.0) % 4;
            if (hash01(p + 11, b, seed) < 0.3) {
                // two slim towers share the plot
                addTower(base, glow, px - 1.15, pz, 2.0, 3.8, h, style, seed + uint32_t(p), layout);
                addTower(base, glow, px + 1.25, pz + 0.3, 1.8, 3.0, h * 0.7, (style + 1) % 4, seed + 50U + uint32_t(p),
                         layout);
            } else {
                const double w = 3.0 + 1.4 * hash01(p + 21, b, seed);
                const double d = 3.0 + 1.4 * hash01(p + 31, b, seed);
                addTower(base, glow, px, pz, w, d, h, style, seed + uint32_t(p), layout);
            }
        }
        if (!base.write(dir, blockFile[b]) || !glow.write(dir, std::string(blockFile[b]) + "a"))
            return -1;
        tris += base.triangles() + glow.triangles();
    }
    // the far skyline reuses block12, 14 and 15; the driver moves them there
    return tris;
}

long writeStreets(const std::string& dir)
{
    long tris = 0;
    const materialDef road = textured("road", "road.rgb", 0.8, 0.05, 5.0);
    const materialDef paving = textured("plaza", "plaza.rgb", 0.8, 0.05, 5.0);
    {
        meshBuilder m;
        m.use(road);
        m.grid({-4, 0, 4}, {8, 0, 0}, {0, 0, -8}, 8, 8, 0, 0, 1, 1);
        if (!m.write(dir, "str0"))
            return -1;
        tris += m.triangles();
    }
    {
        // one plaza piece of 16 x 24 for the free centre
        meshBuilder m;
        m.use(paving);
        m.grid({-8, 0, 12}, {16, 0, 0}, {0, 0, -24}, 8, 12, 0, 0, 4, 6);
        if (!m.write(dir, "strsing"))
            return -1;
        tris += m.triangles();
    }
    {
        // the ground around and under everything, a little below the streets
        meshBuilder m;
        m.use(paving);
        m.grid({-100, -0.02, 100}, {200, 0, 0}, {0, 0, -200}, 10, 10, 0, 0, 40, 40);
        if (!m.write(dir, "strbor"))
            return -1;
        tris += m.triangles();
    }
    return tris;
}

// the factory's materials, shared by its parts
struct factoryMaterials {
    materialDef wall = textured("fabwall", "fabwall.rgb", 0.85, 0.2, 10.0);
    materialDef roof = textured("fabroof", "fabroof.rgb", 0.8, 0.3, 20.0);
    materialDef metal = textured("metal", "metal.rgb", 0.8, 0.6, 60.0);
    materialDef glow = textured("fabglow", "fabglow.rgb", 1.0, 0.0, 0.0);
    materialDef lamp = textured("lamp", "lamp.rgb", 1, 0, 0);
};

// fab1: the main hall; the two wall fans sit before its end walls
void factoryHall(meshBuilder& m, const factoryMaterials& f)
{
    m.use(f.wall);
    m.box({-4, 0, -16.7}, {6, 4.5, -4.95}, 1.5, 6.0, false);
    m.use(f.roof);
    m.grid({-4, 4.5, -4.95}, {10, 0, 0}, {0, 0, -11.75}, 5, 6, 0, 0, 2, 2);
}

// fab2: saw-tooth skylights on the hall roof
void factorySkylights(meshBuilder& m, const factoryMaterials& f)
{
    m.use(f.roof);
    for (int i = 0; i < 4; i++) {
        const double z0 = -15.8 + i * 2.7, z1 = z0 + 2.2;
        m.poly({{-3.5, 4.5, z1}, {5.5, 4.5, z1}, {5.5, 5.6, z0}, {-3.5, 5.6, z0}}, {{0, 0}, {3, 0}, {3, 1}, {0, 1}});
        m.poly({{-3.5, 4.5, z0}, {-3.5, 5.6, z0}, {5.5, 5.6, z0}, {5.5, 4.5, z0}}, {{0, 0}, {0, 1}, {3, 1}, {3, 0}});
    }
}

// fab3: chimneys west of the hall
void factoryChimneys(meshBuilder& m, const factoryMaterials& f)
{
    m.use(f.metal);
    m.cylinder({-2.0, 0, -22.0}, 0.7, 0, 11.0, 12, true, 2.0);
    m.cylinder({1.0, 0, -26.5}, 0.55, 0, 8.5, 12, true, 2.0);
}

// fab4: the small hall by the street
void factorySmallHall(meshBuilder& m, const factoryMaterials& f)
{
    m.use(f.wall);
    m.box({9, 0, -6}, {15, 3.0, -0.5}, 1.5, 6.0, false);
    m.use(f.roof);
    m.grid({9, 3.0, -0.5}, {6, 0, 0}, {0, 0, -5.5}, 3, 3, 0, 0, 1, 1);
}

// fab5: pipes from the hall to the chimneys and tanks
void factoryPipes(meshBuilder& m, const factoryMaterials& f)
{
    m.use(f.metal);
    for (int k = 0; k < 2; k++) {
        const double y = 2.5 + k * 0.8;
        const double z = -17.5 - k * 0.5;
        // a horizontal pipe along x, as a box of small section
        m.box({-2.0, y, z - 0.18}, {9.0, y + 0.36, z + 0.18}, 2.0, 2.0, true);
    }
    m.box({-2.2, 0, -18.6}, {-1.8, 3.8, -18.2}, 2.0, 2.0, true);
}

// fab6: gas tanks south of the chimneys
void factoryTanks(meshBuilder& m, const factoryMaterials& f)
{
    m.use(f.metal);
    m.cylinder({4.5, 0, -26.0}, 1.6, 0, 3.2, 16, true, 3.0);
    m.cylinder({-1.5, 0, -28.0}, 1.3, 0, 2.6, 16, true, 3.0);
}

// fab7: the display yard: posts around the two turntables carry the crowns
void factoryYardPosts(meshBuilder& m, const factoryMaterials& f)
{
    m.use(f.metal);
    const double at[2][2] = {{20.0, -16.19}, {15.95, -15.01}};
    for (const auto& c : at) {
        for (int p = 0; p < 4; p++) {
            const double a = M_PI * 0.25 + p * M_PI * 0.5;
            const double x = c[0] + 2.55 * std::cos(a), z = c[1] + 2.55 * std::sin(a);
            m.box({x - 0.08, 0, z - 0.08}, {x + 0.08, 3.55, z + 0.08}, 2.0, 2.0, true);
        }
    }
}

// fab8: the yard slab and a loading dock
void factoryYard(meshBuilder& m, const factoryMaterials& f)
{
    m.use(f.roof);
    m.grid({-5, 0.01, 1}, {29, 0, 0}, {0, 0, -21}, 10, 7, 0, 0, 6, 4);
    m.use(f.wall);
    m.box({6, 0, -4.6}, {8.8, 1.0, -1.0}, 1.5, 6.0, true);
}

// fab1a: the lit window bands of both halls, lamps on the chimneys
void factoryGlow(meshBuilder& m, const factoryMaterials& f)
{
    m.use(f.glow);
    m.box({-4.04, 0, -16.74}, {6.04, 4.5, -4.91}, 1000, 6.0, false);
    m.box({8.96, 0, -6.04}, {15.04, 3.0, -0.46}, 1000, 6.0, false);
    m.use(f.lamp);
    m.poly({{-2.6, 11.3, -22}, {-1.4, 11.3, -22}, {-1.4, 12.5, -22}, {-2.6, 12.5, -22}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
}

// propel1: a wall fan of four blades in the x-y plane
void factoryFan(meshBuilder& m, const factoryMaterials& f)
{
    m.use(f.metal);
    for (int b = 0; b < 4; b++) {
        const double a = b * M_PI * 0.5;
        const double c = std::cos(a), s = std::sin(a);
        auto at = [&](double r, double t) { return vec3{r * c - t * s, r * s + t * c, 0.0}; };
        m.poly({at(0.15, -0.12), at(1.0, -0.22), at(1.0, 0.22), at(0.15, 0.12)}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
        m.poly({at(0.15, 0.12), at(1.0, 0.22), at(1.0, -0.22), at(0.15, -0.12)}, {{0, 1}, {1, 1}, {1, 0}, {0, 0}});
    }
    m.cylinder({0, -0.2, 0}, 0.18, -0.2, 0.2, 8, true);
}

// propel5: the crown, a ring of vanes turning about y
void factoryCrown(meshBuilder& m, const factoryMaterials& f)
{
    m.use(f.metal);
    for (int v = 0; v < 8; v++) {
        const double a = v * M_PI * 0.25;
        const vec3 c = {std::cos(a), 0, std::sin(a)};
        const vec3 t = {-std::sin(a) * 0.25, 0, std::cos(a) * 0.25};
        m.poly({c - t, c + t, c + t + vec3{0, 0.5, 0}, c - t + vec3{0, 0.5, 0}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
        m.poly({c + t, c - t, c - t + vec3{0, 0.5, 0}, c + t + vec3{0, 0.5, 0}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    }
    m.cylinder({0, 0, 0}, 0.25, 0.0, 0.6, 8, true);
}

// propel5a: lamps on the crown's vanes
void factoryCrownLamps(meshBuilder& m, const factoryMaterials& f)
{
    m.use(f.lamp);
    for (int v = 0; v < 8; v++) {
        const double a = v * M_PI * 0.25;
        const vec3 c = {std::cos(a) * 1.05, 0.55, std::sin(a) * 1.05};
        const vec3 t = {-std::sin(a) * 0.18, 0, std::cos(a) * 0.18};
        m.poly({c - t + vec3{0, -0.18, 0}, c + t + vec3{0, -0.18, 0}, c + t + vec3{0, 0.18, 0},
                c - t + vec3{0, 0.18, 0}},
               {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    }
}

// propel3: a turntable, a disc of unit radius and height
void factoryTurntable(meshBuilder& m, const factoryMaterials& f)
{
    m.use(f.metal);
    m.cylinder({0, 0, 0}, 1.0, 0.0, 1.0, 24, true, 4.0);
}

// The factory in its own frame; the driver places it at (-7, 0, -13.95).
long writeFactory(const std::string& dir)
{
    const factoryMaterials f;
    const struct {
        const char* name;
        void (*make)(meshBuilder&, const factoryMaterials&);
    } parts[] = {{"fab1", factoryHall},       {"fab2", factorySkylights}, {"fab3", factoryChimneys},
                 {"fab4", factorySmallHall},  {"fab5", factoryPipes},     {"fab6", factoryTanks},
                 {"fab7", factoryYardPosts},  {"fab8", factoryYard},      {"fab1a", factoryGlow},
                 {"propel1", factoryFan},     {"propel5", factoryCrown},  {"propel5a", factoryCrownLamps},
                 {"propel3", factoryTurntable}};
    long tris = 0;
    for (const auto& p : parts) {
        meshBuilder m;
        p.make(m, f);
        tris += m.triangles();
        if (!m.write(dir, p.name))
            return -1;
    }
    return tris;
}

long writeShip(const std::string& dir)
{
    long tris = 0;
    bool ok = true;
    const materialDef hullMat = textured("hull", "hull.rgb", 0.9, 0.7, 60.0);
    // the ship is shown unlit: every part needs a texture to carry its colour
    const materialDef cockpit = textured("cockpit", "canopy.rgb", 1.0, 0.9, 90.0);
    const materialDef engine = textured("engine", "shipdark.rgb", 1.0, 0.5, 30.0);
    {
        // nose towards -z, about 1.2 units long
        meshBuilder m;
        m.use(hullMat);
        const vec3 nose = {0, 0.02, -0.65}, tailTop = {0, 0.16, 0.5}, tailBottom = {0, -0.1, 0.5};
        const vec3 l = {-0.22, 0.0, 0.35}, r = {0.22, 0.0, 0.35};
        m.poly({nose, l, tailTop}, {{0.5, 1}, {0, 0}, {0.5, 0}});
        m.poly({nose, tailTop, r}, {{0.5, 1}, {0.5, 0}, {1, 0}});
        m.poly({nose, tailBottom, l}, {{0.5, 1}, {0.5, 0}, {0, 0}});
        m.poly({nose, r, tailBottom}, {{0.5, 1}, {1, 0}, {0.5, 0}});
        m.poly({l, tailBottom, tailTop}, {{0, 0}, {0.5, 0}, {0.5, 1}});
        m.poly({r, tailTop, tailBottom}, {{1, 0}, {0.5, 1}, {0.5, 0}});
        // swept wings, top and bottom
        const vec3 wl = {-0.75, -0.02, 0.45}, wr = {0.75, -0.02, 0.45};
        const vec3 rootF = {0, 0.0, -0.15}, rootB = {0, 0.0, 0.45};
        m.poly({rootF, wl, rootB}, {{0.5, 1}, {0, 0}, {0.5, 0}});
        m.poly({rootF, rootB, wr}, {{0.5, 1}, {0.5, 0}, {1, 0}});
        m.poly({rootF, rootB, wl}, {{0.5, 1}, {0.5, 0}, {0, 0}});
        m.poly({rootF, wr, rootB}, {{0.5, 1}, {1, 0}, {0.5, 0}});
        // a tail fin
        m.poly({{0, 0.14, 0.25}, {0, 0.42, 0.55}, {0, 0.16, 0.5}}, {{0, 0}, {1, 1}, {1, 0}});
        m.poly({{0, 0.14, 0.25}, {0, 0.16, 0.5}, {0, 0.42, 0.55}}, {{0, 0}, {1, 0}, {1, 1}});
        m.use(cockpit);
        m.poly({{0, 0.12, -0.32}, {-0.08, 0.05, -0.05}, {0, 0.15, 0.05}}, {{0.5, 1}, {0, 0}, {1, 0}});
        m.poly({{0, 0.12, -0.32}, {0, 0.15, 0.05}, {0.08, 0.05, -0.05}}, {{0.5, 1}, {1, 0}, {0, 0}});
        m.use(engine);
        m.box({-0.35, -0.08, 0.3}, {-0.2, 0.04, 0.55}, 1.0, 1.0, true);
        m.box({0.2, -0.08, 0.3}, {0.35, 0.04, 0.55}, 1.0, 1.0, true);
        ok = ok && m.write(dir, "ship");
        tris += m.triangles();
    }
    const materialDef glowMat = textured("shipglow", "li_whit75.rgb", 1, 0, 0);
    const materialDef plasma = textured("plasma", "plasma.rgb", 1, 0, 0);
    {
        // shipli: the engine flames and a soft headlight ahead of the nose
        meshBuilder m;
        m.use(plasma);
        for (double x : {-0.275, 0.275}) {
            m.poly({{x - 0.15, -0.02, 0.55}, {x + 0.15, -0.02, 0.55}, {x + 0.15, -0.02, 0.95}, {x - 0.15, -0.02, 0.95}},
                   {{0, 1}, {1, 1}, {1, 0}, {0, 0}});
            m.poly({{x, -0.17, 0.55}, {x, 0.13, 0.55}, {x, 0.13, 0.95}, {x, -0.17, 0.95}},
                   {{0, 1}, {1, 1}, {1, 0}, {0, 0}});
        }
        m.use(glowMat);
        m.poly({{-0.5, 0.0, -0.6}, {0.5, 0.0, -0.6}, {0.5, 0.0, -1.8}, {-0.5, 0.0, -1.8}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
        ok = ok && m.write(dir, "shipli");
        tris += m.triangles();
    }
    for (int k = 1; k <= 16; k++) {
        // plasma puffs, smaller towards the end of the trail
        meshBuilder m;
        m.use(plasma);
        const double s = 0.34 * (1.0 - (k - 1) / 20.0);
        m.poly({{-s, 0, -s}, {s, 0, -s}, {s, 0, s}, {-s, 0, s}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
        m.poly({{-s, -s, 0}, {s, -s, 0}, {s, s, 0}, {-s, s, 0}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
        m.poly({{0, -s, -s}, {0, s, -s}, {0, s, s}, {0, -s, s}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
        ok = ok && m.write(dir, "plassim" + std::to_string(k));
        tris += m.triangles();
    }
    return ok ? tris : -1;
}

long writeLogo(const std::string& dir)
{
    bool ok = true;
    long tris = 0;
    {
        // a plate with the lettering on its face; the intro scales it by (1.6, 2.1, 2.1)
        meshBuilder m;
        m.use(textured("logo", "korvalogo.rgb", 1.0, 0.8, 60.0));
        m.grid({-0.9, -0.25, 0.03}, {1.8, 0, 0}, {0, 0.5, 0}, 6, 2, 0.0, 0.36, 1.0, 0.64);
        m.use(textured("edge", "metal.rgb", 0.8, 0.6, 40.0));
        m.grid({0.9, -0.25, -0.03}, {-1.8, 0, 0}, {0, 0.5, 0}, 6, 2, 0, 0, 1, 1);
        m.poly({{0.9, -0.25, 0.03}, {0.9, -0.25, -0.03}, {0.9, 0.25, -0.03}, {0.9, 0.25, 0.03}});
        m.poly({{-0.9, -0.25, -0.03}, {-0.9, -0.25, 0.03}, {-0.9, 0.25, 0.03}, {-0.9, 0.25, -0.03}});
        m.poly({{-0.9, 0.25, 0.03}, {0.9, 0.25, 0.03}, {0.9, 0.25, -0.03}, {-0.9, 0.25, -0.03}});
        m.poly({{-0.9, -0.25, -0.03}, {0.9, -0.25, -0.03}, {0.9, -0.25, 0.03}, {-0.9, -0.25, 0.03}});
        ok = ok && m.write(dir, "korvani");
        tris += m.triangles();
    }
    {
        meshBuilder m;
        m.use(textured("logoglow", "korvaglow.rgb", 1.0, 0.0, 0.0));
        m.poly({{-1.0, -0.3, 0.05}, {1.0, -0.3, 0.05}, {1.0, 0.3, 0.05}, {-1.0, 0.3, 0.05}},
               {{0.0, 0.33}, {1.0, 0.33}, {1.0, 0.67}, {0.0, 0.67}});
        ok = ok && m.write(dir, "korval");
        tris += m.triangles();
    }
    return ok ? tris : -1;
}

long writeUniversity(const std::string& dir)
{
    bool ok = true;
    long tris = 0;
    {
        // unilg: the monument on the plaza, world coordinates: a stepped plinth and a pillar
        meshBuilder m;
        m.use(textured("stone", "plaza.rgb", 0.8, 0.1, 10.0));
        m.box({-3.0, 0, 13.0}, {3.0, 0.3, 19.0}, 1.5, 2.0, true);
        m.box({-2.2, 0.3, 13.8}, {2.2, 0.6, 18.2}, 1.5, 2.0, true);
        m.box({-0.4, 0.6, 15.6}, {0.4, 4.2, 16.4}, 1.0, 2.0, true);
        ok = ok && m.write(dir, "unilg");
        tris += m.triangles();
    }
    {
        // unilogo2: the emblem on the pillar, facing the streets, with a chrome sheen
        meshBuilder m;
        materialDef em = textured("emblem", "unilogo.rgb", 1.0, 0.8, 50.0);
        em.sphereMap = true;
        em.sphereTexture = "chrome.rgb";
        m.use(em);
        m.grid({-1.4, 2.6, 16.45}, {2.8, 0, 0}, {0, 2.8, 0}, 4, 4, 0, 0, 1, 1);
        m.grid({1.4, 2.6, 15.55}, {-2.8, 0, 0}, {0, 2.8, 0}, 4, 4, 0, 0, 1, 1);
        ok = ok && m.write(dir, "unilogo2");
        tris += m.triangles();
    }
    {
        // sphere2: the sphere logo, radius 5 (the city shows it at 0.2)
        meshBuilder m;
        materialDef s = textured("sphere", "unilogo.rgb", 1.0, 0.9, 80.0);
        s.sphereMap = true;
        s.sphereTexture = "chrome.rgb";
        m.use(s);
        m.sphere({0, 5.0, 0}, 5.0, 18, 10);
        ok = ok && m.write(dir, "sphere2");
        tris += m.triangles();
    }
    return ok ? tris : -1;
}

long writeStation(const std::string& dir)
{
    bool ok = true;
    long tris = 0;
    const vec3 c = {12.0, 0.0, -8.0};
    {
        // a ring on three legs around the globe, and a mast through it
        meshBuilder m;
        m.use(textured("panels", "station.rgb", 0.85, 0.5, 40.0));
        const int n = 20;
        for (int i = 0; i < n; i++) {
            const double a0 = 2 * M_PI * i / n, a1 = 2 * M_PI * (i + 1) / n;
            const double ri = 2.3, ro = 2.9, y0 = 1.7, y1 = 2.2;
            auto p = [&](double r, double a, double y) { return vec3{c.x + r * std::cos(a), y, c.z - r * std::sin(a)}; };
            const double u0 = double(i) / n * 4, u1 = double(i + 1) / n * 4;
            m.poly({p(ro, a0, y0), p(ro, a1, y0), p(ro, a1, y1), p(ro, a0, y1)}, {{u0, 0}, {u1, 0}, {u1, 1}, {u0, 1}});
            m.poly({p(ri, a1, y0), p(ri, a0, y0), p(ri, a0, y1), p(ri, a1, y1)}, {{u1, 0}, {u0, 0}, {u0, 1}, {u1, 1}});
            m.poly({p(ri, a0, y1), p(ro, a0, y1), p(ro, a1, y1), p(ri, a1, y1)}, {{u0, 0}, {u0, 1}, {u1, 1}, {u1, 0}});
            m.poly({p(ri, a1, y0), p(ro, a1, y0), p(ro, a0, y0), p(ri, a0, y0)}, {{u1, 0}, {u1, 1}, {u0, 1}, {u0, 0}});
        }
        for (int l = 0; l < 3; l++) {
            const double a = l * 2 * M_PI / 3 + 0.3;
            const double x = c.x + 2.6 * std::cos(a), z = c.z - 2.6 * std::sin(a);
            m.box({x - 0.12, 0, z - 0.12}, {x + 0.12, 1.7, z + 0.12}, 1.0, 1.0, false);
        }
        m.cylinder({c.x, 0, c.z}, 0.15, 3.6, 5.2, 6, true);
        ok = ok && m.write(dir, "station");
        tris += m.triangles();
    }
    {
        meshBuilder m;
        m.use(textured("lights", "illum.rgb", 1.0, 0.0, 0.0));
        const int n = 20;
        for (int i = 0; i < n; i++) {
            const double a0 = 2 * M_PI * i / n, a1 = 2 * M_PI * (i + 1) / n;
            const double r = 2.93;
            auto p = [&](double a, double y) { return vec3{c.x + r * std::cos(a), y, c.z - r * std::sin(a)}; };
            m.poly({p(a0, 1.7), p(a1, 1.7), p(a1, 2.2), p(a0, 2.2)},
                   {{double(i) / n * 4, 0.2}, {double(i + 1) / n * 4, 0.2}, {double(i + 1) / n * 4, 0.4}, {double(i) / n * 4, 0.4}});
        }
        ok = ok && m.write(dir, "illum");
        tris += m.triangles();
    }
    {
        // earth: unit radius at the origin; the city places and turns it
        meshBuilder m;
        m.use(textured("earth", "earth.rgb", 1.0, 0.4, 30.0));
        m.sphere({0, 0, 0}, 1.0, 24, 12);
        ok = ok && m.write(dir, "earth");
        tris += m.triangles();
    }
    return ok ? tris : -1;
}

long writeSpot(const std::string& dir)
{
    // a beam of light from a lamp at the origin, upwards
    meshBuilder m;
    m.use(textured("beam", "cone.rgb", 1.0, 0.0, 0.0));
    m.cone({0, 0, 0}, {0, 1, 0}, 7.0, 1.1, 14);
    if (!m.write(dir, "spot4"))
        return -1;
    return m.triangles();
}

}  // namespace

long writeSceneModels(const std::string& root, cityLayout* layout)
{
    long total = 0;
    for (const char* g : {"fab", "ship", "korva", "sky", "unilg", "rivasta", "spot"}) {
        std::error_code ec;
        std::filesystem::create_directories(root + "/" + g, ec);
        if (ec)
            return -1;
    }
    layout->towers.clear();
    const long parts[] = {writeBlocks(root + "/sky", layout), writeStreets(root + "/sky"),
                          writeFactory(root + "/fab"),        writeShip(root + "/ship"),
                          writeLogo(root + "/korva"),         writeUniversity(root + "/unilg"),
                          writeStation(root + "/rivasta"),    writeSpot(root + "/spot")};
    for (long p : parts) {
        if (p < 0)
            return -1;
        total += p;
    }
    return total;
}
