// townview.exe's dialogs and run window walked at random under Wine, in one
// process with the program's own message loop: demos and benchmarks on both
// renderers, SINGLE and MULTI BENCH, settings changed and dialogs left, ESC,
// "e" and the close box at any moment. A timer walks, so that it acts inside
// the modal dialogs' loops as a user would. After every action the records
// are read back with the viewer's reader and the state is checked.
//   KORVA_WALK_SEED=N replays a walk, KORVA_WALK_ACTIONS=N sets its length.
#include "d3dWindow3D.h"
#include "driver3D.h"
#include "platform3D.h"
#include "resData.h"
#include "resource3D.h"
#include "wglWindow3D.h"
#include "winFront3D.h"

#include "runWalk.h"
#include "tempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

int countOf(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        n++;
    return n;
}

// the demo settings as SETTINGS_DIALOG shows them
struct settingsModel {
    float viewDistance;
    int flyNight, dynamicFog, numBuf, mipmap, linear, nicest, precalc, poly, wire;
    bool operator==(const settingsModel&) const = default;
};

settingsModel current()
{
    return {viewDistance,   flyNight,          dynamicFog, numBuf,        mMipmapLevels > 0 ? 1 : 0,
            glFilterLinear, glQualityHintHigh, precalc,    demoPolyDepth, demoWireframe};
}

std::string describe(const settingsModel& m)
{
    char t[200];
    std::snprintf(t, sizeof t, "view %.1f night %d fog %d buf %d mip %d lin %d nicest %d lists %d poly %d wire %d",
                  double(m.viewDistance), m.flyNight, m.dynamicFog, m.numBuf, m.mipmap, m.linear, m.nicest,
                  m.precalc, m.poly, m.wire);
    return t;
}

HWND shownDialog(const char* title)
{
    HWND w = FindWindowA(nullptr, title);
    return w != nullptr && IsWindowVisible(w) ? w : nullptr;
}

bool checked(HWND dlg, int id)
{
    return IsDlgButtonChecked(dlg, id) == BST_CHECKED;
}

// a click as Windows lets a user make one: on a visible, enabled control of an enabled dialog
bool click(HWND dlg, int id)
{
    HWND c = GetDlgItem(dlg, id);
    if (c == nullptr || !IsWindowVisible(c) || !IsWindowEnabled(c) || !IsWindowEnabled(dlg))
        return false;
    PostMessageA(c, BM_CLICK, 0, 0);
    return true;
}

HWND runWindow()
{
    return wglRunWindow3D() != nullptr ? wglRunWindow3D() : d3dRunWindow3D();
}

class walker {
public:
    walker(unsigned seed, long actions, const fs::path& work) : rng(seed), left(actions), root(work) {}

    // one timer tick: judge what the last action did, then take the next
    void tick()
    {
        if (busy || done)
            return;
        busy = true;
        if (pause > 0) {
            pause--;
        } else if (settled()) {
            if (left-- <= 0 || ::testing::Test::HasFailure()) {
                finish();
            } else {
                act();
                steps.push_back(last);
            }
        }
        busy = false;
    }

    // the first runs find no data: a user who has not unpacked it yet
    void dataAtFirstAway()
    {
        fs::rename(root / "data", root / "data.away");
        dataAway = true;
    }

    std::string trail() const
    {
        std::string t;
        const size_t from = steps.size() > 25 ? steps.size() - 25 : 0;
        for (size_t i = from; i < steps.size(); i++)
            t += std::to_string(i) + ": " + steps[i] + "\n";
        return t;
    }

    FILE* echo = nullptr;
    bool done = false;
    int runs = 0, benchmarks = 0, multi = 0, written = 0, cancelledQueues = 0, unsaved = 0, withDataAway = 0, d3dRuns = 0;

private:
    std::string log() const
    {
        std::fflush(echo);
        return readFile((root / "console.txt").string());
    }
    int records()
    {
        if (!fs::exists(root / "bench.res"))
            return 0;
        resData d(&resultLog, &maxFps, root.string().c_str());
        return d.loadRes((root / "bench.res").string().c_str()) == 1 ? d.getNumRecords() : -1;
    }

