// A front-end without dialogs for the driver: redraws run from a loop of its
// own, and a record of what the driver asked for. The benchmark runners and
// the driver tests use it, on whatever window system they hand it.
#ifndef KORVA_BAREFRONT3D_H
#define KORVA_BAREFRONT3D_H

#include "gl/glWindow3D.h"

#include <string>
#include <vector>

struct bareFront3D {
    int redraws = 0;
    int closes = 0;
    int enables = 0;
    std::vector<std::string> music;
    int musicCloses = 0;
    // pressed into myKeyboard by runFrames when above 0
    unsigned char pendingKey = 0;
};

// Installs the front-end, and the renderer's window system unless it is
// null (then the one installed stays); returns its record, cleared.
bareFront3D* installBareFront3D(const glWindow3D* system);
// Starts a run as the dialogs would: the benchmark's fixed settings, the
// size it starts from, start3D. @returns start3D's result.
int startBareRun3D();
// Runs idle and frame callbacks until the run window is closed or maxFrames
// frames were drawn. @returns the frames drawn.
int runFrames3D(int maxFrames);

#endif
