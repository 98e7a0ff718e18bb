// What the command-line fuzz targets check of a command's output: a text a
// terminal can show, and CSV as RFC 4180 has it.
#ifndef KORVA_FUZZTEXT_H
#define KORVA_FUZZTEXT_H

#include <cstdio>
#include <cstdlib>
#include <string>

// Whether s holds no control character but line breaks: no C0, DEL or C1 (as UTF-8).
inline bool terminalSafe(const std::string& s)
{
    for (size_t i = 0; i < s.size(); i++) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if ((c < 0x20 && c != '\n') || c == 0x7f)
            return false;
        if (c == 0xc2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(s[i + 1]) <= 0x9f)
            return false;
    }
    return true;
}

// What f holds from its start.
inline std::string fileText(FILE* f)
{
    std::string text;
    std::rewind(f);
    char buf[4096];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    return text;
}

// RFC 4180 rows of CRLF-ended lines; @returns false on a malformed field
inline bool csvRows(const std::string& s, int fields)
{
    size_t i = 0;
    while (i < s.size()) {
        int count = 0;
        for (;;) {
            count++;
            if (i < s.size() && s[i] == '"') {
                i++;
                for (;;) {
                    if (i >= s.size())
                        return false;
                    if (s[i] == '"' && i + 1 < s.size() && s[i + 1] == '"') {
                        i += 2;
                    } else if (s[i] == '"') {
                        i++;
                        break;
                    } else {
                        i++;
                    }
                }
            } else {
                while (i < s.size() && s[i] != ',' && s[i] != '\r' && s[i] != '\n') {
                    if (s[i] == '"')
                        return false;
                    i++;
                }
            }
            if (i < s.size() && s[i] == ',') {
                i++;
                continue;
            }
            break;
        }
        if (s.compare(i, 2, "\r\n") != 0 || count != fields)
            return false;
        i += 2;
    }
    return true;
}

#endif
