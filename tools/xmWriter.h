// Writes FastTracker 2 extended modules (.xm): patterns of note cells,
// instruments of one 16-bit sample each with a volume envelope.
#ifndef KORVA_XMWRITER_H
#define KORVA_XMWRITER_H

#include <cstdint>
#include <string>
#include <vector>

struct xmCell {
    uint8_t note = 0;    // 1 = C-0 .. 96, 97 key off, 0 none
    uint8_t instr = 0;   // 1-based, 0 none
    uint8_t volume = 0;  // volume column: 0x10 + 0 .. 64, 0 none
    uint8_t effect = 0;
    uint8_t param = 0;
};

struct xmPattern {
    int rows = 64;
    int channels = 0;
    std::vector<xmCell> cells;  // rows x channels
    xmCell& at(int row, int channel) { return cells[size_t(row) * size_t(channels) + size_t(channel)]; }
};

struct xmInstrument {
    std::string name;
    std::vector<int16_t> sample;
    int loopStart = 0;
    int loopLength = 0;  // 0: no loop
    int volume = 64;
    int panning = 128;
    int relativeNote = 0;
    int finetune = 0;
    // volume envelope points (tick, 0 .. 64); sustain point index or -1
    std::vector<std::pair<int, int>> envelope;
    int sustain = -1;
    int fadeout = 0;
    int vibratoDepth = 0;
    int vibratoRate = 0;
};

struct xmSong {
    std::string name;
    int channels = 8;
    int speed = 6;
    int bpm = 125;
    int restart = 0;
    std::vector<int> order;
    std::vector<xmPattern> patterns;
    std::vector<xmInstrument> instruments;
};

// @returns the file's bytes.
std::vector<uint8_t> xmBytes(const xmSong& song);
bool writeXm(const std::string& path, const xmSong& song);

#endif
