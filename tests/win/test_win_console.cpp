// The console on Windows: CR LF in the history, the edit control's show
// with its scroll, boxes before the dialog exists, file mode.
#include "console/outTxt.h"
#include "tempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct shown {
    void* window;
    int item;
    std::string text;
    int scroll;
};
std::vector<shown> shows;
std::vector<std::string> boxes;

void recordShow(void* window, int item, const char* text, int scroll)
{
    shows.push_back({window, item, text, scroll});
}

void recordBox(const char* msg)
{
    boxes.emplace_back(msg);
}

class WinConsoleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        shows.clear();
        boxes.clear();
        outTxt::setWinShowFunc(recordShow, recordBox);
    }
    void TearDown() override { outTxt::setWinShowFunc(nullptr, nullptr); }
};

std::string fileText(const char* name)
{
    std::ifstream f(name, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

}  // namespace

TEST_F(WinConsoleTest, LineFeedsAreStoredAsCarriageReturnLineFeed)
{
    auto out = std::make_unique<outTxt>();
    out->pr("one\ntwo\n");
    EXPECT_STREQ(out->getText(), "one\r\ntwo\r\n");
    EXPECT_EQ(out->getLength(), 10);
    out->prCls();
    out->pr("\n");
    EXPECT_EQ(out->getLength(), 2);
    // the history is cut before a pair would be split at the buffer's end
    auto full = std::make_unique<outTxt>();
    const std::string big(outTxt::textSize - 2, 'x');
    full->pr((big + "\n").c_str());
    EXPECT_EQ(full->getLength(), outTxt::textSize - 2);
    EXPECT_EQ(full->getText()[outTxt::textSize - 3], 'x');
    const std::string fills(outTxt::textSize - 1, 'z');
    auto one = std::make_unique<outTxt>();
    one->pr((fills + "y").c_str());
    EXPECT_EQ(one->getLength(), outTxt::textSize - 1);
    EXPECT_EQ(one->getText()[outTxt::textSize - 1], '\0');
}

TEST_F(WinConsoleTest, BoxesBeforeTheDialogThenTheEditControlWithScroll)
{
    auto out = std::make_unique<outTxt>();
    out->pr("early\n");
    out->prNoScroll("second");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "early\n");  // the message alone, not the history
    EXPECT_EQ(boxes[1], "second");
    EXPECT_TRUE(shows.empty());

    int dialog = 0;
    out->setOut(&dialog, 1001);
    out->pr("late\n");
    out->prNoScroll("quiet");
    ASSERT_EQ(shows.size(), 2u);
    EXPECT_EQ(shows[0].window, &dialog);
    EXPECT_EQ(shows[0].item, 1001);
    EXPECT_EQ(shows[0].text, "early\r\nsecondlate\r\n");
    EXPECT_EQ(shows[0].scroll, 1);
    EXPECT_EQ(shows[1].scroll, 0);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(out->maxLines * 2, 2048);  // the scroll the edit control gets

    // item -1: nothing on screen, with or without a window
    out->setOut(nullptr, -1);
    out->pr("hidden\n");
    out->setOut(&dialog, -1);
    out->pr("hidden\n");
    EXPECT_EQ(shows.size(), 2u);
    EXPECT_EQ(boxes.size(), 2u);
}

TEST_F(WinConsoleTest, FileModeReplacesTheScreenAndKeepsSingleLineFeeds)
{
    tempDir dir;
    auto out = std::make_unique<outTxt>();
    int dialog = 0;
    out->setOut(&dialog, 1001);
    out->setOutToFile(1);
    out->pr("a\nb\n");
    out->pr("c");
    EXPECT_TRUE(shows.empty());
    EXPECT_EQ(fileText("out.txt"), "a\nb\nc");
    out->setOutToFile(0);
    out->pr("d\n");
    ASSERT_EQ(shows.size(), 1u);
    EXPECT_EQ(shows[0].text, "a\r\nb\r\ncd\r\n");
    EXPECT_EQ(fileText("out.txt"), "a\nb\nc");

    // before the dialog, file mode brings no boxes either
    auto early = std::make_unique<outTxt>();
    early->setOutToFile(1);
    early->pr("x\n");
    EXPECT_TRUE(boxes.empty());
}
