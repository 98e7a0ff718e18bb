// The console's history with plain line feeds: the Windows build stores
// each one as CR LF for its edit control.
#ifndef KORVA_TEST_CONSOLETEXT_H
#define KORVA_TEST_CONSOLETEXT_H

#include "console/outTxt.h"

#include <string>

inline std::string consoleText(const outTxt& out)
{
    std::string s;
    const char* t = out.getText();
    for (int i = 0; t[i] != '\0'; i++)
        if (!(t[i] == '\r' && t[i + 1] == '\n'))
            s += t[i];
    return s;
}

#endif
