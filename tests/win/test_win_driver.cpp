// The driver as the Windows build runs it: its parameter keys, the record
// rules, the clock and the folder and file calls of its platform seam.
#include "driver3D.h"
#include "platform3D.h"
#include "results3D.h"

#include "tempDir.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

namespace {

class WinDriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        defaultSettings3D();
        mainOut.prCls();
        mainOut.setOut(nullptr, -1);  // no boxes in a test
    }
    tempDir dir;
};

}  // namespace

TEST_F(WinDriverTest, ParameterFileReadsOnlyTheWindowsKeys)
{
    writeFile("Korva.INI", "Test PC 1\r\nsome info\nrunBenchHigh=1\nXresolution=1024\nendScreenCrashWorkaround=1\n"
                           "d3dNo32BitTex=1\nd3dSpecularEnable=1\ndisableDeskTopRendering=1\nmZOffsetEnable=0\n"
                           "enableMusic=0\nnoBlendFuncSRCALPHA_DSTONE=1\nd3dDisableFog=\n");
    loadParameterWin("Korva.INI");
    EXPECT_STREQ(pcNameText, "Test PC 1");
    EXPECT_STREQ(pcInfText, "some info");
    // run mode and display belong to the dialogs
    EXPECT_EQ(runBenchHigh, 0);
    EXPECT_EQ(scrX, 640);
    EXPECT_EQ(endScreenCrashWorkaround, 1);
    EXPECT_EQ(d3dNo32BitTex, 1);
    EXPECT_EQ(d3dSpecularEnable, 1);
    EXPECT_EQ(d3dDisableFog, 0);  // no digits: unchanged
    EXPECT_EQ(disableDeskTopRendering, 1);
    EXPECT_EQ(mZOffsetEnable, 0);
    EXPECT_EQ(glEngine.zOffsetEnabled, 0);
    EXPECT_EQ(playSound, 0);
    EXPECT_EQ(noBlendFuncSRCALPHA_DSTONE, 1);
    mZOffsetEnable = 1;
    glEngine.zOffsetEnabled = 1;
    endScreenCrashWorkaround = d3dNo32BitTex = d3dSpecularEnable = disableDeskTopRendering = 0;

    // a missing file changes nothing
    loadParameterWin("none.INI");
    EXPECT_STREQ(pcNameText, "Test PC 1");
}

