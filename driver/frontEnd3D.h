// What the driver asks of its front-end: the run window, redraws, the
// dialog widgets it re-enables, and the music. The FLTK front-end, the
// Windows shell and the tests' bare window each fill one in; a null entry
// is a call the front-end does not need.
#ifndef KORVA_FRONTEND3D_H
#define KORVA_FRONTEND3D_H

struct frontEnd3D {
    // ask the GL window for a redraw, which calls draw3D
    void (*redisplay)();
    // destroy the run window after a run
    void (*destroyRunWindow)();
    // re-enable "CONFIG DEMO", "START DEMO", "SINGLE BENCH" and the resolution list
    void (*enableDialog)();
    // the dialog's "MUSIC ON" and "IN WINDOW" boxes
    int (*musicOnBox)();
    int (*inWindowBox)();
    // start and fade out the music
    void (*musicPlay)(const char* path);
    void (*musicClose)();
    // the mouse in the run window, for the fly mode: position and buttons (bit 0 the left)
    void (*mouse)(int* x, int* y, int* buttons);
};

// Installs the front-end the driver talks to (null: none).
void setFrontEnd3D(const frontEnd3D* fe);
const frontEnd3D* getFrontEnd3D();

#endif
