// A text file read once into memory and cut into lines the way fgets with
// a fixed buffer cuts them, so that several passes over the lines see
// exactly what several passes of fgets over the file would see.
#ifndef KORVA_TEXTLINES_H
#define KORVA_TEXTLINES_H

#include <cstddef>
#include <memory>

class textLines {
public:
    struct line {
        const char* begin;  // first character
        const char* end;    // past the last, before any NUL (C text stops there)
    };

    // Reads the whole file. @returns 1, 0 when it cannot be opened, -1 when memory is short.
    int load(const char* path);
    // Takes a copy of size bytes. @returns 1, or -1 when memory is short.
    int loadMem(const char* data, size_t size);
    // Cuts the text into lines of at most lineSize - 1 characters, each
    // ending after its line feed. @returns 1, or -1 when memory is short.
    int split(int lineSize);

    int count() const { return numLines; }
    // the whole file as read
    const char* data() const { return text.get(); }
    size_t size() const { return bytes; }
    const line& operator[](int i) const { return lines[i]; }

private:
    std::unique_ptr<char[]> text;
    size_t bytes = 0;
    std::unique_ptr<line[]> lines;
    int numLines = 0;
};

#endif
