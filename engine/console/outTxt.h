// The one text console of the engine: a bounded history of everything
// printed, mirrored into the front-end's output widget and, on request,
// appended to "out.txt".
#ifndef KORVA_OUTTXT_H
#define KORVA_OUTTXT_H

#include <cstdio>

class Fl_Multiline_Output;
class Fl_Box;

class outTxt {
public:
    // The front-end shows the history through this hook, so that the
    // engine itself never links a windowing toolkit.
    // scroll is 1 for pr (bring the newest line into view), 0 for prNoScroll.
    using showFunc = void (*)(Fl_Multiline_Output* out, const char* text, int scroll);

    // The Windows shell shows the history in an edit control of its dialog
    // and pops a box up for a message printed before the dialog exists.
    using winShowFunc = void (*)(void* window, int item, const char* text, int scroll);
    using notifyFunc = void (*)(const char* msg);

    static constexpr int textSize = 64000;

    outTxt();

    // Appends msg to the history, refreshes the widget, mirrors to file.
    void pr(const char* msg);
    // As pr, but the widget's view is not moved to the end.
    void prNoScroll(const char* msg);
    // printf-style pr; a message longer than 2 kB is cut.
    void prf(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    // Empties the history; the widget shows it at the next print.
    void prCls();
    // Registers the widget that shows the history (null: none).
    void setOut(Fl_Multiline_Output* widget);
    // Stores the label box of the front-end; nothing prints into it.
    void setOutBox(Fl_Box* labelBox);
    // 1 switches the "out.txt" mirror on, any other value off.
    void setOutToFile(int on);
    // Where that mirror is appended ("out.txt" in the working folder until set).
    void setFilePath(const char* path) { std::snprintf(filePath, sizeof filePath, "%s", path); }
    // Installs the front-end's widget refresh (null: no refresh).
    static void setShowFunc(showFunc f);
    // Windows: registers the dialog window and the item id of its edit
    // control (-1: nothing is shown on screen).
    void setOut(void* window, int item);
    static void setWinShowFunc(winShowFunc f, notifyFunc n);
    // Also writes every message to stream, as command-line tools want (null: off).
    void setEcho(FILE* stream) { echo = stream; }

    // @returns the history, always NUL-terminated.
    const char* getText() const { return text; }
    // @returns the number of characters held.
    int getLength() const { return length; }
    // @returns the label box registered by setOutBox.
    Fl_Box* getOutBox() const { return box; }

    // the history keeps ten characters a line of this many lines; never changed
    static constexpr int maxLines = 1024;

private:
    void append(const char* msg, int scroll);

    char text[textSize];
    int toFile;
    Fl_Box* box;
    Fl_Multiline_Output* out;
    int length;
    FILE* echo = nullptr;
    void* window = nullptr;
    int item = 0;
    char filePath[1024] = "out.txt";

    static showFunc show;
    static winShowFunc winShow;
    static notifyFunc notify;
};

#endif
