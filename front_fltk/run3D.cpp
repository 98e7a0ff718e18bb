// The run window: a top-level FLTK window into which the renderer opens its
// GL view through FLTK's GLUT interface, the driver's callbacks, the music.
#include "driver3D.h"
#include "fltkWindow3D.h"
#include "fltkFront.h"
#include "frontEnd3D.h"
#include "musicFront3D.h"
#include "platform3D.h"

#include <FL/Fl.H>
#include <FL/glut.H>

Fl_Window* glWin = nullptr;
int runEnded = 0;

namespace {

void redisplay()
{
    glutPostRedisplay();
}

void destroyRunWindow()
{
    // the idle callback must not spin on after the run
    glutIdleFunc(nullptr);
    if (glWin != nullptr) {
        glWin->hide();
        Fl::delete_widget(glWin);
        glWin = nullptr;
    }
    runEnded = 1;
}

void enableDialog()
{
    configDemoButton->activate();
    startDemoButton->activate();
    singleBenchButton->activate();
    resolutionList->activate();
}

int musicOnBox()
{
    return musicOnCheck->value();
}

int inWindowBox()
{
    return inWindowCheck->value();
}

void mouse(int* x, int* y, int* buttons)
{
    int mx = 0, my = 0;
    Fl::get_mouse(mx, my);
    *x = glWin ? mx - glWin->x_root() : mx;
    *y = glWin ? my - glWin->y_root() : my;
    *buttons = (Fl::event_state() & FL_BUTTON1) ? 1 : 0;
}

const frontEnd3D fltkSeam = {
    .redisplay = redisplay,
    .destroyRunWindow = destroyRunWindow,
    .enableDialog = enableDialog,
    .musicOnBox = musicOnBox,
    .inWindowBox = inWindowBox,
    .musicPlay = MidasPlay,
    .musicClose = MidasClose,
    .mouse = mouse,
};

// the console shows its whole history; pr brings the newest line into view
void showConsole(Fl_Multiline_Output* out, const char* text, int scroll)
{
    out->value(text);
    if (scroll)
        out->position(out->size());
    else
        out->position(0);
}

}  // namespace

void installFltkFront()
{
    gl3D::setWindowSystem(fltkWindowSystem3D());
    setFrontEnd3D(&fltkSeam);
    outTxt::setShowFunc(showConsole);
    if (consoleOut != nullptr)
        mainOut.setOut(consoleOut);
}

void exitGLUTCB(Fl_Widget*, void*)
{
    closeRunWindow3D();
}

int startGlut()
{
    prepareRun3D();
    // the screen is as large as a window can be
    if (scrX > fullScreenX)
        scrX = fullScreenX;
    if (scrY > fullScreenY)
        scrY = fullScreenY;

    glWin = new Fl_Window((fullScreenX - scrX) / 2, (fullScreenY - scrY) / 2, scrX, scrY, "Korvane FLTK");
    glWin->border(runDemo == 1 ? frameWindow : 0);
    if (runDemo == 1)
        glWin->resizable(glWin);
    glWin->callback(exitGLUTCB);
    glWin->show();
    if (scrX == fullScreenX && scrY == fullScreenY)
        glWin->fullscreen();
    glWin->begin();
    startScrX = scrX;
    startScrY = scrY;
    startScrD = scrD;
    runEnded = 0;
    if (start3D() == 0) {
        // a run that did not start leaves no window behind: the console says why
        glWin->end();
        destroyRunWindow();
        enableDialog();
        return -1;
    }
    glWin->end();
    configDemoButton->deactivate();
    startDemoButton->deactivate();
    singleBenchButton->deactivate();
    resolutionList->deactivate();
    glutIdleFunc(myIdle);
    glutKeyboardFunc(myKeyboard);
    glutSpecialFunc(mySpecial);
    glutReshapeFunc(myReshape);
    glutDisplayFunc(draw3D);
    return 1;
}
