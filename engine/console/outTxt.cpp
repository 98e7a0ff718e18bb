#include "outTxt.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

outTxt::showFunc outTxt::show = nullptr;
outTxt::winShowFunc outTxt::winShow = nullptr;
outTxt::notifyFunc outTxt::notify = nullptr;

namespace {

#ifdef _WIN32
constexpr bool crlf = true;  // the edit control wants CR LF line ends
#else
constexpr bool crlf = false;
#endif

}  // namespace

outTxt::outTxt() : text{}, toFile(0), box(nullptr), out(nullptr), length(0)
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
    if (!crlf) {
        if (n > room)
            n = room;
        std::memcpy(text + length, msg, n);
        length += int(n);
    } else {
        size_t used = 0;
        for (size_t k = 0; k < n; k++) {
            const size_t need = msg[k] == '\n' ? 2 : 1;
            if (used + need > room)
                break;
            if (msg[k] == '\n')
                text[length + int(used++)] = '\r';
            text[length + int(used++)] = msg[k];
        }
        length += int(used);
    }
    text[length] = '\0';

    if (crlf) {
        if (toFile == 0 && item != -1) {
            if (window != nullptr && winShow != nullptr)
                winShow(window, item, text, scroll);
            else if (window == nullptr && notify != nullptr)
                notify(msg);
        }
    } else if (out != nullptr && show != nullptr) {
        show(out, text, scroll);
    }

    if (echo != nullptr) {
        std::fputs(msg, echo);
        std::fflush(echo);
    }

    if (toFile == 1) {
        // opened and closed per message so the log is complete even after a kill
        // binary: the file grows by exactly the printed characters
        if (FILE* f = std::fopen(filePath, "ab")) {
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

void outTxt::setOut(void* w, int id)
{
    window = w;
    item = id;
}

void outTxt::setWinShowFunc(winShowFunc f, notifyFunc n)
{
    winShow = f;
    notify = n;
}

void outTxt::setShowFunc(showFunc f)
{
    show = f;
}
