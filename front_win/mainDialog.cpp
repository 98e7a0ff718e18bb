// The main dialog "TOWNVIEW": renderer, Direct3D driver, device and screen
// mode, the demo and benchmark commands, the tests, and the log.
#include "d3dDisplay3D.h"
#include "d3dWindow3D.h"
#include "driver3D.h"
#include "resource3D.h"
#include "texts3D.h"
#include "version3D.h"
#include "winFront3D.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

HINSTANCE appInstance = nullptr;
HWND mainDialog = nullptr;
int ddmSwitchOn = 0;
int modeList[maxModes][3];
int numModes = 0;

namespace {

int dialogW = 0, dialogH = 0;
int chosenMode = -1;

int itemInt(HWND dlg, int id, int fallback)
{
    BOOL ok = FALSE;
    const UINT v = GetDlgItemInt(dlg, id, &ok, FALSE);
    return ok ? int(v) : fallback;
}

void takeMode(HWND dlg, int i)
{
    if (i < 0 || i >= numModes)
        return;
    chosenMode = i;
    scrX = modeList[i][0];
    scrY = modeList[i][1];
    scrD = modeList[i][2];
    SetDlgItemInt(dlg, IDC_WIDTH, UINT(scrX), FALSE);
    SetDlgItemInt(dlg, IDC_HEIGHT, UINT(scrY), FALSE);
    SetDlgItemInt(dlg, IDC_DEPTH, UINT(scrD), FALSE);
}

// the screen modes of the chosen device, the remembered one selected again
void listModes(HWND dlg)
{
    SendDlgItemMessageA(dlg, IDC_MODES, LB_RESETCONTENT, 0, 0);
    numModes = enumModes3D(d3dDriverChoice, d3dDeviceChoice, modeList, maxModes);
    int select = 0;
    for (int i = 0; i < numModes; i++) {
        char line[64];
        std::snprintf(line, sizeof line, "%d x %d x %d", modeList[i][0], modeList[i][1], modeList[i][2]);
        SendDlgItemMessageA(dlg, IDC_MODES, LB_ADDSTRING, 0, LPARAM(line));
        if (modeList[i][0] == scrX && modeList[i][1] == scrY && modeList[i][2] == scrD)
            select = i;
    }
    if (numModes > 0) {
        SendDlgItemMessageA(dlg, IDC_MODES, LB_SETCURSEL, WPARAM(select), 0);
        takeMode(dlg, select);
    }
}

void listDevices(HWND dlg)
{
    SendDlgItemMessageA(dlg, IDC_DEVICES, LB_RESETCONTENT, 0, 0);
    SendDlgItemMessageA(dlg, IDC_MODES, LB_RESETCONTENT, 0, 0);
    CheckDlgButton(dlg, IDC_OWNMODE, BST_UNCHECKED);
    for (int id : {IDC_WIDTH, IDC_HEIGHT, IDC_DEPTH})
        EnableWindow(GetDlgItem(dlg, id), FALSE);
    static char names[16][128];
    const int n = enumDevices3D(d3dDriverChoice, names, 16);
    if (n == 0) {
        mainOut.pr("No DirectX Device found.\n");
        numModes = 0;
        return;
    }
    bool tnl = false;
    for (int i = 0; i < n; i++) {
        SendDlgItemMessageA(dlg, IDC_DEVICES, LB_ADDSTRING, 0, LPARAM(names[i]));
        tnl = tnl || std::strstr(names[i], "T&L") != nullptr || std::strstr(names[i], "TnL") != nullptr;
    }
    // the transform-and-lighting device can only be allowed where it exists
    EnableWindow(GetDlgItem(dlg, IDC_TNLHAL), tnl ? TRUE : FALSE);
    if (d3dDeviceChoice >= n)
        d3dDeviceChoice = 0;
    SendDlgItemMessageA(dlg, IDC_DEVICES, LB_SETCURSEL, WPARAM(d3dDeviceChoice), 0);
    listModes(dlg);
}

void desktopLine(HWND dlg)
{
    (void)dlg;
    HDC screen = GetDC(nullptr);
    mainOut.prf("resolution now: %d x %d x %d\n\n", GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES),
                GetDeviceCaps(screen, BITSPIXEL));
    ReleaseDC(nullptr, screen);
}

