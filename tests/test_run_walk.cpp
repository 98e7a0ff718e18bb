// townview_x's dialogs and run window walked at random, in one process as the
// program keeps its state: demos, benchmarks, settings changed at any time,
// windows closed at any moment, the data folder and bench.res taken away and
// given back. After every step the records are read back with the viewer's
// reader and the program's state is checked against what the walker did.
//   KORVA_WALK_SEED=N replays a walk, KORVA_WALK_ACTIONS=N sets its length.
#include "driver3D.h"
#include "fltkFront.h"
#include "platform3D.h"
#include "resData.h"

#include "runWalk.h"
#include "tempDir.h"

#include <FL/Fl.H>
#include <FL/Fl_Input.H>
#include <FL/glut.H>
#include <gtest/gtest.h>

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

double seconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

Fl_Window* shownWindow(const char* label)
{
    for (Fl_Window* w = Fl::first_window(); w != nullptr; w = Fl::next_window(w))
        if (w->label() != nullptr && std::string(w->label()) == label)
            return w;
    return nullptr;
}

template <class W>
W* findWidget(Fl_Group* g, const char* label)
{
    if (g == nullptr)
        return nullptr;
    for (int i = 0; i < g->children(); i++) {
        Fl_Widget* c = g->child(i);
        if (c->label() != nullptr && std::string(c->label()) == label)
            if (auto* w = dynamic_cast<W*>(c))
                return w;
        if (auto* sub = c->as_group())
            if (W* w = findWidget<W>(sub, label))
                return w;
    }
    return nullptr;
}

// a click as FLTK answers it: only on a widget the user can reach
bool click(Fl_Button* b)
{
    if (b == nullptr || !b->active_r() || !b->visible_r())
        return false;
    if (b->type() == FL_RADIO_BUTTON)
        b->setonly();
    else if (b->type() == FL_TOGGLE_BUTTON)
        b->value(b->value() ? 0 : 1);
    b->do_callback();
    return true;
}

// a key pressed in the run window's GL view
void pressKey(char c)
{
    static char text[2];
    text[0] = c;
    text[1] = '\0';
    Fl::e_keysym = c == 27 ? FL_Escape : c;
    Fl::e_text = text;
    Fl::e_length = 1;
    static_cast<Fl_Widget*>(glut_window)->handle(FL_KEYBOARD);
}

uintmax_t fileSize(const fs::path& p)
{
    std::error_code ec;
    const uintmax_t n = fs::file_size(p, ec);
    return ec ? 0 : n;
}

// the demo settings as the walker set them in the dialog
struct settingsModel {
    float viewDistance;
    int flyNight, dynamicFog, numBuf, mipmap, linear, nicest, noTexture, khz44, hq;
    bool operator==(const settingsModel&) const = default;
};

settingsModel current()
{
    return {viewDistance, flyNight,         dynamicFog,    numBuf,   mMipmapLevels > 0 ? 1 : 0, glFilterLinear,
            glQualityHintHigh, noTextureMode, khz44100, hightQualityMidas};
}

std::string describe(const settingsModel& m)
{
    char t[200];
    std::snprintf(t, sizeof t, "view %.1f night %d fog %d buf %d mip %d lin %d nicest %d notex %d khz44 %d hq %d",
                  double(m.viewDistance), m.flyNight, m.dynamicFog, m.numBuf, m.mipmap, m.linear, m.nicest,
                  m.noTexture, m.khz44, m.hq);
    return t;
}

class walker {
public:
    walker(unsigned seed, const fs::path& work) : rng(seed), linux(work / "linux"), wav(work / "music.wav") {}

    void start()
    {
        echo = std::fopen((linux / "console.txt").c_str(), "w");
        mainOut.setEcho(echo);
        openMainDialog();
        model = current();
        resolutionList->select(1);
        resolutionList->do_callback();
        // the first starts find no data: a user who has not unpacked it yet
        fs::rename("../data", "../data.away");
        dataAway = true;
        pump(0.3);
    }
    void finish()
    {
        if (glWin != nullptr) {
            glWin->do_callback();
            waitIdle(30.0);
        }
        mainOut.setEcho(nullptr);
        std::fclose(echo);
    }

