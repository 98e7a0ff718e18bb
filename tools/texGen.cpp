#include "texGen.h"

#include "gl/font8x13.h"
#include "sgiWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace {

double clamp01(double v)
{
    return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

double smooth(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

uint32_t mix(uint32_t h)
{
    h ^= h >> 16;
    h *= 0x7feb352dU;
    h ^= h >> 15;
    h *= 0x846ca68bU;
    h ^= h >> 16;
    return h;
}

// distance of v from the nearest multiple of 1, 0 .. 0.5
double fracDist(double v)
{
    const double f = v - std::floor(v);
    return f < 0.5 ? f : 1.0 - f;
}

}  // namespace

image::image(int width, int height, int channels) : w(width), h(height), c(channels), px(size_t(w) * h * c, 0)
{
}

void image::set(int x, int y, double r, double g, double b, double a)
{
    uint8_t* p = at(x, y);
    p[0] = uint8_t(std::lround(clamp01(r) * 255.0));
    p[1] = uint8_t(std::lround(clamp01(g) * 255.0));
    p[2] = uint8_t(std::lround(clamp01(b) * 255.0));
    if (c == 4)
        p[3] = uint8_t(std::lround(clamp01(a) * 255.0));
}

void image::blend(int x, int y, double r, double g, double b, double k)
{
    if (x < 0 || y < 0 || x >= w || y >= h)
        return;
    uint8_t* p = at(x, y);
    const double col[3] = {r, g, b};
    for (int i = 0; i < 3; i++)
        p[i] = uint8_t(std::lround(clamp01(p[i] / 255.0 * (1.0 - k) + col[i] * k) * 255.0));
    if (c == 4)
        p[3] = uint8_t(std::lround(clamp01(p[3] / 255.0 * (1.0 - k) + k) * 255.0));
}

int image::textWidth(const std::string& s, int scale) const
{
    return int(s.size()) * 6 * scale - scale;
}

void image::text(const std::string& s, int x0, int y0, int scale, double r, double g, double b)
{
    const font8x13& font = font8x13::get();
    int x = x0;
    for (unsigned char ch : s) {
        const unsigned char* gl = font.glyph(ch);
        if (gl != nullptr) {
            // glyph rows 2 .. 8 hold the letters, columns 1 .. 5
            for (int row = 0; row < font8x13::height; row++)
                for (int col = 0; col < 8; col++)
                    if (gl[row] & (0x80 >> col))
                        for (int dy = 0; dy < scale; dy++)
                            for (int dx = 0; dx < scale; dx++)
                                blend(x + (col - 1) * scale + dx, y0 + (row - 2) * scale + dy, r, g, b, 1.0);
        }
        x += 6 * scale;
    }
}

bool image::save(const std::string& path) const
{
    return writeSGI(path.c_str(), w, h, c, px.data());
}

double hash01(int x, int y, uint32_t seed)
{
    return double(mix(uint32_t(x) * 0x8da6b343U ^ uint32_t(y) * 0xd8163841U ^ seed * 0xcb1ab31fU)) / 4294967295.0;
}

double noise2(double x, double y, int period, uint32_t seed)
{
    const int xi = int(std::floor(x)), yi = int(std::floor(y));
    const double fx = smooth(x - xi), fy = smooth(y - yi);
    auto cell = [&](int a, int b) {
        const int p = period > 0 ? period : 1 << 20;
        return hash01(((a % p) + p) % p, ((b % p) + p) % p, seed);
    };
    const double a = cell(xi, yi), b = cell(xi + 1, yi), c = cell(xi, yi + 1), d = cell(xi + 1, yi + 1);
    return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy;
}

double fractal(double x, double y, int period, int octaves, uint32_t seed)
{
    double sum = 0.0, amp = 0.5, norm = 0.0;
    for (int o = 0; o < octaves; o++) {
        sum += amp * noise2(x, y, period, seed + uint32_t(o) * 17U);
        norm += amp;
        amp *= 0.5;
        x *= 2.0;
        y *= 2.0;
        period *= 2;
    }
    return sum / norm;
}

namespace {

struct facadeStyle {
    double wall[3];
    double glass[3];
    int cols;          // windows across
    int rows;          // floors
    double winW, winH; // window share of its cell
    uint32_t seed;
};

const facadeStyle styles[4] = {
    {{0.62, 0.58, 0.52}, {0.10, 0.14, 0.22}, 6, 8, 0.62, 0.55, 11},  // concrete
    {{0.16, 0.19, 0.24}, {0.06, 0.10, 0.18}, 8, 8, 0.86, 0.80, 23},  // dark glass
    {{0.50, 0.24, 0.18}, {0.12, 0.11, 0.14}, 5, 8, 0.45, 0.50, 37},  // brick
    {{0.80, 0.80, 0.78}, {0.14, 0.20, 0.28}, 4, 8, 0.84, 0.42, 41},  // white bands
};

// where (u, v) lies in the window grid: inside a window or not, and its cell
bool inWindow(const facadeStyle& s, double u, double v, int* cx, int* cy, double* ev)
{
    const double gx = u * s.cols, gy = v * s.rows;
    *cx = int(gx);
    *cy = int(gy);
    const double fx = gx - *cx, fy = gy - *cy;
    const double mx = (1.0 - s.winW) * 0.5, my = (1.0 - s.winH) * 0.45;
    *ev = fy;
    return fx > mx && fx < 1.0 - mx && fy > my && fy < 1.0 - my * 1.2;
}

void facade(image& im, const facadeStyle& s)
{
    const int n = im.width();
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            const double u = (x + 0.5) / n, v = (y + 0.5) / n;
            int cx, cy;
            double fy;
            const double grain = 0.85 + 0.3 * fractal(u * 16, v * 16, 16, 3, s.seed);
            if (inWindow(s, u, v, &cx, &cy, &fy)) {
                // glass catches a little sky towards its top
                const double sky = 0.10 * fy + 0.08 * hash01(cx, cy, s.seed);
                im.set(x, y, s.glass[0] + sky, s.glass[1] + sky, s.glass[2] + sky * 1.4);
            } else {
                // a darker ledge under every floor
                const double ledge = std::fmod(v * s.rows, 1.0) < 0.08 ? 0.7 : 1.0;
                im.set(x, y, s.wall[0] * grain * ledge, s.wall[1] * grain * ledge, s.wall[2] * grain * ledge);
            }
        }
}

void windowGlow(image& im, const facadeStyle& s, uint32_t seed)
{
    const int n = im.width();
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            const double u = (x + 0.5) / n, v = (y + 0.5) / n;
            int cx, cy;
            double fy;
            if (!inWindow(s, u, v, &cx, &cy, &fy)) {
                im.set(x, y, 0, 0, 0, 0);
                continue;
            }
            const double pick = hash01(cx, cy, seed);
            if (pick > 0.42) {
                im.set(x, y, 0, 0, 0, 0);
                continue;
            }
            // warm rooms, some cool office light, a few dim ones
            const double t = hash01(cx + 7, cy, seed + 1);
            double r = 1.0, g = 0.82, b = 0.50;
            if (t < 0.3) {
                r = 0.75;
                g = 0.88;
                b = 1.0;
            }
            const double dim = pick < 0.1 ? 0.55 : 1.0;
            const double lamp = 0.8 + 0.2 * (1.0 - fy);
            im.set(x, y, r * dim * lamp, g * dim * lamp, b * dim * lamp, 0.95 * dim);
        }
}

