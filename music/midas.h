// The module-music calls the front-ends make, with the results they test
// (0 is a failure): start the player, pick the mixing rate and quality,
// load a module, play it looping on a background thread, fade, stop.
#ifndef KORVA_MIDAS_H
#define KORVA_MIDAS_H

struct midasModule;
using MIDASmodule = midasModule*;
using MIDASmodulePlayHandle = unsigned;

enum midasOption { MIDAS_OPTION_MIXRATE = 1, MIDAS_OPTION_DSOUND_MODE = 8, MIDAS_OPTION_FILTER_MODE = 11 };

int MIDASstartup();
// option 1: mixing rate (44100 or 22050); option 8: DirectSound on Windows
// (0 wave-out only, else DirectSound first); option 11: quality (0 plain, 1 high)
int MIDASsetOption(int option, int value);
// @returns an option's value as the player holds it, or -1 for an unknown
// option or before MIDASstartup
int MIDASgetOption(int option);
// Opens the sound device: ALSA's "default", else OSS /dev/dsp (Windows:
// DirectSound, else wave-out); with the
// environment variable KORVA_AUDIO=wav:FILE the mix goes to a WAV file.
int MIDASinit();
int MIDASstartBackgroundPlay(int pollRate);
// @returns the module, or null when the file cannot be read as one.
MIDASmodule MIDASloadModule(const char* fileName);
// @returns a play handle, or 0.
MIDASmodulePlayHandle MIDASplayModule(MIDASmodule module, int loop);
// volume 0 .. 64
int MIDASsetMusicVolume(MIDASmodulePlayHandle handle, unsigned volume);
int MIDASstopModule(MIDASmodulePlayHandle handle);
int MIDASfreeModule(MIDASmodule module);
int MIDASstopBackgroundPlay();
int MIDASclose();

#endif
