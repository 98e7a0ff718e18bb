// The texts of a record as the viewer shows them. Records keep the bytes
// their program wrote: UTF-8 from townview_x, the Windows code page from
// townview.exe, cut at 159 bytes by the reader. Lists compare those bytes;
// only the display reads them.
#ifndef KORVA_RESTEXT_H
#define KORVA_RESTEXT_H

#include <cstddef>
#include <string>

// The bytes as UTF-8 when they are UTF-8 (a sequence that the field's end
// cut short is dropped: only a text that fills its field of fieldSize bytes
// can have been cut), else read as Windows-1252.
std::string displayText(const char* bytes, size_t fieldSize = 160);

// Whether text, as a person types it, names entry: every one of its words
// is a word of entry, in any case and spacing, with "normal", "high" and
// "big" for the class names N.DETAIL, H.DETAIL and B.TEX. No words fit nothing.
bool typedFits(const std::string& text, const std::string& entry);

#endif
