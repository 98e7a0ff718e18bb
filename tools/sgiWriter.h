// Writes uncompressed SGI images, the texture format of the data set.
#ifndef KORVA_SGIWRITER_H
#define KORVA_SGIWRITER_H

// pixels: width x height x channels bytes, interleaved, bottom row first.
// @returns whether the whole file was written.
bool writeSGI(const char* path, int width, int height, int channels, const unsigned char* pixels);

#endif