    void step()
    {
        // a run that ended while the last check looked on is judged before anything changes
        if (wasRunning && glWin == nullptr)
            runEnded();
        const std::string before = log();
        const int action = int(rng() % 100);
        if (glWin != nullptr)
            running(action);
        else if (Fl_Window* s = shownWindow("DEMO SETTINGS"))
            settingsDialog(s, action);
        else if (Fl_Window* b = shownWindow("BENCHMARK"))
            benchDialog(b, action);
        else
            idle(action);
        steps.push_back(last);
        check(before);
    }

    std::string trail() const
    {
        std::string t;
        const size_t from = steps.size() > 25 ? steps.size() - 25 : 0;
        for (size_t i = from; i < steps.size(); i++)
            t += std::to_string(i) + ": " + steps[i] + "\n";
        return t;
    }

    int unsaved = 0, blocked = 0, musicHeard = 0, runs = 0, benchmarks = 0, written = 0, failedStarts = 0, cancelled = 0;

private:
    void pump(double s)
    {
        const double end = seconds() + s;
        while (seconds() < end)
            Fl::wait(0.002);
    }
    void waitIdle(double limit)
    {
        const double end = seconds() + limit;
        while (glWin != nullptr && seconds() < end)
            Fl::wait(0.002);
    }
    std::string log() const
    {
        std::fflush(echo);
        return readFile((linux / "console.txt").string());
    }
    template <class T>
    const T& pick(const std::vector<T>& v)
    {
        return v[rng() % v.size()];
    }

    void idle(int a)
    {
        if (a < 10) {
            last = "START DEMO";
            runStarted(false, click(startDemoButton));
        } else if (a < 20) {
            last = "CONFIG DEMO";
            click(configDemoButton);
        } else if (a < 46) {
            last = "SINGLE BENCH";
            click(singleBenchButton);
        } else if (a < 54) {
            toggles();
        } else if (a < 60) {
            const int item = 1 + int(rng() % 2);
            last = item == 1 ? "320x200" : "640x480";
            resolutionList->select(item);
            resolutionList->do_callback();
        } else if (a < 62) {
            last = rng() % 2 ? "ABOUT" : "LICENSE";
            click(findWidget<Fl_Button>(mainWin, last.c_str()));
        } else if (a < 62 + (dataAway ? 12 : 1)) {
            last = dataAway ? "data folder back" : "data folder away";
            fs::rename(dataAway ? "../data.away" : "../data", dataAway ? "../data" : "../data.away");
            dataAway = !dataAway;
        } else if (a < 74 + (resBlocked ? 20 : 1) && (resBlocked || rng() % 2 == 0)) {
            last = resBlocked ? "bench.res writable again" : "bench.res unwritable";
            if (resBlocked) {
                fs::remove("bench.res");
                if (fs::exists("bench.res.kept"))
                    fs::rename("bench.res.kept", "bench.res");
            } else {
                if (fs::exists("bench.res"))
                    fs::rename("bench.res", "bench.res.kept");
                fs::create_directory("bench.res");
            }
            resBlocked = !resBlocked;
        } else {
            last = "wait";
            pump(0.05 + double(rng() % 100) / 400.0);
        }
    }

    void toggles()
    {
        Fl_Check_Button* b = rng() % 2 ? musicOnCheck : inWindowCheck;
        last = std::string("toggle ") + b->label();
        click(b);
    }

