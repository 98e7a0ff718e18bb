// Small uncompressed SGI files for the tests, written by hand: the 512-byte
// header, then the planes one after another.
#ifndef KORVA_TEST_SGIFILES_H
#define KORVA_TEST_SGIFILES_H

#include <string>
#include <vector>

// pixels interleaved, bottom row first, channels a pixel
inline std::string sgiFile(int w, int h, int ch, const std::vector<unsigned char>& interleaved)
{
    std::string f(512, '\0');
    f[0] = char(474 >> 8);
    f[1] = char(474 & 255);
    f[3] = 1;
    f[5] = 3;
    f[6] = char(w >> 8);
    f[7] = char(w);
    f[8] = char(h >> 8);
    f[9] = char(h);
    f[11] = char(ch);
    for (int c = 0; c < ch; c++)
        for (int i = 0; i < w * h; i++)
            f += char(interleaved[size_t(i * ch + c)]);
    return f;
}

// channel c of pixel i holds base + c * 16 + i
inline std::string sgiFile(int w, int h, int ch, unsigned char base)
{
    std::vector<unsigned char> px(size_t(w * h * ch));
    for (int i = 0; i < w * h; i++)
        for (int c = 0; c < ch; c++)
            px[size_t(i * ch + c)] = (unsigned char)(base + c * 16 + i);
    return sgiFile(w, h, ch, px);
}

#endif
