// The parameter file's rules and the bench.res record, without a display.
#include "driver3D.h"

#include "tempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        defaultSettings3D();
        mainOut.prCls();
    }
    tempDir dir;
    void load(const std::string& text)
    {
        writeFile("Korva.INI", text);
        loadParameter("Korva.INI");
    }
};

int lineCount(const std::string& s)
{
    int n = 0;
    for (char c : s)
        n += c == '\n';
    return n;
}

}  // namespace

TEST_F(DriverTest, ParameterFileDefaultsAndIdentification)
{
    load("");
    EXPECT_STREQ(pcNameText, "");
    EXPECT_STREQ(pcInfText, "");
    EXPECT_EQ(runDemo, 1);
    EXPECT_EQ(frameWindow, 1);
    EXPECT_EQ(scrX, 640);
    EXPECT_EQ(scrY, 480);
    EXPECT_EQ(scrD, 16);
    EXPECT_EQ(viewDistance, 19.5f);
    EXPECT_EQ(dynamicFog, 1);
    EXPECT_EQ(numBuf, 2);
    EXPECT_EQ(mMipmapLevels, 0);
    EXPECT_EQ(playSound, 1);

    // a missing file leaves the defaults
    defaultSettings3D();
    loadParameter("nothere.INI");
    EXPECT_EQ(scrX, 640);
    EXPECT_EQ(runDemo, 1);

    // identification lines lose their line break, and a carriage return before it
    load("Athlon 1200, 512 MB\r\nGeForce2 GTS, driver 12.41\nXresolution=800\n");
    EXPECT_STREQ(pcNameText, "Athlon 1200, 512 MB");
    EXPECT_STREQ(pcInfText, "GeForce2 GTS, driver 12.41");
    EXPECT_EQ(scrX, 800);

    // a first line of more than 255 characters is cut: the rest is the second line
    const std::string longLine(300, 'x');
    load(longLine + "\nsecond\nYresolution=600\n");
    EXPECT_EQ(std::string(pcNameText), std::string(255, 'x'));
    EXPECT_EQ(std::string(pcInfText), std::string(45, 'x'));
    EXPECT_EQ(scrY, 600);  // "second" is read as an option line and matches nothing
}

TEST_F(DriverTest, ParameterClampsAndCorrectionsInTheirOrder)
{
    load("a\nb\nXresolution=100\nYresolution=2000\ndynamicFog=7\nnumBuf=0\nmMipmapLevels=3\n");
    EXPECT_EQ(scrX, 160);
    EXPECT_EQ(scrY, 1280);
    EXPECT_EQ(dynamicFog, 1);
    EXPECT_EQ(numBuf, 2);
    EXPECT_EQ(mMipmapLevels, 8);

    // the run mode sets the view distance code before it is mapped
    defaultSettings3D();
    load("a\nb\nviewDistance=2\nrunBenchNormal=1\nenableMusic=1\nprecalc=1\n");
    EXPECT_EQ(viewDistance, 19.5f);
    EXPECT_EQ(runDemo, 0);
    EXPECT_EQ(frameWindow, 0);
    EXPECT_EQ(playSound, 0);
    EXPECT_EQ(precalc, 0);
    EXPECT_EQ(saveBench, 1);

    defaultSettings3D();
    load("a\nb\nrunBenchHigh=1\nrunBenchNormal=1\nviewDistance=0\n");
    EXPECT_EQ(viewDistance, 58.5f);
    EXPECT_EQ(dynamicFog, 2);
    EXPECT_EQ(runBenchNormal, 0);

    // keys must start the line; the last of two wins; no digits changes nothing
    defaultSettings3D();
    load("a\nb\n Xresolution=1024\nXresolution=800\nXresolution=1024\nYresolution=\nviewDistance=0\n"
         "noTextureMode=3\nflyNight=0\n# Dresolution=32\n");
    EXPECT_EQ(scrX, 1024);
    EXPECT_EQ(scrY, 480);
    EXPECT_EQ(viewDistance, 10.0f);
    EXPECT_EQ(noTextureMode, 0);
    EXPECT_EQ(flyNight, 0);
    EXPECT_EQ(scrD, 16);
    EXPECT_EQ(runDemo, 1);
}

TEST_F(DriverTest, BenchRecordIsNineLinesByteForByte)
{
    std::snprintf(pcNameText, sizeof pcNameText, "%s", "PC one");
    std::snprintf(pcInfText, sizeof pcInfText, "%s", "more info");
    std::snprintf(benchNameText, sizeof benchNameText, "%s", "OPENGL    N.DETAIL  N.TEX\n");
    std::snprintf(m3dinfText1, sizeof m3dinfText1, "%s", "KORVA_LIN 1.3  GLvendor:V  GLrenderer:R\n");
    std::snprintf(m3dinfText2, sizeof m3dinfText2, "%s", "VSync OFF  DDMSwich OFF\n");
    scrX = 640;
    scrY = 480;
    scrD = 16;
    cityFps = 23.44f;
    char rec[4096];
    benchRecord3D(rec, sizeof rec);
    const std::string expect = "[\nPC one\nOPENGL    N.DETAIL  N.TEX\nmore info\n"
                               "KORVA_LIN 1.3  GLvendor:V  GLrenderer:R\nVSync OFF  DDMSwich OFF\n"
                               "640 x 480 x 16 fps: 23.4\n]\n\n";
    EXPECT_EQ(std::string(rec), expect);
    EXPECT_EQ(lineCount(rec), 9);

    // appended to an existing file, never truncating it
    writeFile("bench.res", "earlier results\n");
    saveBench = 1;
    runBenchControlNow = 1;
    closeFLTKWin = 0;
    benchControl3D();
    EXPECT_EQ(readFile("bench.res"), "earlier results\n" + expect);
    EXPECT_EQ(runBenchControlNow, 0);
    EXPECT_EQ(closeFLTKWin, 1);
    const std::string log = mainOut.getText();
    EXPECT_NE(log.find("\nbenchmark results written to bench.res file\n\n"), std::string::npos);
    EXPECT_NE(log.find("640 x 480 x 16 fps: 23.4\n\n\n"), std::string::npos);

    // not saving still shows the whole result
    saveBench = 0;
    mainOut.prCls();
    runBenchControlNow = 1;
    benchControl3D();
    EXPECT_EQ(lineCount(readFile("bench.res")), 1 + 9);
    EXPECT_NE(std::string(mainOut.getText()).find("PC one\nmore info\nKORVA_LIN"), std::string::npos);

    // a results file that cannot be written says so
    saveBench = 1;
    std::filesystem::remove("bench.res");
    std::filesystem::create_directory("bench.res");
    mainOut.prCls();
    runBenchControlNow = 1;
    benchControl3D();
    EXPECT_NE(std::string(mainOut.getText()).find("can't write BENCH.RES file\n"), std::string::npos);
}
