// Where the mix goes: ALSA, OSS or a WAV file, 16-bit interleaved stereo.
#ifndef KORVA_SOUNDOUT_H
#define KORVA_SOUNDOUT_H

#include <cstdint>
#include <cstdio>
#include <string>

class soundOut {
public:
    soundOut() = default;
    soundOut(const soundOut&) = delete;
    soundOut& operator=(const soundOut&) = delete;
    ~soundOut() { close(); }

    // Opens the device of spec ("" for the system's; "wav:FILE" for a file).
    // @returns whether it is open.
    bool open(const std::string& spec, int rate);
    // Plays frames of interleaved stereo; blocks about as long as they sound.
    bool write(const int16_t* frames, size_t count);
    void close();
    int rate() const { return sampleRate; }

private:
    enum class kind { none, alsa, oss, wav };
    void finishWav();

    kind k = kind::none;
    int sampleRate = 44100;
    void* pcm = nullptr;  // ALSA handle
    int fd = -1;          // OSS device
    FILE* wav = nullptr;
    uint32_t wavFrames = 0;
    double startSeconds = 0.0;
};

#endif
