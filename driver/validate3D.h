// The frames a validation checks: a benchmark's sequences flown on a stepped
// clock, each frame moving the paths on by the same time whatever the
// machine's speed, so that the frame of a given path time is the same on
// every machine and renderer that draws right.
#ifndef KORVA_VALIDATE3D_H
#define KORVA_VALIDATE3D_H

enum validSeq3D { validIntro, validCityNight, validCityDay, validEnd };

struct validShot3D {
    const char* name;  // the reference image's name, without ".png"
    validSeq3D seq;
    // path time of the frame: seconds of the sequence's clock (the city's path
    // time is 4 times its clock, as in the benchmark)
    float at;
    const char* shows;  // what the frame is there to check
};

// Set for a run that is to be validated: its frames are checked against the
// references, so data files that are not the build's start it with a
// warning, as they start a demo, instead of stopping it.
extern bool validating3D;

// the stepped clock's milliseconds a frame
constexpr long validStepMs3D = 100;

// @returns the shots, sequence by sequence, in the order the flight reaches them.
const validShot3D* validShots3D(int* count);

// Called after the frame of each shot was presented. @returns false to stop the flight.
using validGrab3D = bool (*)(const validShot3D& shot, void* ctx);

// Flies the sequences of a benchmark that start3D started, on the stepped
// clock, instead of its display test and measured flight, and ends the run
// as a benchmark's end does. @returns the frames drawn, or -1 when a
// sequence ended before its last shot or grab stopped the flight.
int validateFlight3D(validGrab3D grab, void* ctx);

#endif
