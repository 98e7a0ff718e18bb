// The Windows shell: its dialogs, the WGL run window and the steps of a run,
// over the same driver as the Linux front-end.
#ifndef KORVA_WINFRONT3D_H
#define KORVA_WINFRONT3D_H

#include <windows.h>

extern HINSTANCE appInstance;

inline bool dlgChecked(HWND dlg, int id)
{
    return IsDlgButtonChecked(dlg, id) == BST_CHECKED;
}
extern HWND mainDialog;
// check 1073: the desktop switches to the chosen mode for OpenGL
extern int ddmSwitchOn;
// a demo, a benchmark or a test is running: the message loop steps it
extern int runActive;

// main dialog
INT_PTR CALLBACK mainDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
// SETTINGS_DIALOG and BENCH_DIALOG; the bench dialog returns IDC_START when it started a run
INT_PTR CALLBACK settingsDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK benchDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);

// the console's edit control, and its boxes before the dialog exists
void installWinConsole();
// the WGL window system of the renderer and the driver's front-end seam
void installWinFront();

// Starts a demo or benchmark run at scrX x scrY x scrD. @returns 1, or 0 when it did not start.
int startRun3D();
// One step of the running run: idle, then a frame. Called by the message loop.
void stepRun3D();
// One turn of the message loop: a message, else a step of the run, else a wait for one.
// @returns false when WM_QUIT came, its code in exitCode
bool messageLoopTurn3D(int* exitCode);
// The run window, if any, goes at once (the main dialog closes).
void closeRun3D();

// benchmark runs: single (1099) or several (1098) and what the bench dialog chose
extern int multiBench;
extern int benchBothDetail;
constexpr int maxBenchModes = 64;
extern int benchModes[maxBenchModes][3];
extern int numBenchModes;
// Starts the benchmark queue the bench dialog filled. @returns whether a run started.
int startBenchQueue3D();
// a queued benchmark run waits for its start
bool benchQueuePending3D();

// the demo's test settings of SETTINGS_DIALOG (not used in benchmarks)
extern int demoPolyDepth, demoWireframe, demoNoBind;

// the screen modes offered: the chosen device's, as width, height, depth
constexpr int maxModes = 256;
extern int modeList[maxModes][3];
extern int numModes;

// the tests of the main dialog
void matrixSpeedTest3D();
// @returns the desktop rendering rate in frames per second, or a negative value when it failed
float desktopRenderingTest3D();
// @returns whether the processor has 3DNow!
bool has3DNow();

#endif
