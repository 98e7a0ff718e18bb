// The module player: libopenmpt decodes, a thread of our own mixes and
// feeds the sound device; the event loop only starts, fades and stops.
#include "midas.h"

#include "soundOut.h"

#include <libopenmpt/libopenmpt.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct midasModule {
    openmpt_module* mod = nullptr;
};

namespace {

struct playerState {
    std::mutex lock;  // guards everything below that the mixing thread reads
    bool started = false;
    bool initialised = false;
    int rate = 44100;
    int quality = 0;
    bool directSound = true;
    soundOut out;
    std::thread mixer;
    std::atomic<bool> running{false};
    midasModule* playing = nullptr;
    MIDASmodulePlayHandle handle = 0;
    MIDASmodulePlayHandle nextHandle = 1;
    std::atomic<unsigned> volume{64};
    // a program that ends with the music still on must not end in std::terminate
    ~playerState()
    {
        running = false;
        if (mixer.joinable())
            mixer.join();
    }
};

playerState& player()
{
    static playerState p;
    return p;
}

void mixLoop()
{
    playerState& p = player();
    std::vector<int16_t> buf(size_t(2048));
    while (p.running.load()) {
        size_t frames = 0;
        {
            std::lock_guard<std::mutex> g(p.lock);
            if (p.playing != nullptr) {
                frames = openmpt_module_read_interleaved_stereo(p.playing->mod, p.rate, 1024, buf.data());
                if (frames == 0)
                    p.playing = nullptr;  // a module played once has ended
            }
        }
        if (frames == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        const unsigned v = p.volume.load();
        if (v < 64)
            for (size_t i = 0; i < frames * 2; i++)
                buf[i] = int16_t(int(buf[i]) * int(v) / 64);
        p.out.write(buf.data(), frames);
    }
}

void quietLog(const char*, void*) {}

}  // namespace

int MIDASstartup()
{
    playerState& p = player();
    std::lock_guard<std::mutex> g(p.lock);
    p.started = true;
    p.rate = 44100;
    p.quality = 0;
    p.directSound = true;
    return 1;
}

int MIDASsetOption(int option, int value)
{
    playerState& p = player();
    std::lock_guard<std::mutex> g(p.lock);
    if (!p.started)
        return 0;
    if (option == MIDAS_OPTION_MIXRATE) {
        if (value != 44100 && value != 22050)
            return 0;
        p.rate = value;
        return 1;
    }
    if (option == MIDAS_OPTION_FILTER_MODE) {
        p.quality = value != 0 ? 1 : 0;
        return 1;
    }
    if (option == MIDAS_OPTION_DSOUND_MODE) {
        p.directSound = value != 0;
        return 1;
    }
    return 0;
}

int MIDASgetOption(int option)
{
    playerState& p = player();
    std::lock_guard<std::mutex> g(p.lock);
    if (!p.started)
        return -1;
    if (option == MIDAS_OPTION_MIXRATE)
        return p.rate;
    if (option == MIDAS_OPTION_FILTER_MODE)
        return p.quality;
    if (option == MIDAS_OPTION_DSOUND_MODE)
        return p.directSound ? 1 : 0;
    return -1;
}

int MIDASinit()
{
    playerState& p = player();
    std::lock_guard<std::mutex> g(p.lock);
    if (!p.started)
        return 0;
    const char* spec = std::getenv("KORVA_AUDIO");
    if (!p.out.open(spec ? spec : "", p.rate, p.directSound))
        return 0;
    p.initialised = true;
    return 1;
}

int MIDASstartBackgroundPlay(int pollRate)
{
    (void)pollRate;
    playerState& p = player();
    std::lock_guard<std::mutex> g(p.lock);
    if (!p.initialised || p.running.load())
        return 0;
    p.running = true;
    p.mixer = std::thread(mixLoop);
    return 1;
}

MIDASmodule MIDASloadModule(const char* fileName)
{
    playerState& p = player();
    if (!p.started || fileName == nullptr)
        return nullptr;
    FILE* f = std::fopen(fileName, "rb");
    if (f == nullptr)
        return nullptr;
    std::vector<unsigned char> data;
    unsigned char chunk[65536];
    size_t n;
    // modules are small; anything past 64 MB is no module of ours, and a cut copy of one is none either
    constexpr size_t maxBytes = size_t(64) << 20;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0 && data.size() <= maxBytes)
        data.insert(data.end(), chunk, chunk + n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed || data.size() > maxBytes)
        return nullptr;
    openmpt_module* mod = openmpt_module_create_from_memory2(data.data(), data.size(), quietLog, nullptr, nullptr,
                                                             nullptr, nullptr, nullptr, nullptr);
    if (mod == nullptr)
        return nullptr;
    auto* m = new midasModule;
    m->mod = mod;
    return m;
}

MIDASmodulePlayHandle MIDASplayModule(MIDASmodule module, int loop)
{
    playerState& p = player();
    std::lock_guard<std::mutex> g(p.lock);
    if (!p.initialised || module == nullptr)
        return 0;
    openmpt_module_set_repeat_count(module->mod, loop ? -1 : 0);
    openmpt_module_set_render_param(module->mod, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH,
                                    p.quality ? 8 : 1);
    openmpt_module_set_position_seconds(module->mod, 0.0);
    p.playing = module;
    p.handle = p.nextHandle++;
    p.volume = 64;
    return p.handle;
}

int MIDASsetMusicVolume(MIDASmodulePlayHandle handle, unsigned volume)
{
    playerState& p = player();
    std::lock_guard<std::mutex> g(p.lock);
    if (handle == 0 || handle != p.handle)
        return 0;
    p.volume = volume > 64 ? 64 : volume;
    return 1;
}

int MIDASstopModule(MIDASmodulePlayHandle handle)
{
    playerState& p = player();
    std::lock_guard<std::mutex> g(p.lock);
    if (handle == 0 || handle != p.handle)
        return 0;
    p.playing = nullptr;
    p.handle = 0;
    return 1;
}

int MIDASfreeModule(MIDASmodule module)
{
    if (module == nullptr)
        return 0;
    playerState& p = player();
    {
        std::lock_guard<std::mutex> g(p.lock);
        if (p.playing == module) {
            p.playing = nullptr;
            p.handle = 0;
        }
    }
    openmpt_module_destroy(module->mod);
    delete module;
    return 1;
}

int MIDASstopBackgroundPlay()
{
    playerState& p = player();
    if (!p.running.load())
        return 0;
    p.running = false;
    if (p.mixer.joinable())
        p.mixer.join();
    return 1;
}

int MIDASclose()
{
    MIDASstopBackgroundPlay();
    playerState& p = player();
    std::lock_guard<std::mutex> g(p.lock);
    p.out.close();
    p.playing = nullptr;
    p.handle = 0;
    p.initialised = false;
    p.started = false;
    return 1;
}