    uintmax_t wavSize() const
    {
        std::error_code ec;
        const uintmax_t n = fs::file_size(root / "music.wav", ec);
        return ec ? 0 : n;
    }

    // whether the program is at rest, having checked what the last action left
    bool settled()
    {
        if (runActive == 1 || benchQueuePending3D())
            return sequenceRunning();
        if (inSequence)
            sequenceEnded();
        if (shownDialog("DEMO SETTINGS") != nullptr || dialogOpen())
            return true;
        // idle: the dialog is usable and the demo settings are the user's
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(mainDialog, IDC_START)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(mainDialog, IDC_SINGLEBENCH)));
        EXPECT_TRUE(current() == model) << describe(current()) << "\nwanted " << describe(model);
        EXPECT_EQ(playSound, checked(mainDialog, IDC_MUSICON) ? 1 : 0);
        EXPECT_EQ(frameWindow, checked(mainDialog, IDC_INWINDOW) ? 1 : 0);
        EXPECT_EQ(closeFLTKWin, 0);
        EXPECT_EQ(drawIntroNow + drawCityNow + drawEndNow + runBenchControlNow, 0);
        EXPECT_EQ(runWindow(), nullptr);
        const uintmax_t wav = wavSize();
        Sleep(30);
        EXPECT_LE(wavSize(), wav) << "music plays with no run";
        return true;
    }
    HWND dialogOpen() const
    {
        HWND s = shownDialog("KORVANE BENCHMARK - SINGLE");
        return s != nullptr ? s : shownDialog("KORVANE BENCHMARK - MULTI");
    }

    bool sequenceRunning()
    {
        if (!inSequence) {
            ADD_FAILURE() << "a run that no action started";
            return false;
        }
        return true;
    }

    void sequenceEnded()
    {
        inSequence = false;
        const std::string now = log();
        const std::string added = now.size() >= logBefore.size() ? now.substr(logBefore.size()) : now;
        const int n = records();
        ASSERT_GE(n, 0) << "bench.res no longer reads";
        if (!inBench) {
            EXPECT_EQ(countOf(added, "STARTING DEMO"), 1) << added;
            EXPECT_EQ(n, recordsBefore);
            return;
        }
        EXPECT_EQ(countOf(added, "STARTING DEMO"), 0) << added;
        const int started = countOf(added, "DETAIL BENCH");
        if (interrupted) {
            cancelledQueues++;
            EXPECT_NE(added.find("BENCHMARK CANCELLED. NO RESULT WRITTEN"), std::string::npos) << added;
            if (cancelledAt < int(queued.size())) {
                EXPECT_NE(added.find("MULTI  BENCH CANCELLED"), std::string::npos) << added;
            }
            EXPECT_EQ(started, cancelledAt) << "runs started after the queue was cancelled\n" << added;
        } else {
            EXPECT_EQ(started, int(queued.size())) << added;
        }
        // every run that ended without a cancel wrote its record; with the data away
        // none starts unless the scene was loaded before
        const int complete = interrupted ? cancelledAt - 1 : int(queued.size());
        int expected = save && complete > 0 ? complete : 0;
        unsaved += save ? 0 : 1;
        if (awayAtStart) {
            withDataAway++;
            if (n == recordsBefore)
                expected = 0;
        }
        written += expected;
        ASSERT_EQ(n, recordsBefore + expected) << added;
        if (expected == 0)
            return;
        resData d(&resultLog, &maxFps, root.string().c_str());
        ASSERT_EQ(d.loadRes((root / "bench.res").string().c_str()), 1);
        for (int i = 0; i < expected; i++) {
            const resRecord& r = d.record(recordsBefore + i);
            const std::string want = std::string(renderer) + (queued[size_t(i)] ? "H.DETAIL  N.TEX" : "N.DETAIL  N.TEX");
            EXPECT_EQ(std::string(r.benchmark), want) << "record " << recordsBefore + i;
            EXPECT_EQ(std::string(r.computer), name);
            EXPECT_EQ(std::string(r.userInfo), info);
            EXPECT_GT(r.fps, 0.0f);
        }
    }

    void act()
    {
        const int a = int(rng() % 100);
        if (runActive == 1 || benchQueuePending3D())
            running(a);
        else if (HWND s = shownDialog("DEMO SETTINGS"))
            settingsDialog(s, a);
        else if (HWND b = dialogOpen())
            benchDialog(b, a);
        else
            idle(a);
    }

    void idle(int a)
    {
        if (a < 10) {
            last = "START";
            if (click(mainDialog, IDC_START))
                sequenceStarted(false);
        } else if (a < 20) {
            last = "CONFIG";
            click(mainDialog, IDC_CONFIG);
        } else if (a < 40) {
            last = "SINGLE  BENCH";
            click(mainDialog, IDC_SINGLEBENCH);
        } else if (a < 50) {
            last = "MULTI  BENCH";
            click(mainDialog, IDC_MULTIBENCH);
        } else if (a < 58) {
            toggles();
        } else if (a < 68) {
            const bool d3d = rng() % 2 == 0;
            last = d3d ? "DIRECT3D" : "OPEN GL";
            click(mainDialog, d3d ? IDC_D3D : IDC_OPENGL);
        } else if (a < 72) {
            last = "ABOUT";
            click(mainDialog, IDC_ABOUT);
        } else if (a < 72 + (dataAway ? 12 : 1)) {
            last = dataAway ? "data folder back" : "data folder away";
            fs::rename(root / (dataAway ? "data.away" : "data"), root / (dataAway ? "data" : "data.away"));
            dataAway = !dataAway;
        } else {
            last = "wait";
            pause = int(rng() % 8);
        }
    }

    void toggles()
    {
        const bool music = rng() % 2 == 0;
        last = music ? "toggle MUSIC ON" : "toggle IN WINDOW";
        click(mainDialog, music ? IDC_MUSICON : IDC_INWINDOW);
    }

    void settingsDialog(HWND s, int a)
    {
        if (!settingsSeen) {
            // the dialog opens with what the user set last, whatever ran since
            settingsSeen = true;
            EXPECT_EQ(checked(s, IDC_VIEWFAR), model.viewDistance == 58.5f);
            EXPECT_EQ(checked(s, IDC_VIEWNEAR), model.viewDistance == 10.0f);
            EXPECT_EQ(checked(s, IDC_FOGHEAVY), model.dynamicFog == 2);
            EXPECT_EQ(checked(s, IDC_FOGNONE), model.dynamicFog == 0);
            EXPECT_EQ(checked(s, IDC_DOUBLEBUF), model.numBuf == 2);
            EXPECT_EQ(checked(s, IDC_DISPLAYLISTS), model.precalc == 1);
        }
        static const int ids[] = {IDC_VIEWNEAR, IDC_VIEWNORMAL, IDC_VIEWFAR,  IDC_FLYDAY,       IDC_FLYNIGHT,
                                  IDC_FOGNONE,  IDC_FOGNORMAL,  IDC_FOGHEAVY, IDC_DOUBLEBUF,    IDC_MIPMAP,
                                  IDC_NICEST,   IDC_GLLINEAR,   IDC_POLY1,    IDC_POLY2,        IDC_WIREFRAME,
                                  IDC_KHZ22050, IDC_KHZ44100,   IDC_QUALHIGH, IDC_DISPLAYLISTS, IDC_D3DLINEAR};
        if (a < 60) {
            const int id = ids[rng() % std::size(ids)];
            last = "setting " + std::to_string(id);
            click(s, id);
        } else if (a < 85) {
            last = "settings OK";
            model = {checked(s, IDC_VIEWNEAR) ? 10.0f : checked(s, IDC_VIEWFAR) ? 58.5f : 19.5f,
                     checked(s, IDC_FLYDAY) ? 0 : 1,
                     checked(s, IDC_FOGNONE) ? 0 : checked(s, IDC_FOGHEAVY) ? 2 : 1,
                     checked(s, IDC_DOUBLEBUF) ? 2 : 1,
                     checked(s, IDC_MIPMAP) ? 1 : 0,
                     checked(s, IDC_GLLINEAR) ? 1 : 0,
                     checked(s, IDC_NICEST) ? 1 : 0,
                     checked(s, IDC_DISPLAYLISTS) ? 1 : 0,
                     checked(s, IDC_POLY2) ? 1 : 0,
                     checked(s, IDC_WIREFRAME) ? 1 : 0};
            settingsSeen = false;
            click(s, IDOK);
        } else {
            last = rng() % 2 ? "settings CANCEL" : "settings close box";
            settingsSeen = false;
            if (last == "settings CANCEL")
                click(s, IDCANCEL);
            else
                PostMessageA(s, WM_CLOSE, 0, 0);
        }
    }

    void benchDialog(HWND b, int a)
    {
        static const std::vector<std::string> names = {"Athlon 1400 MHz, 512 MB", "rig\r\nwith a second line",
                                                       "Pentium III 800 MHz", std::string(100, 'w')};
        const bool several = shownDialog("KORVANE BENCHMARK - MULTI") != nullptr;
        if (a < 15) {
            last = several ? "BOTH DETAIL" : "HIGH DETAIL";
            click(b, several ? IDC_BOTHDETAIL : IDC_HIGHDETAIL);
        } else if (a < 30) {
            const bool first = rng() % 2 == 0;
            last = first ? "type identification" : "type information";
            SetDlgItemTextA(b, first ? IDC_PCNAME : IDC_PCINFO, names[rng() % names.size()].c_str());
        } else if (a < 40) {
            // the small modes only, one or two of them
            last = "modes";
            HWND list = GetDlgItem(b, IDC_BENCHMODES);
            SendMessageA(list, LB_SETSEL, FALSE, -1);
            const int count = int(SendMessageA(list, LB_GETCOUNT, 0, 0));
            std::vector<int> small;
            for (int i = 0; i < count && i < numModes; i++)
                if (modeList[i][0] <= 640 && modeList[i][2] >= 16)
                    small.push_back(i);
            for (int k = 0, n = 1 + int(rng() % 2); k < n && !small.empty(); k++)
                SendMessageA(list, LB_SETSEL, TRUE, small[rng() % small.size()]);
        } else if (a < 45) {
            // mostly on, as most users leave it
            const bool want = rng() % 4 != 0;
            last = want ? "save check on" : "save check off";
            if (checked(b, IDC_SAVEBENCH) != want)
                click(b, IDC_SAVEBENCH);
        } else if (a < 90) {
            last = "START BENCHMARK";
            char text[256];
            GetDlgItemTextA(b, IDC_PCNAME, text, sizeof text);
            name = recordText(text);
            GetDlgItemTextA(b, IDC_PCINFO, text, sizeof text);
            info = recordText(text);
            save = checked(b, IDC_SAVEBENCH);
            queued.clear();
            HWND list = GetDlgItem(b, IDC_BENCHMODES);
            int modes = 0;
            for (int i = 0, count = int(SendMessageA(list, LB_GETCOUNT, 0, 0)); i < count; i++)
                if (SendMessageA(list, LB_GETSEL, WPARAM(i), 0) > 0)
                    modes++;
            modes = several ? (modes == 0 ? 1 : modes) : 1;
            const bool both = several && checked(b, IDC_BOTHDETAIL);
            const bool high = !several && checked(b, IDC_HIGHDETAIL);
            for (int m = 0; m < modes; m++) {
                queued.push_back(high);
                if (both)
                    queued.push_back(true);
            }
            if (click(b, IDC_START)) {
                multi += several ? 1 : 0;
                sequenceStarted(true);
            }
        } else {
            last = rng() % 2 ? "bench CANCEL" : "bench close box";
            if (last == "bench CANCEL")
                click(b, IDCANCEL);
            else
                PostMessageA(b, WM_CLOSE, 0, 0);
        }
    }

    void sequenceStarted(bool bench)
    {
        inSequence = true;
        inBench = bench;
        interrupted = false;
        cancelledAt = 0;
        recordsBefore = records();
        logBefore = log();
        awayAtStart = dataAway;
        renderer = useDirect3D == 1 ? "DIRECT3D  " : "OPENGL    ";
        runs++;
        d3dRuns += useDirect3D == 1 ? 1 : 0;
        benchmarks += bench ? 1 : 0;
    }

    void running(int a)
    {
        HWND w = runWindow();
        const int leave = inBench ? 2 : 30;
        if (a < 100 - leave - 6 || w == nullptr) {
            last = "wait in the run";
            pause = 5 + int(rng() % 25);
        } else if (a < 100 - leave) {
            toggles();
        } else {
            // the window's own handling, at once, as a key or the close box reaches it
            const int which = int(rng() % 3);
            last = which == 0 ? "ESC" : which == 1 ? "e" : "close box";
            const bool wasRunning = runOutcome3D == runRunning;
            if (which == 0)
                SendMessageA(w, WM_KEYDOWN, VK_ESCAPE, 0);
            else if (which == 1)
                SendMessageA(w, WM_CHAR, 'e', 0);
            else
                SendMessageA(w, WM_CLOSE, 0, 0);
            if (inBench && wasRunning && runOutcome3D == runCancelled && !interrupted) {
                interrupted = true;
                cancelledAt = countOf(log().substr(logBefore.size()), "DETAIL BENCH");
            }
        }
    }

    void finish()
    {
        last = "close the program";
        PostMessageA(mainDialog, WM_CLOSE, 0, 0);
        done = true;
    }

    std::mt19937 rng;
    long left;
    fs::path root;
    std::string last, logBefore, renderer, name, info;
    std::vector<std::string> steps;
    std::vector<bool> queued;
    settingsModel model = current();
    bool busy = false, inSequence = false, inBench = false, interrupted = false, save = true, dataAway = false,
         settingsSeen = false, awayAtStart = false;
    int pause = 0, recordsBefore = 0, cancelledAt = 0;
    resLog resultLog;
    float maxFps = 0.0f;
};

