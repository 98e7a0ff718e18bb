// The models of the data set and the layout of the city they make: tiles,
// tower blocks, the factory, the station, the logos, the ship and its effects.
#ifndef KORVA_CITYGEN_H
#define KORVA_CITYGEN_H

#include <string>
#include <vector>

struct tower {
    double x0, z0, x1, z1;  // footprint in world units
    double height;
};

struct cityLayout {
    // every tower of every block, for the flight paths to keep clear of
    std::vector<tower> towers;
};

// Writes every model of the group folders under root (textures come from
// writeSceneTextures). @returns the number of triangles written, -1 on failure.
long writeSceneModels(const std::string& root, cityLayout* layout);

#endif
