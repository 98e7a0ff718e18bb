// The data set's manifest: the size and SHA-256 of every package and path
// file, written by the data generator beside them. A benchmark is only
// comparable on the data the build made, so a start checks the files the
// run reads against it.
#ifndef KORVA_MANIFEST3D_H
#define KORVA_MANIFEST3D_H

#include <cstddef>

// the manifest's name in the data folder
extern const char manifestName3D[];

// Writes the manifest of the data files in dataDir (a folder name ending
// in '/'). @returns whether every file was hashed and the manifest written.
bool writeManifest3D(const char* dataDir);

// Checks the files a run with this texture set reads (its city package and
// the six paths) in dataDir against the manifest there; each file is hashed
// once per process. @returns true when they match, else false with the
// first difference, naming the file, in why.
bool checkDataTree3D(const char* dataDir, bool bigTex, char* why, size_t size);

// The SHA-256 of the manifest in dataDir as hex digits, or "" when it cannot
// be read: names the data set a result was measured on.
const char* manifestHash3D(const char* dataDir);

#endif