walker* theWalker = nullptr;

void CALLBACK walkTimer(HWND, UINT, UINT_PTR, DWORD)
{
    theWalker->tick();
}


// the program's start as WinMain makes it, in a tree of its own
struct winProgram {
    winProgram()
    {
        const fs::path tree = KORVA_WIN_TREE;
        fs::copy(tree / "data", dir.path / "data", fs::copy_options::recursive);
        fs::copy_file(tree / "Korva.INI", dir.path / "Korva.INI");
        changeDir3D(dir.path.string().c_str());
        _putenv_s("KORVA_AUDIO", ("wav:" + (dir.path / "music.wav").string()).c_str());
        appInstance = GetModuleHandleA(nullptr);
        armClock3D();
        setClockSource3D(fastClock);
        installWinConsole();
        installWinFront();
        defaultSettings3D();
        loadParameterWin("Korva.INI");
        disableDeskTopRendering = 1;
        echo = std::fopen((dir.path / "console.txt").string().c_str(), "w");
        mainOut.setEcho(echo);
        dlg = CreateDialogParamA(appInstance, "TOWNVIEW", nullptr, mainDialogProc, 0);
        ShowWindow(dlg, SW_SHOW);
    }
    ~winProgram()
    {
        if (mainDialog != nullptr) {
            PostMessageA(mainDialog, WM_CLOSE, 0, 0);
            int status = 0;
            while (messageLoopTurn3D(&status)) {
            }
        }
        mainOut.setEcho(nullptr);
        std::fclose(echo);
        setClockSource3D(nullptr);
        changeDir3D(dir.home.string().c_str());
    }
    std::string log() const
    {
        std::fflush(echo);
        return readFile((dir.path / "console.txt").string());
    }
    tempDir dir;
    FILE* echo = nullptr;
    HWND dlg = nullptr;
};

