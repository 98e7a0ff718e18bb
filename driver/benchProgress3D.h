// One line that shows a benchmark's progress on a terminal, updated in
// place about once a second: the run of a series, the path time, the share
// done and the running rate. It never goes to out.txt or a pipe: the
// front-end points it at standard output only when that is a terminal.
#ifndef KORVA_BENCHPROGRESS3D_H
#define KORVA_BENCHPROGRESS3D_H

#include <cstdio>

// the terminal, or null for no progress line
extern FILE* benchProgressOut3D;

// A frame of the measured flight ended at nowMicros, with frames drawn in
// elapsedS seconds and the path at pathS of pathLengthS. Writes the line
// when a second has passed since it last did.
void benchProgress3D(long long nowMicros, float pathS, float pathLengthS, int frames, double elapsedS);
// Blanks the line, if one is shown, so that the next output starts clean.
void benchProgressEnd3D();

#endif
