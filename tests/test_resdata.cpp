// The viewer's reader, lists, filter and sort, on files written by the test.
#include "frameCommand.h"
#include "framePlot.h"
#include "resCheck.h"
#include "resCompare.h"
#include "resData.h"
#include "resTable.h"
#include "resText.h"

#include "tempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <utility>
#include <vector>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#ifndef _WIN32
#include "frameImage.h"

#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

int lines(const std::string& s)
{
    return int(std::count(s.begin(), s.end(), '\n'));
}

std::string rec(const std::string& comp, const std::string& bench, const std::string& res)
{
    return "[\n" + comp + "\n" + bench + "\ninfo of " + comp + "\nKORVA_LIN 1.3  GLvendor:V  GLrenderer:R\n"
           "VSync OFF  DDMSwich OFF\n" + res + "\n]\n\n";
}

std::string image(const std::string& comp, int w, int h, int d, float fps)
{
    resRecord r = {};
    std::snprintf(r.computer, sizeof r.computer, "%s", comp.c_str());
    std::snprintf(r.benchmark, sizeof r.benchmark, "%s", "OPENGL    N.DETAIL  N.TEX");
    std::snprintf(r.userInfo, sizeof r.userInfo, "base %s", comp.c_str());
    r.width = w;
    r.height = h;
    r.depth = d;
    r.fps = fps;
    return std::string(reinterpret_cast<const char*>(&r), sizeof r);
}

class ResDataTest : public ::testing::Test {
protected:
    tempDir dir;
    resLog log;
    float maxFps = 0.0f;
    std::unique_ptr<resData> make() { return std::make_unique<resData>(&log, &maxFps, dir.path.string().c_str()); }
};

}  // namespace

TEST_F(ResDataTest, ReadsRecordsAndSkipsTextAroundThem)
{
    writeFile("a.res", "results of Tuesday\n\n" + rec("PC one", "OPENGL    N.DETAIL  N.TEX", "1024 x 768 x 16 fps: 35.2") +
                           "stray line\n" + rec("PC two", "OPENGL    H.DETAIL  B.TEX", "640 x 480 x 32 fps: 80.5"));
    auto d = make();
    ASSERT_EQ(d->loadRes("a.res"), 1);
    ASSERT_EQ(d->getNumRecords(), 2);
    const resRecord& r = d->record(0);
    EXPECT_STREQ(r.computer, "PC one");
    EXPECT_STREQ(r.benchmark, "OPENGL    N.DETAIL  N.TEX");
    EXPECT_STREQ(r.userInfo, "info of PC one");
    EXPECT_STREQ(r.autoInfo1, "KORVA_LIN 1.3  GLvendor:V  GLrenderer:R");
    EXPECT_STREQ(r.autoInfo2, "VSync OFF  DDMSwich OFF");
    EXPECT_EQ(r.width, 1024);
    EXPECT_EQ(r.height, 768);
    EXPECT_EQ(r.depth, 16);
    EXPECT_FLOAT_EQ(r.fps, 35.2f);
    EXPECT_EQ(d->getNumDisplay(), 2);
    EXPECT_FLOAT_EQ(maxFps, 80.5f);

    // other tools and editors put tabs (and the odd form feed) among the blanks of the result line
    writeFile("tabs.res", rec("PC tab", "N", "640\tx\v480 x\f16 fps:\t30.5"));
    auto t = make();
    ASSERT_EQ(t->loadRes("tabs.res"), 1);
    ASSERT_EQ(t->getNumRecords(), 1);
    EXPECT_EQ(t->record(0).height, 480);
    EXPECT_FLOAT_EQ(t->record(0).fps, 30.5f);

    // no record at all: an empty view
    writeFile("empty.res", "nothing here\n]\n");
    auto e = make();
    EXPECT_EQ(e->loadRes("empty.res"), 1);
    EXPECT_EQ(e->getNumDisplay(), 0);
    EXPECT_EQ(e->numComputers(), 1);

    // a long text is cut to its field, blanks kept
    writeFile("long.res", rec("  " + std::string(300, 'z'), "b", "640 x 480 x 16 fps: 10.0"));
    auto l = make();
    ASSERT_EQ(l->loadRes("long.res"), 1);
    EXPECT_EQ(std::string(l->record(0).computer), "  " + std::string(157, 'z'));
}

TEST_F(ResDataTest, BrokenFilesFailTheLoad)
{
    const char* broken[] = {
        "[\nPC\nbench\ninfo\nauto1\n",                                // cut short
        "[\nPC\nbench\ninfo\nauto1\nauto2\n1024x768x16 fps: 35.2\n]\n",  // no blanks around the x
        "[\nPC\nbench\ninfo\nauto1\nauto2\nwide x tall x deep fps: 1\n",
        "[\nPC\nbench\ninfo\nauto1\nauto2\n640 x 480 x 16 fps: fast\n",
        // rates that no run measures: damage, not a result
        "[\nPC\nbench\ninfo\nauto1\nauto2\n640 x 480 x 16 fps: nan\n]\n",
        "[\nPC\nbench\ninfo\nauto1\nauto2\n640 x 480 x 16 fps: inf\n]\n",
        "[\nPC\nbench\ninfo\nauto1\nauto2\n640 x 480 x 16 fps: -INFINITY\n]\n",
        "[\nPC\nbench\ninfo\nauto1\nauto2\n640 x 480 x 16 fps: -0.5\n]\n",
        "[\nPC\nbench\ninfo\nauto1\nauto2\n640 x 480 x 16 fps: 1e39\n]\n",
    };
    for (const char* b : broken) {
        // a good record before the broken one: the file still fails, the maximum stays
        writeFile("b.res", rec("PC", "b", "640 x 480 x 16 fps: 0.0") + b);
        auto d = make();
        EXPECT_EQ(d->loadRes("b.res"), -1) << b;
        EXPECT_TRUE(std::isfinite(maxFps)) << b;
    }
    // nothing measured is still a rate
    writeFile("zero.res", rec("PC", "b", "640 x 480 x 16 fps: 0.0"));
    EXPECT_EQ(make()->loadRes("zero.res"), 1);
    auto d = make();
    EXPECT_EQ(d->loadRes("none.res"), -1);

    // 1499 records fit, the 1500th fails
    std::string many;
    for (int i = 0; i < 1499; i++)
        many += rec("PC" + std::to_string(i % 7), "b", "640 x 480 x 16 fps: 10.0");
    writeFile("many.res", many);
    auto m = make();
    EXPECT_EQ(m->loadRes("many.res"), 1);
    EXPECT_EQ(m->getNumRecords(), 1499);
    writeFile("toomany.res", many + rec("PC", "b", "640 x 480 x 16 fps: 10.0"));
    auto t = make();
    EXPECT_EQ(t->loadRes("toomany.res"), -1);
}

TEST_F(ResDataTest, BaseDatabaseOfWholeRecords)
{
    std::filesystem::create_directory("data");
    writeFile("data/base.bin", image("base A", 640, 480, 16, 50.0f) + image("base B", 800, 600, 32, 70.0f) +
                                   image("base A", 1024, 768, 16, 40.0f) + std::string(100, 'q'));
    auto d = make();
    ASSERT_EQ(d->loadBin("data/base.bin"), 1);
    EXPECT_EQ(d->getNumRecords(), 3);
    EXPECT_NE(log.text().find("numRes 2\n base base A\n"), std::string::npos);
    EXPECT_EQ(d->numComputers(), 3);  // all, base A, base B

    // the base and a result file behind it
    writeFile("r.res", rec("PC one", "OPENGL    N.DETAIL  N.TEX", "640 x 480 x 16 fps: 90.0"));
    auto both = make();
    ASSERT_EQ(both->loadBinWithRes("r.res"), 1);
    EXPECT_EQ(both->getNumRecords(), 4);
    EXPECT_STREQ(both->record(3).computer, "PC one");

    // no base: the combined load fails instead of showing lists that were never built
    auto none = make();
    EXPECT_EQ(none->loadBin("nothere.bin"), -1);
    EXPECT_NE(log.text().find("resData::loadBin: error can't open nothere.bin\n"), std::string::npos);
    std::filesystem::remove("data/base.bin");
    auto noBase = make();
    EXPECT_EQ(noBase->loadBinWithRes("r.res"), -2);
    writeFile("short.bin", std::string(815, 'x'));
    EXPECT_EQ(noBase->loadBin("short.bin"), -1);

    // a database holding a rate that is no finite number at or above 0 is refused whole
    for (const float bad : {std::nanf(""), INFINITY, -INFINITY, -1.0f}) {
        writeFile("bad.bin", image("base A", 640, 480, 16, 50.0f) + image("base B", 640, 480, 16, bad));
        auto b = make();
        EXPECT_EQ(b->loadBin("bad.bin"), -1) << bad;
        EXPECT_EQ(b->getNumRecords(), 0);
        EXPECT_NE(log.text().find("resData::loadBin: error record 1 of bad.bin has no valid fps\n"),
                  std::string::npos);
    }
}

