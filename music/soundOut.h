// Where the mix goes: ALSA or OSS on POSIX, DirectSound or wave-out on
// Windows, or a WAV file; 16-bit interleaved stereo.
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
    // directSound: on Windows, try DirectSound before wave-out.
    // @returns whether it is open.
    bool open(const std::string& spec, int rate, bool directSound = true);
    // Plays frames of interleaved stereo; blocks about as long as they sound.
    bool write(const int16_t* frames, size_t count);
    void close();
    int rate() const { return sampleRate; }

private:
    enum class kind { none, alsa, oss, dsound, waveout, wav };
    void finishWav();
    // the system's device, in soundOutAlsa.cpp or soundOutWin.cpp
    bool openDevice(bool directSound);
    bool writeDevice(const int16_t* frames, size_t count);
    void closeDevice();

    kind k = kind::none;
    int sampleRate = 44100;
    void* dev = nullptr;  // ALSA handle, or the Windows device's state
    int fd = -1;          // OSS device
    FILE* wav = nullptr;
    uint32_t wavFrames = 0;
    double startSeconds = 0.0;
};

#endif
