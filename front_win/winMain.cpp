// townview: the Windows build. The main dialog is modeless, so that the
// message loop can run a step of the demo, test or benchmark whenever no
// message waits.
#include "driver3D.h"
#include "platform3D.h"
#include "resource3D.h"
#include "winFront3D.h"

#include <mmsystem.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    appInstance = instance;
    enterProgramFolder3D();
    armClock3D();
    installWinConsole();
    installWinFront();
    defaultSettings3D();
    loadParameterWin("Korva.INI");
    identifyMachine3D();

    HWND dlg = CreateDialogParamA(instance, "TOWNVIEW", nullptr, mainDialogProc, 0);
    if (dlg == nullptr) {
        MessageBoxA(nullptr, "NO DIALOG", "ERROR", MB_OK);
        return 1;
    }
    ShowWindow(dlg, SW_SHOW);

    int status = 0;
    while (messageLoopTurn3D(&status)) {
    }
    timeEndPeriod(1);
    return status;
}
