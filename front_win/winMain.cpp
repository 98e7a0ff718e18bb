// townview: the Windows build. The main dialog is modeless, so that the
// message loop can run a step of the demo, test or benchmark whenever no
// message waits.
#include "driver3D.h"
#include "platform3D.h"
#include "resource3D.h"
#include "winFront3D.h"

#include <mmsystem.h>

HINSTANCE appInstance = nullptr;

namespace {

void showLog(void* window, int item, const char* text, int scroll)
{
    HWND w = static_cast<HWND>(window);
    SetDlgItemTextA(w, item, text);
    if (scroll == 1)
        SendDlgItemMessageA(w, item, EM_LINESCROLL, 0, 2 * LPARAM(mainOut.maxLines));
}

// messages printed before the dialog exists come one box at a time
void notifyBox(const char* msg)
{
    MessageBoxA(nullptr, msg, "NOTIFY", MB_OK);
}

}  // namespace

void installWinConsole()
{
    outTxt::setWinShowFunc(showLog, notifyBox);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    appInstance = instance;
    armClock3D();
    installWinConsole();
    installWinFront();
    defaultSettings3D();
    loadParameterWin("Korva.INI");

    HWND dlg = CreateDialogParamA(instance, "TOWNVIEW", nullptr, mainDialogProc, 0);
    if (dlg == nullptr) {
        MessageBoxA(nullptr, "NO DIALOG", "ERROR", MB_OK);
        return 1;
    }
    ShowWindow(dlg, SW_SHOW);

    MSG m;
    for (;;) {
        if (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT)
                break;
            if (mainDialog == nullptr || !IsDialogMessageA(mainDialog, &m)) {
                TranslateMessage(&m);
                DispatchMessageA(&m);
            }
            continue;
        }
        if (runActive == 1 || benchQueuePending3D())
            stepRun3D();
        else
            WaitMessage();
    }
    timeEndPeriod(1);
    return int(m.wParam);
}