void fill(image& im, double (*f)(double u, double v, int ch, void* ctx), void* ctx)
{
    const int w = im.width(), h = im.height(), c = im.channels();
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const double u = (x + 0.5) / w, v = (y + 0.5) / h;
            uint8_t* p = im.at(x, y);
            for (int k = 0; k < c; k++)
                p[k] = uint8_t(std::lround(clamp01(f(u, v, k, ctx)) * 255.0));
        }
}

struct colourCtx {
    double a[3];
    double b[3];
    uint32_t seed;
    double scale;
};

// a street tile: lanes along the edges, dashed centre lines, kerbs, a paved plot
double road(double u, double v, int ch, void*)
{
    const double edge = std::min(std::min(u, 1.0 - u), std::min(v, 1.0 - v));
    const double n = 0.85 + 0.3 * fractal(u * 32, v * 32, 32, 3, 5);
    const double asphalt[3] = {0.17, 0.17, 0.18};
    const double kerb[3] = {0.55, 0.54, 0.50};
    const double plot[3] = {0.36, 0.35, 0.33};
    const double* c = asphalt;
    if (edge > 0.2)
        c = plot;
    else if (edge > 0.17)
        c = kerb;
    double val = c[ch] * n;
    // dashed centre line where two tiles meet, not across the crossings
    const bool alongU = std::min(v, 1.0 - v) < 0.012 && fracDist(u * 4) > 0.18 && std::min(u, 1.0 - u) > 0.2;
    const bool alongV = std::min(u, 1.0 - u) < 0.012 && fracDist(v * 4) > 0.18 && std::min(v, 1.0 - v) > 0.2;
    if (alongU || alongV)
        val = ch == 2 ? 0.55 : 0.85;
    // paving joints on the plot
    if (edge > 0.2 && (fracDist(u * 10) < 0.02 || fracDist(v * 10) < 0.02))
        val *= 0.75;
    return val;
}

