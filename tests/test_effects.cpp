#include "console/outTxt.h"
#include "effects/fog3D.h"
#include "effects/korvaRand.h"
#include "effects/recmat3D.h"

#include "consoleText.h"
#include "tempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

matrix_4 poseOf(float v)
{
    matrix_4 m;
    for (int i = 0; i < 16; i++)
        m.m[i] = v + float(i) * 0.01f;
    return m;
}

class EffectsTest : public ::testing::Test {
protected:
    tempDir dir;
    std::unique_ptr<outTxt> console = std::make_unique<outTxt>();
    bool logged(const std::string& s) const { return consoleText(*console).find(s) != std::string::npos; }
};

}  // namespace

TEST_F(EffectsTest, PlaybackBlendsBetweenRecords)
{
    auto path = std::make_unique<recmat3D>(console.get());
    matrix_4 m;
    // an empty path gives the identity and its end
    EXPECT_EQ(path->get(&m, 0.0f), 0);
    EXPECT_EQ(m.m[0], 1.0f);
    EXPECT_EQ(m.m[1], 0.0f);

    for (int k = 0; k < 5; k++)
        ASSERT_EQ(path->insert(poseOf(float(k)), 0.5f), 1);
    EXPECT_EQ(path->getCount(), 5);
    path->rewind();
    EXPECT_EQ(path->get(&m, 0.0f), 1);
    EXPECT_EQ(m.m[0], 0.0f);
    // exactly at k x d: pose k
    EXPECT_EQ(path->get(&m, 1.0f), 1);
    EXPECT_FLOAT_EQ(m.m[0], 2.0f);
    EXPECT_FLOAT_EQ(m.m[5], 2.05f);
    // halfway between records 2 and 3: their average
    EXPECT_EQ(path->get(&m, 1.25f), 1);
    EXPECT_FLOAT_EQ(m.m[0], 2.5f);
    EXPECT_FLOAT_EQ(m.m[15], 2.65f);
    // a quarter of the way
    path->get(&m, 1.625f);
    EXPECT_FLOAT_EQ(m.m[0], 3.25f);
    // forward only: an earlier time blends past the previous record
    path->get(&m, 1.0f);
    EXPECT_FLOAT_EQ(m.m[0], 2.0f);
    EXPECT_EQ(path->get(&m, 2.0f), 1);
    EXPECT_FLOAT_EQ(m.m[0], 4.0f);
    // past the last record: the last pose and 0, until rewind
    EXPECT_EQ(path->get(&m, 2.1f), 0);
    EXPECT_FLOAT_EQ(m.m[0], 4.0f);
    EXPECT_EQ(path->get(&m, 0.5f), 0);
    EXPECT_FLOAT_EQ(m.m[0], 4.0f);
    path->rewind();
    EXPECT_EQ(path->get(&m, 0.5f), 1);
    EXPECT_FLOAT_EQ(m.m[0], 1.0f);
    // negative times count as 0
    path->rewind();
    path->get(&m, -3.0f);
    EXPECT_FLOAT_EQ(m.m[0], 0.0f);

    // sampling at any time leaves playback where it is
    path->rewind();
    path->get(&m, 1.0f);
    matrix_4 a;
    EXPECT_EQ(path->poseAt(&a, 0.25f), 1);
    EXPECT_FLOAT_EQ(a.m[0], 0.5f);
    EXPECT_EQ(path->poseAt(&a, 9.0f), 0);
    path->get(&m, 1.25f);
    EXPECT_FLOAT_EQ(m.m[0], 2.5f);

    // a record after a zero time step is not blended
    path->reset();
    path->insert(poseOf(0.0f), 1.0f);
    path->insert(poseOf(10.0f), 0.0f);
    path->insert(poseOf(20.0f), 1.0f);
    path->get(&m, 0.5f);
    EXPECT_FLOAT_EQ(m.m[0], 20.0f);
}

