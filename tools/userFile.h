// A file the build writes for the user to edit, such as Korva.INI: a
// rebuild must not take the user's edits away.
#ifndef KORVA_USERFILE_H
#define KORVA_USERFILE_H

#include <string>

// Writes text at path when the file is missing, already holds text, or
// still holds what the build wrote last (its copy at madeCopy); a file the
// user edited is left as it is (*kept true). madeCopy always gets text, so
// that it stays the build's own version for the next build and for
// installing. @returns false on a write error.
bool writeUserFile(const std::string& path, const std::string& text, const std::string& madeCopy, bool* kept);

#endif