double plaza(double u, double v, int ch, void*)
{
    const double n = 0.85 + 0.3 * fractal(u * 16, v * 16, 16, 3, 9);
    const double tile = (int(u * 8) + int(v * 8)) % 2 == 0 ? 1.0 : 0.82;
    const double joint = (fracDist(u * 8) < 0.03 || fracDist(v * 8) < 0.03) ? 0.6 : 1.0;
    const double base[3] = {0.52, 0.48, 0.44};
    return base[ch] * n * tile * joint;
}

double gravel(double u, double v, int ch, void*)
{
    const double n = 0.7 + 0.5 * fractal(u * 64, v * 64, 64, 2, 3);
    const double rim = std::min(std::min(u, 1 - u), std::min(v, 1 - v)) < 0.05 ? 0.7 : 1.0;
    const double base[3] = {0.32, 0.31, 0.30};
    return base[ch] * n * rim;
}

double corrugated(double u, double v, int ch, void*)
{
    const double ribs = 0.8 + 0.2 * std::sin(u * 2 * M_PI * 48);
    const double rust = fractal(u * 12, v * 12, 12, 4, 77);
    const double base[3] = {0.46 + 0.2 * rust, 0.36 + 0.08 * rust, 0.28};
    double val = base[ch] * ribs;
    // a band of windows high on the wall
    if (v > 0.72 && v < 0.86 && fracDist(u * 12) > 0.12)
        val = ch == 2 ? 0.22 : 0.12;
    return val;
}

double darkMetal(double u, double v, int ch, void*)
{
    const double n = 0.8 + 0.4 * fractal(u * 24, v * 24, 24, 3, 19);
    const double seam = (fracDist(u * 6) < 0.01 || fracDist(v * 6) < 0.01) ? 0.6 : 1.0;
    const double base[3] = {0.30, 0.31, 0.33};
    return base[ch] * n * seam;
}

double brushed(double u, double v, int ch, void*)
{
    const double n = 0.75 + 0.35 * noise2(u * 4, v * 256, 0, 31);
    const double base[3] = {0.70, 0.72, 0.75};
    return base[ch] * n;
}

double factoryGlow(double u, double v, int ch, void*)
{
    // the window band of the walls, lit, and red warning lamps along the top
    const bool band = v > 0.72 && v < 0.86 && fracDist(u * 12) > 0.12;
    const double lamp = std::hypot(fracDist(u * 6) * 6, (v - 0.95) * 40);
    if (ch == 3)
        return band ? 0.85 : (lamp < 0.4 ? 1.0 - lamp * 2.0 : 0.0);
    if (band)
        return ch == 0 ? 1.0 : (ch == 1 ? 0.7 : 0.3);
    return ch == 0 ? 1.0 : 0.1;
}

double hull(double u, double v, int ch, void*)
{
    const double n = 0.9 + 0.15 * fractal(u * 16, v * 16, 16, 2, 61);
    const double panel = (fracDist(u * 8) < 0.012 || fracDist(v * 6) < 0.012) ? 0.55 : 1.0;
    const bool stripe = std::fabs(v - 0.5) < 0.06;
    const double base[3] = {0.78, 0.80, 0.84};
    const double blue[3] = {0.15, 0.35, 0.85};
    return (stripe ? blue[ch] : base[ch]) * n * panel;
}

// round soft glows: white (the ship's light and trails), blue plasma
double glow(double u, double v, int ch, void* ctx)
{
    const colourCtx* c = static_cast<const colourCtx*>(ctx);
    const double d = std::hypot(u - 0.5, v - 0.5) * 2.0;
    const double k = clamp01(1.0 - d);
    if (ch == 3)
        return c->scale * k * k;
    return c->a[ch] * (1.0 - k * 0.5) + c->b[ch] * k * 0.5;
}