void initDialog(HWND dlg)
{
    mainDialog = dlg;
    RECT r = {};
    GetWindowRect(dlg, &r);
    dialogW = r.right - r.left;
    dialogH = r.bottom - r.top;
    mainOut.setOut(dlg, IDC_LOG);
    desktopLine(dlg);
    mainOut.pr("Korvane on the web: https://korvane.example.org/\n");
    mainOut.pr("You use this software at your own risk.\n");
    if (disableDeskTopRendering != 1) {
        const float fps = desktopRenderingTest3D();
        if (fps > 0.0f)
            mainOut.prf("Desktop rendering FPS %6.2f\n\n", double(fps));
        else
            mainOut.pr("Desktop rendering failed. See ReadMe.TXT\n\n");
    }
    if (has3DNow())
        mainOut.pr("3DNOW detected !!!!!!!!! YEAH :-) \n");
    else
        mainOut.pr("3DNOW not detected :-( . Korvane will crash . \n");

    CheckRadioButton(dlg, IDC_D3D, IDC_OPENGL, useDirect3D == 1 ? IDC_D3D : IDC_OPENGL);
    CheckDlgButton(dlg, IDC_INWINDOW, frameWindow == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dlg, IDC_MUSICON, playSound == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dlg, IDC_BIGTEX, loadBigTex == 1 ? BST_CHECKED : BST_UNCHECKED);
    ddmSwitchOn = glEngine.ddmSwitch;
    CheckDlgButton(dlg, IDC_DDMSWITCH, ddmSwitchOn == 1 ? BST_CHECKED : BST_UNCHECKED);

    static char drivers[16][128];
    const int n = enumDrivers3D(drivers, 16);
    for (int i = 0; i < n; i++)
        SendDlgItemMessageA(dlg, IDC_DRIVERS, LB_ADDSTRING, 0, LPARAM(drivers[i]));
    d3dDriverChoice = 0;
    SendDlgItemMessageA(dlg, IDC_DRIVERS, LB_SETCURSEL, 0, 0);
    listDevices(dlg);

    // the fly mode is not offered in this build
    DestroyWindow(GetDlgItem(dlg, IDC_VEKFLY));
    SetWindowTextA(dlg, "KORVANE " KORVA_VERSION3D " for Windows by the Korvane team");
}

void runModal(HWND dlg, const char* name, DLGPROC proc, INT_PTR* result)
{
    EnableWindow(dlg, FALSE);
    const INT_PTR r = DialogBoxParamA(appInstance, name, dlg, proc, 0);
    if (r == -1)
        MessageBoxA(dlg, "NO DIALOG", "ERROR", MB_OK);
    EnableWindow(dlg, TRUE);
    SetForegroundWindow(dlg);
    if (result != nullptr)
        *result = r;
}

void startDemo(HWND dlg, int fly)
{
    // the demo's start line comes from the driver
    if (fly == 1)
        mainOut.pr("\nSTARTING VEKFLY  ");
    vekCityFly = fly;
    runDemo = 1;
    runBenchNormal = runBenchHigh = 0;
    frameWindow = dlgChecked(dlg, IDC_INWINDOW) ? 1 : 0;
    playSound = dlgChecked(dlg, IDC_MUSICON) ? 1 : 0;
    startRun3D();
}

void restoreDesktop();

