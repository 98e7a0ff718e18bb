// The validation's frames: PNG files through libpng, the distance of a frame
// from its reference, and whole validations of the program on llvmpipe,
// off-screen, on the build's tree and on a copy with one texture changed.
#include "console/outTxt.h"
#include "frameCompare.h"
#include "frameImage.h"
#include "scene/data3D.h"
#include "validate3D.h"

#include "tempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

frameImage gradient(int w, int h)
{
    frameImage f;
    f.width = w;
    f.height = h;
    f.rgb.resize(size_t(w) * size_t(h) * 3);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            unsigned char* p = &f.rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
            p[0] = (unsigned char)(x * 255 / (w > 1 ? w - 1 : 1));
            p[1] = (unsigned char)(y * 255 / (h > 1 ? h - 1 : 1));
            p[2] = (unsigned char)((x + y) & 0xff);
        }
    return f;
}

std::string run(const std::string& cmd, int* status)
{
    std::string out;
    FILE* p = popen((cmd + " 2>&1").c_str(), "r");
    if (p == nullptr) {
        *status = -1;
        return out;
    }
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    const int rc = pclose(p);
    *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

// the frames a validation named as failed
std::set<std::string> failedFrames(const std::string& log)
{
    std::set<std::string> names;
    std::istringstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        char name[64] = "";
        if (line.find("FAIL") != std::string::npos && std::sscanf(line.c_str(), "validate %63s", name) == 1)
            names.insert(name);
    }
    return names;
}

}  // namespace

TEST(FrameImage, PngRoundTripFlipAndHostileFiles)
{
    tempDir dir;
    const frameImage f = gradient(37, 21);
    ASSERT_TRUE(f.writePng("g.png"));
    frameImage back;
    std::string why;
    ASSERT_TRUE(back.readPng("g.png", &why)) << why;
    EXPECT_EQ(back.width, 37);
    EXPECT_EQ(back.height, 21);
    EXPECT_EQ(back.rgb, f.rgb);

    // the renderer's rows come bottom first
    const unsigned char up[2 * 2 * 3] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const frameImage flipped = frameImage::fromBottomUp(2, 2, up);
    EXPECT_EQ(flipped.rgb[0], 7);
    EXPECT_EQ(flipped.rgb[6], 1);
    EXPECT_TRUE(frameImage::fromBottomUp(0, 2, up).rgb.empty());

    // nothing written for a frame that holds no pixels
    frameImage empty;
    EXPECT_FALSE(empty.writePng("e.png"));
    EXPECT_FALSE(fs::exists("e.png"));

    // files that are no frame: missing, not PNG, cut short, a header whose CRC does not hold,
    // a side beyond the largest frame
    EXPECT_FALSE(back.readPng("missing.png", &why));
    EXPECT_EQ(why, "can't open missing.png");
    writeFile("text.png", "this is no image at all");
    EXPECT_FALSE(back.readPng("text.png", &why));
    EXPECT_EQ(why, "text.png is no PNG file");
    const std::string whole = readFile("g.png");
    writeFile("cut.png", whole.substr(0, whole.size() / 2));
    EXPECT_FALSE(back.readPng("cut.png", &why));
    EXPECT_EQ(why.rfind("cut.png: ", 0), 0u) << why;
    std::string bad = whole;
    bad[18] = char(0x7f);  // the width's high bytes, under the header's CRC
    writeFile("crc.png", bad);
    EXPECT_FALSE(back.readPng("crc.png", &why));
    frameImage wide = gradient(frameImage::maxSide + 1, 1);
    ASSERT_TRUE(wide.writePng("wide.png"));
    EXPECT_FALSE(back.readPng("wide.png", &why));
    // a failed read leaves the frame as it was
    EXPECT_EQ(back.width, 37);
    EXPECT_EQ(back.rgb, f.rgb);
}

