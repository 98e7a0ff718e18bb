// Writes the large model the loader benchmarks read: a 410 x 410 vertex
// grid of triangles (about a million face points) in 50 textured materials.
#ifndef KORVA_BENCHMODEL_H
#define KORVA_BENCHMODEL_H

#include <string>

// @returns the path of the .obj file, written into dir.
std::string writeBenchModel(const std::string& dir);

#endif