// Opens the chosen renderer once and logs its driver and device texts and
// the display tests' verdicts. OpenGL opens in a window; Direct3D where the
// main dialog says, since its refresh test wants the full screen.
void rendererInfo(HWND dlg)
{
    (void)dlg;
    selectRenderer3D();
    glEngine.ddmSwitch = ddmSwitchOn;
    const int keepWindow = frameWindow;
    const bool fullScreen = frameWindow == 0;
    if (useDirect3D == 0)
        frameWindow = 1;
    if (glEngine.init3D(scrX, scrY, scrD, d3dDriverChoice, d3dDeviceChoice, 2, 1) == 1) {
        char title[512], info1[512], info2[512];
        std::snprintf(title, sizeof title, "\n%s", tVersion);
        glEngine.get3DInfo(scrX, scrY, scrD, d3dDriverChoice, d3dDeviceChoice, 2, 1, 1, title, sizeof title, info1,
                           sizeof info1, info2, sizeof info2);
        mainOut.pr(title);
        mainOut.pr(info1);
        glEngine.release3D();
    }
    frameWindow = keepWindow;
    // a renderer that switched the display leaves the desktop to be put back
    if (fullScreen && (useDirect3D == 1 || ddmSwitchOn == 1))
        restoreDesktop();
}

// the desktop is put back through a mode of its own, then the registry's
void restoreDesktop()
{
    DEVMODEA dm = {};
    dm.dmSize = sizeof dm;
    dm.dmPelsWidth = 640;
    dm.dmPelsHeight = 480;
    dm.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    ChangeDisplaySettingsA(&dm, 0);
    ChangeDisplaySettingsA(nullptr, 0);
    RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_ERASE);
}

void aboutText(HWND dlg)
{
    (void)dlg;
    char text[1500];
    aboutText3D(text, sizeof text, "KORVANE for Windows " KORVA_VERSION3D,
                "It needs a Direct3D 7 or an OpenGL driver for your graphics card.");
    mainOut.prNoScroll(text);
}

