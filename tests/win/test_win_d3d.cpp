// Direct3D 7 through Wine's DirectDraw: the enumerations of the main
// dialog, a device opened in a window, and the display tests with the
// process back at normal priority afterwards.
#include "d3dDisplay3D.h"
#include "driver3D.h"
#include "platform3D.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class D3DTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        armClock3D();
        mainOut.prCls();
        mainOut.setOut(nullptr, -1);
    }
};

}  // namespace

TEST_F(D3DTest, DriversDevicesAndModes)
{
    static char drivers[16][128], devices[16][128];
    const int nd = enumDrivers3D(drivers, 16);
    ASSERT_GE(nd, 1);
    const int nv = enumDevices3D(0, devices, 16);
    ASSERT_GE(nv, 1);
    static int modes[256][3];
    const int nm = enumModes3D(0, 0, modes, 256);
    ASSERT_GE(nm, 1);
    for (int i = 0; i < nm; i++) {
        EXPECT_GT(modes[i][0], 0);
        EXPECT_GT(modes[i][1], 0);
        EXPECT_TRUE(modes[i][2] == 16 || modes[i][2] == 24 || modes[i][2] == 32) << modes[i][2];
        for (int j = 0; j < i; j++)
            EXPECT_FALSE(modes[i][0] == modes[j][0] && modes[i][1] == modes[j][1] && modes[i][2] == modes[j][2]);
    }
    // what does not exist is not listed
    EXPECT_EQ(enumDevices3D(nd, devices, 16), 0);
    EXPECT_EQ(enumModes3D(0, nv, modes, 256), 0);
    EXPECT_EQ(enumModes3D(-1, 0, modes, 256), 0);
    GUID g = {};
    char name[128];
    EXPECT_TRUE(deviceGuid3D(0, 0, &g, name, sizeof name));
    EXPECT_STREQ(name, devices[0]);
    EXPECT_FALSE(deviceGuid3D(0, nv, &g, name, sizeof name));
}

TEST_F(D3DTest, DisplayTestsInAWindowRestorePriority)
{
    d3dScreen3D s;
    ASSERT_TRUE(openScreen3D(s, 0, 0, 320, 240, 32, false)) << mainOut.getText();
    ASSERT_NE(s.device, nullptr);
    char info[256] = "";
    const float hz = refreshTest3D(s, 0, info, sizeof info);
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), DWORD(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
    std::string log = mainOut.getText();
    if (hz > 0.0f) {
        EXPECT_NE(log.find("\r\nVideocard refreshrate 320 x 240 x 32 test result: "), std::string::npos) << log;
        EXPECT_NE(std::string(info).find(" refreshrate:"), std::string::npos) << info;
    } else {
        EXPECT_TRUE(log.find("RefreshRate test error. Wrong WaitForVerticalBlank") != std::string::npos ||
                    log.find("can't do WaitForVerticalBlank") != std::string::npos)
            << log;
        EXPECT_STREQ(info, "");
    }
    const float swap = swapTest3D(s, hz, 0, info, sizeof info);
    EXPECT_GT(swap, 0.0f);
    log = mainOut.getText();
    EXPECT_NE(log.find("\r\nSWAP3DBuffer  320 x 240 x 32 test result: "), std::string::npos) << log;
    const std::string i = info;
    EXPECT_TRUE(i.size() >= 10 && (i.substr(i.size() - 10) == "VSync ON  " || i.substr(i.size() - 11) == "VSync OFF  "))
        << i;
    closeScreen3D(s);
    EXPECT_EQ(s.device, nullptr);
    EXPECT_EQ(s.dd, nullptr);

    // the quiet flag keeps the measured rates out of the log
    mainOut.prCls();
    ASSERT_TRUE(openScreen3D(s, 0, 0, 160, 120, 32, false));
    char quiet[256] = "";
    swapTest3D(s, refreshTest3D(s, 1, quiet, sizeof quiet), 1, quiet, sizeof quiet);
    EXPECT_EQ(std::string(mainOut.getText()).find("test result"), std::string::npos) << mainOut.getText();
    EXPECT_NE(std::string(quiet).find("VSync O"), std::string::npos);
    closeScreen3D(s);
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), DWORD(NORMAL_PRIORITY_CLASS));
}

