#include "console/outTxt.h"

#include <gtest/gtest.h>

#include "tempDir.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string shown;
int showCalls = 0;
int lastScroll = -1;

void recordShow(Fl_Multiline_Output*, const char* text, int scroll)
{
    shown = text;
    showCalls++;
    lastScroll = scroll;
}

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        shown.clear();
        showCalls = 0;
    }
    void TearDown() override { outTxt::setShowFunc(nullptr); }
    tempDir dir;
};

}  // namespace

TEST_F(ConsoleTest, StartsEmptyAndAppendsWhole)
{
    auto c = std::make_unique<outTxt>();
    EXPECT_EQ(c->maxLines, 1024);
    EXPECT_EQ(c->getLength(), 0);
    EXPECT_STREQ(c->getText(), "");
    c->pr("data3D::load_obj: error can't open x.obj\n");
    c->pr("two\nlines\n");
    EXPECT_STREQ(c->getText(), "data3D::load_obj: error can't open x.obj\ntwo\nlines\n");
    EXPECT_EQ(c->getLength(), int(std::strlen(c->getText())));
    c->prf("obj:%d  %d polygons ", 3, 12);
    EXPECT_NE(std::string(c->getText()).find("obj:3  12 polygons "), std::string::npos);
    // nothing is written to disk unless asked
    EXPECT_FALSE(fs::exists("out.txt"));
}

TEST_F(ConsoleTest, TrimsToTheLast10240CharactersBeforeEachAppend)
{
    auto c = std::make_unique<outTxt>();
    std::string all;
    // 10240 characters that differ along their length
    for (int i = 0; i < 1024; i++) {
        char line[16];
        std::snprintf(line, sizeof line, "%09d\n", i);
        c->pr(line);
        all += line;
    }
    ASSERT_EQ(c->getLength(), 10240);
    const std::string hundred(99, 'a');
    c->pr((hundred + "\n").c_str());
    // not over the limit before the append: nothing trimmed yet
    EXPECT_EQ(c->getLength(), 10240 + 100);
    EXPECT_EQ(std::string(c->getText()), all + hundred + "\n");

    c->pr("B");
    // the earlier 10340 characters are cut to their last 10240, then B follows
    const std::string before = all + hundred + "\n";
    EXPECT_EQ(c->getLength(), 10241);
    EXPECT_EQ(std::string(c->getText()), before.substr(100) + "B");
    // the text stays terminated right at its length
    EXPECT_EQ(c->getText()[c->getLength()], '\0');
}

TEST_F(ConsoleTest, AMessageTooLongIsCutAtTheBuffer)
{
    auto c = std::make_unique<outTxt>();
    c->pr(std::string(20000, 'x').c_str());
    const std::string huge(70000, 'y');
    c->pr(huge.c_str());
    // 10240 kept, the rest of the 64000 bytes less the terminator
    EXPECT_EQ(c->getLength(), outTxt::textSize - 1);
    EXPECT_EQ(std::strlen(c->getText()), size_t(outTxt::textSize - 1));
    EXPECT_EQ(std::string(c->getText()).substr(0, 10240), std::string(10240, 'x'));
    c->pr("z");
    EXPECT_EQ(c->getLength(), 10241);
    EXPECT_EQ(c->getText()[10240], 'z');
}

TEST_F(ConsoleTest, WidgetGetsTheWholeHistoryOnEveryPrint)
{
    auto c = std::make_unique<outTxt>();
    outTxt::setShowFunc(recordShow);
    c->pr("before any widget\n");
    EXPECT_EQ(showCalls, 0);

    auto* fakeWidget = reinterpret_cast<Fl_Multiline_Output*>(c.get());
    c->setOut(fakeWidget);
    c->pr("one\n");
    EXPECT_EQ(shown, "before any widget\none\n");
    EXPECT_EQ(lastScroll, 1);
    c->pr("");
    // an empty message changes nothing but still refreshes
    EXPECT_EQ(showCalls, 2);
    EXPECT_EQ(shown, "before any widget\none\n");

    c->prCls();
    EXPECT_EQ(c->getLength(), 0);
    EXPECT_EQ(showCalls, 2);  // not refreshed until the next print
    c->prNoScroll("About Korvane\nline two\n");
    EXPECT_EQ(shown, "About Korvane\nline two\n");
    EXPECT_EQ(lastScroll, 0);  // the view stays at the top
    c->setOut(nullptr);
    c->pr("hidden\n");
    EXPECT_EQ(showCalls, 3);
}

TEST_F(ConsoleTest, FileMirrorAppendsExactlyThePrintedCharacters)
{
    auto c = std::make_unique<outTxt>();
    c->setOutToFile(1);
    c->pr("first\n");
    EXPECT_EQ(readFile("out.txt"), "first\n");
    c->pr("");
    c->prNoScroll("second\nthird\n");
    EXPECT_EQ(readFile("out.txt"), "first\nsecond\nthird\n");
    // a value other than 1 switches the mirror off
    c->setOutToFile(2);
    c->pr("not mirrored\n");
    EXPECT_EQ(readFile("out.txt"), "first\nsecond\nthird\n");

    // a file that cannot be opened skips the message, the next one tries again
    c->setOutToFile(1);
    fs::remove("out.txt");
    fs::create_directory("out.txt");
    c->pr("lost\n");
    fs::remove("out.txt");
    c->pr("found\n");
    EXPECT_EQ(readFile("out.txt"), "found\n");
    EXPECT_NE(std::string(c->getText()).find("lost\nfound\n"), std::string::npos);
}
