// The driver's front-end seam on Windows, and the steps of a run and of
// the benchmark queue.
#include "d3dWindow3D.h"
#include "driver3D.h"
#include "frontEnd3D.h"
#include "musicFront3D.h"
#include "platform3D.h"
#include "resource3D.h"
#include "wglWindow3D.h"
#include "winFront3D.h"

#include <mmsystem.h>

#include <cstdio>

int runActive = 0;
int multiBench = 0;
int benchBothDetail = 0;
int benchModes[maxBenchModes][3];
int numBenchModes = 0;

namespace {

// the runs still to come of a benchmark: mode index and detail (0 normal, 1 high)
struct benchRun {
    int mode;
    int high;
};
benchRun queue[maxBenchModes * 2];
int queueLength = 0;
int queueNext = 0;
int queueStartPending = 0;
// the main dialog's mode comes back once the queue is done
int queueModeX = 640, queueModeY = 480, queueModeD = 16;

void redisplay()
{
    draw3D();
}

void destroyRunWindow()
{
    runActive = 0;
}

void setRunControls(BOOL on)
{
    const int ids[] = {IDC_START, IDC_CONFIG, IDC_SINGLEBENCH, IDC_MULTIBENCH, IDC_MODES, IDC_3DINFO, IDC_MATHTEST};
    for (int id : ids)
        EnableWindow(GetDlgItem(mainDialog, id), on);
}

void enableDialog()
{
    setRunControls(TRUE);
    // a run the user left ends the whole queue: ESC means stop, not skip
    if (runOutcome3D == runCancelled && queueNext < queueLength) {
        mainOut.prf("MULTI  BENCH CANCELLED. %d RUNS LEFT OUT\n", queueLength - queueNext);
        queueNext = queueLength;
    }
    if (queueNext < queueLength) {
        queueStartPending = 1;
    } else if (queueLength > 0) {
        scrX = queueModeX;
        scrY = queueModeY;
        scrD = queueModeD;
        queueLength = queueNext = 0;
    }
}

int musicOnBox()
{
    return dlgChecked(mainDialog, IDC_MUSICON) ? 1 : 0;
}

int inWindowBox()
{
    return dlgChecked(mainDialog, IDC_INWINDOW) ? 1 : 0;
}

HWND runWindow()
{
    return wglRunWindow3D() != nullptr ? wglRunWindow3D() : d3dRunWindow3D();
}

// the fly mode steers by a joystick when one is there, else by the mouse
void mouse(int* x, int* y, int* buttons)
{
    RECT r = {0, 0, scrX, scrY};
    if (runWindow() != nullptr)
        GetClientRect(runWindow(), &r);
    JOYCAPSA caps = {};
    JOYINFO ji = {};
    if (joyGetNumDevs() > 0 && joyGetDevCapsA(JOYSTICKID1, &caps, sizeof caps) == JOYERR_NOERROR &&
        joyGetPos(JOYSTICKID1, &ji) == JOYERR_NOERROR && caps.wXmax > caps.wXmin && caps.wYmax > caps.wYmin) {
        *x = int(double(ji.wXpos - caps.wXmin) / double(caps.wXmax - caps.wXmin) * r.right);
        *y = int(double(ji.wYpos - caps.wYmin) / double(caps.wYmax - caps.wYmin) * r.bottom);
        *buttons = (ji.wButtons & JOY_BUTTON1) ? 1 : 0;
        return;
    }
    POINT p = {};
    GetCursorPos(&p);
    if (runWindow() != nullptr)
        ScreenToClient(runWindow(), &p);
    *x = p.x;
    *y = p.y;
    *buttons = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) ? 1 : 0;
}

const frontEnd3D winSeam = {
    .redisplay = redisplay,
    .destroyRunWindow = destroyRunWindow,
    .enableDialog = enableDialog,
    .musicOnBox = musicOnBox,
    .inWindowBox = inWindowBox,
    .musicPlay = MidasPlay,
    .musicClose = MidasClose,
    .mouse = mouse,
};

// the next run of the benchmark queue
int startQueued()
{
    queueStartPending = 0;
    while (queueNext < queueLength) {
        const benchRun& q = queue[queueNext++];
        runDemo = 0;
        runBenchNormal = q.high ? 0 : 1;
        runBenchHigh = q.high ? 1 : 0;
        scrX = benchModes[q.mode][0];
        scrY = benchModes[q.mode][1];
        scrD = benchModes[q.mode][2];
        if (startRun3D() == 1)
            return 1;
    }
    scrX = queueModeX;
    scrY = queueModeY;
    scrD = queueModeD;
    queueLength = queueNext = 0;
    return 0;
}

}  // namespace

void installWinFront()
{
    wglInstance = appInstance;
    selectRenderer3D();
    setFrontEnd3D(&winSeam);
}

int startRun3D()
{
    selectRenderer3D();
    prepareRun3D();
    startScrX = scrX;
    startScrY = scrY;
    startScrD = scrD;
    glEngine.ddmSwitch = ddmSwitchOn;
    // the test settings apply to the demo only
    const bool demo = runDemo == 1;
    glEngine.setPolySubDivide(demo ? demoPolyDepth : 0);
    glEngine.texPerUse = demo ? demoNoBind : 0;
    if (start3D() == 0) {
        runActive = 0;
        return 0;
    }
    if (demo && demoWireframe == 1)
        glEngine.wireOn();
    else
        glEngine.wireOff();
    setRunControls(FALSE);
    runActive = 1;
    return 1;
}

void stepRun3D()
{
    if (runActive == 1)
        myIdle();
    else if (queueStartPending == 1)
        startQueued();
}

void closeRun3D()
{
    queueLength = queueNext = 0;
    queueStartPending = 0;
    if (runActive == 1) {
        drawIntroNow = drawCityNow = drawEndNow = 0;
        runBenchControlNow = 0;
        closeFLTKWin = 1;
        myIdle();
    }
}

int startBenchQueue3D()
{
    queueLength = queueNext = 0;
    queueModeX = scrX;
    queueModeY = scrY;
    queueModeD = scrD;
    // a benchmark always runs the normal detail class, the high one when asked
    for (int m = 0; m < numBenchModes; m++) {
        if (runBenchNormal == 1 || benchBothDetail == 1)
            queue[queueLength++] = {m, 0};
        if (runBenchHigh == 1 || benchBothDetail == 1)
            queue[queueLength++] = {m, 1};
    }
    return startQueued();
}

bool benchQueuePending3D()
{
    return queueStartPending == 1;
}

bool messageLoopTurn3D(int* exitCode)
{
    MSG m;
    if (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            *exitCode = int(m.wParam);
            return false;
        }
        if (mainDialog == nullptr || !IsDialogMessageA(mainDialog, &m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        return true;
    }
    if (runActive == 1 || benchQueuePending3D())
        stepRun3D();
    else
        WaitMessage();
    return true;
}