    void settingsDialog(Fl_Window* w, int a)
    {
        static const char* const labels[] = {"NEAR",          "NORMAL",    "FAR",        "DAY",
                                             "NIGHT",         "NONE",      "HEAVY",      "DOUBLE BUFFER",
                                             "MIPMAP ON",     "GL_LINEAR", "GL_NICEST",  "GL_TEXTURE_2D ON",
                                             "22050 kHZ",     "44100 kHZ", "HIGH QUALITY"};
        if (a < 70) {
            const char* l = labels[rng() % std::size(labels)];
            last = std::string("setting ") + l;
            // two buttons read "NORMAL": view distance and fog
            Fl_Button* b = findWidget<Fl_Button>(w, l);
            if (std::string(l) == "NORMAL" && rng() % 2) {
                b = fogNormal(w);
                last += " fog";
            }
            if (click(b))
                applyToModel(l, last.find(" fog") != std::string::npos, b->value() != 0);
        } else if (a < 80) {
            toggles();
        } else {
            last = "close DEMO SETTINGS";
            w->do_callback();
        }
    }
    static Fl_Button* fogNormal(Fl_Window* w)
    {
        int seen = 0;
        for (int i = 0; i < w->children(); i++)
            if (Fl_Group* g = w->child(i)->as_group())
                if (auto* b = findWidget<Fl_Button>(g, "NORMAL"))
                    if (++seen == 2)
                        return b;
        return nullptr;
    }
    void applyToModel(const std::string& l, bool fog, bool on)
    {
        if (l == "NEAR")
            model.viewDistance = 10.0f;
        else if (l == "NORMAL" && !fog)
            model.viewDistance = 19.5f;
        else if (l == "FAR")
            model.viewDistance = 58.5f;
        else if (l == "DAY")
            model.flyNight = 0;
        else if (l == "NIGHT")
            model.flyNight = 1;
        else if (l == "NONE")
            model.dynamicFog = 0;
        else if (l == "NORMAL")
            model.dynamicFog = 1;
        else if (l == "HEAVY")
            model.dynamicFog = 2;
        else if (l == "DOUBLE BUFFER")
            model.numBuf = on ? 2 : 1;
        else if (l == "MIPMAP ON")
            model.mipmap = on;
        else if (l == "GL_LINEAR")
            model.linear = on;
        else if (l == "GL_NICEST")
            model.nicest = on;
        else if (l == "GL_TEXTURE_2D ON")
            model.noTexture = on ? 0 : 1;
        else if (l == "22050 kHZ")
            model.khz44 = 0;
        else if (l == "44100 kHZ")
            model.khz44 = 1;
        else if (l == "HIGH QUALITY")
            model.hq = on;
    }

    void benchDialog(Fl_Window* w, int a)
    {
        static const std::vector<std::string> names = {
            "Athlon 1400 MHz, 512 MB", "rig\nwith a second line", "\r\nnothing before the break",
            "Pentium III 800 MHz\r\n", "", std::string(120, 'k')};
        if (a < 12) {
            last = "HIGH DETAIL";
            click(findWidget<Fl_Button>(w, "HIGH DETAIL"));
        } else if (a < 40) {
            auto* in = findWidget<Fl_Input>(w, rng() % 2 ? "more INFORMATION:"
                                                          : "COMPUTER IDENTIFICATION:   for benchmarks (should be "
                                                            "always the same)");
            const std::string& t = pick(names);
            last = std::string("type ") + (std::string(in->label()).rfind("more", 0) == 0 ? "info" : "name");
            in->value(t.c_str());
        } else if (a < 43) {
            // mostly on, as most users leave it
            Fl_Button* save = findWidget<Fl_Button>(w, "add results to BENCH.RES text file");
            const int want = rng() % 4 != 0 ? 1 : 0;
            last = want ? "save check on" : "save check off";
            if (save->value() != want)
                click(save);
        } else if (a < 50) {
            toggles();
        } else if (a < 90) {
            last = "START BENCHMARK";
            // a user who switched saving off mostly switches it on again
            Fl_Button* saveBox = findWidget<Fl_Button>(w, "add results to BENCH.RES text file");
            if (saveBox->value() == 0 && rng() % 2 == 0) {
                click(saveBox);
                last += " (save check on first)";
            }
            // every walk pastes a line break into a record at least once
            if (!breakPasted) {
                findWidget<Fl_Input>(w, "COMPUTER IDENTIFICATION:   for benchmarks (should be always the same)")
                    ->value("pasted\nfrom two lines");
                last += " (name with a line break)";
            }
            const bool high = findWidget<Fl_Button>(w, "HIGH DETAIL")->value() != 0;
            const bool save = findWidget<Fl_Button>(w, "add results to BENCH.RES text file")->value() != 0;
            const std::string name =
                findWidget<Fl_Input>(w, "COMPUTER IDENTIFICATION:   for benchmarks (should be always the same)")
                    ->value();
            const std::string info = findWidget<Fl_Input>(w, "more INFORMATION:")->value();
            bench = {high, save, false, recordText(name), recordText(info), scrX, scrY};
            bench.pasted = name.find('\n') != std::string::npos;
            runStarted(true, click(findWidget<Fl_Button>(w, "START BENCHMARK")));
        } else {
            last = "close BENCHMARK";
            w->do_callback();
        }
    }

