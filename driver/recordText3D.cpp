#include "recordText3D.h"

#include <cstring>

namespace {

// the length of the UTF-8 sequence at s (1 to 4), 0 where none starts, -1 where the text ends inside it
int sequenceAt(const unsigned char* s, size_t left)
{
    const unsigned c = s[0];
    int n = 0;
    unsigned min = 0;
    if (c < 0x80)
        return 1;
    if (c >= 0xc2 && c <= 0xdf) {
        n = 2;
        min = 0x80;
    } else if (c >= 0xe0 && c <= 0xef) {
        n = 3;
        min = 0x800;
    } else if (c >= 0xf0 && c <= 0xf4) {
        n = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    unsigned cp = c & (0xffu >> (n + 1));
    for (int k = 1; k < n; k++) {
        if (size_t(k) >= left)
            return -1;
        if ((s[k] & 0xc0) != 0x80)
            return 0;
        cp = cp << 6 | (s[k] & 0x3fu);
    }
    // overlong forms, surrogates and code points beyond Unicode are no UTF-8
    if (cp < min || (cp >= 0xd800 && cp <= 0xdfff) || cp > 0x10ffff)
        return 0;
    return n;
}

void appendUtf8(std::string* out, unsigned cp)
{
    if (cp < 0x80) {
        *out += char(cp);
    } else if (cp < 0x800) {
        *out += char(0xc0 | (cp >> 6));
        *out += char(0x80 | (cp & 0x3f));
    } else {
        *out += char(0xe0 | (cp >> 12));
        *out += char(0x80 | ((cp >> 6) & 0x3f));
        *out += char(0x80 | (cp & 0x3f));
    }
}

// Windows-1252's 0x80 to 0x9f; its five holes read as the C1 controls Windows gives them
const unsigned short cp1252High[32] = {0x20ac, 0x81,   0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021,
                                       0x02c6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8d,   0x017d, 0x8f,
                                       0x90,   0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2013, 0x2014,
                                       0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0x9d,   0x017e, 0x0178};

}  // namespace

std::string recordTextUtf8(const char* bytes, size_t fieldSize)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    const size_t len = std::strlen(bytes);
    const bool filled = len + 1 >= fieldSize;
    // UTF-8 throughout, but for a last sequence that the cut left short
    size_t valid = 0;
    bool utf8 = true;
    while (valid < len) {
        const int n = sequenceAt(s + valid, len - valid);
        if (n == -1 && filled)
            break;
        if (n <= 0) {
            utf8 = false;
            break;
        }
        valid += size_t(n);
    }
    if (utf8)
        return std::string(bytes, valid);
    std::string out;
    for (size_t i = 0; i < len; i++) {
        const unsigned c = s[i];
        appendUtf8(&out, c >= 0x80 && c < 0xa0 ? cp1252High[c - 0x80] : c);
    }
    return out;
}