TEST_F(EffectsTest, FullPathRefusesTheNextInsert)
{
    auto path = std::make_unique<recmat3D>(console.get());
    path->reset();
    for (int k = 0; k < recmat3D::maxRecords; k++)
        ASSERT_EQ(path->insert(poseOf(float(k)), 1.0f), 1);
    EXPECT_EQ(path->insert(poseOf(-1.0f), 1.0f), 0);
    EXPECT_STREQ(console->getText(), "recmat3D::insert: error recPos>maxRecord");
    EXPECT_EQ(path->getCount(), recmat3D::maxRecords);
    EXPECT_FLOAT_EQ(path->getPose(4999).m[0], 4999.0f);
}

TEST_F(EffectsTest, TextAndBinaryFilesRoundTrip)
{
    auto path = std::make_unique<recmat3D>(console.get());
    for (int k = 0; k < 7; k++)
        path->insert(poseOf(float(k) * 1.5f - 3.0f), 0.04f * float(k + 1));
    ASSERT_EQ(path->save("p.txt"), 1);
    ASSERT_EQ(path->saveBin("p.bre"), 1);
    ASSERT_EQ(path->saveSpecial("s.txt"), 1);
    EXPECT_EQ(std::filesystem::file_size("p.bre"), 7u * 68u);
    // a text file: Windows ends its lines with CR LF
    std::string text = readFile("p.txt");
    std::erase(text, '\r');
    EXPECT_EQ(text.substr(0, text.find('\n') + 1),
              "-3.000000 -2.990000 -2.980000 -2.970000 -2.960000 -2.950000 -2.940000 -2.930000 -2.920000 "
              "-2.910000 -2.900000 -2.890000 -2.880000 -2.870000 -2.860000 -2.850000 0.040000\n");

    auto again = std::make_unique<recmat3D>(console.get());
    ASSERT_EQ(again->load("p.txt"), 1);
    ASSERT_EQ(again->getCount(), 7);
    for (int k = 0; k < 7; k++)
        for (int i = 0; i < 16; i++)
            EXPECT_NEAR(again->getPose(k).m[i], path->getPose(k).m[i], 1e-6f);
    ASSERT_EQ(again->load("s.txt"), 1);
    EXPECT_NEAR(again->getStep(2), 0.12f * 1.2f, 1e-6f);

    // the binary form is exact, little-endian
    ASSERT_EQ(again->loadBin("p.bre"), 1);
    ASSERT_EQ(again->getCount(), 7);
    EXPECT_EQ(std::memcmp(&again->getPose(6), &path->getPose(6), sizeof(matrix_4)), 0);
    EXPECT_EQ(again->getStep(6), path->getStep(6));
    const std::string bin = readFile("p.bre");
    EXPECT_EQ(bin.substr(64, 4), std::string("\x0a\xd7\x23\x3d", 4));  // 0.04f

    // a trailing partial record is not read
    writeFile("q.bre", bin.substr(0, 3 * 68 + 10));
    ASSERT_EQ(again->loadBin("q.bre"), 1);
    EXPECT_EQ(again->getCount(), 3);
    // lines that are not 17 numbers are skipped
    writeFile("r.txt", "# comment\n" + text.substr(0, text.find('\n') + 1) + "1 2 3\n");
    ASSERT_EQ(again->load("r.txt"), 1);
    EXPECT_EQ(again->getCount(), 1);

    console->prCls();
    EXPECT_EQ(again->load("none.txt"), 0);
    EXPECT_EQ(again->loadBin("none.bre"), 0);
    EXPECT_EQ(consoleText(*console), "recmat3D::load: error can't open none.txt\nrecmat3D::load: error can't open none.bre\n");
    EXPECT_EQ(again->getCount(), 1);  // a failed open keeps the count
    EXPECT_EQ(again->save("nodir/x.txt"), 0);
    EXPECT_EQ(again->saveBin("nodir/x.bre"), 0);
    EXPECT_TRUE(logged("recmat3D::save: error can't open nodir/x.txt\n"));
    EXPECT_TRUE(logged("recmat3D::saveBin: error can't open nodir/x.bre\n"));
#ifdef __linux__
    EXPECT_EQ(path->saveBin("/dev/full"), 0);
    EXPECT_TRUE(logged("recmat3D::saveBin: error can't write /dev/full\n"));
#endif
}

