// A cursor over one line of text that reads tokens, integers and floats
// with the rules of scanf's %s, %d and %f in the C locale.
#ifndef KORVA_SCANTEXT_H
#define KORVA_SCANTEXT_H

#include <cstddef>

class scanText {
public:
    scanText(const char* begin, const char* end) : p(begin), e(end) {}

    // %s: skips white space, then reads the run of other characters.
    // @returns false when the line holds no further token.
    bool token(const char** tb, size_t* tn);
    // Passes over one token. @returns false when there is none.
    bool skipToken()
    {
        const char* tb = nullptr;
        size_t tn = 0;
        return token(&tb, &tn);
    }
    // Reads a token and compares it with word for exact equality.
    bool tokenIs(const char* word);
    // %d: skips white space, optional sign, at least one digit; clamps to int.
    bool readInt(int* v);
    // %f: skips white space, reads a decimal, hexadecimal, inf or nan number.
    bool readFloat(float* v);
    // A literal character of a format: matched without skipping white space.
    bool literal(char c);
    void skipSpace();

    static bool isSpace(char c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }

private:
    const char* p;
    const char* e;
};

// @returns whether the n characters at s spell word exactly.
bool tokenEquals(const char* s, size_t n, const char* word);

#endif