TEST_F(ResDataTest, ListsFilterAndSort)
{
    writeFile("s.res", rec("PC one", "N", "1600 x 600 x 16 fps: 30.0") + rec("pc one", "N", "1280 x 1024 x 16 fps: 20.0") +
                           rec("PC one", "H", "640 x 480 x 32 fps: 99.0") + rec("PC two", "N", "1280 x 1024 x 16 fps: 25.0") +
                           rec("PC two", "N", "640 x 480 x 16 fps: 30.0"));
    auto d = make();
    ASSERT_EQ(d->loadRes("s.res"), 1);
    // case decides: "PC one" and "pc one" are two computers
    ASSERT_EQ(d->numComputers(), 4);
    EXPECT_STREQ(d->computerEntry(0), "all");
    EXPECT_STREQ(d->computerEntry(1), "PC one");
    EXPECT_STREQ(d->computerEntry(2), "pc one");
    ASSERT_EQ(d->numBenchmarks(), 3);
    EXPECT_STREQ(d->benchmarkEntry(2), "H");
    ASSERT_EQ(d->numResolutions(), 5 + 4);
    EXPECT_STREQ(d->resolutionEntry(2), "all 16bit");
    EXPECT_STREQ(d->resolutionEntry(5), "1600x600x16");
    EXPECT_STREQ(d->resolutionEntry(8), "640x480x16");
    EXPECT_STREQ(d->sortEntry(2), "resolutions");

    // all 16bit keeps every record of depth 16
    d->setFilter(0, 0, 2, 0);
    EXPECT_EQ(d->getNumDisplay(), 4);
    d->setFilter(0, 1, 0, 0);
    EXPECT_EQ(d->getNumDisplay(), 2);
    d->setFilter(1, 3, 0, 0);
    EXPECT_EQ(d->getNumDisplay(), 2);
    // each exact entry keeps just its own records
    const std::pair<int, int> exactRes[] = {{5, 1}, {6, 2}, {7, 1}, {8, 1}};
    for (const auto& [entry, count] : exactRes) {
        d->setFilter(0, 0, entry, 0);
        ASSERT_EQ(d->getNumDisplay(), count) << d->resolutionEntry(entry);
        for (int i = 0; i < count; i++) {
            const resRecord& r = d->displayed(i);
            EXPECT_EQ(std::to_string(r.width) + "x" + std::to_string(r.height) + "x" + std::to_string(r.depth),
                      d->resolutionEntry(entry));
        }
    }
    d->setFilter(2, 0, 0, 0);
    ASSERT_EQ(d->getNumDisplay(), 1);
    EXPECT_EQ(d->displayed(0).fps, 99.0f);
    d->setFilter(1, 2, 6, 0);
    ASSERT_EQ(d->getNumDisplay(), 1);
    EXPECT_EQ(d->displayed(0).fps, 20.0f);

    // by resolution: 1280 x 1024 before 1600 x 600, equal keys in load order
    d->setFilter(0, 0, 0, 2);
    ASSERT_EQ(d->getNumDisplay(), 5);
    EXPECT_STREQ(d->displayed(0).computer, "pc one");
    EXPECT_STREQ(d->displayed(1).computer, "PC two");
    EXPECT_EQ(d->displayed(2).width, 1600);
    EXPECT_STREQ(d->displayed(3).computer, "PC one");
    EXPECT_EQ(d->displayed(4).fps, 30.0f);
    // by fps: the two records of 30.0 keep their load order
    d->setFilter(0, 0, 0, 1);
    EXPECT_EQ(d->displayed(0).fps, 99.0f);
    EXPECT_EQ(d->displayed(1).width, 1600);
    EXPECT_EQ(d->displayed(2).width, 640);
    EXPECT_EQ(d->displayed(4).fps, 20.0f);

    // the shared maximum is not lowered by a filter that hides the fastest
    EXPECT_EQ(maxFps, 99.0f);
    d->setFilter(1, 0, 0, 0);
    EXPECT_EQ(maxFps, 99.0f);
    // keys far outside any real result still get their place
    maxFps = 0.0f;
    writeFile("odd.res", rec("x", "N", "100000 x 100000 x 16 fps: 1e9") + rec("y", "N", "1 x 1 x 16 fps: 0.5"));
    auto o = make();
    ASSERT_EQ(o->loadRes("odd.res"), 1);
    o->setFilter(0, 0, 0, 1);
    EXPECT_EQ(o->getNumDisplay(), 2);
    EXPECT_STREQ(o->displayed(0).computer, "x");
    o->setFilter(0, 0, 0, 2);
    EXPECT_STREQ(o->displayed(1).computer, "y");
}

#ifdef KORVA_RESBASE
TEST_F(ResDataTest, BaseBuilderWritesAWholeDatabaseOrNone)
{
    const std::string tool = KORVA_RESBASE;
    auto run = [&](const std::string& args) { return std::system((tool + " " + args + " >/dev/null 2>&1").c_str()); };
    writeFile("good.res", rec("PC one", "OPENGL    N.DETAIL  N.TEX", "640 x 480 x 16 fps: 50.0") +
                              rec("PC two", "OPENGL    H.DETAIL  B.TEX", "800 x 600 x 32 fps: 20.0"));
    ASSERT_EQ(run("base.bin good.res"), 0);
    const std::string good = readFile("base.bin");
    auto d = make();
    ASSERT_EQ(d->loadBin("base.bin"), 1);
    EXPECT_EQ(d->getNumRecords(), 2);
    EXPECT_STREQ(d->record(1).computer, "PC two");

    // a broken input after a good one: the database stays as it was, no partial file beside it
    writeFile("broken.res", "[\nPC\nbench\n");
    EXPECT_NE(run("base.bin good.res broken.res"), 0);
    EXPECT_EQ(readFile("base.bin"), good);
    EXPECT_FALSE(std::filesystem::exists("base.bin.part"));
    EXPECT_NE(run("new.bin broken.res"), 0);
    EXPECT_FALSE(std::filesystem::exists("new.bin"));

    // no more than the viewer loads with a result file beside it, and not nothing
    std::string many;
    for (int i = 0; i < 1000; i++)
        many += rec("PC" + std::to_string(i % 7), "b", "640 x 480 x 16 fps: 10.0");
    writeFile("many.res", many);
    EXPECT_NE(run("base.bin many.res many.res"), 0);
    EXPECT_EQ(readFile("base.bin"), good);
    writeFile("none.res", "no records\n");
    EXPECT_NE(run("base.bin none.res"), 0);
    EXPECT_EQ(readFile("base.bin"), good);
    ASSERT_EQ(run("base.bin many.res"), 0);
    auto m = make();
    ASSERT_EQ(m->loadBin("base.bin"), 1);
    EXPECT_EQ(m->getNumRecords(), 1000);
}
#endif