TEST(FrameCompare, MeanAndFarShareAgainstTheirLimits)
{
    const frameImage ref = gradient(10, 10);
    frameImage f = ref;
    frameDiff d = compareFrames(ref, f);
    EXPECT_TRUE(d.sameSize);
    EXPECT_EQ(d.meanAbs, 0.0);
    EXPECT_EQ(d.farShare, 0.0);

    // one channel of one pixel 30 levels off: far; another 24 off: not yet
    f.rgb[0] = (unsigned char)(ref.rgb[0] + 30);
    f.rgb[5 * 3 + 2] = (unsigned char)(ref.rgb[5 * 3 + 2] + 24);
    d = compareFrames(ref, f);
    EXPECT_DOUBLE_EQ(d.meanAbs, 54.0 / 300.0);
    EXPECT_DOUBLE_EQ(d.farShare, 0.01);
    // both limits are inclusive; either one exceeded fails the frame
    EXPECT_TRUE(framePasses(d, {54.0 / 300.0, 0.01}));
    EXPECT_FALSE(framePasses(d, {0.17, 0.01}));
    EXPECT_FALSE(framePasses(d, {1.0, 0.009}));
    // darker counts as much as brighter
    frameImage g = ref;
    g.rgb[3] = (unsigned char)(ref.rgb[3] - 3);
    EXPECT_DOUBLE_EQ(compareFrames(ref, g).meanAbs, 3.0 / 300.0);

    // the difference image: amplified, far pixels red
    const frameImage diff = differenceImage(ref, f);
    ASSERT_EQ(diff.width, 10);
    EXPECT_EQ(diff.rgb[0], 255);
    EXPECT_EQ(diff.rgb[1], 0);
    EXPECT_EQ(diff.rgb[5 * 3 + 2], 24 * 8 > 255 ? 255 : 24 * 8);
    EXPECT_EQ(diff.rgb[5 * 3 + 0], 0);
    EXPECT_EQ(diff.rgb[7 * 3 + 1], 0);

    // a frame of another size never passes, however close
    const frameImage small = gradient(10, 9);
    d = compareFrames(ref, small);
    EXPECT_FALSE(d.sameSize);
    EXPECT_FALSE(framePasses(d, {255.0, 1.0}));
    EXPECT_TRUE(differenceImage(ref, small).rgb.empty());
    EXPECT_FALSE(framePasses(compareFrames(frameImage(), frameImage()), {255.0, 1.0}));
}

TEST(ValidateShots, EnoughFramesOfEverySequenceInOrder)
{
    int n = 0;
    const validShot3D* s = validShots3D(&n);
    ASSERT_GE(n, 12 + 3);
    int perSeq[4] = {};
    std::set<std::string> names;
    for (int i = 0; i < n; i++) {
        perSeq[s[i].seq]++;
        EXPECT_TRUE(names.insert(s[i].name).second) << s[i].name;
        if (i > 0) {
            // sequences in flight order, each frame later than the one before
            EXPECT_GE(s[i].seq, s[i - 1].seq);
            if (s[i].seq == s[i - 1].seq) {
                EXPECT_GT(s[i].at, s[i - 1].at);
            }
        }
        // every frame lies on the stepped clock
        const float step = (s[i].seq == validCityNight || s[i].seq == validCityDay ? 4.0f : 1.0f) *
                           float(validStepMs3D) * 0.001f;
        const float steps = s[i].at / step;
        EXPECT_NEAR(steps, float(int(steps + 0.5f)), 1e-3f) << s[i].name;
    }
    EXPECT_GE(perSeq[validIntro], 2);
    EXPECT_GE(perSeq[validCityNight] + perSeq[validCityDay], 12);
    EXPECT_GE(perSeq[validCityDay], 1);
    EXPECT_EQ(perSeq[validEnd], 2);
}

// The program's own validations on llvmpipe, without an X server.
class ValidateRun : public ::testing::Test {
protected:
    static std::string program() { return std::string(KORVA_TREE) + "/linux/townview_x"; }
};

