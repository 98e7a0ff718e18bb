// The frame-time pictures of one or more frame logs: frame time over the
// run above, frame time by percentile below, a legend row per log.
#ifndef KORVA_FRAMEPLOT_H
#define KORVA_FRAMEPLOT_H

#include "frameFile.h"
#include "plotPicture.h"

#include <vector>

// the picture's smallest size; a smaller request is drawn at this size
constexpr int framePlotMinWidth = 320;
constexpr int framePlotMinHeight = 240;

// the colour of the k-th log, the same in every panel
plotColour frameLogColour(int k);

// The percentile at fraction f (0 to 1) of the lower panel's width: the
// scale runs from 0 to 99.9 with 90, 99 and 99.9 equally far apart, so
// that the slow end is drawn out.
double percentileAtFraction(double f);
double fractionOfPercentile(double p);

// The pictures of logs (none is allowed) at width x height pixels.
plotPicture framePicture(const std::vector<const frameFile*>& logs, int width, int height);

#endif