TEST(ResText, EveryTextIsShownUtf8OrWindows1252)
{
    // valid UTF-8 stays as it is, up to the last code point
    EXPECT_EQ(displayText("Jyv\xc3\xa4skyl\xc3\xa4 PC \xe2\x82\xac"), "Jyv\xc3\xa4skyl\xc3\xa4 PC \xe2\x82\xac");
    EXPECT_EQ(displayText("\xf0\x9f\x9a\x80 \xf4\x8f\xbf\xbf"), "\xf0\x9f\x9a\x80 \xf4\x8f\xbf\xbf");
    // beyond it, no UTF-8
    EXPECT_EQ(displayText("\xf4\x90\x80\x80").substr(0, 2), "\xc3\xb4");
    EXPECT_EQ(displayText(""), "");
    // Latin-1 and the Windows code page: é, the euro sign, curly quotes
    EXPECT_EQ(displayText("caf\xe9"), "caf\xc3\xa9");
    EXPECT_EQ(displayText("\x80 \x93x\x94 \xff"), "\xe2\x82\xac \xe2\x80\x9cx\xe2\x80\x9d \xc3\xbf");
    // overlong forms and surrogates are no UTF-8
    EXPECT_EQ(displayText("\xc0\xaf"), "\xc3\x80\xc2\xaf");
    EXPECT_EQ(displayText("\xed\xa0\x80"), "\xc3\xad\xc2\xa0\xe2\x82\xac");
    // a sequence that the field's end cut short goes; the text before it stays
    const std::string full = std::string(157, 'a') + "\xc3\xa4";  // 159 bytes: a filled field
    EXPECT_EQ(displayText(full.c_str()), full);
    const std::string cut = std::string(158, 'a') + "\xe2";
    EXPECT_EQ(displayText(cut.c_str()), std::string(158, 'a'));
    const std::string cut2 = std::string(157, 'a') + "\xe2\x82";
    EXPECT_EQ(displayText(cut2.c_str()), std::string(157, 'a'));
    // a short text ending in such a byte was not cut: it is the code page's letter
    EXPECT_EQ(displayText("na\xe2"), "na\xc3\xa2");
}

TEST_F(ResDataTest, CarriageReturnsOfWindowsLinesAreDropped)
{
    std::string r = rec("Windows box", "OPENGL    N.DETAIL  N.TEX", "640 x 480 x 32 fps: 42.5");
    std::string crlf;
    for (const char c : r) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    writeFile("win.res", crlf + crlf);
    auto d = make();
    ASSERT_EQ(d->loadRes("win.res"), 1);
    ASSERT_EQ(d->getNumRecords(), 2);
    EXPECT_STREQ(d->record(0).computer, "Windows box");
    EXPECT_STREQ(d->record(0).autoInfo2, "VSync OFF  DDMSwich OFF");
    EXPECT_FLOAT_EQ(d->record(1).fps, 42.5f);
    // one entry in the computers list, not two
    EXPECT_EQ(d->numComputers(), 2);
    // a carriage return inside a text stays
    writeFile("mid.res", rec("a\rb", "b", "640 x 480 x 16 fps: 1.0"));
    auto m = make();
    ASSERT_EQ(m->loadRes("mid.res"), 1);
    EXPECT_STREQ(m->record(0).computer, "a\rb");
}

namespace {

// the command line's output and status
struct tableRun {
    int status;
    std::string out, err;
};

tableRun table(const std::vector<std::string>& args, const std::string& dir)
{
    std::vector<char*> argv;
    std::string prog = "resview";
    argv.push_back(prog.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy)
        argv.push_back(a.data());
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    tableRun r;
    r.status = runTableCommand(int(argv.size()), argv.data(), dir.c_str(), out, err);
    for (auto [f, s] : {std::pair{out, &r.out}, std::pair{err, &r.err}}) {
        std::rewind(f);
        char buf[4096];
        size_t n = 0;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            s->append(buf, n);
        std::fclose(f);
    }
    return r;
}

}  // namespace

TEST_F(ResDataTest, TheCommandLinePrintsWhatAViewWouldDraw)
{
    std::filesystem::create_directory("data");
    writeFile("data/base.bin", image("base A", 640, 480, 16, 50.0f) + image("caf\xe9 box", 800, 600, 32, 70.0f));
    writeFile("r.res", rec("PC, \"one\"", "OPENGL    N.DETAIL  N.TEX", "640 x 480 x 16 fps: 90.0") +
                           rec("Jyv\xc3\xa4skyl\xc3\xa4", "OPENGL    H.DETAIL  B.TEX", "1024 x 768 x 32 fps: 12.5"));
    const std::string here = dir.path.string();

    // no table option: the windows open
    EXPECT_EQ(table({"--base"}, here).status, -1);
    EXPECT_EQ(table({}, here).status, -1);

    // the database and the file, sorted by fps, aligned by characters, not bytes
    auto t = table({"--table", "--base", "r.res", "--sort", "fps"}, here);
    ASSERT_EQ(t.status, 0) << t.err;
    EXPECT_EQ(t.out, "COMPUTER   BENCHMARK                  RESOLUTION        FPS\n"
                     "PC, \"one\"  OPENGL    N.DETAIL  N.TEX  640x480x16      90.00\n"
                     "caf\xc3\xa9 box   OPENGL    N.DETAIL  N.TEX  800x600x32      70.00\n"
                     "base A     OPENGL    N.DETAIL  N.TEX  640x480x16      50.00\n"
                     "Jyv\xc3\xa4skyl\xc3\xa4  OPENGL    H.DETAIL  B.TEX  1024x768x32     12.50\n");

    // the panel's choices: a list entry by its text
    t = table({"--table", "--base", "r.res", "--resolution", "all 32bit", "--sort", "resolutions"}, here);
    ASSERT_EQ(t.status, 0) << t.err;
    EXPECT_EQ(std::count(t.out.begin(), t.out.end(), '\n'), 3);
    EXPECT_EQ(t.out.find("Jyv"), t.out.find('\n') + 1);
    t = table({"--table", "--base", "--computer", "caf\xc3\xa9 box"}, here);
    EXPECT_EQ(std::count(t.out.begin(), t.out.end(), '\n'), 2) << t.out << t.err;
    t = table({"--table", "r.res", "--benchmark", "OPENGL    H.DETAIL  B.TEX"}, here);
    EXPECT_EQ(std::count(t.out.begin(), t.out.end(), '\n'), 2);
    // an unknown entry lists the valid ones
    t = table({"--table", "r.res", "--computer", "nobody"}, here);
    EXPECT_EQ(t.status, 2);
    EXPECT_EQ(t.err, "resview: no computer \"nobody\"; the computers are:\n  all\n  PC, \"one\"\n  Jyv\xc3\xa4skyl\xc3\xa4\n");
    EXPECT_EQ(table({"--table", "r.res", "--sort", "speed"}, here).status, 2);
    EXPECT_EQ(table({"--table", "r.res", "--sort"}, here).status, 2);
    EXPECT_EQ(table({"--table", "r.res", "--colour"}, here).status, 2);
    EXPECT_EQ(table({"--table"}, here).status, 2);

    // CSV with every field, quoted as RFC 4180 says
    t = table({"--csv", "r.res"}, here);
    ASSERT_EQ(t.status, 0);
    // a record of bench.res leaves the columns of a bench.json line's summary, time and settings empty
    const std::string jsonColumns = ",frames,fps_1pct_low,fps_01pct_low,frame_ms_p50,frame_ms_p95,frame_ms_p99,"
                                    "frame_ms_max,cpu_user_ms_per_frame,cpu_system_ms_per_frame,cpu_others_share,"
                                    "cpu_steal_share,time,settings";
    EXPECT_EQ(t.out.substr(0, t.out.find("\r\n", 300) + 2),
              "computer,benchmark,user_info,auto_info1,auto_info2,width,height,depth,fps" + jsonColumns + "\r\n"
              "\"PC, \"\"one\"\"\",OPENGL    N.DETAIL  N.TEX,\"info of PC, \"\"one\"\"\","
              "KORVA_LIN 1.3  GLvendor:V  GLrenderer:R,VSync OFF  DDMSwich OFF,640,480,16,90.00" +
                  std::string(13, ',') + "\r\n");

    // JSON that a parser reads back whole
    t = table({"--json", "--base", "r.res"}, here);
    ASSERT_EQ(t.status, 0);
    const auto j = nlohmann::json::parse(t.out);
    ASSERT_EQ(j.size(), 4u);
    EXPECT_EQ(j[1]["computer"], "caf\xc3\xa9 box");
    EXPECT_EQ(j[2]["user_info"], "info of PC, \"one\"");
    EXPECT_EQ(j[3]["width"], 1024);
    EXPECT_EQ(j[3]["depth"], 32);
    EXPECT_EQ(j[3]["fps"], 12.5);
    EXPECT_EQ(j[3]["auto_info1"], "KORVA_LIN 1.3  GLvendor:V  GLrenderer:R");

    // the viewer's two failure messages, on standard error; the log with --verbose
    writeFile("bad.res", "[\nPC\n");
    t = table({"--table", "bad.res"}, here);
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(t.err, "corrupt .res file\n");
    t = table({"--table", "--base", "bad.res", "--verbose"}, here);
    EXPECT_EQ(t.status, 1);
    EXPECT_NE(t.err.find("numRes 1\n"), std::string::npos) << t.err;
    EXPECT_EQ(t.err.substr(t.err.size() - 18), "corrupt .res file\n");
    std::filesystem::remove("data/base.bin");
    t = table({"--table", "--base", "r.res"}, here);
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(t.err, "can't load data/base.bin baseresult file\n");
    EXPECT_EQ(table({"--table", "--base"}, here).err, "can't load data/base.bin baseresult file\n");
    EXPECT_EQ(t.out, "");

    // only regular files that hold a record; a missing one says so
    std::filesystem::create_directory("folder.res");
    std::vector<const char*> notFiles = {"folder.res"};
#ifndef _WIN32
    ASSERT_EQ(mkfifo("fifo.res", 0600), 0);
    notFiles.push_back("fifo.res");
#endif
    writeFile("empty.res", "");
    writeFile("noise.res", "a,b,c\n1,2,3\n");
    for (const char* f : notFiles) {
        t = table({"--table", f}, here);
        EXPECT_EQ(t.status, 1) << f;
        EXPECT_EQ(t.err, std::string("resview: ") + f + " is not a regular file\n");
    }
    for (const char* f : {"empty.res", "noise.res"}) {
        t = table({"--csv", f}, here);
        EXPECT_EQ(t.status, 1) << f;
        EXPECT_EQ(t.err, "corrupt .res file\n");
    }
    t = table({"--table", "missing.res"}, here);
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(t.err, "resview: can't read missing.res: No such file or directory\n");

    // every mode parses every option: a wrong one is one line and a pointer, before any window
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--bogus"}, {"--base", "--bogus"}, {"--open", "r.res", "-x"}, {"--open"}, {"--table", "--open", "r.res"}}) {
        t = table(args, here);
        EXPECT_EQ(t.status, 2) << args[0];
        EXPECT_EQ(std::count(t.err.begin(), t.err.end(), '\n'), 2) << t.err;
        EXPECT_NE(t.err.find("\nTry 'resview --help' for more information.\n"), std::string::npos) << t.err;
    }
    EXPECT_EQ(table({"-h"}, here).status, 0);
    EXPECT_EQ(table({"--open", "r.res"}, here).status, -1);

    // hostile texts: no live escape sequence on a terminal, no formula in a spreadsheet
    writeFile("evil.res", rec("=cmd|' /C calc'!A0", "-2+3", "640 x 480 x 16 fps: 30.0") +
                              rec("\x1b]0;title\x07@x\x7f\xc2\x9b", "N", "640 x 480 x 16 fps: 20.0"));
    t = table({"--table", "evil.res"}, here);
    ASSERT_EQ(t.status, 0);
    EXPECT_EQ(t.out.find_first_of("\x1b\x07\x7f"), std::string::npos) << t.out;
    EXPECT_EQ(t.out.find("\xc2\x9b"), std::string::npos);
    EXPECT_NE(t.out.find("\xef\xbf\xbd]0;title\xef\xbf\xbd@x\xef\xbf\xbd\xef\xbf\xbd"), std::string::npos) << t.out;
    t = table({"--csv", "evil.res"}, here);
    ASSERT_EQ(t.status, 0);
    EXPECT_NE(t.out.find("\r\n'=cmd|' /C calc'!A0,'-2+3,"), std::string::npos) << t.out;
    EXPECT_NE(t.out.find("\r\n\xef\xbf\xbd]0;title"), std::string::npos) << t.out;
    EXPECT_EQ(t.out.find_first_of("\x1b\x07\x7f"), std::string::npos);
}