TEST_F(ValidateRun, BothDetailClassesPassOnTheBuildsTree)
{
    tempDir dir;
    for (const char* cls : {"normal", "high"}) {
        int status = -1;
        const std::string log = run("cd '" + std::string(KORVA_TREE) + "/linux' && LIBGL_ALWAYS_SOFTWARE=1 '" +
                                        program() + "' --off-screen --validate " + cls + " --validate-out '" +
                                        (dir.path / "out").string() + "'",
                                    &status);
        EXPECT_EQ(status, 0) << log;
        int n = 0;
        validShots3D(&n);
        EXPECT_NE(log.find(std::string("validation ") + cls + " detail: " + std::to_string(n) + " of " +
                           std::to_string(n) + " frames pass"),
                  std::string::npos)
            << log;
        EXPECT_NE(log.find("validate: references made by llvmpipe"), std::string::npos) << log;
        EXPECT_TRUE(failedFrames(log).empty()) << log;
        EXPECT_FALSE(fs::exists(dir.path / "out" / cls));
    }
}

TEST_F(ValidateRun, AChangedTextureFailsTheFramesThatShowIt)
{
    tempDir dir;
    const fs::path tree = KORVA_TREE;
    // a private tree: its own data folder, the rest linked
    fs::create_directory("data");
    for (const auto& e : fs::directory_iterator(tree / "data"))
        fs::copy_file(e.path(), fs::path("data") / e.path().filename());
    // the program's folder is copied: a linked one would find its data through the link
    fs::copy(tree / "linux", "linux", fs::copy_options::recursive);
    for (const char* d : {"references", "smltex", "bigtex", "endtex"})
        if (fs::exists(tree / d))
            fs::create_directory_symlink(tree / d, d);

    // the building fronts of the normal set turned to their negatives
    outTxt console;
    auto store = std::make_unique<data3D>(&console);
    ASSERT_EQ(store->load_pac("data/smltex.pac"), 1) << console.getText();
    int changed = 0;
    for (int i = 0; i < store->getNumTex(); i++) {
        texture3D* t = store->getTex2D(i);
        if (std::string(t->name).rfind("facade", 0) != 0)
            continue;
        const size_t bytes = size_t(t->width) * size_t(t->height) * size_t(t->components);
        for (size_t k = 0; k < bytes; k++)
            t->pixels[k] = (unsigned char)(255 - t->pixels[k]);
        changed++;
    }
    ASSERT_GT(changed, 0);
    ASSERT_EQ(store->save_pac("data/smltex.pac"), 1);

    int status = -1;
    const std::string log = run("cd '" + (dir.path / "linux").string() +
                                    "' && LIBGL_ALWAYS_SOFTWARE=1 ./townview_x --off-screen --validate normal "
                                    "--validate-out '" +
                                    (dir.path / "out").string() + "'",
                                &status);
    EXPECT_EQ(status, 5) << log;
    EXPECT_NE(log.find("warning: the validation runs on data files that are not the build's data set"),
              std::string::npos)
        << log;
    const std::set<std::string> failed = failedFrames(log);
    // the city by night and by day shows the fronts; the intro and the end pictures do not
    for (const char* f : {"night_040", "night_082", "day_054"})
        EXPECT_TRUE(failed.count(f)) << f << "\n" << log;
    for (const std::string& f : failed) {
        EXPECT_EQ(f.rfind("intro_", 0), std::string::npos) << log;
        EXPECT_EQ(f.rfind("end_", 0), std::string::npos) << log;
        // each failed frame is kept with its difference
        EXPECT_TRUE(fs::exists(dir.path / "out" / "normal" / (f + ".png"))) << f;
        EXPECT_TRUE(fs::exists(dir.path / "out" / "normal" / (f + "_diff.png"))) << f;
    }
    EXPECT_NE(log.find(" of 21 frames pass"), std::string::npos) << log;
}
