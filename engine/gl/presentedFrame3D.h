// The frame a swap presents, kept from the back buffer just before the swap,
// for window systems whose front buffer reads back black (Xvfb's GLX, Wine).
#ifndef KORVA_PRESENTEDFRAME3D_H
#define KORVA_PRESENTEDFRAME3D_H

#include <vector>

class presentedFrame3D {
public:
    // Starts or stops keeping frames; either way the kept frame is dropped.
    void keep(bool on);
    bool keeping() const { return on; }
    // Keeps the back buffer, width x height from the lower left, when keeping is on.
    // Call it with the window's context current, before the swap.
    void grab(int width, int height);
    // Copies the kept frame when it is width x height. @returns 1, or 0 when there is none of that size.
    int read(int width, int height, unsigned char* rgb) const;
    // Reads the current context's back buffer, bottom row first, RGB. @returns 1, or 0 on a GL error.
    static int readBack(int width, int height, unsigned char* rgb);

private:
    bool on = false;
    int w = 0, h = 0;
    std::vector<unsigned char> pixels;
};

#endif