TEST_F(EffectsTest, LoadersRefuseMoreThan5000Records)
{
    std::string text;
    std::string bin;
    const std::string rec = "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 0.02\n";
    for (int k = 0; k < 5001; k++)
        text += rec;
    writeFile("long.txt", text);
    auto path = std::make_unique<recmat3D>(console.get());
    EXPECT_EQ(path->load("long.txt"), -1);
    EXPECT_TRUE(logged("\nrecmat3D::load  n>=MAXRECORD\n"));
    // exactly 5000 is fine
    writeFile("full.txt", text.substr(0, rec.size() * 5000));
    EXPECT_EQ(path->load("full.txt"), 1);
    EXPECT_EQ(path->getCount(), 5000);

    ASSERT_EQ(path->saveBin("full.bre"), 1);
    const std::string b = readFile("full.bre");
    // a good path with garbage behind it is not the path
    writeFile("long.bre", b + b.substr(0, 68 * 2));
    console->prCls();
    EXPECT_EQ(path->loadBin("long.bre"), -1);
    EXPECT_EQ(path->getCount(), 0);
    EXPECT_TRUE(logged("\nrecmat3D::load  n>=MAXRECORD\n"));
    // a trailing part of a record is still no record
    writeFile("full.bre", b + b.substr(0, 67));
    EXPECT_EQ(path->loadBin("full.bre"), 1);
    EXPECT_EQ(path->getCount(), 5000);
}

namespace {

// a binary path of n records with the given step; pose value v
std::string binPath(int n, float step, float v = 1.0f)
{
    std::string b;
    for (int r = 0; r < n; r++) {
        float f[17];
        for (float& x : f)
            x = v;
        f[16] = step;
        b.append(reinterpret_cast<const char*>(f), sizeof f);
    }
    return b;
}

// puts a float at record r, field k of a binary path
void setField(std::string* b, int r, int k, float x)
{
    std::memcpy(&(*b)[size_t(r) * 68 + size_t(k) * 4], &x, 4);
}

}  // namespace

TEST_F(EffectsTest, DamagedPathsAreRefusedWithTheirFault)
{
    auto path = std::make_unique<recmat3D>(console.get());
    const std::string good = binPath(100, 0.04f);
    writeFile("good.bre", good);
    ASSERT_EQ(path->loadBin("good.bre"), 1);
    ASSERT_EQ(path->getCount(), 100);
    EXPECT_NEAR(path->duration(), 4.0f, 1e-4f);

    struct damage {
        int record, field;
        float value;
        const char* says;
    } const cases[] = {
        {50, 16, std::nanf(""), "recmat3D::loadBin: error time step 50 of bad.bre is negative or not a finite number\n"},
        {0, 16, INFINITY, "recmat3D::loadBin: error time step 0 of bad.bre is negative or not a finite number\n"},
        {99, 16, -0.04f, "recmat3D::loadBin: error time step 99 of bad.bre is negative or not a finite number\n"},
        {7, 3, -INFINITY, "recmat3D::loadBin: error pose 7 of bad.bre is not a finite number\n"},
        {8, 15, std::nanf(""), "recmat3D::loadBin: error pose 8 of bad.bre is not a finite number\n"},
        // finite, but a flight without end
        {20, 16, 1e30f, "recmat3D::loadBin: error bad.bre lasts 1e+30 s, more than 3600 s\n"},
        {20, 16, 3597.0f, "recmat3D::loadBin: error bad.bre lasts 3600.96 s, more than 3600 s\n"},
    };
    for (const damage& d : cases) {
        std::string b = good;
        setField(&b, d.record, d.field, d.value);
        writeFile("bad.bre", b);
        ASSERT_EQ(path->loadBin("good.bre"), 1);
        console->prCls();
        EXPECT_EQ(path->loadBin("bad.bre"), -1) << d.says;
        EXPECT_EQ(path->getCount(), 0) << d.says;
        EXPECT_TRUE(logged(d.says)) << consoleText(*console);
    }
    // a long step within the limit is a path
    std::string slow = good;
    setField(&slow, 20, 16, 3595.0f);
    writeFile("slow.bre", slow);
    EXPECT_EQ(path->loadBin("slow.bre"), 1);

    // the text loader: nan, inf and negative steps
    for (const char* line : {"1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 nan\n", "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 -1\n",
                             "inf 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 0.04\n", "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 1e30\n"}) {
        writeFile("bad.txt", std::string("1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 0.04\n") + line);
        console->prCls();
        EXPECT_EQ(path->load("bad.txt"), -1) << line;
        EXPECT_EQ(path->getCount(), 0);
        EXPECT_TRUE(logged("recmat3D::load: error ")) << line << consoleText(*console);
    }

    // random bytes: refused or a path that ends
    unsigned seed = 12345;
    for (int k = 0; k < 200; k++) {
        std::string b(size_t(68 * (1 + k % 40) + k % 5), '\0');
        for (char& c : b) {
            seed = seed * 1103515245u + 12345u;
            c = char(seed >> 16);
        }
        writeFile("random.bre", b);
        const int r = path->loadBin("random.bre");
        ASSERT_TRUE(r == 1 || r == -1);
        if (r == 1) {
            matrix_4 m;
            int frames = 0;
            for (float t = 0.0f; path->get(&m, t) == 1; t += 1.0f)
                ASSERT_LT(++frames, 4000) << "a path that does not end";
        }
    }
}

