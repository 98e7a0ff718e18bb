// The sound devices of Windows: a DirectSound ring buffer, else wave-out
// with a few queued blocks. Both block the mixing thread while full.
#include "soundOut.h"

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int waveBlocks = 4;
constexpr size_t waveBlockFrames = 2048;  // about 46 ms each at 44100

struct winDevice {
    // DirectSound
    IDirectSound* ds = nullptr;
    IDirectSoundBuffer* ring = nullptr;
    DWORD ringBytes = 0;
    DWORD writePos = 0;
    bool playing = false;
    // wave-out
    HWAVEOUT wo = nullptr;
    WAVEHDR hdr[waveBlocks] = {};
    std::vector<int16_t> block[waveBlocks];
    int next = 0;
};

WAVEFORMATEX format(int rate)
{
    WAVEFORMATEX f = {};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 2;
    f.nSamplesPerSec = DWORD(rate);
    f.wBitsPerSample = 16;
    f.nBlockAlign = 4;
    f.nAvgBytesPerSec = DWORD(rate) * 4;
    return f;
}

bool openDirectSound(winDevice& d, int rate)
{
    if (FAILED(DirectSoundCreate(nullptr, &d.ds, nullptr)))
        return false;
    // the music belongs to no window of its own: the desktop's will do
    if (FAILED(d.ds->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY))) {
        d.ds->Release();
        d.ds = nullptr;
        return false;
    }
    WAVEFORMATEX f = format(rate);
    DSBUFFERDESC desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS;
    d.ringBytes = DWORD(rate) * 4 / 4;  // a quarter second
    desc.dwBufferBytes = d.ringBytes;
    desc.lpwfxFormat = &f;
    if (FAILED(d.ds->CreateSoundBuffer(&desc, &d.ring, nullptr))) {
        d.ds->Release();
        d.ds = nullptr;
        return false;
    }
    d.writePos = 0;
    d.playing = false;
    return true;
}

// bytes the ring can take now without overwriting what still sounds
DWORD ringRoom(winDevice& d)
{
    if (!d.playing)
        return d.ringBytes - d.writePos;
    DWORD play = 0, write = 0;
    if (FAILED(d.ring->GetCurrentPosition(&play, &write)))
        return 0;
    return (play + d.ringBytes - d.writePos) % d.ringBytes;
}

bool writeDirectSound(winDevice& d, const int16_t* frames, size_t count)
{
    const auto* src = reinterpret_cast<const unsigned char*>(frames);
    size_t left = count * 4;
    while (left > 0) {
        DWORD room = ringRoom(d) & ~DWORD(3);
        if (room == 0) {
            if (!d.playing) {  // the ring is primed: start it
                if (FAILED(d.ring->Play(0, 0, DSBPLAY_LOOPING)))
                    return false;
                d.playing = true;
                d.writePos %= d.ringBytes;
            } else {
                Sleep(5);
            }
            continue;
        }
        const DWORD n = DWORD(std::min<size_t>(left, room));
        void* p1 = nullptr;
        void* p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        HRESULT hr = d.ring->Lock(d.writePos % d.ringBytes, n, &p1, &n1, &p2, &n2, 0);
        if (hr == DSERR_BUFFERLOST) {
            d.ring->Restore();
            hr = d.ring->Lock(d.writePos % d.ringBytes, n, &p1, &n1, &p2, &n2, 0);
        }
        if (FAILED(hr))
            return false;
        std::memcpy(p1, src, n1);
        if (p2 != nullptr)
            std::memcpy(p2, src + n1, n2);
        d.ring->Unlock(p1, n1, p2, n2);
        src += n;
        left -= n;
        d.writePos = d.playing ? (d.writePos + n) % d.ringBytes : d.writePos + n;
    }
    return true;
}

bool openWaveOut(winDevice& d, int rate)
{
    WAVEFORMATEX f = format(rate);
    if (waveOutOpen(&d.wo, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
        d.wo = nullptr;
        return false;
    }
    for (int i = 0; i < waveBlocks; i++) {
        d.block[i].assign(waveBlockFrames * 2, 0);
        d.hdr[i] = {};
        d.hdr[i].dwFlags = WHDR_DONE;  // free to fill
    }
    d.next = 0;
    return true;
}

bool writeWaveOut(winDevice& d, const int16_t* frames, size_t count)
{
    while (count > 0) {
        WAVEHDR& h = d.hdr[d.next];
        while ((h.dwFlags & WHDR_DONE) == 0)
            Sleep(2);
        if ((h.dwFlags & WHDR_PREPARED) != 0)
            waveOutUnprepareHeader(d.wo, &h, sizeof h);
        const size_t n = std::min(count, waveBlockFrames);
        std::memcpy(d.block[d.next].data(), frames, n * 4);
        h = {};
        h.lpData = reinterpret_cast<LPSTR>(d.block[d.next].data());
        h.dwBufferLength = DWORD(n * 4);
        if (waveOutPrepareHeader(d.wo, &h, sizeof h) != MMSYSERR_NOERROR ||
            waveOutWrite(d.wo, &h, sizeof h) != MMSYSERR_NOERROR)
            return false;
        d.next = (d.next + 1) % waveBlocks;
        frames += n * 2;
        count -= n;
    }
    return true;
}

}  // namespace

bool soundOut::openDevice(bool directSound)
{
    auto* d = new winDevice;
    if (directSound && openDirectSound(*d, sampleRate)) {
        dev = d;
        k = kind::dsound;
        return true;
    }
    if (openWaveOut(*d, sampleRate)) {
        dev = d;
        k = kind::waveout;
        return true;
    }
    delete d;
    return false;
}

bool soundOut::writeDevice(const int16_t* frames, size_t count)
{
    auto* d = static_cast<winDevice*>(dev);
    return k == kind::dsound ? writeDirectSound(*d, frames, count) : writeWaveOut(*d, frames, count);
}

void soundOut::closeDevice()
{
    auto* d = static_cast<winDevice*>(dev);
    if (k == kind::dsound) {
        d->ring->Stop();
        d->ring->Release();
        d->ds->Release();
    } else if (k == kind::waveout) {
        waveOutReset(d->wo);
        for (WAVEHDR& h : d->hdr)
            if ((h.dwFlags & WHDR_PREPARED) != 0)
                waveOutUnprepareHeader(d->wo, &h, sizeof h);
        waveOutClose(d->wo);
    }
    delete d;
    dev = nullptr;
}
