#include "soundOut.h"

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/soundcard.h>
#include <unistd.h>

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

bool soundOut::open(const std::string& spec, int r)
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
    snd_pcm_t* p = nullptr;
    if (snd_pcm_open(&p, "default", SND_PCM_STREAM_PLAYBACK, 0) == 0) {
        if (snd_pcm_set_params(p, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 2, unsigned(sampleRate), 1,
                               100000) == 0) {
            pcm = p;
            k = kind::alsa;
            return true;
        }
        snd_pcm_close(p);
    }
    const int d = ::open("/dev/dsp", O_WRONLY);
    if (d >= 0) {
        int fmt = AFMT_S16_LE, ch = 2, sr = sampleRate;
        if (ioctl(d, SNDCTL_DSP_SETFMT, &fmt) == 0 && ioctl(d, SNDCTL_DSP_CHANNELS, &ch) == 0 &&
            ioctl(d, SNDCTL_DSP_SPEED, &sr) == 0) {
            fd = d;
            k = kind::oss;
            return true;
        }
        ::close(d);
    }
    return false;
}

bool soundOut::write(const int16_t* frames, size_t count)
{
    switch (k) {
    case kind::alsa: {
        auto* p = static_cast<snd_pcm_t*>(pcm);
        size_t done = 0;
        while (done < count) {
            const snd_pcm_sframes_t n = snd_pcm_writei(p, frames + done * 2, count - done);
            if (n < 0) {
                if (snd_pcm_recover(p, int(n), 1) < 0)
                    return false;
                continue;
            }
            done += size_t(n);
        }
        return true;
    }
    case kind::oss:
        return ::write(fd, frames, count * 4) == ssize_t(count * 4);
    case kind::wav: {
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
    case kind::none:
        break;
    }
    return false;
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
    if (k == kind::alsa) {
        snd_pcm_drain(static_cast<snd_pcm_t*>(pcm));
        snd_pcm_close(static_cast<snd_pcm_t*>(pcm));
        pcm = nullptr;
    } else if (k == kind::oss) {
        ::close(fd);
        fd = -1;
    } else if (k == kind::wav) {
        finishWav();
    }
    k = kind::none;
}