void startViewer()
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    char cmd[] = "resview.exe";
    if (!CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        mainOut.pr("can't start result viewer program resview.exe\n");
        return;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

void benchCommand(HWND dlg, int several)
{
    multiBench = several;
    runBenchNormal = runBenchHigh = 0;
    benchBothDetail = 0;
    numBenchModes = 0;
    INT_PTR r = 0;
    runModal(dlg, "BENCH_DIALOG", benchDialogProc, &r);
    if (r != IDC_START)
        return;
    CheckDlgButton(dlg, IDC_MUSICON, BST_UNCHECKED);
    playSound = 0;
    if (numBenchModes == 0) {
        // no mode chosen in the dialog: the one of the main dialog
        benchModes[0][0] = scrX;
        benchModes[0][1] = scrY;
        benchModes[0][2] = scrD;
        numBenchModes = 1;
    }
    mainOut.prCls();
    startBenchQueue3D();
}

void command(HWND dlg, int id, int code)
{
    switch (id) {
    case IDC_START:
        if (runActive == 0)
            startDemo(dlg, 0);
        break;
    case IDC_VEKFLY:
        if (runActive == 0)
            startDemo(dlg, 1);
        break;
    case IDC_WIDTH:
    case IDC_HEIGHT:
    case IDC_DEPTH:
        if (code == EN_CHANGE && dlgChecked(dlg, IDC_OWNMODE)) {
            scrX = itemInt(dlg, IDC_WIDTH, scrX);
            scrY = itemInt(dlg, IDC_HEIGHT, scrY);
            scrD = itemInt(dlg, IDC_DEPTH, scrD);
        }
        break;
    case IDC_INWINDOW:
        frameWindow = dlgChecked(dlg, id) ? 1 : 0;
        break;
    case IDC_MUSICON:
        playSound = dlgChecked(dlg, id) ? 1 : 0;
        break;
    case IDC_BIGTEX:
        loadBigTex = dlgChecked(dlg, id) ? 1 : 0;
        break;
    case IDC_TNLHAL:
        useTnLHal = dlgChecked(dlg, id) ? 1 : 0;
        break;
    case IDC_VIEWER:
        startViewer();
        break;
    case IDC_CONFIG:
        runModal(dlg, "SETTINGS_DIALOG", settingsDialogProc, nullptr);
        break;
    case IDC_MULTIBENCH:
    case IDC_SINGLEBENCH:
        if (runActive == 0)
            benchCommand(dlg, id == IDC_MULTIBENCH ? 1 : 0);
        break;
    case IDC_DRIVERS:
        if (code == LBN_SELCHANGE) {
            const int sel = int(SendDlgItemMessageA(dlg, IDC_DRIVERS, LB_GETCURSEL, 0, 0));
            if (sel >= 0 && sel != d3dDriverChoice) {
                d3dDriverChoice = sel;
                listDevices(dlg);
            }
        }
        break;
    case IDC_DEVICES:
        if (code == LBN_SELCHANGE) {
            const int sel = int(SendDlgItemMessageA(dlg, IDC_DEVICES, LB_GETCURSEL, 0, 0));
            if (sel >= 0 && sel != d3dDeviceChoice) {
                d3dDeviceChoice = sel;
                listModes(dlg);
            }
        }
        break;
    case IDC_MODES:
        if (code == LBN_SELCHANGE)
            takeMode(dlg, int(SendDlgItemMessageA(dlg, IDC_MODES, LB_GETCURSEL, 0, 0)));
        break;
    case IDC_D3D:
        useDirect3D = 1;
        break;
    case IDC_OPENGL:
        useDirect3D = 0;
        break;
    case IDC_OWNMODE:
        if (dlgChecked(dlg, id)) {
            for (int e : {IDC_WIDTH, IDC_HEIGHT, IDC_DEPTH})
                EnableWindow(GetDlgItem(dlg, e), TRUE);
            SetDlgItemInt(dlg, IDC_WIDTH, UINT(scrX), FALSE);
        } else {
            for (int e : {IDC_WIDTH, IDC_HEIGHT, IDC_DEPTH})
                EnableWindow(GetDlgItem(dlg, e), FALSE);
            SendDlgItemMessageA(dlg, IDC_MODES, LB_SETCURSEL, 0, 0);
            takeMode(dlg, 0);
        }
        break;
    case IDC_DDMSWITCH:
        if (dlgChecked(dlg, id)) {
            const int answer =
                MessageBoxA(dlg,
                            "This option switches the desktop temporary to the selected resolutions.\n"
                            "All open windows and icons may have to be resized again.\n"
                            "This option doesn't work with all drivers.",
                            "WARNING", MB_OKCANCEL | MB_DEFBUTTON2);
            if (answer != IDOK)
                CheckDlgButton(dlg, id, BST_UNCHECKED);
        }
        ddmSwitchOn = dlgChecked(dlg, id) ? 1 : 0;
        glEngine.ddmSwitch = ddmSwitchOn;
        break;
    case IDC_3DINFO:
        if (runActive == 0)
            rendererInfo(dlg);
        break;
    case IDC_LICENSE:
        mainOut.prCls();
        mainOut.prNoScroll(licenseText3D);
        break;
    case IDC_ABOUT:
        mainOut.prCls();
        aboutText(dlg);
        break;
    case IDC_MATHTEST:
        if (runActive == 0)
            matrixSpeedTest3D();
        break;
    default:
        break;
    }
}

}  // namespace

INT_PTR CALLBACK mainDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp)
{
    (void)lp;
    switch (msg) {
    case WM_INITDIALOG:
        initDialog(dlg);
        return TRUE;
    case WM_COMMAND:
        command(dlg, LOWORD(wp), HIWORD(wp));
        return TRUE;
    case WM_CLOSE:
        closeRun3D();
        DestroyWindow(dlg);
        return TRUE;
    case WM_DESTROY:
        mainOut.setOut(nullptr, -1);
        mainDialog = nullptr;
        PostQuitMessage(0);
        return TRUE;
    default:
        return FALSE;
    }
}

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
