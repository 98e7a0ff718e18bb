// The sound devices of POSIX systems: ALSA's "default", else OSS.
#include "soundOut.h"

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/soundcard.h>
#include <unistd.h>

bool soundOut::openDevice(bool directSound)
{
    (void)directSound;
    snd_pcm_t* p = nullptr;
    if (snd_pcm_open(&p, "default", SND_PCM_STREAM_PLAYBACK, 0) == 0) {
        if (snd_pcm_set_params(p, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 2, unsigned(sampleRate), 1,
                               100000) == 0) {
            dev = p;
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

bool soundOut::writeDevice(const int16_t* frames, size_t count)
{
    if (k == kind::oss)
        return ::write(fd, frames, count * 4) == ssize_t(count * 4);
    auto* p = static_cast<snd_pcm_t*>(dev);
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

void soundOut::closeDevice()
{
    if (k == kind::alsa) {
        snd_pcm_drain(static_cast<snd_pcm_t*>(dev));
        snd_pcm_close(static_cast<snd_pcm_t*>(dev));
        dev = nullptr;
    } else if (k == kind::oss) {
        ::close(fd);
        fd = -1;
    }
}