TEST_F(EffectsTest, OwnRandomSequenceMatchesGlibc)
{
    korvaRand r(1);
#ifdef __GLIBC__
    for (unsigned seed : {1u, 0u, 7u, 123456u, 4000000000u}) {
        std::srand(seed);
        r.srand(seed);
        for (int i = 0; i < 2000; i++)
            ASSERT_EQ(r.rand(), std::rand()) << "seed " << seed << " value " << i;
    }
#endif
    // the first values of glibc after srand(1), as every C programmer has seen them
    r.srand(1);
    EXPECT_EQ(r.rand(), 1804289383);
    EXPECT_EQ(r.rand(), 846930886);
    EXPECT_EQ(r.rand(), 1681692777);
}

TEST_F(EffectsTest, FillFogMakesThreeKindsFromTheSeed)
{
    auto fog = std::make_unique<fog3D>(console.get(), nullptr);
    fog->initFog(nullptr, 4, 5, 6, 3.0f, 1.0f, 0.5f, 0);
    EXPECT_EQ(fog->fillFog(42, 10, -10.0f, 10.0f, -20.0f, 20.0f, 1.0f, 2.0f, 0.5f, 1.0f), 0);
    ASSERT_EQ(fog->getCount(), 9);
    EXPECT_EQ(fog->getTexture(0), 4);
    EXPECT_EQ(fog->getTexture(3), 5);
    EXPECT_EQ(fog->getTexture(8), 6);
    // the values come in the order x, y, z, r, orientation from one sequence
    korvaRand r(42);
    const float u0 = float(r.rand()) * 4.656613e-10f;
    const float u1 = float(r.rand()) * 4.656613e-10f;
    const float u2 = float(r.rand()) * 4.656613e-10f;
    const float u3 = float(r.rand()) * 4.656613e-10f;
    EXPECT_FLOAT_EQ(fog->getCentre(0).x, -10.0f + 20.0f * u0);
    EXPECT_FLOAT_EQ(fog->getCentre(0).y, 1.0f + u1 * 2.0f);
    EXPECT_FLOAT_EQ(fog->getCentre(0).z, -20.0f + u2 * 40.0f);
    EXPECT_FLOAT_EQ(fog->getRadius(0), 0.5f + u3);
    // resting corners around the centre, in the cloud's plane
    const vec_4 c = fog->getCentre(0);
    const float rad = fog->getRadius(0);
    EXPECT_FLOAT_EQ(fog->getCorner(0, 0).x, c.x - rad);
    EXPECT_FLOAT_EQ(fog->getCorner(0, 0).z, c.z + rad);
    EXPECT_FLOAT_EQ(fog->getCorner(0, 2).x, c.x + rad);
    EXPECT_FLOAT_EQ(fog->getCorner(0, 2).z, c.z - rad);
    EXPECT_EQ(fog->getCorner(0, 3).y, c.y);

    auto same = std::make_unique<fog3D>(console.get(), nullptr);
    same->initFog(nullptr, 4, 5, 6, 3.0f, 1.0f, 0.5f, 0);
    same->fillFog(42, 10, -10.0f, 10.0f, -20.0f, 20.0f, 1.0f, 2.0f, 0.5f, 1.0f);
    for (int i = 0; i < 9; i++)
        for (int k = 0; k < 4; k++)
            EXPECT_EQ(std::memcmp(&same->getCorner(i, k), &fog->getCorner(i, k), sizeof(vec_4)), 0);
    same->initFog(nullptr, 4, 5, 6, 3.0f, 1.0f, 0.5f, 0);
    same->fillFog(43, 10, -10.0f, 10.0f, -20.0f, 20.0f, 1.0f, 2.0f, 0.5f, 1.0f);
    EXPECT_NE(same->getCentre(0).x, fog->getCentre(0).x);

    // the limit keeps what was made
    EXPECT_EQ(fog->fillFog(1, 3 * 6000, 0, 1, 0, 1, 0, 1, 1, 1), -1);
    EXPECT_TRUE(logged("fillFog: MAXFOG limit reached\n"));
    EXPECT_EQ(fog->getCount(), fog3D::MAXFOG);
}

