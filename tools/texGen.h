// Procedural images of the data set: every texture and end picture is drawn
// here, from a seed, at the size asked for.
#ifndef KORVA_TEXGEN_H
#define KORVA_TEXGEN_H

#include <cstdint>
#include <string>
#include <vector>

class image {
public:
    image(int w, int h, int channels);

    int width() const { return w; }
    int height() const { return h; }
    int channels() const { return c; }
    // pixel (x, y), y counted from the bottom row as the images store it
    uint8_t* at(int x, int y) { return &px[(size_t(y) * size_t(w) + size_t(x)) * size_t(c)]; }
    void set(int x, int y, double r, double g, double b, double a = 1.0);
    // blends colour over pixel (x, y) by coverage k
    void blend(int x, int y, double r, double g, double b, double k);
    // draws text with the renderer's bitmap font, each font pixel scale x scale
    void text(const std::string& s, int x, int y, int scale, double r, double g, double b);
    int textWidth(const std::string& s, int scale) const;
    bool save(const std::string& path) const;

private:
    int w, h, c;
    std::vector<uint8_t> px;
};

// smooth value noise in 0 .. 1, repeating every period cells
double noise2(double x, double y, int period, uint32_t seed);
// sum of octaves of noise2
double fractal(double x, double y, int period, int octaves, uint32_t seed);
// a hash in 0 .. 1
double hash01(int x, int y, uint32_t seed);

// Writes every scene texture of one set at size (512 big, 128 small) into the
// group folders under root. @returns the number of files written, -1 on failure.
int writeSceneTextures(const std::string& root, int size);
// Writes the twelve end pictures into dir. @returns whether all were written.
bool writeEndPictures(const std::string& dir);

#endif
