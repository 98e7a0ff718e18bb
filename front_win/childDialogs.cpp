// SETTINGS_DIALOG (the demo's settings) and BENCH_DIALOG (a benchmark's
// class, identification, resolutions and record).
#include "d3dWindow3D.h"
#include "driver3D.h"
#include "musicFront3D.h"
#include "resource3D.h"
#include "winFront3D.h"

#include <cstdio>

int demoPolyDepth = 0, demoWireframe = 0, demoNoBind = 0;

namespace {

void check(HWND dlg, int id, bool on)
{
    CheckDlgButton(dlg, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void fillSettings(HWND dlg)
{
    check(dlg, IDC_VIEWNEAR, viewDistance == 10.0f);
    check(dlg, IDC_VIEWNORMAL, viewDistance == 19.5f);
    check(dlg, IDC_VIEWFAR, viewDistance == 58.5f);
    check(dlg, IDC_FLYDAY, flyNight == 0);
    check(dlg, IDC_FLYNIGHT, flyNight == 1);
    check(dlg, IDC_FOGNONE, dynamicFog == 0);
    check(dlg, IDC_FOGNORMAL, dynamicFog == 1);
    check(dlg, IDC_FOGHEAVY, dynamicFog == 2);
    check(dlg, IDC_DOUBLEBUF, numBuf == 2);
    check(dlg, IDC_MIPMAP, mMipmapLevels > 0);
    check(dlg, IDC_KHZ44100, khz44100 == 1);
    check(dlg, IDC_KHZ22050, khz44100 != 1);
    check(dlg, IDC_QUALNORMAL, hightQualityMidas != 1);
    check(dlg, IDC_QUALHIGH, hightQualityMidas == 1);
    check(dlg, IDC_DSOUND, midasDirectSound == 1);
    check(dlg, IDC_NOBIND, demoNoBind == 1);
    check(dlg, IDC_NICEST, glQualityHintHigh == 1);
    check(dlg, IDC_GLLINEAR, glFilterLinear == 1);
    check(dlg, IDC_DISPLAYLISTS, precalc == 1);
    check(dlg, IDC_D3DNEAREST, d3dTexFilter == 0);
    check(dlg, IDC_D3DLINEAR, d3dTexFilter == 1);
    check(dlg, IDC_D3DANISO, d3dTexFilter == 2);
    check(dlg, IDC_FSAA, d3dFullSceneAA == 1);
    check(dlg, IDC_EDGEAA, d3dEdgeAA == 1);
    check(dlg, IDC_TEXFORMATS, d3dShowTexFormats == 1);
    check(dlg, IDC_POLY1, demoPolyDepth == 0);
    check(dlg, IDC_POLY2, demoPolyDepth == 1);
    check(dlg, IDC_POLY8, demoPolyDepth == 3);
    check(dlg, IDC_POLY32, demoPolyDepth == 5);
    check(dlg, IDC_WIREFRAME, demoWireframe == 1);
}

void takeSettings(HWND dlg)
{
    viewDistance = dlgChecked(dlg, IDC_VIEWNEAR) ? 10.0f : dlgChecked(dlg, IDC_VIEWFAR) ? 58.5f : 19.5f;
    flyNight = dlgChecked(dlg, IDC_FLYDAY) ? 0 : 1;
    dynamicFog = dlgChecked(dlg, IDC_FOGNONE) ? 0 : dlgChecked(dlg, IDC_FOGHEAVY) ? 2 : 1;
    numBuf = dlgChecked(dlg, IDC_DOUBLEBUF) ? 2 : 1;
    mMipmapLevels = dlgChecked(dlg, IDC_MIPMAP) ? 8 : 0;
    khz44100 = dlgChecked(dlg, IDC_KHZ22050) ? 0 : 1;
    hightQualityMidas = dlgChecked(dlg, IDC_QUALHIGH) ? 1 : 0;
    midasDirectSound = dlgChecked(dlg, IDC_DSOUND) ? 1 : 0;
    demoNoBind = dlgChecked(dlg, IDC_NOBIND) ? 1 : 0;
    glQualityHintHigh = dlgChecked(dlg, IDC_NICEST) ? 1 : 0;
    glFilterLinear = dlgChecked(dlg, IDC_GLLINEAR) ? 1 : 0;
    precalc = dlgChecked(dlg, IDC_DISPLAYLISTS) ? 1 : 0;
    d3dTexFilter = dlgChecked(dlg, IDC_D3DNEAREST) ? 0 : dlgChecked(dlg, IDC_D3DANISO) ? 2 : 1;
    d3dFullSceneAA = dlgChecked(dlg, IDC_FSAA) ? 1 : 0;
    d3dEdgeAA = dlgChecked(dlg, IDC_EDGEAA) ? 1 : 0;
    d3dShowTexFormats = dlgChecked(dlg, IDC_TEXFORMATS) ? 1 : 0;
    // the subdivision depth that multiplies the triangles by 1, 2, 8 or 32
    demoPolyDepth = dlgChecked(dlg, IDC_POLY2) ? 1 : dlgChecked(dlg, IDC_POLY8) ? 3 : dlgChecked(dlg, IDC_POLY32) ? 5 : 0;
    demoWireframe = dlgChecked(dlg, IDC_WIREFRAME) ? 1 : 0;
}

void fillBench(HWND dlg)
{
    // a single run offers the high detail class, several runs both classes
    ShowWindow(GetDlgItem(dlg, IDC_HIGHDETAIL), multiBench == 1 ? SW_HIDE : SW_SHOW);
    ShowWindow(GetDlgItem(dlg, IDC_BOTHDETAIL), multiBench == 1 ? SW_SHOW : SW_HIDE);
    check(dlg, IDC_BIGTEX, loadBigTex == 1);
    check(dlg, IDC_SAVEBENCH, saveBench == 1);
    SetDlgItemTextA(dlg, IDC_PCNAME, pcNameText);
    SetDlgItemTextA(dlg, IDC_PCINFO, pcInfText);
    for (int i = 0; i < numModes; i++) {
        char line[64];
        std::snprintf(line, sizeof line, "%d x %d x %d", modeList[i][0], modeList[i][1], modeList[i][2]);
        SendDlgItemMessageA(dlg, IDC_BENCHMODES, LB_ADDSTRING, 0, LPARAM(line));
        if (modeList[i][0] == scrX && modeList[i][1] == scrY && modeList[i][2] == scrD)
            SendDlgItemMessageA(dlg, IDC_BENCHMODES, LB_SETSEL, TRUE, LPARAM(i));
    }
    SetWindowTextA(dlg, multiBench == 1 ? "KORVANE BENCHMARK - MULTI" : "KORVANE BENCHMARK - SINGLE");
}

// identification texts are single lines of up to 255 characters
void takeText(HWND dlg, int id, char* text, int size)
{
    char buf[256];
    GetDlgItemTextA(dlg, id, buf, sizeof buf);
    // a pasted line break would break the record's nine lines
    setRecordText3D(text, size_t(size), buf);
}

void takeBench(HWND dlg)
{
    if (multiBench == 1) {
        benchBothDetail = dlgChecked(dlg, IDC_BOTHDETAIL) ? 1 : 0;
        runBenchNormal = 1;
        runBenchHigh = 0;
    } else {
        benchBothDetail = 0;
        runBenchHigh = dlgChecked(dlg, IDC_HIGHDETAIL) ? 1 : 0;
        runBenchNormal = runBenchHigh == 1 ? 0 : 1;
    }
    loadBigTex = dlgChecked(dlg, IDC_BIGTEX) ? 1 : 0;
    CheckDlgButton(mainDialog, IDC_BIGTEX, loadBigTex == 1 ? BST_CHECKED : BST_UNCHECKED);
    saveBench = dlgChecked(dlg, IDC_SAVEBENCH) ? 1 : 0;
    takeText(dlg, IDC_PCNAME, pcNameText, sizeof pcNameText);
    takeText(dlg, IDC_PCINFO, pcInfText, sizeof pcInfText);
    numBenchModes = 0;
    const int count = int(SendDlgItemMessageA(dlg, IDC_BENCHMODES, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count && i < numModes && numBenchModes < maxBenchModes; i++) {
        if (SendDlgItemMessageA(dlg, IDC_BENCHMODES, LB_GETSEL, WPARAM(i), 0) > 0) {
            for (int c = 0; c < 3; c++)
                benchModes[numBenchModes][c] = modeList[i][c];
            numBenchModes++;
            // a single run takes the first chosen mode
            if (multiBench == 0)
                break;
        }
    }
}

// a modal dialog: filled as it opens, read and ended with accept, ended
// unread with CANCEL or its close box
INT_PTR modalDialog(HWND dlg, UINT msg, WPARAM wp, void (*fill)(HWND), int accept, void (*take)(HWND))
{
    switch (msg) {
    case WM_INITDIALOG:
        fill(dlg);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == accept) {
            take(dlg);
            EndDialog(dlg, accept);
        } else if (LOWORD(wp) == IDCANCEL) {
            EndDialog(dlg, IDCANCEL);
        }
        return TRUE;
    case WM_CLOSE:
        EndDialog(dlg, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK settingsDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp)
{
    (void)lp;
    return modalDialog(dlg, msg, wp, fillSettings, IDOK, takeSettings);
}

INT_PTR CALLBACK benchDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp)
{
    (void)lp;
    return modalDialog(dlg, msg, wp, fillBench, IDC_START, takeBench);
}