// a timer keeps the loop turning while nothing runs
void CALLBACK wakeTimer(HWND, UINT, UINT_PTR, DWORD) {}

template <class F>
bool turnUntil(F done, double limit)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(limit);
    int status = 0;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end || !messageLoopTurn3D(&status))
            return false;
    }
    return true;
}

}  // namespace

TEST(WinRunWalk, RandomActionsLeaveCorrectRecordsAndALivingProgram)
{
    const unsigned seed = unsigned(envNumber("KORVA_WALK_SEED", long(std::random_device{}() % 100000)));
    const long actions = envNumber("KORVA_WALK_ACTIONS", 120);
    std::printf("walk seed %u, %ld actions (KORVA_WALK_SEED=%u replays it)\n", seed, actions, seed);

    winProgram p;
    ASSERT_NE(p.dlg, nullptr);
    walker w(seed, actions, p.dir.path);
    w.echo = p.echo;
    theWalker = &w;
    w.dataAtFirstAway();
    const UINT_PTR timer = SetTimer(nullptr, 0, 15, walkTimer);
    const auto t0 = std::chrono::steady_clock::now();
    int status = 0;
    while (messageLoopTurn3D(&status)) {
    }
    KillTimer(nullptr, timer);
    if (::testing::Test::HasFailure())
        ADD_FAILURE() << "seed " << seed << ", the last actions:\n" << w.trail();
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%d runs (%d on Direct3D; %d benchmarks, %d of them MULTI: %d records written, %d cancelled, "
                "%d not saved), %d benchmarks with the data away, %.1f s\n",
                w.runs, w.d3dRuns, w.benchmarks, w.multi, w.written, w.cancelledQueues, w.unsaved, w.withDataAway, s);
}

