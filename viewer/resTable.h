// resview's command line for scripts: the list a view window would draw,
// printed as a table, CSV or JSON, with the same loaders, filter and sort,
// without a window or a display.
#ifndef KORVA_RESTABLE_H
#define KORVA_RESTABLE_H

#include <cstdio>
#include <string>

// A wrong command line: one line that says what is wrong and a pointer to --help, on err.
// @returns its exit status, 2.
int wrongOption(FILE* err, const std::string& what);

// A text for a terminal or a spreadsheet: its control characters (C0, DEL
// and C1) become U+FFFD.
std::string visibleText(const std::string& s);
// A CSV field (RFC 4180): a field with a comma, quote or line break is
// quoted, its quotes doubled; a text a spreadsheet would take for a formula
// (=, +, -, @ first) gets a leading '.
std::string csvField(std::string s);
// Prints what loads left out (resData::leftOutNotes, a line a file) on err,
// each line after "resview: " and shown safely.
void sayLeftOut(FILE* err, const std::string& notes);

// @returns -1 when the arguments ask for no table (the windows open), else
// the exit status: 0 printed, 1 a file that did not load, 2 a wrong option.
int runTableCommand(int argc, char** argv, const char* workDir, FILE* out, FILE* err);

#endif
