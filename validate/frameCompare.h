// How far a frame is from its reference: the mean absolute difference per
// channel (0 .. 255) and the share of pixels where some channel is more
// than farLevels apart; a frame passes when both stay within their limits.
#ifndef KORVA_FRAMECOMPARE_H
#define KORVA_FRAMECOMPARE_H

#include "frameImage.h"

struct frameDiff {
    static constexpr int farLevels = 24;

    bool sameSize = false;
    double meanAbs = 0.0;
    double farShare = 0.0;  // 0 .. 1
};

struct frameLimits {
    double meanAbs;
    double farShare;
};

frameDiff compareFrames(const frameImage& reference, const frameImage& frame);
bool framePasses(const frameDiff& d, const frameLimits& limits);
// The difference amplified 8 times, so that small faults show; pixels more
// than farLevels apart in red. Empty when the sizes differ.
frameImage differenceImage(const frameImage& reference, const frameImage& frame);

#endif