TEST_F(D3DTest, MissingDeviceIsReported)
{
    d3dScreen3D s;
    EXPECT_FALSE(openScreen3D(s, 0, 99, 320, 240, 32, false));
    EXPECT_NE(std::string(mainOut.getText()).find("No DirectX Device found.\r\n"), std::string::npos);
    EXPECT_EQ(s.dd, nullptr);
}

TEST_F(D3DTest, APresentPastTheScreensEdgeIsClippedAndReadBack)
{
    // the part of the window on the screen, and the part of the back buffer that lands there
    RECT on = {}, from = {};
    ASSERT_TRUE(clipPresent3D(RECT{4, 20, 1284, 1044}, 1280, 1024, 1280, 1024, &on, &from));
    EXPECT_EQ(on.left, 4);
    EXPECT_EQ(on.right, 1280);
    EXPECT_EQ(on.bottom, 1024);
    EXPECT_EQ(from.left, 0);
    EXPECT_EQ(from.right, 1276);
    EXPECT_EQ(from.bottom, 1004);
    // a window stretched twice as wide takes half as much of the back buffer
    ASSERT_TRUE(clipPresent3D(RECT{-100, 0, 540, 480}, 1280, 1024, 320, 240, &on, &from));
    EXPECT_EQ(on.left, 0);
    EXPECT_EQ(from.left, 50);
    EXPECT_EQ(from.right, 320);
    EXPECT_FALSE(clipPresent3D(RECT{1300, 0, 1400, 100}, 1280, 1024, 100, 100, &on, &from));
    EXPECT_FALSE(clipPresent3D(RECT{0, 0, 0, 100}, 1280, 1024, 100, 100, &on, &from));

    // a window as big as the desktop runs past its edges, and still shows its frame
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    const int sh = GetSystemMetrics(SM_CYSCREEN);
    d3dScreen3D s;
    ASSERT_TRUE(openScreen3D(s, 0, 0, sw, sh, 32, false)) << mainOut.getText();
    ShowWindow(s.window, SW_SHOW);
    D3DRECT all = {0, 0, sw, sh};
    ASSERT_TRUE(SUCCEEDED(s.device->Clear(1, &all, D3DCLEAR_TARGET, 0xff20c040u, 1.0f, 0)));
    mainOut.prCls();
    EXPECT_TRUE(swapScreen3D(s));
    EXPECT_EQ(std::string(mainOut.getText()).find("was not shown"), std::string::npos) << mainOut.getText();
    // the whole window is not on the screen: there is no whole frame to read back
    std::string rgb(size_t(sw) * size_t(sh) * 3, '\0');
    EXPECT_FALSE(readPresented3D(s, sw, sh, reinterpret_cast<unsigned char*>(rgb.data())));
    closeScreen3D(s);

    // a frame wholly on the screen reads back as it was presented, bottom row first
    ASSERT_TRUE(openScreen3D(s, 0, 0, 64, 48, 32, false)) << mainOut.getText();
    ShowWindow(s.window, SW_SHOW);
    D3DRECT small = {0, 0, 64, 48};
    D3DRECT top = {0, 0, 64, 8};
    ASSERT_TRUE(SUCCEEDED(s.device->Clear(1, &small, D3DCLEAR_TARGET, 0xff20c040u, 1.0f, 0)));
    ASSERT_TRUE(SUCCEEDED(s.device->Clear(1, &top, D3DCLEAR_TARGET, 0xffff0000u, 1.0f, 0)));
    ASSERT_TRUE(swapScreen3D(s));
    std::string px(size_t(64) * 48 * 3, '\0');
    ASSERT_TRUE(readPresented3D(s, 64, 48, reinterpret_cast<unsigned char*>(px.data())));
    auto at = [&](int x, int y, int c) { return int((unsigned char)px[(size_t(y) * 64 + size_t(x)) * 3 + size_t(c)]); };
    EXPECT_EQ(at(10, 0, 0), 0x20);
    EXPECT_EQ(at(10, 0, 1), 0xc0);
    EXPECT_EQ(at(10, 0, 2), 0x40);
    EXPECT_EQ(at(10, 47, 0), 0xff);
    EXPECT_EQ(at(10, 47, 1), 0);
    closeScreen3D(s);
}
