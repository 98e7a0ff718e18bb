#include "outTxt.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

outTxt::showFunc outTxt::show = nullptr;

outTxt::outTxt() : maxLines(1024), text{}, toFile(0), box(nullptr), out(nullptr), length(0)
{
}

void outTxt::append(const char* msg, int scroll)
{
    const int keep = 10 * maxLines;
    if (length > keep) {
        // the bytes past length are zero, so copying keep+1 moves the terminator too
        std::memmove(text, text + (length - keep), size_t(keep) + 1);
        std::memset(text + keep, 0, size_t(length - keep));
        length = keep;
    }

    // a message too long for the room left is cut, never written past the history
    const size_t room = size_t(textSize - 1 - length);
    size_t n = std::strlen(msg);
    if (n > room)
        n = room;
    std::memcpy(text + length, msg, n);
    length += int(n);
    text[length] = '\0';

    if (out != nullptr && show != nullptr)
        show(out, text, scroll);

    if (echo != nullptr) {
        std::fputs(msg, echo);
        std::fflush(echo);
    }

    if (toFile == 1) {
        // opened and closed per message so the log is complete even after a kill
        if (FILE* f = std::fopen("out.txt", "a")) {
            std::fprintf(f, "%s", msg);
            std::fclose(f);
        }
    }
}

void outTxt::pr(const char* msg)
{
    append(msg, 1);
}

void outTxt::prNoScroll(const char* msg)
{
    append(msg, 0);
}

void outTxt::prf(const char* fmt, ...)
{
    char buf[2048];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    append(buf, 1);
}

void outTxt::prCls()
{
    length = 0;
    std::memset(text, 0, sizeof text);
}

void outTxt::setOut(Fl_Multiline_Output* widget)
{
    out = widget;
}

void outTxt::setOutBox(Fl_Box* labelBox)
{
    box = labelBox;
}

void outTxt::setOutToFile(int on)
{
    toFile = (on == 1) ? 1 : 0;
}

void outTxt::setShowFunc(showFunc f)
{
    show = f;
}