TEST_F(WinDriverTest, RecordOnlyForAMeasuredRunWithoutConfirmation)
{
    std::snprintf(pcNameText, sizeof pcNameText, "%s", "PCNAME");
    std::snprintf(pcInfText, sizeof pcInfText, "%s", "PCINFO");
    std::snprintf(benchNameText, sizeof benchNameText, "%s", "OPENGL    N.DETAIL  N.TEX\n");
    std::snprintf(m3dinfText1, sizeof m3dinfText1, "%sGLvendor:V  GLrenderer:R\n", tVersion);
    std::snprintf(m3dinfText2, sizeof m3dinfText2, "%s", "VSync OFF  DDMSwich OFF\n");
    scrX = 640;
    scrY = 480;
    scrD = 32;
    saveBench = 1;
    // the flight: a path with length and frames drawn
    cityCamRec.reset();
    matrix_4 m;
    identityMat(&m);
    cityCamRec.insert(m, 0.04f);
    cityCamRec.insert(m, 0.04f);
    frameCounter = 100;

    // no frame measured: nothing written, the identification echoed
    cityFps = 0.0f;
    runBenchControlNow = 1;
    benchControl3D();
    EXPECT_FALSE(std::filesystem::exists("bench.res"));
    std::string log = mainOut.getText();
    EXPECT_NE(log.find("PCNAME\r\nPCINFO\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("640 x 480 x 32 fps:  0.0\r\n"), std::string::npos) << log;
    EXPECT_EQ(closeFLTKWin, 1);

    closeFLTKWin = 0;
    mainOut.prCls();
    cityFps = 42.46f;
    runBenchControlNow = 1;
    benchControl3D();
    EXPECT_EQ(readFile("bench.res"), "[\nPCNAME\nOPENGL    N.DETAIL  N.TEX\nPCINFO\nKORVA_WIN 1.3  GLvendor:V  "
                                     "GLrenderer:R\nVSync OFF  DDMSwich OFF\n640 x 480 x 32 fps: 42.5\n]\n\n");
    log = mainOut.getText();
    EXPECT_EQ(log.find("PCNAME"), std::string::npos) << log;
    EXPECT_EQ(log.find("written"), std::string::npos) << log;
    // the result line, then the flight's summary line and nothing else
    const size_t at = log.find(" fps: 42.5\r\nframes: 100  avg 42.5 fps");
    ASSERT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log.find("\r\n", log.find("frames: 100", at)), log.size() - 2) << log;
    // and its JSON line beside the record
    const std::string json = readFile("bench.json");
    EXPECT_EQ(json.rfind("{\"auto_info1\":\"KORVA_WIN 1.3  GLvendor:V  GLrenderer:R\"", 0), 0u) << json;
    EXPECT_NE(json.find("\"system\":\"Windows "), std::string::npos) << json;
    EXPECT_EQ(json.back(), '\n');
    closeFLTKWin = 0;
}

TEST_F(WinDriverTest, PlatformSeam)
{
    EXPECT_STREQ(dataDir3D, "data/");
    EXPECT_STREQ(tVersion, "KORVA_WIN 1.3  ");
    EXPECT_TRUE(windowsRecord3D);

    armClock3D();
    const long t0 = clockMillis3D();
    Sleep(60);
    const long t1 = clockMillis3D();
    EXPECT_GE(t1 - t0, 50);
    EXPECT_LT(t1 - t0, 2000);

    std::filesystem::create_directories("sub");
    EXPECT_EQ(changeDir3D("sub"), 0);
    EXPECT_EQ(std::filesystem::current_path().filename(), "sub");
    EXPECT_EQ(changeDir3D(".."), 0);
    EXPECT_NE(changeDir3D("missing"), 0);

    FILE* f = std::fopen("sync.txt", "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("kept\n", f);
    EXPECT_TRUE(syncFile3D(f));
    std::fclose(f);
    EXPECT_EQ(readFile("sync.txt"), "kept\n");

    // appends are whole or nothing; a file that cannot be written stays as it was
    EXPECT_EQ(appendFile3D("app.txt", "one\n", 4), appendWritten);
    EXPECT_EQ(appendFile3D("app.txt", "two\n", 4), appendWritten);
    EXPECT_EQ(readFile("app.txt"), "one\ntwo\n");
    EXPECT_EQ(appendFile3D("sub", "x", 1), appendFailed);
    EXPECT_EQ(appendFile3D("missing/app.txt", "x", 1), appendFailed);
    EXPECT_EQ(readFile("app.txt"), "one\ntwo\n");

    // SHA-256 through the system's own provider, as the data manifest has it
    char hex[65] = {};
    long long size = -1;
    writeFile("abc.txt", "abc");
    ASSERT_TRUE(hashFile3D("abc.txt", hex, &size));
    EXPECT_STREQ(hex, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(size, 3);
    writeFile("empty.txt", "");
    ASSERT_TRUE(hashFile3D("empty.txt", hex, &size));
    EXPECT_STREQ(hex, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(size, 0);
    EXPECT_FALSE(hashFile3D("none.txt", hex, &size));

    // the machine as the system names it; an empty identification takes it
    machine3D m;
    detectMachine3D(&m);
    SYSTEM_INFO si = {};
    GetNativeSystemInfo(&si);
    EXPECT_NE(m.cpuModel[0], '\0');
    EXPECT_EQ(m.threads, int(si.dwNumberOfProcessors));
    EXPECT_GE(m.cores, 1);
    EXPECT_LE(m.cores, m.threads);
    EXPECT_GT(m.memoryBytes, 0);
    EXPECT_NE(std::string(m.osName).find("Windows"), std::string::npos) << m.osName;
    pcNameText[0] = pcInfText[0] = '\0';
    identifyMachine3D();
    EXPECT_EQ(std::string(pcNameText).rfind(m.cpuModel, 0), 0u) << pcNameText;
    EXPECT_EQ(std::string(pcInfText).rfind(std::string(m.osName) + ", Windows ", 0), 0u) << pcInfText;
}

TEST_F(WinDriverTest, ResultPairsUnderTheirLockAndFilesReplacedWhole)
{
    // a second writer waits for the lock; the first one's cut-back removes only its own bytes
    char why[200] = "";
    const int a = openLockedFile3D("pair.res", why, sizeof why);
    ASSERT_GE(a, 0) << why;
    std::atomic<bool> bDone{false};
    std::thread b([&bDone] {
        char w[200];
        const int fd = openLockedFile3D("pair.res", w, sizeof w);
        appendLockedFile3D(fd, "B", 1);
        closeLockedFile3D(fd);
        bDone = true;
    });
    Sleep(300);
    EXPECT_FALSE(bDone) << "B wrote while A held the lock";
    EXPECT_EQ(appendLockedFile3D(a, "AAAA", 4), appendWritten);
    EXPECT_TRUE(cutLockedFile3D(a, 0));
    closeLockedFile3D(a);
    b.join();
    EXPECT_EQ(readFile("pair.res"), "B");

    // the JSON line first, naming where its record lies; a failing bench.json leaves bench.res as it was
    const char record[] = "[\nPC\n]\n\n";
    const auto line = [](const resultPartner3D& p) {
        return "{\"record_offset\":" + std::to_string(p.offset) + ",\"sha\":\"" + p.sha256 + "\"}\n";
    };
    // (the record on a line of its own after "B")
    EXPECT_EQ(appendResultPair3D("pair.res", "pair.json", record, sizeof record - 1, line, why, sizeof why),
              pairWritten);
    EXPECT_EQ(readFile("pair.res"), std::string("B\n") + record);
    EXPECT_EQ(readFile("pair.json").rfind("{\"record_offset\":2,\"sha\":\"", 0), 0u);
    std::filesystem::create_directories("dir.json");
    EXPECT_EQ(appendResultPair3D("pair.res", "dir.json", record, sizeof record - 1, line, why, sizeof why),
              pairJsonFailed);
    EXPECT_EQ(readFile("pair.res"), std::string("B\n") + record);

    // another writer's lock is waited for, said after a second, and given up after the bound
    const int held = openLockedFile3D("pair.res", why, sizeof why);
    ASSERT_GE(held, 0) << why;
    static int waitedSaid = 0;
    lockWaitLimitMs3D = 1500;
    EXPECT_EQ(openLockedFile3D("pair.res", why, sizeof why, [] { waitedSaid++; }), -1);
    lockWaitLimitMs3D = 120000;
    EXPECT_EQ(waitedSaid, 1);
    EXPECT_STREQ(why, "another benchmark held its lock for 1 s");
    // its identity is the file's, whatever the name
    char idA[64] = "", idB[64] = "";
    const int other = _open(".\\pair.res", _O_RDONLY);
    EXPECT_TRUE(fileIdentity3D(held, idA, sizeof idA));
    EXPECT_TRUE(fileIdentity3D(other, idB, sizeof idB));
    EXPECT_STREQ(idA, idB);
    _close(other);
    closeLockedFile3D(held);
    EXPECT_TRUE(processAlive3D(long(GetCurrentProcessId())));
    EXPECT_FALSE(processAlive3D(0));

    // a whole file by a rename, or nothing; one file by two names
    EXPECT_TRUE(replaceFile3D("whole.csv", "one\n", 4, why, sizeof why));
    EXPECT_TRUE(replaceFile3D("whole.csv", "two\n", 4, why, sizeof why));
    EXPECT_EQ(readFile("whole.csv"), "two\n");
    EXPECT_FALSE(replaceFile3D("missing/whole.csv", "x", 1, why, sizeof why));
    EXPECT_TRUE(sameFile3D("whole.csv", ".\\whole.csv"));
    EXPECT_FALSE(sameFile3D("whole.csv", "pair.res"));
    EXPECT_TRUE(canAppend3D("whole.csv", why, sizeof why));
    EXPECT_TRUE(canAppend3D("new.res", why, sizeof why));
    EXPECT_FALSE(canAppend3D("dir.json", why, sizeof why));
    EXPECT_FALSE(canAppend3D("missing\\new.res", why, sizeof why));
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator("."))
        files += e.path().extension() == ".tmp";
    EXPECT_EQ(files, 0);
}
