// Whether a path names a result file (bench.res or bench.json, in any case,
// in any folder, by itself or by what its links lead to): a file no other
// output may replace. Shared by townview's frame logs and resview's pictures.
#ifndef KORVA_RESULTNAMES3D_H
#define KORVA_RESULTNAMES3D_H

#include <filesystem>
#include <string>

// Where a path leads, links followed even to a file still to be made.
std::filesystem::path finalTarget3D(const std::string& path);
// Whether path, or the file its links lead to, is named as results are kept.
bool namesResultFile3D(const std::string& path);

#endif
