// The recorded flights of the data set, made from waypoints: the city ship
// and its follow camera, the intro ship, and the end scene's ship, camera and sphere.
#ifndef KORVA_PATHGEN_H
#define KORVA_PATHGEN_H

#include <string>

// Writes ship.bre, cam.bre, deskship.bre, endship.bre, endcam.bre and
// sphere.bre into dir. @returns whether all were written.
bool writePaths(const std::string& dir);

// record spacing and lengths of the flights, in seconds of path time
inline constexpr double pathStep = 0.04;
inline constexpr double cityLength = 170.0;
inline constexpr double deskLength = 20.0;
inline constexpr double endLength = 22.0;

#endif
