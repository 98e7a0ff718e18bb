#include "sgiWriter.h"

#include <cstdio>
#include <cstring>
#include <vector>

bool writeSGI(const char* path, int width, int height, int channels, const unsigned char* pixels)
{
    std::vector<unsigned char> file(512 + size_t(width) * size_t(height) * size_t(channels), 0);
    unsigned char* h = file.data();
    auto be16 = [](unsigned char* p, unsigned v) {
        p[0] = (unsigned char)(v >> 8);
        p[1] = (unsigned char)v;
    };
    be16(h, 474);
    h[2] = 0;  // uncompressed
    h[3] = 1;  // one byte per channel
    be16(h + 4, 3);
    be16(h + 6, unsigned(width));
    be16(h + 8, unsigned(height));
    be16(h + 10, unsigned(channels));
    h[19] = 255;  // maximum pixel value
    std::strncpy(reinterpret_cast<char*>(h + 24), "korvane", 79);
    const size_t plane = size_t(width) * size_t(height);
    for (int c = 0; c < channels; c++)
        for (size_t i = 0; i < plane; i++)
            file[512 + size_t(c) * plane + i] = pixels[i * size_t(channels) + size_t(c)];
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}