    void runStarted(bool isBench, bool clicked)
    {
        if (!clicked)
            return;
        runs++;
        inBench = isBench;
        interrupted = false;
        recordsBefore = records();
        started = true;
        if (isBench)
            benchmarks++;
        if (glWin == nullptr) {
            failedStarts++;
            startFailedNow = true;
        }
    }

    void running(int a)
    {
        // a demo is walked through with ESC, a benchmark mostly left to finish
        const int leave = inBench ? 3 : 35;
        if (a < 100 - leave - 8) {
            last = "wait in the run";
            pump(0.05 + double(rng() % 100) / 200.0);
        } else if (a < 100 - leave) {
            toggles();
        } else if (a < 100 - leave * 4 / 10) {
            last = "ESC";
            if (glut_window != nullptr) {
                noteInterrupt();
                pressKey(27);
            }
        } else if (a < 100 - leave * 2 / 10) {
            last = "e";
            if (glut_window != nullptr) {
                noteInterrupt();
                pressKey('e');
            }
        } else {
            last = "close the run window";
            noteInterrupt();
            glWin->do_callback();
        }
    }
    // a benchmark left before its record was taken writes none
    void noteInterrupt()
    {
        if (inBench && runOutcome3D == runRunning)
            interrupted = true;
    }

    int records()
    {
        if (resBlocked || !fs::exists("bench.res"))
            return resBlocked ? recordsKept() : 0;
        resData d(&resultLog, &maxFps, ".");
        if (d.loadRes("bench.res") != 1)
            return -1;
        return d.getNumRecords();
    }
    int recordsKept()
    {
        if (!fs::exists("bench.res.kept"))
            return 0;
        resData d(&resultLog, &maxFps, ".");
        return d.loadRes("bench.res.kept") == 1 ? d.getNumRecords() : -1;
    }

    void check(const std::string& before)
    {
        const std::string now = log();
        const std::string added = now.size() >= before.size() ? now.substr(before.size()) : now;
        if (started) {
            started = false;
            if (inBench) {
                EXPECT_NE(added.find(bench.high ? "STARTING HIGHDETAIL BENCH" : "STARTING NORMALDETAIL BENCH"),
                          std::string::npos)
                    << added;
                EXPECT_EQ(added.find("STARTING DEMO"), std::string::npos) << added;
            } else {
                EXPECT_NE(added.find("STARTING DEMO"), std::string::npos) << added;
            }
            // with the data in place every start succeeds, whatever failed before, but a
            // benchmark whose result could not be saved is refused before its flight
            const bool unsavable = inBench && bench.save && resBlocked && !dataAway;
            if (!dataAway && !unsavable) {
                EXPECT_FALSE(startFailedNow) << added;
            }
            if (unsavable) {
                EXPECT_TRUE(startFailedNow);
                EXPECT_NE(added.find("benchmark not started: can't write bench.res in "), std::string::npos) << added;
            }
            if (glWin == nullptr) {
                EXPECT_EQ(runOutcome3D, unsavable ? runWriteFailed : runNotStarted);
                runEnded();
            }
            wasRunning = glWin != nullptr;
            startFailedNow = false;
            return;
        }
        if (glWin == nullptr && wasRunning)
            runEnded();
        wasRunning = glWin != nullptr;
        if (glWin != nullptr) {
            const uintmax_t s = fileSize(wav);
            pump(0.05);
            // benchmarks are silent
            if (inBench) {
                EXPECT_LE(fileSize(wav), s) << "music during a benchmark";
            } else if (fileSize(wav) > s) {
                musicHeard++;
            }
            return;
        }
        // idle: the dialog is usable and the demo settings are the user's
        EXPECT_TRUE(startDemoButton->active() || shownWindow("DEMO SETTINGS") || shownWindow("BENCHMARK"));
        EXPECT_TRUE(resolutionList->active());
        EXPECT_EQ(current(), model) << describe(current()) << "\nwanted " << describe(model);
        EXPECT_EQ(playSound, musicOnCheck->value());
        EXPECT_EQ(frameWindow, inWindowCheck->value());
        EXPECT_EQ(closeFLTKWin, 0);
        EXPECT_EQ(drawIntroNow + drawCityNow + drawEndNow + runBenchControlNow, 0);
        const uintmax_t s = fileSize(wav);
        pump(0.03);
        EXPECT_LE(fileSize(wav), s) << "music plays with no run";
    }

