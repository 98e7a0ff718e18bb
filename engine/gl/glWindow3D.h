// What the renderer needs from the windowing layer: a GL window with a depth
// buffer, its buffer swap and its read-back. The window systems under
// window/ and the tests each fill one in; the program clock is the
// platform's, not the window system's.
#ifndef KORVA_GLWINDOW3D_H
#define KORVA_GLWINDOW3D_H

struct glWindow3D {
    // Opens a window with a current GL context. @returns its id, or 0.
    int (*create)(const char* title, int width, int height, int doubleBuffer);
    void (*destroy)(int id);
    // Swaps as the window system swaps inside a frame; FLTK's GLUT swaps
    // only after the frame callback returns.
    void (*swap)(int id);
    // Swaps at once, even inside the frame callback, for the display test;
    // null where swap already does.
    void (*swapNow)(int id);
    // Reads back the picture the last swap presented, width x height from the
    // lower left, bottom row first, 3 bytes a pixel. @returns 1, or 0 when it
    // cannot. Null where the window system cannot read back at all.
    int (*readFrame)(int id, int width, int height, unsigned char* rgb);
    // the window system's name, as the results name it
    const char* name = nullptr;
};

#endif