TEST_F(EffectsTest, MovingPointPushesNearCornersAndTheyRelaxBack)
{
    auto fog = std::make_unique<fog3D>(console.get(), nullptr);
    fog->initFog(nullptr, 1, 1, 1, 4.0f, 0.5f, 0.25f, 0);
    fog->insertFog(0.0f, 0.0f, 0.0f, 1.0f);   // near
    fog->insertFog(20.0f, 0.0f, 0.0f, 1.0f);  // beyond twice the influence
    fog->insertFog(7.0f, 0.0f, 0.0f, 1.0f);   // within twice, outside once
    vec_4 far[4];
    vec_4 mid[4];
    for (int k = 0; k < 4; k++) {
        far[k] = fog->getCorner(1, k);
        mid[k] = fog->getCorner(2, k);
    }
    fog->moveFog(0.5f, 0.3f, 0.0f, 0.1f);
    // the corner on the far side of the point moves away from it
    EXPECT_LT(fog->getCorner(0, 0).x, -1.0f);
    EXPECT_GT(fog->getCorner(0, 1).x, 1.0f);
    for (int k = 0; k < 4; k++) {
        EXPECT_EQ(std::memcmp(&fog->getCorner(1, k), &far[k], sizeof(vec_4)), 0);
        EXPECT_EQ(std::memcmp(&fog->getCorner(2, k), &mid[k], sizeof(vec_4)), 0);  // at rest already
        EXPECT_EQ(fog->getCorner(0, k).y, 0.0f);  // no vertical push
    }
    // with the point gone they return, never past the resting place
    const float pushed = fog->getCorner(0, 1).x;
    for (int i = 0; i < 1000; i++) {
        fog->moveFog(6.0f, 0.0f, 0.0f, 0.1f);  // within 2 x influence, outside influence
        ASSERT_GE(fog->getCorner(0, 1).x, 1.0f);
    }
    EXPECT_LT(fog->getCorner(0, 1).x, pushed);
    EXPECT_NEAR(fog->getCorner(0, 1).x, 1.0f, 1e-4f);

    // moveFog2 drags corners along the direction of travel
    auto a = std::make_unique<fog3D>(console.get(), nullptr);
    auto b = std::make_unique<fog3D>(console.get(), nullptr);
    a->initFog(nullptr, 1, 1, 1, 4.0f, 0.5f, 0.0f, 1);
    b->initFog(nullptr, 1, 1, 1, 4.0f, 0.5f, 0.0f, 1);
    a->insertFog(0.0f, 0.0f, 0.0f, 1.0f);
    b->insertFog(0.0f, 0.0f, 0.0f, 1.0f);
    a->moveFog(0.0f, 0.5f, 0.0f, 0.1f);
    b->moveFog2(0.0f, 0.5f, 0.0f, vec_4{0.0f, 0.0f, 3.0f, 1.0f}, 0.1f);
    EXPECT_GT(b->getCorner(0, 0).z, a->getCorner(0, 0).z);
    // vertical 1 lets corners below the point sink
    EXPECT_LT(a->getCorner(0, 0).y, 0.0f);
}
