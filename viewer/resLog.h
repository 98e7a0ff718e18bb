// The viewer's diagnostic log: lines are kept, never shown.
#ifndef KORVA_RESLOG_H
#define KORVA_RESLOG_H

#include <string>

class resLog {
public:
    // Formats one message into a 2048-character buffer and keeps it.
    void prf(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    const std::string& text() const { return lines; }

private:
    std::string lines;
};

#endif
