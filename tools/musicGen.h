// The demo's music, composed and synthesised here: drums, bass, pad, lead
// and a plucked arpeggio over A minor, written as XM modules.
#ifndef KORVA_MUSICGEN_H
#define KORVA_MUSICGEN_H

#include <string>

// Writes celesfnt.mus (the demo, about three minutes) and intro.mus into dir.
bool writeMusic(const std::string& dir);

#endif