// after the walk, whose first starts find no scene loaded
TEST(WinRunSequences, EscInAMultiBenchEndsTheQueueAndTheDemoSettingsComeBack)
{
    winProgram p;
    ASSERT_NE(p.dlg, nullptr);
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, wakeTimer);
    viewDistance = 10.0f;
    dynamicFog = 0;
    numBuf = 1;
    precalc = 1;
    CheckRadioButton(p.dlg, IDC_D3D, IDC_OPENGL, IDC_OPENGL);
    useDirect3D = 0;
    // two modes, both detail classes: four runs, as the bench dialog queues them
    multiBench = 1;
    benchBothDetail = 1;
    runBenchNormal = 1;
    runBenchHigh = 0;
    saveBench = 1;
    numBenchModes = 2;
    for (int m = 0; m < 2; m++) {
        benchModes[m][0] = m == 0 ? 320 : 400;
        benchModes[m][1] = m == 0 ? 240 : 300;
        benchModes[m][2] = 16;
    }
    ASSERT_EQ(startBenchQueue3D(), 1) << p.log();
    // the first run ends with its record, the second is left with ESC
    ASSERT_TRUE(turnUntil([&] { return countOf(p.log(), "DETAIL BENCH") == 2 && runActive == 1; }, 120.0))
        << p.log();
    turnUntil([] { return false; }, 0.3);
    SendMessageA(runWindow(), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(turnUntil([] { return runActive == 0 && !benchQueuePending3D(); }, 60.0)) << p.log();
    turnUntil([] { return false; }, 0.5);
    const std::string log = p.log();
    EXPECT_EQ(countOf(log, "DETAIL BENCH"), 2) << log;
    EXPECT_NE(log.find("BENCHMARK CANCELLED. NO RESULT WRITTEN"), std::string::npos) << log;
    EXPECT_NE(log.find("MULTI  BENCH CANCELLED. 2 RUNS LEFT OUT"), std::string::npos) << log;
    resLog rl;
    float maxFps = 0.0f;
    resData d(&rl, &maxFps, p.dir.path.string().c_str());
    ASSERT_EQ(d.loadRes((p.dir.path / "bench.res").string().c_str()), 1);
    ASSERT_EQ(d.getNumRecords(), 1);
    EXPECT_STREQ(d.record(0).benchmark, "OPENGL    N.DETAIL  N.TEX");
    EXPECT_EQ(d.record(0).width, 320);
    // the benchmarks' fixed settings gave way to the user's again
    EXPECT_EQ(viewDistance, 10.0f);
    EXPECT_EQ(dynamicFog, 0);
    EXPECT_EQ(numBuf, 1);
    EXPECT_EQ(precalc, 1);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(p.dlg, IDC_START)));
    KillTimer(nullptr, timer);
}