namespace {

// a frame log as the benchmark writes it, from frame times in ms
std::string frameLog(const std::vector<float>& ms, const char* eol = "\n")
{
    std::string s = std::string("frame,since_first_ms,frame_ms,path_s,triangles,texture_kb") + eol;
    double t = 0.0;
    for (size_t i = 0; i < ms.size(); i++) {
        t += ms[i];
        char row[128];
        std::snprintf(row, sizeof row, "%zu,%.3f,%.3f,%.3f,100,64.0%s", i + 1, t, double(ms[i]), t / 250.0, eol);
        s += row;
    }
    return s;
}

}  // namespace

TEST_F(ResDataTest, FrameLogsReadWithTheSummarysArithmeticOrSayWhereTheyBreak)
{
    // ten frames of 1 to 10 ms, out of order, with Windows line ends
    const std::vector<float> ms = {4, 9, 1, 7, 10, 2, 6, 3, 8, 5};
    writeFile("ten.csv", frameLog(ms, "\r\n"));
    frameFile log;
    std::string why;
    ASSERT_TRUE(log.load("ten.csv", &why)) << why;
    EXPECT_EQ(log.name(), "ten.csv");
    ASSERT_EQ(log.frames(), 10);
    EXPECT_DOUBLE_EQ(log.endSeconds(9), 0.055);
    EXPECT_FLOAT_EQ(log.frameMs(1), 9.0f);
    // the lows and percentiles are the summary line's own
    std::vector<float> room(10);
    const frameStats3D s = frameStatsOf3D(ms.data(), 10, room.data());
    EXPECT_EQ(log.stats().frames, 10);
    EXPECT_DOUBLE_EQ(log.stats().avgFps, s.avgFps);
    EXPECT_DOUBLE_EQ(log.stats().low1Fps, 100.0);
    EXPECT_DOUBLE_EQ(log.stats().p95Ms, s.p95Ms);
    // nearest rank by hand: the smallest time with at least p % of the ten at or below it
    const std::pair<double, double> byHand[] = {{0, 1}, {10, 1}, {10.5, 2}, {50, 5}, {90, 9}, {90.1, 10}, {99.9, 10}};
    for (const auto& [p, want] : byHand)
        EXPECT_DOUBLE_EQ(log.atPercentile(p), want) << p;
    // the lower panel's scale: 90, 99 and 99.9 a third of its width apart
    EXPECT_DOUBLE_EQ(percentileAtFraction(0.0), 0.0);
    EXPECT_NEAR(percentileAtFraction(1.0 / 3.0), 90.0, 1e-9);
    EXPECT_NEAR(percentileAtFraction(2.0 / 3.0), 99.0, 1e-9);
    EXPECT_NEAR(percentileAtFraction(1.0), 99.9, 1e-9);
    EXPECT_NEAR(fractionOfPercentile(99.0), 2.0 / 3.0, 1e-9);

    // what is no frame log: one line naming the file and the row; the log read before stays
    std::string junk = "frame,since_first_ms,frame_ms\n";
    for (int i = 0; i < 1000000; i++)
        junk += "x,y\n";
    const std::pair<std::string, std::string> bad[] = {
        {"", "empty.csv: empty"},
        {"a,b,c\n1,2,3\n", "header.csv: row 1: no frame_ms and since_first_ms"},
        {"frame,frame_ms\n1,2\n", "columns.csv: row 1: no frame_ms and since_first_ms"},
        {"frame,since_first_ms,frame_ms\n", "rows.csv: a header and no frames"},
        {"frame,since_first_ms,frame_ms\n1,5,5\n\n2,3,-2\n", "negative.csv: row 4: a negative time"},
        {"frame,since_first_ms,frame_ms\n1,5,nan\n", "nan.csv: row 2: since_first_ms and frame_ms must be finite"},
        {"frame,since_first_ms,frame_ms\n1,inf,5\n", "inf.csv: row 2: since_first_ms and frame_ms must be finite"},
        {"frame,since_first_ms,frame_ms\n1,5,5\n2,4,5\n", "back.csv: row 3: since_first_ms goes back in time"},
        {"frame,since_first_ms,frame_ms\n1,5,5,7\n", "fields.csv: row 2: 4 fields where the header names 3"},
        {"frame,since_first_ms,frame_ms\n1,5," + std::string(2000, '5') + "\n", "long.csv: row 2: a line of more"},
        {junk, "junk.csv: row 2: 2 fields where the header names 3"},
    };
    for (const auto& [text, want] : bad) {
        const std::string name = want.substr(0, want.find(':'));
        writeFile(name, text);
        EXPECT_FALSE(log.load(name, &why)) << name;
        EXPECT_EQ(why.find(want), 0u) << why;
        EXPECT_EQ(why.find('\n'), std::string::npos) << why;
    }
    EXPECT_EQ(log.frames(), 10);
    EXPECT_EQ(log.name(), "ten.csv");
    EXPECT_FALSE(log.load(".", &why));
    EXPECT_EQ(why, ".: not a regular file");
    EXPECT_FALSE(log.load("none.csv", &why));
    EXPECT_EQ(why.find("none.csv: can't read it"), 0u) << why;
}

