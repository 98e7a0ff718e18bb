// The verdicts of the display tests, apart from the devices that measure
// them, and the matrix speed test's report.
#ifndef KORVA_DISPLAYVERDICTS3D_H
#define KORVA_DISPLAYVERDICTS3D_H

#include <cstddef>

// a rate from 200 waits or swaps over the elapsed milliseconds of the system timer
float rateOf200(long elapsedMillis);
// a refresh measurement is believed only strictly between 49 and 200 Hz
bool refreshRateValid(float hz);
// the Direct3D swap waits for the blank when it runs within 10 % of the refresh rate
bool d3dVSyncOn(float swapHz, float refreshHz);
// OpenGL: a swap rate below 150 Hz reads as a swap that waits for the blank
bool glVSyncOn(float swapHz);

// the matrix speed test's result lines for the measured seconds, into out
void matrixReport3D(float seconds, char* out, size_t size);
// the two timed loops; @returns the elapsed seconds
float matrixLoops3D(long (*millis)());

#endif
