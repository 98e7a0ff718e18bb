// The build's data tree: every file of the catalogue in both texture sets
// loads from the loose files and from the packages, the paths have their lengths.
#include "driver3D.h"
#include "platform3D.h"

#include "tempDir.h"
#include "userFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

namespace fs = std::filesystem;

TEST(DataSet, CatalogueLoadsFromFilesAndPackagesInBothSets)
{
    const fs::path home = fs::current_path();
    ASSERT_EQ(changeDir3D((std::string(KORVA_TREE) + "/linux").c_str()), 0);
    for (int big = 0; big < 2; big++) {
        SCOPED_TRACE(big ? "big textures" : "small textures");
        loadBigTex = big;
        mainOut.prCls();
        sceneData.init();
        ASSERT_EQ(loadSceneFiles3D(1), 1) << mainOut.getText();
        const int objects = sceneData.getNumObject();
        const int textures = sceneData.getNumTex();
        // 88 street tiles, 5 more ground pieces, 40 blocks and glows, 9 factory, 8 propellers ...
        EXPECT_GT(objects, 170);
        EXPECT_EQ(strObjend - strObjstart + 1, 14 * 8 - 6 * 4 + 5);
        EXPECT_EQ(plas_aObjend - plas_aObjstart + 1, 17);
        EXPECT_EQ(skyObjend - skyObjstart + 1, 20);
        EXPECT_EQ(sceneData.getNumDynTex(), 12);
        const texture3D* wall = sceneData.getTex2D(1);
        EXPECT_EQ(wall->width, big ? 512 : 128);
        for (int i = 0; i < sceneData.getNumDynTex(); i++) {
            EXPECT_EQ(sceneData.getDynTex2D(i)->components, 4);
            EXPECT_LE(sceneData.getDynTex2D(i)->width * sceneData.getDynTex2D(i)->height, 256 * 256);
        }
        sceneData.init();
        ASSERT_EQ(loadObjs3D(), 1) << mainOut.getText();
        EXPECT_EQ(sceneData.getNumObject(), objects);
        EXPECT_EQ(sceneData.getNumTex(), textures);
        EXPECT_EQ(big ? bigTexLoaded : smlTexLoaded, 1);
    }
    sceneData.init();
    EXPECT_EQ(sceneData.load_pac("../data/deskobjs.pac"), 1);
    EXPECT_EQ(sceneData.getNumObject(), 21);

    // path lengths in seconds of path time
    struct {
        const char* file;
        float lo, hi;
    } paths[] = {{"../data/ship.bre", 165, 175},   {"../data/cam.bre", 165, 175},    {"../data/deskship.bre", 18, 22},
                 {"../data/endship.bre", 20, 24}, {"../data/endcam.bre", 20, 24}, {"../data/sphere.bre", 20, 24}};
    auto rec = std::make_unique<recmat3D>(&mainOut);
    for (const auto& p : paths) {
        ASSERT_EQ(rec->loadBin(p.file), 1) << p.file;
        float t = 0.0f;
        for (int i = 1; i < rec->getCount(); i++)
            t += rec->getStep(i);
        EXPECT_GE(t, p.lo) << p.file;
        EXPECT_LE(t, p.hi) << p.file;
        EXPECT_LE(rec->getCount(), 5000);
        // smooth: no jump between neighbouring records; a camera path holds view
        // matrices, whose eye point is -R^T t
        const bool view = std::string(p.file).find("cam") != std::string::npos;
        auto where = [&](int i, int axis) {
            const float* m = rec->getPose(i).m;
            if (!view)
                return m[axis * 4 + 3];
            return -(m[0 * 4 + axis] * m[3] + m[1 * 4 + axis] * m[7] + m[2 * 4 + axis] * m[11]);
        };
        float jump = 0.0f;
        for (int i = 1; i < rec->getCount(); i++)
            for (int a = 0; a < 3; a++)
                jump = std::max(jump, std::fabs(where(i, a) - where(i - 1, a)));
        EXPECT_LT(jump, 0.5f) << p.file;
    }
    fs::current_path(home);
}

TEST(DataSet, ARebuildKeepsTheKorvaIniAUserEdited)
{
    tempDir dir;
    bool kept = true;
    // a new tree: written, and the build's copy beside it
    ASSERT_TRUE(writeUserFile("t/linux/Korva.INI", "v1\n", "t.made/linux/Korva.INI", &kept));
    EXPECT_FALSE(kept);
    EXPECT_EQ(readFile("t/linux/Korva.INI"), "v1\n");
    // untouched since: a newer build's text replaces it
    ASSERT_TRUE(writeUserFile("t/linux/Korva.INI", "v2\n", "t.made/linux/Korva.INI", &kept));
    EXPECT_FALSE(kept);
    EXPECT_EQ(readFile("t/linux/Korva.INI"), "v2\n");
    // edited by the user: kept through any rebuild, while the build's copy follows the build
    writeFile("t/linux/Korva.INI", "my PC\nmy info\nXresolution=800\n");
    for (const char* text : {"v2\n", "v3\n"}) {
        ASSERT_TRUE(writeUserFile("t/linux/Korva.INI", text, "t.made/linux/Korva.INI", &kept));
        EXPECT_TRUE(kept);
        EXPECT_EQ(readFile("t/linux/Korva.INI"), "my PC\nmy info\nXresolution=800\n");
        EXPECT_EQ(readFile("t.made/linux/Korva.INI"), text);
    }
    // the build's tree keeps the copy that gets installed
    EXPECT_TRUE(std::filesystem::is_regular_file(std::string(KORVA_TREE) + ".made/linux/Korva.INI"));
}
