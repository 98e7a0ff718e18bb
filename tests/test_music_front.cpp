// The demo's music calls as the run uses them: whatever the dialog's
// "MUSIC ON" says by the close, and whatever failed on the way, nothing of
// the player is left running after the run.
#include "driver3D.h"
#include "midas.h"
#include "musicFront3D.h"
#include "platform3D.h"

#include "tempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

uintmax_t sizeAfter(const fs::path& f, int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return fs::exists(f) ? fs::file_size(f) : 0;
}

}  // namespace

TEST(MusicFront, NothingPlaysAfterTheRun)
{
    tempDir dir;
    const fs::path wav = dir.path / "mix.wav";
    setenv("KORVA_AUDIO", ("wav:" + wav.string()).c_str(), 1);
    const std::string module = std::string(KORVA_TREE) + "/data/celesfnt.mus";
    armClock3D();  // the fade waits on the program's clock
    midasOK = 1;

    // the music is ticked off in the dialog while the demo plays
    playSound = 1;
    MidasPlay(module.c_str());
    const uintmax_t early = sizeAfter(wav, 300);
    EXPECT_GT(sizeAfter(wav, 300), early) << "the module does not play";
    playSound = 0;
    MidasClose();
    EXPECT_EQ(MIDASstopBackgroundPlay(), 0) << "the mixing thread outlived the run";
    const uintmax_t closed = sizeAfter(wav, 0);
    EXPECT_EQ(sizeAfter(wav, 300), closed);

    // a second play without a close in between leaves one player, which one close stops
    playSound = 1;
    MidasPlay(module.c_str());
    MidasPlay(module.c_str());
    EXPECT_EQ(midasOK, 1);
    MidasClose();
    EXPECT_EQ(MIDASstopBackgroundPlay(), 0);

    // a module that does not load: the sound is off for good, and no thread is left mixing
    MidasPlay((dir.path / "missing.mus").c_str());
    EXPECT_EQ(midasOK, 0);
    EXPECT_EQ(MIDASstopBackgroundPlay(), 0);
    const uintmax_t failed = sizeAfter(wav, 0);
    EXPECT_EQ(sizeAfter(wav, 300), failed);
    MidasClose();

    // with the music off from the start the player is opened and closed, never played
    midasOK = 1;
    playSound = 0;
    MidasPlay(module.c_str());
    EXPECT_EQ(MIDASstopBackgroundPlay(), 0);
    MidasClose();
    EXPECT_EQ(MIDASinit(), 0) << "the player was left open";

    // a sound device that fails to open: the player is shut at once, before any close
    setenv("KORVA_AUDIO", ("wav:" + (dir.path / "missing" / "mix.wav").string()).c_str(), 1);
    midasOK = 1;
    playSound = 1;
    MidasPlay(module.c_str());
    EXPECT_EQ(midasOK, 0);
    setenv("KORVA_AUDIO", ("wav:" + wav.string()).c_str(), 1);
    EXPECT_EQ(MIDASinit(), 0) << "a player that failed to start was left open";
    MidasClose();
    unsetenv("KORVA_AUDIO");
}

TEST(MusicFront, TheDialogsSoundSettingsReachThePlayer)
{
    tempDir dir;
    setenv("KORVA_AUDIO", ("wav:" + (dir.path / "mix.wav").string()).c_str(), 1);
    const std::string module = std::string(KORVA_TREE) + "/data/celesfnt.mus";
    armClock3D();
    for (const int high : {1, 0}) {
        for (const int k44 : {0, 1}) {
            midasOK = 1;
            playSound = 0;
            hightQualityMidas = high;
            khz44100 = k44;
            MidasPlay(module.c_str());
            EXPECT_EQ(MIDASgetOption(MIDAS_OPTION_FILTER_MODE), high);
            EXPECT_EQ(MIDASgetOption(MIDAS_OPTION_MIXRATE), k44 == 1 ? 44100 : 22050);
            MidasClose();
        }
    }
    unsetenv("KORVA_AUDIO");
}
