// The music of a demo run, as every front-end plays it: the player is
// started with the settings of the run, the module loops, and at the end
// it fades out over about 0.7 s before the player stops.
#ifndef KORVA_MUSICFRONT3D_H
#define KORVA_MUSICFRONT3D_H

// 1 while the sound device works; a failure switches the music off for good
extern int midasOK;
// Windows: 1 tries DirectSound before wave-out
extern int midasDirectSound;

void MidasPlay(const char* path);
void MidasClose();

#endif