double cloud(double u, double v, int ch, void* ctx)
{
    const colourCtx* c = static_cast<const colourCtx*>(ctx);
    const double d = std::hypot(u - 0.5, v - 0.5) * 2.0;
    const double shape = clamp01(1.0 - d * d);
    const double n = fractal(u * 4, v * 4, 4, 5, c->seed);
    if (ch == 3)
        return c->scale * shape * shape * clamp01(n * 1.6 - 0.25);
    return c->a[ch] * (0.8 + 0.2 * n);
}

double cone(double u, double v, int ch, void*)
{
    // bright at the lamp (v = 1), fading to nothing at the ground, soft at the sides
    const double side = std::sin(u * M_PI);
    if (ch == 3)
        return 0.55 * v * v * side;
    const double warm[3] = {1.0, 0.93, 0.75};
    return warm[ch];
}

double earth(double u, double v, int ch, void*)
{
    const double land = fractal(u * 6, v * 3, 6, 5, 101);
    const double ice = std::fabs(v - 0.5) > 0.42 ? 1.0 : 0.0;
    const double clouds = clamp01(fractal(u * 8, v * 4, 8, 4, 202) * 2.0 - 1.0);
    double c[3];
    if (ice > 0.0) {
        c[0] = 0.92;
        c[1] = 0.94;
        c[2] = 0.97;
    } else if (land > 0.52) {
        const double dry = fractal(u * 12, v * 6, 12, 3, 303);
        c[0] = 0.20 + 0.35 * dry;
        c[1] = 0.42 + 0.10 * dry;
        c[2] = 0.15;
    } else {
        c[0] = 0.05;
        c[1] = 0.18 + 0.2 * land;
        c[2] = 0.45 + 0.3 * land;
    }
    return c[ch] * (1.0 - clouds) + 0.95 * clouds;
}

double stationPanels(double u, double v, int ch, void*)
{
    const double n = 0.85 + 0.2 * hash01(int(u * 16), int(v * 16), 7);
    const double seam = (fracDist(u * 16) < 0.03 || fracDist(v * 16) < 0.03) ? 0.5 : 1.0;
    const double base[3] = {0.62, 0.64, 0.70};
    return base[ch] * n * seam;
}

double stationLights(double u, double v, int ch, void*)
{
    // rows of small lamps and a bright ring band
    const bool ring = std::fabs(v - 0.3) < 0.03;
    const double lamp = std::hypot(fracDist(u * 16) * 16, fracDist(v * 8) * 8);
    const double k = ring ? 0.9 : clamp01(1.0 - lamp * 2.5);
    if (ch == 3)
        return k;
    const double col[3] = {0.6, 0.9, 1.0};
    return col[ch];
}

double chrome(double u, double v, int ch, void*)
{
    // a sky over a dark horizon, as the sphere map reflects it
    const double d = std::hypot(u - 0.5, v - 0.5) * 2.0;
    const double up = v;
    const double sky[3] = {0.35 + 0.5 * up, 0.45 + 0.45 * up, 0.7 + 0.3 * up};
    const double ground[3] = {0.15, 0.13, 0.12};
    const double k = clamp01((v - 0.45) * 8.0);
    return (sky[ch] * k + ground[ch] * (1 - k)) * (1.0 - 0.3 * d * d);
}

bool ensureDir(const std::string& d)
{
    std::error_code ec;
    std::filesystem::create_directories(d, ec);
    return !ec;
}

}  // namespace

