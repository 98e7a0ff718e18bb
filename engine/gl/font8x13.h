// The renderer's own 8x13 bitmap font for glBitmap: 13 bytes a glyph, the
// bottom row first, for the printable ASCII characters.
#ifndef KORVA_FONT8X13_H
#define KORVA_FONT8X13_H

class font8x13 {
public:
    static constexpr int first = 32;
    static constexpr int count = 95;
    static constexpr int width = 8;
    static constexpr int height = 13;

    // @returns the 13 rows of code, or null for a character the font lacks.
    const unsigned char* glyph(int code) const;
    static const font8x13& get();

private:
    font8x13();
    unsigned char bits[count][height];
};

#endif
