// The module player's calls, played into the WAV sink: run under
// ThreadSanitizer as well, since volume and stop come from another thread.
#include "midas.h"

#include "tempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

// the player reads its sink from the environment (null: the system's device)
void setAudio(const char* spec)
{
#ifdef _WIN32
    _putenv_s("KORVA_AUDIO", spec != nullptr ? spec : "");
#else
    if (spec != nullptr)
        setenv("KORVA_AUDIO", spec, 1);
    else
        unsetenv("KORVA_AUDIO");
#endif
}

}  // namespace

namespace {

// a four-channel module of one looped square-wave sample and one pattern of notes
std::string modFile()
{
    std::string f(20, '\0');
    f.replace(0, 9, "korvatest");
    for (int s = 0; s < 31; s++) {
        std::string h(30, '\0');
        if (s == 0) {
            h[22] = 0;
            h[23] = 32;  // length in words
            h[25] = 64;  // volume
            h[26] = 0;
            h[27] = 0;  // loop start
            h[28] = 0;
            h[29] = 32;  // loop length
        }
        f += h;
    }
    f += char(1);
    f += char(127);
    f += std::string(128, '\0');
    f += "M.K.";
    const int periods[4] = {428, 339, 285, 214};
    for (int row = 0; row < 64; row++) {
        for (int ch = 0; ch < 4; ch++) {
            if (ch == 0 && row % 4 == 0) {
                const int p = periods[(row / 4) % 4];
                f += char((p >> 8) & 0x0f);
                f += char(p & 0xff);
                f += char(1 << 4);
                f += char(0);
            } else {
                f += std::string(4, '\0');
            }
        }
    }
    for (int i = 0; i < 64; i++)
        f += char(i < 32 ? 100 : -100);
    return f;
}

struct wavData {
    int channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> samples;
};

wavData readWav(const std::string& name)
{
    const std::string d = readFile(name);
    wavData w;
    if (d.size() < 44 || d.compare(0, 4, "RIFF") != 0)
        return w;
    auto u16 = [&](size_t o) { return int((unsigned char)d[o] | (unsigned char)d[o + 1] << 8); };
    w.channels = u16(22);
    w.rate = u16(24) | u16(26) << 16;
    w.bits = u16(34);
    for (size_t o = 44; o + 1 < d.size(); o += 2)
        w.samples.push_back(int16_t(u16(o)));
    return w;
}

double rms(const std::vector<int16_t>& s, size_t from, size_t to)
{
    double sum = 0.0;
    to = std::min(to, s.size());
    for (size_t i = from; i < to; i++)
        sum += double(s[i]) * s[i];
    return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
}

}  // namespace

TEST(Music, CallsPlayAModuleIntoTheWavSinkAndFadeToSilence)
{
    tempDir dir;
    // nothing works before start-up
    EXPECT_EQ(MIDASinit(), 0);
    EXPECT_EQ(MIDASsetOption(1, 44100), 0);
    EXPECT_EQ(MIDASloadModule("song.mod"), nullptr);
    EXPECT_EQ(MIDASplayModule(nullptr, 1), 0u);

    ASSERT_EQ(MIDASstartup(), 1);
    EXPECT_EQ(MIDASsetOption(1, 12345), 0);
    EXPECT_EQ(MIDASsetOption(1, 22050), 1);
    EXPECT_EQ(MIDASsetOption(11, 1), 1);
    EXPECT_EQ(MIDASsetOption(7, 1), 0);
    EXPECT_EQ(MIDASstartBackgroundPlay(0), 0);  // no device open yet

    setAudio("wav:mix.wav");
    ASSERT_EQ(MIDASinit(), 1);
    ASSERT_EQ(MIDASstartBackgroundPlay(0), 1);
    EXPECT_EQ(MIDASstartBackgroundPlay(0), 0);

    // missing and corrupt files are refused, never crash the player
    EXPECT_EQ(MIDASloadModule("missing.mod"), nullptr);
    std::string junk;
    for (int i = 0; i < 5000; i++)
        junk += char((i * 7919) & 0xff);
    writeFile("junk.mus", junk);
    EXPECT_EQ(MIDASloadModule("junk.mus"), nullptr);
    writeFile("cut.mus", modFile().substr(0, 700));
    EXPECT_EQ(MIDASloadModule("cut.mus"), nullptr);

    // a module followed by more than 64 MB is no module of ours, whole or cut
    std::string big = modFile();
    big.resize((size_t(64) << 20) + 1, '\0');
    writeFile("big.mus", big);
    EXPECT_EQ(MIDASloadModule("big.mus"), nullptr);
    big.resize(size_t(64) << 20);
    writeFile("big.mus", big);
    MIDASmodule padded = MIDASloadModule("big.mus");
    EXPECT_NE(padded, nullptr);
    EXPECT_EQ(MIDASfreeModule(padded), 1);
    std::filesystem::remove("big.mus");

    // the content decides the format, not the name
    writeFile("song.mus", modFile());
    MIDASmodule m = MIDASloadModule("song.mus");
    ASSERT_NE(m, nullptr);
    const MIDASmodulePlayHandle h = MIDASplayModule(m, 1);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(MIDASsetMusicVolume(h + 1, 10), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    // the fade of a run's close: 64, 62 .. 0 every 20 ms, then half a second of nothing
    for (int v = 64; v >= 0; v -= 2) {
        EXPECT_EQ(MIDASsetMusicVolume(h, unsigned(v)), 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(MIDASstopModule(h), 1);
    EXPECT_EQ(MIDASstopModule(h), 0);
    EXPECT_EQ(MIDASfreeModule(m), 1);
    EXPECT_EQ(MIDASstopBackgroundPlay(), 1);
    EXPECT_EQ(MIDASclose(), 1);
    setAudio(nullptr);

    const wavData w = readWav("mix.wav");
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.bits, 16);
    EXPECT_EQ(w.rate, 22050);
    const size_t second = size_t(w.rate) * 2;
    ASSERT_GT(w.samples.size(), second * 2);
    EXPECT_GT(rms(w.samples, 0, second), 500.0);
    // the last 0.4 s were played at volume 0
    const size_t n = w.samples.size();
    EXPECT_EQ(rms(w.samples, n - size_t(0.4 * second), n), 0.0);

    // with no sound device and no file sink the player cannot start
    if (!std::filesystem::exists("/dev/snd") && !std::filesystem::exists("/dev/dsp")) {
        ASSERT_EQ(MIDASstartup(), 1);
        EXPECT_EQ(MIDASinit(), 0);
        MIDASclose();
    }
}

TEST(Music, TheDemosOwnModulesLoad)
{
    ASSERT_EQ(MIDASstartup(), 1);
    for (const char* name : {"celesfnt.mus", "intro.mus"}) {
        const std::string path = std::string(KORVA_TREE) + "/data/" + name;
        MIDASmodule m = MIDASloadModule(path.c_str());
        EXPECT_NE(m, nullptr) << path;
        if (m != nullptr) {
            EXPECT_EQ(MIDASfreeModule(m), 1);
        }
    }
    MIDASclose();
}