int writeSceneTextures(const std::string& root, int size)
{
    int written = 0;
    bool ok = true;
    auto put = [&](const image& im, const std::string& group, const std::string& name) {
        ok = ok && ensureDir(root + "/" + group) && im.save(root + "/" + group + "/" + name);
        written++;
    };
    auto made = [&](int ch, double (*f)(double, double, int, void*), void* ctx = nullptr) {
        image im(size, size, ch);
        fill(im, f, ctx);
        return im;
    };

    for (int k = 0; k < 4; k++) {
        image f(size, size, 3);
        facade(f, styles[k]);
        put(f, "sky", "facade" + std::to_string(k + 1) + ".rgb");
        image g(size, size, 4);
        windowGlow(g, styles[k], 900U + uint32_t(k));
        put(g, "sky", "winlit" + std::to_string(k + 1) + ".rgb");
    }
    put(made(3, gravel), "sky", "roof.rgb");
    put(made(3, road), "sky", "road.rgb");
    put(made(3, plaza), "sky", "plaza.rgb");

    put(made(3, corrugated), "fab", "fabwall.rgb");
    put(made(3, darkMetal), "fab", "fabroof.rgb");
    put(made(3, brushed), "fab", "metal.rgb");
    put(made(3, brushed), "korva", "metal.rgb");
    put(made(4, factoryGlow), "fab", "fabglow.rgb");
    colourCtx lamp = {{1.0, 0.55, 0.25}, {1, 0.9, 0.7}, 0, 0.9};
    put(made(4, glow, &lamp), "fab", "lamp.rgb");

    put(made(3, hull), "ship", "hull.rgb");
    put(made(3, darkMetal), "ship", "shipdark.rgb");
    colourCtx canopy = {{0.05, 0.15, 0.35}, {0.5, 0.8, 1.0}, 0, 1.0};
    put(made(3, glow, &canopy), "ship", "canopy.rgb");
    colourCtx white = {{1, 1, 1}, {1, 1, 1}, 0, 0.75};
    put(made(4, glow, &white), "ship", "li_whit75.rgb");
    colourCtx plasma = {{0.35, 0.6, 1.0}, {1, 1, 1}, 0, 0.45};
    put(made(4, glow, &plasma), "ship", "plasma.rgb");
    colourCtx fog1 = {{0.72, 0.76, 0.84}, {0, 0, 0}, 501, 0.55};
    colourCtx fog2 = {{0.80, 0.76, 0.70}, {0, 0, 0}, 502, 0.45};
    colourCtx fog3 = {{0.92, 0.93, 0.95}, {0, 0, 0}, 503, 0.35};
    put(made(4, cloud, &fog1), "ship", "fogtex1.rgb");
    put(made(4, cloud, &fog2), "ship", "fogtex2.rgb");
    put(made(4, cloud, &fog3), "ship", "fogtex3.rgb");

    // the product logo: lettering on a brushed plate, and the lettering's glow
    {
        image plate(size, size, 3);
        fill(plate, brushed, nullptr);
        const int scale = std::max(1, size / 64);
        const std::string word = "KORVANE";
        const int tw = plate.textWidth(word, scale);
        for (int y = 0; y < size; y++)
            for (int x = 0; x < size; x++) {
                const double v = double(y) / size;
                uint8_t* p = plate.at(x, y);
                const double shade = 0.35 + 0.4 * v;
                p[0] = uint8_t(p[0] * shade * 0.7);
                p[1] = uint8_t(p[1] * shade * 0.8);
                p[2] = uint8_t(std::min(255.0, p[2] * shade * 1.2));
            }
        plate.text(word, (size - tw) / 2, size / 2 - 3 * scale, scale, 1.0, 0.85, 0.35);
        put(plate, "korva", "korvalogo.rgb");
        image gl(size, size, 4);
        gl.text(word, (size - tw) / 2, size / 2 - 3 * scale, scale, 1.0, 0.7, 0.3);
        // widen the letters into a soft halo
        image halo(size, size, 4);
        const int r = std::max(1, scale);
        for (int y = 0; y < size; y++)
            for (int x = 0; x < size; x++) {
                double a = 0.0;
                for (int dy = -r; dy <= r; dy++)
                    for (int dx = -r; dx <= r; dx++) {
                        const int xx = x + dx, yy = y + dy;
                        if (xx >= 0 && yy >= 0 && xx < size && yy < size)
                            a += gl.at(xx, yy)[3] / 255.0;
                    }
                a /= (2 * r + 1) * (2 * r + 1);
                halo.set(x, y, 1.0, 0.75, 0.35, std::min(1.0, a * 1.6));
            }
        put(halo, "korva", "korvaglow.rgb");
    }

    // the university emblem: a shield with a K
    {
        image em(size, size, 3);
        const int scale = std::max(1, size / 20);
        for (int y = 0; y < size; y++)
            for (int x = 0; x < size; x++) {
                const double u = (x + 0.5) / size - 0.5, v = (y + 0.5) / size;
                const double halfW = v > 0.35 ? 0.42 : 0.42 * std::sqrt(std::max(0.0, v / 0.35));
                const bool shield = std::fabs(u) < halfW && v > 0.02 && v < 0.96;
                const bool rim = shield && std::fabs(u) > halfW - 0.04;
                if (!shield)
                    em.set(x, y, 0.85, 0.82, 0.70);
                else if (rim)
                    em.set(x, y, 0.85, 0.68, 0.20);
                else
                    em.set(x, y, 0.10, 0.18, 0.45);
            }
        em.text("K", size / 2 - 2 * scale, size / 2 - 3 * scale, scale, 0.95, 0.80, 0.30);
        put(em, "unilg", "unilogo.rgb");
    }
    put(made(3, chrome), "unilg", "chrome.rgb");

    put(made(3, stationPanels), "rivasta", "station.rgb");
    put(made(4, stationLights), "rivasta", "illum.rgb");
    put(made(3, earth), "rivasta", "earth.rgb");
    put(made(4, cone), "spot", "cone.rgb");
    return ok ? written : -1;
}