TEST_F(ResDataTest, FramesCommandDrawsBothLogsIntoAPngOfTheAskedSize)
{
    const std::string here = dir.path.string();
    // frame times that alternate, so that each curve over the run is a band
    // of its own, far wider than the average's and p99's thin lines
    std::vector<float> fast(400), slow(300);
    for (size_t i = 0; i < fast.size(); i++)
        fast[i] = i % 2 ? 5.0f : 3.0f;
    for (size_t i = 0; i < slow.size(); i++)
        slow[i] = i % 2 ? 13.0f : 11.0f;
    fast[100] = 30.0f;
    writeFile("fast.csv", frameLog(fast));
    writeFile("slow.csv", frameLog(slow));
    writeFile("bad.csv", "frame,since_first_ms,frame_ms\n1,2,oops\n");

    // the picture's items: each log's curve over the run and by percentile, and its legend row
    frameFile a, b;
    std::string why;
    ASSERT_TRUE(a.load("fast.csv", &why) && b.load("slow.csv", &why));
    const plotPicture pic = framePicture({&a, &b}, 640, 480);
    EXPECT_EQ(pic.width, 640);
    EXPECT_EQ(pic.height, 480);
    int legend = 0;
    std::vector<std::vector<float>> panels;
    for (const plotItem& i : pic.items) {
        legend += i.kind == plotItem::label && i.text.rfind("slow.csv  frames: 300  avg 83.3 fps", 0) == 0;
        if (i.kind == plotItem::rectangle && !i.filled)
            panels.push_back(i.xy);
    }
    EXPECT_EQ(legend, 1);
    ASSERT_EQ(panels.size(), 2u);
    // the percentile axis names its marks, left to right, below the lower panel
    std::vector<std::string> marks;
    for (const plotItem& i : pic.items)
        if (i.kind == plotItem::label && i.xy[1] > panels[1][1] + panels[1][3] &&
            i.xy[1] < panels[1][1] + panels[1][3] + 20.0f)
            marks.push_back(i.text);
    EXPECT_EQ(marks, (std::vector<std::string>{"0", "50", "90", "95", "99", "99.5", "99.9"}));
    // a log of zero times has no rate to show
    writeFile("zero.csv", frameLog(std::vector<float>(10, 0.0f)));
    frameFile z;
    ASSERT_TRUE(z.load("zero.csv", &why)) << why;
    legend = 0;
    for (const plotItem& i : framePicture({&z}, 640, 480).items)
        legend += i.kind == plotItem::label && i.text == "zero.csv  frames: 10  its frame times are all zero";
    EXPECT_EQ(legend, 1);

    auto t = table({"--frames", "fast.csv", "slow.csv", "--png", "two.png", "--size", "640x480"}, here);
    EXPECT_EQ(t.status, framePngWriter != nullptr ? 0 : 1) << t.err;
    // a size of five digits a side, leading zeros and all
    EXPECT_EQ(table({"--frames", "fast.csv", "--png", "five.png", "--size", "00640x00480"}, here).status,
              framePngWriter != nullptr ? 0 : 1);
#ifndef _WIN32
    EXPECT_EQ(t.out, "two.png: 2 of 2 frame logs drawn, 640x480\n");
    frameImage png;
    ASSERT_TRUE(png.readPng("two.png", &why)) << why;
    ASSERT_EQ(png.width, 640);
    ASSERT_EQ(png.height, 480);
    // both colours in both panels
    int seen[2][2] = {};
    for (int panel = 0; panel < 2; panel++) {
        const std::vector<float>& r = panels[size_t(panel)];
        for (int y = int(r[1]); y < int(r[1] + r[3]); y++)
            for (int x = int(r[0]); x < int(r[0] + r[2]); x++) {
                const unsigned char* p = &png.rgb[size_t(y * png.width + x) * 3];
                for (int k = 0; k < 2; k++) {
                    const plotColour c = frameLogColour(k);
                    seen[k][panel] += p[0] == c.r && p[1] == c.g && p[2] == c.b;
                }
            }
    }
    for (int k = 0; k < 2; k++) {
        EXPECT_GT(seen[k][0], 600) << "log " << k << " over the run";
        EXPECT_GT(seen[k][1], 300) << "log " << k << " by percentile";
    }

    // a log that is no frame log: one line, the others drawn, status 1
    t = table({"--frames", "fast.csv", "bad.csv", "--png", "one.png"}, here);
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(t.err, "resview: bad.csv: row 2: since_first_ms and frame_ms must be finite numbers: \"1,2,oops\"\n");
    EXPECT_EQ(t.out, "one.png: 1 of 2 frame logs drawn, 1000x700\n");
    // none to draw, or nowhere to write: no picture and no part of one
    t = table({"--frames", "bad.csv", "--png", "none.png"}, here);
    EXPECT_EQ(t.status, 1);
    EXPECT_FALSE(std::filesystem::exists("none.png"));
    t = table({"--frames", "fast.csv", "--png", "no/such/folder.png"}, here);
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(t.err, "resview: can't write no/such/folder.png: No such file or directory\n");

    // what the picture never replaces: results, by name or link, its own
    // logs, a FIFO, a folder, a file that is no PNG (through a link too)
    writeFile("bench.json", "{\"fps\":1}\n");
    writeFile("victim.txt", "keep me\n");
    std::filesystem::create_directory("folder");
    std::filesystem::create_symlink("bench.json", "results.png");
    std::filesystem::create_symlink("victim.txt", "linked.png");
    ASSERT_EQ(mkfifo("fifo.png", 0600), 0);
    const std::pair<const char*, const char*> refused[] = {
        {"bench.json", "it is a result file"},           {"results.png", "it is a result file"},
        {"slow.csv", "it is one of the files it reads"}, {"fifo.png", "it is not a regular file"},
        {"folder", "it is not a regular file"},          {"linked.png", "it is not a PNG picture"}};
    for (const auto& [target, why] : refused) {
        t = table({"--frames", "fast.csv", "slow.csv", "--png", target}, here);
        EXPECT_EQ(t.status, 2) << target;
        EXPECT_EQ(t.err, std::string("resview: won't write ") + target + ": " + why + "\n");
    }
    EXPECT_EQ(readFile("bench.json"), "{\"fps\":1}\n");
    EXPECT_EQ(readFile("victim.txt"), "keep me\n");
    EXPECT_EQ(readFile("slow.csv"), frameLog(slow));
    EXPECT_TRUE(std::filesystem::is_fifo("fifo.png"));
    // a temporary planted under this writer's name is never opened; a dead writer's goes
    const std::string planted = "out.png." + std::to_string(getpid()) + ".tmp";
    std::filesystem::create_symlink("victim.txt", planted);
    writeFile("out.png.999999999.tmp", "a dead writer's part");
    t = table({"--frames", "fast.csv", "--png", "out.png"}, here);
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(t.err, "resview: can't write out.png: File exists\n");
    EXPECT_EQ(readFile("victim.txt"), "keep me\n");
    EXPECT_FALSE(std::filesystem::exists("out.png.999999999.tmp"));
    std::filesystem::remove(planted);
    // a picture replaces a picture, and an empty file
    writeFile("empty.png", "");
    EXPECT_EQ(table({"--frames", "fast.csv", "--png", "empty.png"}, here).status, 0);
    EXPECT_EQ(table({"--frames", "fast.csv", "--png", "empty.png"}, here).status, 0);
    EXPECT_TRUE(png.readPng("empty.png", &why)) << why;
#endif
    // wrong command lines
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--frames"}, {"--frames", "a.csv", "--size", "640x480"},
          {"--frames", "a.csv", "--png", "x.png", "--size", "100x100"},
          {"--frames", "a.csv", "--png", "x.png", "--size", "640x"}, {"--png", "x.png", "a.csv"},
          {"--frames", "a.csv", "--table"}}) {
        t = table(args, here);
        EXPECT_EQ(t.status, 2) << args.back();
        EXPECT_NE(t.err.find("Try 'resview --help'"), std::string::npos) << t.err;
    }
    // the window, when no picture is asked for
    EXPECT_EQ(table({"--frames", "fast.csv", "slow.csv"}, here).status, -1);
}

