#include "musicFront3D.h"

#include "driver3D.h"
#include "midas.h"
#include "platform3D.h"

int midasOK = 1;
int midasDirectSound = 1;

namespace {

MIDASmodule module = nullptr;
MIDASmodulePlayHandle playHandle = 0;

// the fade keeps the event loop's thread, as the player's volume steps must be heard
void busyWait(int ms)
{
    const long start = clockMillis3D();
    while (clockMillis3D() - start < ms) {
    }
}

void soundFailed(const char* msg)
{
    midasOK = 0;
    mainOut.pr(msg);
}

// what this run started of the player, so that the close undoes exactly that
// whatever the dialog's "MUSIC ON" says by then
bool playerUp = false;
bool backgroundUp = false;

void shutPlayer()
{
    if (backgroundUp)
        MIDASstopBackgroundPlay();
    backgroundUp = false;
    if (playerUp)
        MIDASclose();
    playerUp = false;
}

}  // namespace

void MidasPlay(const char* path)
{
    if (midasOK != 1)
        return;
    // a run that was never closed leaves nothing playing under this one
    MidasClose();
    if (MIDASstartup() == 0) {
        soundFailed("SOUNDDEVICE ERROR. SOUND WILL BE DISABELD\n");
        return;
    }
    MIDASsetOption(MIDAS_OPTION_MIXRATE, khz44100 == 1 ? 44100 : 22050);
    MIDASsetOption(MIDAS_OPTION_FILTER_MODE, hightQualityMidas == 1 ? 1 : 0);
    MIDASsetOption(MIDAS_OPTION_DSOUND_MODE, midasDirectSound == 1 ? 1 : 0);
    playerUp = true;
    if (MIDASinit() == 0) {
        shutPlayer();
        soundFailed("SOUNDDEVICE ERROR. SOUND WILL BE DISABELD\n");
        return;
    }
    if (playSound != 1)
        return;
    if (MIDASstartBackgroundPlay(0) == 0) {
        shutPlayer();
        soundFailed("SOUNDDEVICE ERROR. SOUND WILL BE DISABELD\n");
        return;
    }
    backgroundUp = true;
    module = MIDASloadModule(path);
    if (module == nullptr) {
        shutPlayer();
        soundFailed("CAN'T LOAD SOUND. SOUND WILL BE DISABELD\n");
        return;
    }
    playHandle = MIDASplayModule(module, 1);
}

void MidasClose()
{
    if (module != nullptr) {
        for (int v = 64; v >= 0; v -= 2) {
            MIDASsetMusicVolume(playHandle, unsigned(v));
            busyWait(20);
        }
        busyWait(500);
        MIDASstopModule(playHandle);
        MIDASfreeModule(module);
        module = nullptr;
        playHandle = 0;
    }
    shutPlayer();
}