bool writeEndPictures(const std::string& dir)
{
    if (!ensureDir(dir))
        return false;
    // credit pages of the Korvane team, one picture each
    struct page {
        const char* file;
        const char* title;
        const char* line1;
        const char* line2;
        double r, g, b;
    };
    const page pages[12] = {
        {"korvane.rgb", "KORVANE", "REAL-TIME 3D", "DEMO AND BENCHMARK", 1.0, 0.80, 0.30},
        {"3deng.rgb", "3D ENGINE", "OPENGL 1.1", "THE KORVANE TEAM", 0.5, 0.8, 1.0},
        {"vekkor.rgb", "CODE", "DRIVER AND EFFECTS", "THE KORVANE TEAM", 0.6, 1.0, 0.6},
        {"music.rgb", "MUSIC", "TRACKED MODULES", "THE KORVANE TEAM", 1.0, 0.5, 0.8},
        {"drum.rgb", "RHYTHM", "SAMPLES AND MIX", "THE KORVANE TEAM", 1.0, 0.6, 0.4},
        {"modeli.rgb", "MODELS", "CITY AND SHIP", "THE KORVANE TEAM", 0.7, 0.7, 1.0},
        {"model.rgb", "DESIGN", "LIGHT AND FOG", "THE KORVANE TEAM", 0.9, 0.9, 0.5},
        {"halvor1.rgb", "TEXTURES", "DRAWN BY CODE", "NOTHING DOWNLOADED", 0.6, 0.9, 0.9},
        {"halvor2.rgb", "PATHS", "RECORDED FLIGHTS", "THE KORVANE TEAM", 0.9, 0.6, 1.0},
        {"halvor3.rgb", "THANKS", "TO EVERYONE", "WHO RUNS IT", 1.0, 0.85, 0.6},
        {"pelmar1.rgb", "BENCH.RES", "COMPARE YOUR", "RESULTS IN RESVIEW", 0.6, 0.8, 1.0},
        {"pelmar2.rgb", "THE END", "KORVANE 1.3", "", 1.0, 0.8, 0.3},
    };
    const int n = 256;
    for (const page& p : pages) {
        image im(n, n, 4);
        image ink(n, n, 4);
        const int big = 5;
        ink.text(p.title, (n - ink.textWidth(p.title, big)) / 2, 150, big, p.r, p.g, p.b);
        ink.text(p.line1, (n - ink.textWidth(p.line1, 2)) / 2, 100, 2, 1.0, 1.0, 1.0);
        ink.text(p.line2, (n - ink.textWidth(p.line2, 2)) / 2, 76, 2, 0.8, 0.8, 0.8);
        // letters with a soft dark-coloured halo so they read over the city
        for (int y = 0; y < n; y++)
            for (int x = 0; x < n; x++) {
                double a = 0.0;
                for (int dy = -3; dy <= 3; dy++)
                    for (int dx = -3; dx <= 3; dx++) {
                        const int xx = x + dx, yy = y + dy;
                        if (xx >= 0 && yy >= 0 && xx < n && yy < n)
                            a += ink.at(xx, yy)[3] / 255.0;
                    }
                a = std::min(1.0, a / 49.0 * 2.5);
                const uint8_t* k = ink.at(x, y);
                if (k[3] > 0)
                    im.set(x, y, k[0] / 255.0, k[1] / 255.0, k[2] / 255.0, 1.0);
                else
                    im.set(x, y, p.r * 0.25, p.g * 0.25, p.b * 0.25, a * 0.6);
            }
        // a thin frame line under the title
        for (int x = 40; x < n - 40; x++)
            im.set(x, 136, p.r, p.g, p.b, 0.8);
        if (!im.save(dir + "/" + p.file))
            return false;
    }
    return true;
}
