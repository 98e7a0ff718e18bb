#include "soundOut.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

double nowSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void le16(unsigned char* p, unsigned v)
{
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
}

void le32(unsigned char* p, uint32_t v)
{
    le16(p, v & 0xffff);
    le16(p + 2, v >> 16);
}

void tag(unsigned char* p, const char* t)
{
    for (; *t != '\0'; t++)
        *p++ = (unsigned char)*t;
}

void wavHeader(unsigned char* h, int rate, uint32_t frames)
{
    const uint32_t data = frames * 4;
    tag(h, "RIFF");
    le32(h + 4, 36 + data);
    tag(h + 8, "WAVEfmt ");
    le32(h + 16, 16);
    le16(h + 20, 1);
    le16(h + 22, 2);
    le32(h + 24, uint32_t(rate));
    le32(h + 28, uint32_t(rate) * 4);
    le16(h + 32, 4);
    le16(h + 34, 16);
    tag(h + 36, "data");
    le32(h + 40, data);
}

}  // namespace

bool soundOut::open(const std::string& spec, int r, bool directSound)
{
    close();
    sampleRate = r;
    if (spec.rfind("wav:", 0) == 0) {
        wav = std::fopen(spec.c_str() + 4, "wb");
        if (wav == nullptr)
            return false;
        unsigned char h[44];
        wavHeader(h, sampleRate, 0);
        std::fwrite(h, 1, sizeof h, wav);
        wavFrames = 0;
        startSeconds = nowSeconds();
        k = kind::wav;
        return true;
    }
    return openDevice(directSound);
}

bool soundOut::write(const int16_t* frames, size_t count)
{
    if (k != kind::wav)
        return k != kind::none && writeDevice(frames, count);
    // little-endian on disk whatever the host
    unsigned char buf[4096];
    size_t done = 0;
    while (done < count) {
        const size_t n = std::min(count - done, sizeof buf / 4);
        for (size_t i = 0; i < n * 2; i++)
            le16(buf + i * 2, uint16_t(frames[done * 2 + i]));
        if (std::fwrite(buf, 4, n, wav) != n)
            return false;
        done += n;
    }
    wavFrames += uint32_t(count);
    // a file sink keeps real time, as a device would
    const double due = startSeconds + double(wavFrames) / sampleRate;
    const double wait = due - nowSeconds();
    if (wait > 0.0)
        std::this_thread::sleep_for(std::chrono::duration<double>(wait));
    return true;
}

void soundOut::finishWav()
{
    unsigned char h[44];
    wavHeader(h, sampleRate, wavFrames);
    std::fseek(wav, 0, SEEK_SET);
    std::fwrite(h, 1, sizeof h, wav);
    std::fclose(wav);
    wav = nullptr;
}

void soundOut::close()
{
    if (k == kind::wav)
        finishWav();
    else if (k != kind::none)
        closeDevice();
    k = kind::none;
}
