// A frame as the validation keeps it: RGB, 3 bytes a pixel, top row first,
// read from and written to PNG files with libpng.
#ifndef KORVA_FRAMEIMAGE_H
#define KORVA_FRAMEIMAGE_H

#include <cstdio>
#include <string>
#include <vector>

struct frameImage {
    // the largest side a reference may have: larger files are no frame of ours
    static constexpr int maxSide = 4096;

    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    // A frame read back from the renderer, bottom row first.
    static frameImage fromBottomUp(int width, int height, const unsigned char* rgb);
    // Reads an 8-bit PNG of any colour type (grey, palette and alpha are made RGB).
    // @returns false, with why in one line, when the file is no such image.
    bool readPng(const std::string& path, std::string* why);
    // @returns false when the file cannot be written whole.
    bool writePng(const std::string& path) const;
    // The same into an open file, flushed. @returns false when a write failed.
    bool writePng(std::FILE* f) const;
};

#endif
