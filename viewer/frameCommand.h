// resview --frames: frame logs read, checked and drawn, into a window or,
// with --png, into a picture file without a display.
#ifndef KORVA_FRAMECOMMAND_H
#define KORVA_FRAMECOMMAND_H

#include "frameFile.h"
#include "plotPicture.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

struct framesOptions {
    std::vector<std::string> files;
    std::string png;  // empty: the window
    int width = 1000;
    int height = 700;
};

// Reads --frames FILE... [--png OUT [--size WxH]] from the command line.
// @returns -1 when it is well formed, else the exit status 2 with why on err.
int parseFramesOptions(int argc, char** argv, framesOptions* o, FILE* err);

// whether the command line asks for frame logs (--frames, --png or --size)
bool asksForFrames(int argc, char** argv);

// Reads each log into logs; each that is no frame log is left out, with
// one line saying why in failures.
void loadFrameLogs(const std::vector<std::string>& files, std::vector<std::unique_ptr<frameFile>>* logs,
                   std::vector<std::string>* failures);

// how a build writes a picture as PNG into an open file; @returns false with why in one line
using picturePngWriter = bool (*)(const plotPicture& pic, FILE* f, std::string* why);
extern picturePngWriter framePngWriter;

// @returns -1 when the arguments ask for the window, else the exit status:
// 0 every log drawn, 1 a log that did not load or a PNG not written, 2 a wrong option.
int runFramesCommand(int argc, char** argv, FILE* out, FILE* err);

#endif