namespace {

// p-values of scipy's mannwhitneyu (two-sided, its automatic method) for pairs of samples, one a line
std::vector<double> scipyPValues(const std::vector<std::pair<std::vector<double>, std::vector<double>>>& pairs,
                                 const char* method = "auto")
{
    std::string script = "from scipy.stats import mannwhitneyu\n";
    for (const auto& [a, b] : pairs) {
        auto list = [](const std::vector<double>& v) {
            std::string s = "[";
            for (const double x : v)
                s += std::to_string(x) + ",";
            return s + "]";
        };
        script += "print(repr(mannwhitneyu(" + list(a) + ", " + list(b) + ", alternative='two-sided', method='" + method + "').pvalue))\n";
    }
    writeFile("mwu.py", script);
    std::vector<double> p;
    if (FILE* f = popen("/usr/bin/python3 mwu.py 2>/dev/null", "r")) {
        double v = 0.0;
        while (std::fscanf(f, "%lf", &v) == 1)
            p.push_back(v);
        pclose(f);
    }
    return p;
}

}  // namespace

TEST_F(ResDataTest, CompareGivesMediansIntervalsAndMannWhitneyPValues)
{
    // by hand: 3 against 3 fully apart is 2 orders of 20; 5 against 5, 2 of 252
    EXPECT_DOUBLE_EQ(mannWhitneyP({1, 2, 3}, {4, 5, 6}), 0.1);
    EXPECT_DOUBLE_EQ(smallestMannWhitneyP(3, 3), 0.1);
    EXPECT_NEAR(mannWhitneyP({10, 11, 12, 13, 14}, {1, 2, 3, 4, 5}), 2.0 / 252.0, 1e-12);
    EXPECT_NEAR(smallestMannWhitneyP(5, 5), 2.0 / 252.0, 1e-12);
    EXPECT_DOUBLE_EQ(mannWhitneyP({1, 4}, {2, 3}), 1.0);
    EXPECT_DOUBLE_EQ(medianOf({3, 1, 2}), 2.0);
    EXPECT_DOUBLE_EQ(medianOf({4, 1, 3, 2}), 2.5);
    double lo = 0.0, hi = 0.0;
    EXPECT_FALSE(medianInterval95({1, 2, 3, 4, 5}, &lo, &hi));
    ASSERT_TRUE(medianInterval95({6, 1, 5, 2, 4, 3}, &lo, &hi));
    EXPECT_EQ(lo, 1.0);
    EXPECT_EQ(hi, 6.0);
    // ten values: P(X <= 1) = 11/1024 stays within 2.5 %, P(X <= 2) = 56/1024 does not
    ASSERT_TRUE(medianInterval95({10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, &lo, &hi));
    EXPECT_EQ(lo, 2.0);
    EXPECT_EQ(hi, 9.0);

    // against scipy: exact, exact with one small side, ties, and large samples
    const std::vector<std::pair<std::vector<double>, std::vector<double>>> pairs = {
        {{62.9, 62.5, 61.7, 62.4, 64.0}, {59.2, 59.5, 60.0, 61.6, 59.5}},
        {{62.9, 62.5, 61.7, 62.4, 64.0}, {59.2, 59.6, 60.0, 61.6, 59.5}},
        {{3.1, 2.2, 5.3}, {1.0, 4.4, 2.5, 6.1, 0.7, 3.3, 9.2, 8.8, 7.7, 1.9, 2.8, 4.9}},
        {{1, 2, 2, 3, 3, 3}, {2, 3, 4, 4, 5}},
        {{1, 3, 5, 7, 9, 11, 13, 15, 17, 19}, {2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22}},
    };
    const std::vector<double> reference = scipyPValues(pairs);
    if (reference.empty())
        GTEST_SKIP() << "no scipy in /usr/bin/python3 (Debian's python3-scipy) to take reference values from";
    ASSERT_EQ(reference.size(), pairs.size());
    for (size_t i = 0; i < pairs.size(); i++)
        EXPECT_NEAR(mannWhitneyP(pairs[i].first, pairs[i].second), reference[i], 1e-9) << "pair " << i;

    // 8 runs against a thousand: the normal approximation, not the exact
    // distribution, whose cost grows as the square of their product
    std::vector<double> many;
    for (int i = 0; i < 1000; i++)
        many.push_back(50.0 + i * 0.01);
    const std::vector<double> eight = {52.055, 54.115, 55.505, 56.255, 57.305, 58.025, 58.905, 59.455};
    const std::vector<double> approx = scipyPValues({{eight, many}}, "asymptotic");
    ASSERT_EQ(approx.size(), 1U);
    EXPECT_NEAR(mannWhitneyP(eight, many), approx[0], 1e-9);
}

// a bench.json line of a 4:3 resolution, with every text the readers want
std::string jsonResult(const std::string& benchmark, int width, const std::string& depth, const std::string& fps,
                       const std::string& more = "", const std::string& computer = "PC")
{
    return "{\"computer\":" + nlohmann::json(computer).dump() + ",\"benchmark\":" + nlohmann::json(benchmark).dump() +
           ",\"user_info\":\"\",\"auto_info1\":\"\",\"auto_info2\":\"\",\"width\":" + std::to_string(width) +
           ",\"height\":" + std::to_string(width / 4 * 3) + ",\"depth\":" + depth + ",\"fps\":" + fps + more + "}\n";
}

TEST_F(ResDataTest, CompareReadsResultsAsTheTableDoesAndPrintsThemSafely)
{
    const std::string here = dir.path.string();
    // texts that would retitle and clear a terminal, or run in a spreadsheet
    const std::string escapes = "\x1b]0;PWNED\x07\x1b[2J\x1b[31mOPENGL    N.DETAIL  N.TEX";
    const std::string formula = "=HYPERLINK(\"http://x\",\"y\")";
    std::string a, b;
    for (int i = 0; i < 6; i++) {
        a += jsonResult(escapes, 640, "16", std::to_string(60 + i)) + jsonResult(formula, 640, "16", "50");
        b += jsonResult(escapes, 640, "16", std::to_string(70 + i)) + jsonResult(formula, 640, "16", "51");
    }
    writeFile("a.json", a);
    writeFile("b.json", b);
    for (const char* format : {"--text", "--csv", "--json"}) {
        const std::string f = format;
        const auto t = f == "--text" ? table({"--compare", "a.json", "b.json"}, here)
                                     : table({"--compare", "a.json", "b.json", f}, here);
        ASSERT_EQ(t.status, 0) << t.err;
        EXPECT_EQ(t.out.find_first_of("\x1b\x07"), std::string::npos) << format;
        if (f == "--csv") {
            EXPECT_NE(t.out.find("\r\n\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\",640x480x16,"), std::string::npos) << t.out;
        }
    }
    // the computers' names in a message
    writeFile("pool.json", jsonResult("X", 640, "16", "1", "", "box \x1b[2J one") +
                               jsonResult("X", 640, "16", "1", "", "box \x1b[2J two"));
    auto t = table({"--compare", "box", "a.json", "pool.json"}, here);
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(t.err.find('\x1b'), std::string::npos) << t.err;

    // rates the table refuses are refused here too, and counted: negative,
    // beyond a float, a key given twice; a width beyond 32 bits joins no real class
    std::string odd;
    for (int i = 0; i < 6; i++)
        odd += jsonResult("OPENGL    N.DETAIL  N.TEX", 640, "16", std::to_string(-100 - i));
    odd += jsonResult("OPENGL    N.DETAIL  N.TEX", 640, "16", "1.7e308");
    odd += jsonResult("OPENGL    N.DETAIL  N.TEX", 640, "16", "100", ",\"fps\":-5");
    odd += jsonResult("OPENGL    N.DETAIL  N.TEX", 640, "16", "-5", ",\"fps\":100");
    // twice in one object with another object between
    odd += jsonResult("OPENGL    N.DETAIL  N.TEX", 640, "16", "-5", ",\"summary\":{\"frames\":1},\"fps\":100");
    writeFile("odd.json", odd);
    // a key of an inner object may be a key of the outer one
    writeFile("rates.json", "{\"summary\":{\"fps\":1}," + jsonResult("OPENGL    N.DETAIL  N.TEX", 640, "16", "50").substr(1));
    t = table({"--compare", "odd.json", "rates.json"}, here);
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(t.err, "resview: odd.json: left out 10 unreadable lines (1, 2, 3, 4, 5, ...)\nresview: odd.json: no result in it\n");
    EXPECT_NE(table({"--table", "odd.json"}, here).err.find("odd.json: left out 10 unreadable lines (1, 2, 3, 4, 5, ...)"), std::string::npos)
        << "the table and the comparison read one file alike";
    EXPECT_EQ(table({"--table", "rates.json"}, here).status, 0);
    writeFile("wide.json", std::string("{\"computer\":\"PC\",\"benchmark\":\"B\",\"user_info\":\"\",\"auto_info1\":\"\",") +
                               "\"auto_info2\":\"\",\"width\":4294967456,\"height\":120,\"depth\":16,\"fps\":9}\n");
    writeFile("narrow.json", std::string("{\"computer\":\"PC\",\"benchmark\":\"B\",\"user_info\":\"\",\"auto_info1\":\"\",") +
                                 "\"auto_info2\":\"\",\"width\":160,\"height\":120,\"depth\":16,\"fps\":9}\n");
    EXPECT_EQ(table({"--compare", "wide.json", "narrow.json"}, here).status, 1);

    // more results than a view holds: said so, not "corrupt"; the comparison
    // reads a bench.json of any length
    std::string big, bigRes;
    for (int i = 0; i < 1500; i++) {
        big += jsonResult("B", 160, "16", "9");
        bigRes += rec("PC", "B", "160 x 120 x 16 fps: 9.0");
    }
    writeFile("big.json", big);
    writeFile("big.res", bigRes);
    const auto tooMany = [](const char* f) {
        return std::string("resview: ") + f + ": more than 1499 results; a table or view holds at most that many\n";
    };
    EXPECT_EQ(table({"--table", "big.json"}, here).err, tooMany("big.json"));
    EXPECT_EQ(table({"--compare", "big.res", "narrow.json"}, here).err, tooMany("big.res"));
    EXPECT_EQ(table({"--compare", "big.json", "narrow.json"}, here).status, 0);

    // a byte-order mark before the first line: still a bench.json to the table and the comparison
    writeFile("bom.json", "\xef\xbb\xbf" + jsonResult("B", 160, "16", "9"));
    t = table({"--table", "bom.json"}, here);
    EXPECT_EQ(t.status, 0) << t.err;
    EXPECT_EQ(lines(t.out), 2) << t.out;
    EXPECT_EQ(table({"--compare", "bom.json", "narrow.json"}, here).status, 0);

    // a blank line is nothing to the check and to every reader alike
    std::filesystem::create_directory("blank");
    writeFile("blank/bench.json", jsonResult("B", 160, "16", "9") + "\n \t\r\n" + jsonResult("B", 160, "16", "8"));
    resCheck c;
    ASSERT_TRUE(checkResults("blank", &c));
    EXPECT_EQ(c.broken, 0);
    t = table({"--table", "blank/bench.json"}, here);
    EXPECT_EQ(t.status, 0);
    EXPECT_EQ(t.err, "");
}

TEST_F(ResDataTest, CompareTwoResultFilesClassByClass)
{
    const std::string here = dir.path.string();
    // A: bench.json lines, one of them unsteady; B: bench.res records
    std::string a;
    for (const double f : {60.0, 61.0, 62.0, 63.0, 64.0, 65.0})
        a += jsonResult("OPENGL    N.DETAIL  N.TEX", 640, "16", std::to_string(f),
                        std::string(",\"summary\":{\"cpu_others_share\":") + (f == 65.0 ? "0.2" : "0.0") + "}");
    a += jsonResult("OPENGL    H.DETAIL  N.TEX", 640, "16", "30.0");
    writeFile("a.json", a);
    std::string b;
    for (const char* f : {"70.0", "71.0", "72.0", "73.0", "74.0", "75.0"})
        b += rec("PC", "OPENGL    N.DETAIL  N.TEX", std::string("640 x 480 x 16 fps: ") + f);
    b += rec("PC", "OPENGL    H.DETAIL  N.TEX", "640 x 480 x 16 fps: 31.0");
    b += rec("PC", "OPENGL    H.DETAIL  N.TEX", "800 x 600 x 16 fps: 20.0");
    writeFile("b.res", b);

    auto t = table({"--compare", "a.json", "b.res"}, here);
    ASSERT_EQ(t.status, 0) << t.err;
    // the high-detail class: one run a side, no change can be told; the 800x600 runs are B's alone
    EXPECT_NE(t.out.find("OPENGL    H.DETAIL  N.TEX  640x480x16  1       30.00     too few runs    1       31.00     too few runs    ~         p=1.000 (too few)\n"),
              std::string::npos) << t.out;
    EXPECT_EQ(t.out.find("800x600"), std::string::npos);
    // normal detail: every B above every A, p = 2 / C(12, 6); A's unsteady run marked
    EXPECT_NE(t.out.find("6       62.50 !   60.00 to 65.00  6       72.50     70.00 to 75.00  +16.00 %  p=0.002\n"),
              std::string::npos) << t.out;
    EXPECT_NE(t.out.find("\n!: a run of that side warned"), std::string::npos);
    EXPECT_NE(t.out.find("\ntoo few: "), std::string::npos);

    t = table({"--compare", "a.json", "b.res", "--json"}, here);
    ASSERT_EQ(t.status, 0);
    const auto j = nlohmann::json::parse(t.out);
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(j[1]["a"]["runs"], 6);
    EXPECT_EQ(j[1]["a"]["unsteady"], true);
    EXPECT_EQ(j[1]["b"]["ci95_fps"][1], 75.0);
    EXPECT_NEAR(j[1]["p"].get<double>(), 2.0 / 924.0, 1e-12);
    EXPECT_EQ(j[1]["significant"], true);
    EXPECT_EQ(j[0]["too_few_runs"], true);
    t = table({"--compare", "a.json", "b.res", "--csv"}, here);
    EXPECT_EQ(t.out.substr(0, t.out.find('\n')),
              "benchmark,resolution,a_runs,a_median_fps,a_ci95,b_runs,b_median_fps,b_ci95,change,p\r");

    // sides named by their computers, picked from the files that follow
    std::string pool;
    for (const char* f : {"40.0", "41.0", "42.0"})
        pool += rec("Box A", "OPENGL    N.DETAIL  N.TEX", std::string("640 x 480 x 16 fps: ") + f) +
                rec("Box B", "OPENGL    N.DETAIL  N.TEX", std::string("640 x 480 x 16 fps: ") + f);
    writeFile("pool.res", pool);
    t = table({"--compare", "box a", "Box B", "pool.res", "--json"}, here);
    ASSERT_EQ(t.status, 0) << t.err;
    EXPECT_EQ(nlohmann::json::parse(t.out)[0]["p"], 1.0);
    t = table({"--compare", "box", "Box B", "pool.res"}, here);
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(t.err, "resview: \"box\" fits 2 computers: \"Box A\", \"Box B\"\n");
    t = table({"--compare", "Box C", "Box B", "pool.res"}, here);
    EXPECT_EQ(t.err, "resview: no file and no computer \"Box C\" in the results\n");
    // with no file beside the two sides, a side is a file and nothing else
    t = table({"--compare", "Box A", "pool.res"}, here);
    EXPECT_EQ(t.err, "resview: Box A: can't read it\n");
    // a machine of the base database against one of a file
    std::filesystem::create_directory("data");
    writeFile("data/base.bin", image("base A", 640, 480, 16, 60.0f) + image("base A", 640, 480, 16, 62.0f));
    t = table({"--compare", "base a", "Box B", "pool.res", "--base", "--json"}, here);
    ASSERT_EQ(t.status, 0) << t.err;
    EXPECT_EQ(nlohmann::json::parse(t.out)[0]["a"]["runs"], 2);
    EXPECT_EQ(nlohmann::json::parse(t.out)[0]["a"]["median_fps"], 61.0);

    // what can't be compared
    writeFile("other.res", rec("PC", "OPENGL    N.DETAIL  B.TEX", "640 x 480 x 16 fps: 50.0"));
    EXPECT_EQ(table({"--compare", "a.json", "other.res"}, here).status, 1);
    writeFile("bad.json", "{\"fps\":1}\n");
    t = table({"--compare", "bad.json", "b.res"}, here);
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(t.err, "resview: bad.json: left out 1 unreadable line (1)\nresview: bad.json: no result in it\n");
    EXPECT_EQ(table({"--compare", "a.json"}, here).status, 2);
    EXPECT_EQ(table({"--compare", "a.json", "b.res", "missing.res"}, here).status, 1);
    EXPECT_EQ(table({"--compare", "a.json", "b.res", "--sort"}, here).status, 2);
    EXPECT_EQ(table({"--compare", "a.json", "none.res"}, here).status, 1);
}

TEST_F(ResDataTest, SeveralFilesAndBenchJsonInOneTable)
{
    const std::string here = dir.path.string();
    const std::string line = "{\"computer\":\"json box\",\"benchmark\":\"OPENGL    H.DETAIL  N.TEX\",\"user_info\":\"u\","
                             "\"auto_info1\":\"a1\",\"auto_info2\":\"a2\",\"width\":320,\"height\":240,\"depth\":16,"
                             "\"fps\":55.5,\"time\":\"2026-12-10T01:00:00Z\",\"summary\":{\"frames\":2400,"
                             "\"fps_1pct_low\":30.25},\"settings\":{\"fog\":1}}\n";
    writeFile("bench.json", line + "\n" + line);
    writeFile("r.res", rec("res box", "OPENGL    N.DETAIL  N.TEX", "640 x 480 x 16 fps: 90.0"));

    // the view windows' reader takes bench.json as it takes bench.res
    auto d = make();
    ASSERT_EQ(d->loadRes("bench.json"), 1);
    ASSERT_EQ(d->getNumRecords(), 2);
    EXPECT_STREQ(d->record(1).computer, "json box");
    EXPECT_EQ(d->record(1).fps, 55.5f);
    EXPECT_EQ(d->jsonOf(1), line.substr(0, line.size() - 1));
    ASSERT_EQ(d->addRes("r.res"), 1);
    EXPECT_EQ(d->getNumRecords(), 3);
    EXPECT_TRUE(d->jsonOf(2).empty());
    EXPECT_EQ(d->numComputers(), 3);

    // both files in one table; a JSON result's summary, time and settings in the CSV and JSON
    auto t = table({"--csv", "bench.json", "r.res", "--sort", "fps"}, here);
    ASSERT_EQ(t.status, 0) << t.err;
    EXPECT_NE(t.out.find("\r\nres box,"), std::string::npos);
    EXPECT_NE(t.out.find(",320,240,16,55.50,2400,30.25,,,,,,,,,,2026-12-10T01:00:00Z,\"{\"\"fog\"\":1}\"\r\n"),
              std::string::npos) << t.out;
    t = table({"--json", "r.res", "bench.json"}, here);
    ASSERT_EQ(t.status, 0) << t.err;
    const auto j = nlohmann::json::parse(t.out);
    ASSERT_EQ(j.size(), 3u);
    EXPECT_FALSE(j[0].contains("summary"));
    EXPECT_EQ(j[1]["summary"]["frames"], 2400);
    EXPECT_EQ(j[1]["settings"]["fog"], 1);
    EXPECT_EQ(j[1]["time"], "2026-12-10T01:00:00Z");

    // a line that is no result is skipped and said; the rest is read
    writeFile("broken.json", line + "{\"computer\":1}\n" + line.substr(0, 40));
    t = table({"--table", "r.res", "broken.json"}, here);
    EXPECT_EQ(t.status, 0);
    EXPECT_EQ(t.err, "resview: broken.json: left out 2 unreadable lines (2, 3)\n");
    EXPECT_EQ(lines(t.out), 3);

    // a run on a test's fast clock is no measurement: left out of every reader, and said
    const std::string fast = "[\nPC\nOPENGL    N.DETAIL  N.TEX\ninfo\nKORVA_LIN 1.3  GLvendor:V  GLrenderer:R\n"
                             "VSync OFF  DDMSwich OFF  TEST CLOCK x8\n200 x 150 x 16 fps: 17.8\n]\n\n";
    writeFile("fast.res", rec("real", "OPENGL    N.DETAIL  N.TEX", "200 x 150 x 16 fps: 200.1") + fast);
    writeFile("fast.json", line + line.substr(0, line.size() - 2) + ",\"clock_rate\":8}\n");
    t = table({"--csv", "fast.res", "fast.json"}, here);
    ASSERT_EQ(t.status, 0) << t.err;
    EXPECT_EQ(t.err, "resview: fast.res: left out 1 result of a test's fast clock (no measurement)\n"
                     "resview: fast.json: left out 1 result of a test's fast clock (no measurement)\n");
    EXPECT_EQ(t.out.find("17.8"), std::string::npos);
    EXPECT_EQ(lines(t.out), 3);
    t = table({"--compare", "fast.res", "fast.json"}, here);
    EXPECT_NE(t.err.find("fast.json: left out 1 result of a test's fast clock"), std::string::npos) << t.err;
    EXPECT_EQ(t.out.find("17.8"), std::string::npos);
}

TEST_F(ResDataTest, FiltersTakeWhatAPersonTypes)
{
    const std::string here = dir.path.string();
    writeFile("r.res", rec("Box One", "OPENGL    N.DETAIL  N.TEX", "640 x 480 x 16 fps: 90.0") +
                           rec("Box Two", "OPENGL    H.DETAIL  N.TEX", "640 x 480 x 16 fps: 40.0") +
                           rec("Box Two", "OPENGL    H.DETAIL  B.TEX", "800 x 600 x 32 fps: 30.0"));
    // any case, any spacing, a class's name, as long as one entry fits
    for (const char* typed : {"normal", "N.DETAIL", "opengl   n.detail n.tex", "Normal N.TEX"}) {
        const auto t = table({"--csv", "r.res", "--benchmark", typed}, here);
        EXPECT_EQ(t.status, 0) << typed << ": " << t.err;
        EXPECT_EQ(std::count(t.out.begin(), t.out.end(), '\n'), 2) << typed;
        EXPECT_NE(t.out.find("Box One"), std::string::npos) << typed;
    }
    auto t = table({"--csv", "r.res", "--benchmark", "high big", "--computer", "box two", "--resolution", "800X600X32"},
                   here);
    EXPECT_EQ(t.status, 0) << t.err;
    EXPECT_EQ(std::count(t.out.begin(), t.out.end(), '\n'), 2);
    // an unclear text lists what it fits; one that fits nothing lists all
    t = table({"--csv", "r.res", "--benchmark", "high"}, here);
    EXPECT_EQ(t.status, 2);
    EXPECT_EQ(t.err, "resview: \"high\" fits 2 benchmarks; say which:\n  OPENGL    H.DETAIL  N.TEX\n"
                     "  OPENGL    H.DETAIL  B.TEX\n");
    t = table({"--csv", "r.res", "--computer", "box three"}, here);
    EXPECT_EQ(t.status, 2);
    EXPECT_EQ(t.err.rfind("resview: no computer \"box three\"; the computers are:\n  all\n", 0), 0u) << t.err;
    // an empty text names no entry, not the free slot past a list's end
    for (const char* option : {"--benchmark", "--computer", "--resolution"}) {
        t = table({"--csv", "r.res", option, ""}, here);
        EXPECT_EQ(t.status, 2) << option << ": " << t.out;
    }
}
