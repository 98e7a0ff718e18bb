// Conversions the Direct3D renderer's files share: a column-major vector
// product, as OpenGL keeps its matrices, and pixels to and from the format
// of a DirectDraw surface.
#ifndef KORVA_D3DCONVERT3D_H
#define KORVA_D3DCONVERT3D_H

#include <windows.h>
#include <ddraw.h>

#include <cstring>

namespace d3dConvert3D {

// r = m v, m column-major
inline void transform(const float* m, const float* v, float* r)
{
    for (int row = 0; row < 4; row++)
        r[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2] + m[12 + row] * v[3];
}

inline int lowBit(DWORD mask)
{
    int s = 0;
    while (mask != 0 && (mask & 1u) == 0) {
        mask >>= 1;
        s++;
    }
    return s;
}

inline int bitCount(DWORD mask)
{
    int n = 0;
    for (; mask != 0; mask >>= 1)
        n += int(mask & 1u);
    return n;
}

// one 8-bit channel into the bits of mask
inline DWORD pack(DWORD mask, int c)
{
    const int bits = bitCount(mask);
    if (bits == 0)
        return 0;
    const DWORD v = bits >= 8 ? DWORD(c) << (bits - 8) : DWORD(c) >> (8 - bits);
    return (v << lowBit(mask)) & mask;
}

// the bits of mask as an 8-bit channel
inline int unpack(DWORD mask, DWORD v)
{
    const int bits = bitCount(mask);
    if (bits == 0)
        return 255;
    const DWORD c = (v & mask) >> lowBit(mask);
    const DWORD full = (1u << bits) - 1u;
    return int((c * 255u + full / 2u) / full);
}

inline DWORD packPixel(const DDPIXELFORMAT& f, int r, int g, int b, int a)
{
    DWORD v = pack(f.dwRBitMask, r) | pack(f.dwGBitMask, g) | pack(f.dwBBitMask, b);
    if (f.dwFlags & DDPF_ALPHAPIXELS)
        v |= pack(f.dwRGBAlphaBitMask, a);
    return v;
}

inline void storePixel(unsigned char* at, int bytes, DWORD v)
{
    if (bytes == 2) {
        const WORD w = WORD(v);
        std::memcpy(at, &w, 2);
    } else if (bytes == 4) {
        std::memcpy(at, &v, 4);
    } else {
        for (int k = 0; k < bytes; k++)
            at[k] = static_cast<unsigned char>(v >> (8 * k));
    }
}

inline DWORD loadPixel(const unsigned char* at, int bytes)
{
    DWORD v = 0;
    for (int k = 0; k < bytes; k++)
        v |= DWORD(at[k]) << (8 * k);
    return v;
}

// a format the device did not offer stays zeroed
inline bool found(const DDPIXELFORMAT& f)
{
    return f.dwSize != 0;
}

}  // namespace d3dConvert3D

#endif