    void runEnded()
    {
        wasRunning = false;
        const int n = records();
        ASSERT_GE(n, 0) << "bench.res no longer reads";
        if (!inBench) {
            EXPECT_EQ(n, recordsBefore);
            return;
        }
        const bool expectRecord = runOutcome3D != runNotStarted && !interrupted && bench.save && !resBlocked;
        if (!bench.save)
            unsaved++;
        if (resBlocked)
            blocked++;
        if (runOutcome3D == runCancelled) {
            cancelled++;
            EXPECT_TRUE(interrupted);
        }
        if (!expectRecord) {
            EXPECT_EQ(n, recordsBefore);
            if (interrupted) {
                EXPECT_EQ(runOutcome3D, runCancelled);
            }
            if (bench.save && resBlocked && !interrupted && runOutcome3D != runNotStarted) {
                EXPECT_EQ(runOutcome3D, runWriteFailed);
            }
            return;
        }
        written++;
        breakPasted = breakPasted || bench.pasted;
        const std::string console = log();
        ASSERT_EQ(n, recordsBefore + 1) << "outcome " << runOutcome3D << "\n"
                                        << console.substr(console.size() > 1500 ? console.size() - 1500 : 0);
        resData d(&resultLog, &maxFps, ".");
        ASSERT_EQ(d.loadRes("bench.res"), 1);
        const resRecord& r = d.record(n - 1);
        EXPECT_EQ(std::string(r.computer), bench.name);
        EXPECT_EQ(std::string(r.userInfo), bench.info);
        EXPECT_STREQ(r.benchmark, bench.high ? "OPENGL    H.DETAIL  N.TEX" : "OPENGL    N.DETAIL  N.TEX");
        EXPECT_EQ(r.width, bench.width);
        EXPECT_EQ(r.height, bench.height);
        EXPECT_GT(r.fps, 0.0f);
    }

    struct benchChoice {
        bool high = false, save = true, pasted = false;
        std::string name, info;
        int width = 0, height = 0;
    };

    std::mt19937 rng;
    fs::path linux, wav;
    FILE* echo = nullptr;
    settingsModel model{};
    benchChoice bench;
    std::string last;
    std::vector<std::string> steps;
    bool breakPasted = false, dataAway = false, resBlocked = false, inBench = false, interrupted = false, started = false,
         startFailedNow = false, wasRunning = false;
    int recordsBefore = 0;
    resLog resultLog;
    float maxFps = 0.0f;
};

}  // namespace

TEST(RunWalk, RandomActionsLeaveCorrectRecordsAndALivingProgram)
{
    const unsigned seed = unsigned(envNumber("KORVA_WALK_SEED", long(std::random_device{}() % 100000)));
    const long actions = envNumber("KORVA_WALK_ACTIONS", 300);
    std::printf("walk seed %u, %ld actions (KORVA_WALK_SEED=%u replays it)\n", seed, actions, seed);

    tempDir dir;
    makeLinuxTree(KORVA_TREE, dir.path);
    ASSERT_EQ(changeDir3D((dir.path / "linux").c_str()), 0);
    setenv("KORVA_AUDIO", ("wav:" + (dir.path / "music.wav").string()).c_str(), 1);
    setClockSource3D(fastClock);

    walker w(seed, dir.path);
    w.start();
    const double t0 = seconds();
    for (long i = 0; i < actions && !::testing::Test::HasFatalFailure(); i++) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", action " + std::to_string(i));
        w.step();
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << "the last actions:\n" << w.trail();
            break;
        }
    }
    w.finish();
    std::printf("%d runs (%d benchmarks: %d records written, %d cancelled, %d not saved, %d with bench.res "
                "unwritable), %d failed starts, music heard in %d steps, %.1f s\n",
                w.runs, w.benchmarks, w.written, w.cancelled, w.unsaved, w.blocked, w.failedStarts, w.musicHeard,
                seconds() - t0);
    setClockSource3D(nullptr);
    changeDir3D(dir.home.c_str());
}
