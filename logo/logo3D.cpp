#include "logo3D.h"

#include "gl/font8x13.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int W = 158;
constexpr int H = 60;
constexpr int colours = 256;

// two printable characters per colour index
std::string code(int i)
{
    static const char digits[] = "0123456789abcdefghijklmnopABCDEFGHIJKLMNOP";
    return {digits[i / 16 % 42], digits[16 + i % 16]};
}

}  // namespace

const char* const* korvaLogoXpm()
{
    static std::vector<std::string> lines;
    static std::vector<const char*> ptrs;
    if (!ptrs.empty())
        return ptrs.data();
    lines.push_back(std::to_string(W) + " " + std::to_string(H) + " " + std::to_string(colours) + " 2");
    // a ramp from deep blue through the city's amber to white
    for (int i = 0; i < colours; i++) {
        const double t = i / 255.0;
        const int r = int(255 * std::min(1.0, t * 1.6));
        const int g = int(255 * std::pow(t, 1.3) * 0.85);
        const int b = int(255 * (0.35 * (1.0 - t) + 0.25 * t * t));
        char c[32];
        std::snprintf(c, sizeof c, " c #%02X%02X%02X", r, g, b);
        lines.push_back(code(i) + c);
    }
    // the lettering, 3 x the bitmap font, over a glow and a horizon line
    std::vector<double> ink(size_t(W) * H, 0.0);
    const font8x13& font = font8x13::get();
    const std::string word = "KORVANE";
    const int scale = 3, x0 = (W - int(word.size()) * 6 * scale + scale) / 2, y0 = 12;
    for (size_t k = 0; k < word.size(); k++) {
        const unsigned char* g = font.glyph(word[k]);
        for (int row = 2; row < 9; row++)
            for (int col = 1; col < 6; col++)
                if (g[row] & (0x80 >> col))
                    for (int dy = 0; dy < scale; dy++)
                        for (int dx = 0; dx < scale; dx++) {
                            const int x = x0 + int(k) * 6 * scale + (col - 1) * scale + dx;
                            const int y = y0 + (8 - row) * scale + dy;
                            if (x >= 0 && x < W && y >= 0 && y < H)
                                ink[size_t(y) * W + size_t(x)] = 1.0;
                        }
    }
    for (int y = 0; y < H; y++) {
        std::string row;
        for (int x = 0; x < W; x++) {
            double glow = 0.0;
            for (int dy = -3; dy <= 3; dy++)
                for (int dx = -3; dx <= 3; dx++) {
                    const int xx = x + dx, yy = y + dy;
                    if (xx >= 0 && xx < W && yy >= 0 && yy < H)
                        glow += ink[size_t(yy) * W + size_t(xx)];
                }
            double v = 0.12 + 0.25 * double(y) / H + glow / 49.0 * 0.6;
            if (std::abs(y - 46) < 1)
                v = 0.7;
            if (ink[size_t(y) * W + size_t(x)] > 0.0)
                v = 0.98;
            const int i = std::max(0, std::min(255, int(v * 255)));
            row += code(i);
        }
        lines.push_back(row);
    }
    for (const std::string& l : lines)
        ptrs.push_back(l.c_str());
    return ptrs.data();
}

namespace {

size_t digitOf(char c)
{
    static const char digits[] = "0123456789abcdefghijklmnopABCDEFGHIJKLMNOP";
    const char* p = std::strchr(digits, c);
    return p != nullptr && c != '\0' ? size_t(p - digits) : 0;
}

// palette slot of a two-character colour code
size_t codeOf(const char* p)
{
    return digitOf(p[0]) * 42 + digitOf(p[1]);
}

}  // namespace

bool decodeKorvaLogo(korvaLogoPixels* out)
{
    const char* const* xpm = korvaLogoXpm();
    int w = 0, h = 0, n = 0, cpp = 0;
    if (std::sscanf(xpm[0], "%d %d %d %d", &w, &h, &n, &cpp) != 4 || n > 256 || cpp != 2 || w < 1 || h < 1)
        return false;
    std::vector<unsigned char> slot(size_t(42) * 42, 0);
    out->palette.assign(size_t(256) * 3, 0);
    for (int i = 0; i < n; i++) {
        const char* l = xpm[1 + i];
        unsigned rgb = 0;
        std::sscanf(l + 2, " c #%x", &rgb);
        slot[codeOf(l)] = (unsigned char)i;
        out->palette[size_t(i) * 3 + 0] = (unsigned char)(rgb >> 16);
        out->palette[size_t(i) * 3 + 1] = (unsigned char)((rgb >> 8) & 0xff);
        out->palette[size_t(i) * 3 + 2] = (unsigned char)(rgb & 0xff);
    }
    out->w = w;
    out->h = h;
    out->index.resize(size_t(w) * size_t(h));
    for (int y = 0; y < h; y++) {
        const char* row = xpm[1 + n + y];
        for (int x = 0; x < w; x++)
            out->index[size_t(y) * size_t(w) + size_t(x)] = slot[codeOf(row + size_t(x) * 2)];
    }
    return true;
}
