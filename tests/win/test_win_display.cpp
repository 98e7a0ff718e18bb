// The verdicts of the display tests and the matrix test's report.
#include "displayVerdicts3D.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

TEST(DisplayTests, RatesAndTheirVerdicts)
{
    EXPECT_FLOAT_EQ(rateOf200(2000), 100.0f);
    EXPECT_FLOAT_EQ(rateOf200(0), 200000.0f);  // a timer that did not move
    EXPECT_FLOAT_EQ(rateOf200(-5), 200000.0f);

    EXPECT_FALSE(refreshRateValid(49.0f));
    EXPECT_TRUE(refreshRateValid(49.5f));
    EXPECT_TRUE(refreshRateValid(199.9f));
    EXPECT_FALSE(refreshRateValid(200.0f));
    EXPECT_FALSE(refreshRateValid(0.0f));

    EXPECT_TRUE(d3dVSyncOn(75.0f, 75.0f));
    EXPECT_FALSE(d3dVSyncOn(120.0f, 75.0f));
    EXPECT_FALSE(d3dVSyncOn(67.5f, 75.0f));  // exactly 0.9 x is outside
    EXPECT_TRUE(d3dVSyncOn(67.6f, 75.0f));
    EXPECT_FALSE(d3dVSyncOn(82.5f, 75.0f));
    EXPECT_TRUE(d3dVSyncOn(82.4f, 75.0f));
    EXPECT_FALSE(d3dVSyncOn(60.0f, 0.0f));  // no refresh rate measured

    EXPECT_TRUE(glVSyncOn(149.0f));
    EXPECT_FALSE(glVSyncOn(150.0f));
}

TEST(DisplayTests, MatrixReportComparesTheWholeTestWithEachReference)
{
    char out[1024];
    matrixReport3D(1.29f, out, sizeof out);
    const std::string r = out;
    EXPECT_EQ(r.rfind("Time to calculate  1.29 s\n\n", 0), 0u) << r;
    EXPECT_NE(r.find("  1.00 x faster than a Athlon 550 3DNOW        (1.29 s)\n"), std::string::npos) << r;
    EXPECT_NE(r.find("  6.60 x faster than a Pentium 233 FPU           (8.52 s)\n"), std::string::npos) << r;
    EXPECT_NE(r.find("  3.10 x faster than a CELERON 300A FPU     (4.00 s)\n"), std::string::npos) << r;
    int lines = 0;
    for (char c : r)
        lines += c == '\n';
    EXPECT_EQ(lines, 2 + 7);

    // a small buffer is never overrun, and a zero time divides by nothing
    char tiny[40];
    matrixReport3D(0.0f, tiny, sizeof tiny);
    EXPECT_LT(std::string(tiny).size(), sizeof tiny);
    matrixReport3D(0.0f, out, sizeof out);
    EXPECT_EQ(std::string(out).find("inf"), std::string::npos) << out;
}

namespace {
long fakeNow = 0;
long fakeClock()
{
    fakeNow += 1500;
    return fakeNow;
}
}  // namespace

TEST(DisplayTests, MatrixLoopsAreTimedByTheGivenClock)
{
    // two readings, 1.5 s apart on the fake clock, whatever the loops take
    EXPECT_FLOAT_EQ(matrixLoops3D(fakeClock), 1.5f);
}
