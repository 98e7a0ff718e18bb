#include "console/outTxt.h"
#include "scene/data3D.h"

#include "sgiFiles.h"
#include "consoleText.h"
#include "tempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace {


std::string le32(int v)
{
    const unsigned u = unsigned(v);
    return {char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
}

class PacTest : public ::testing::Test {
protected:
    tempDir dir;
    std::unique_ptr<outTxt> console = std::make_unique<outTxt>();
    std::unique_ptr<data3D> store = std::make_unique<data3D>(console.get());
    bool logged(const std::string& s) const { return consoleText(*console).find(s) != std::string::npos; }

    // a scene of two objects: textured with a sphere map, and plain
    void loadScene(data3D* d)
    {
        writeFile("wall.rgb", sgiFile(4, 2, 3, 5));
        writeFile("sky.rgb", sgiFile(2, 2, 4, 9));
        writeFile("end.rgb", sgiFile(2, 1, 4, 1));
        writeFile("s.mtl", "newmtl wall\n\nKa 0.1 0.2 0.3\nKd 0.4 0.5 0.6\nKs 0.7 0.8 0.9\nNs 12.5\n"
                           "map_Kd wall.rgb\nmap_refl sky.rgb\nnewmtl stone\n\nKd 0.3 0.3 0.3\nNs 3\n");
        const std::string v = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvn 0 0 1\nvn 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n";
        writeFile("a.obj", "mtllib s.mtl\n" + v +
                               "usemtl wall\nf 1/1/1 2/2/1 3/3/1 4/4/1\nf 1/1/2 3/3/2 4/4/2\nusemtl stone\nf 1//2 2//2 3//2\n");
        writeFile("b.obj", v + "f 4//1 3//1 2//1 1//1\n");
        ASSERT_EQ(d->load_obj("a.obj"), 0);
        ASSERT_EQ(d->load_obj("b.obj"), 1);
        ASSERT_EQ(d->load_dynsgi("end.rgb"), 0);
    }
};

void expectSameStore(data3D* a, data3D* b)
{
    ASSERT_EQ(a->getNumObject(), b->getNumObject());
    for (int i = 0; i < a->getNumObject(); i++) {
        const object3D* x = a->getObject3D(i);
        const object3D* y = b->getObject3D(i);
        EXPECT_STREQ(x->name, y->name);
        ASSERT_EQ(x->numGroups, y->numGroups);
        EXPECT_NE(y->render, nullptr);
        for (int g = 0; g < x->numGroups; g++) {
            const group3D& p = x->group[g];
            const group3D& q = y->group[g];
            EXPECT_EQ(p.numPoly, q.numPoly);
            ASSERT_EQ(p.numPoints, q.numPoints);
            EXPECT_EQ(p.type, q.type);
            EXPECT_EQ(p.texture, q.texture);
            EXPECT_EQ(p.texture2, q.texture2);
            EXPECT_EQ(std::memcmp(p.Ka, q.Ka, sizeof p.Ka), 0);
            EXPECT_EQ(std::memcmp(p.Kd, q.Kd, sizeof p.Kd), 0);
            EXPECT_EQ(std::memcmp(p.Ks, q.Ks, sizeof p.Ks), 0);
            EXPECT_EQ(p.Ns, q.Ns);
            EXPECT_EQ(std::memcmp(p.pointCount.get(), q.pointCount.get(), size_t(p.numPoly) * 4), 0);
            EXPECT_EQ(std::memcmp(p.vertex.get(), q.vertex.get(), size_t(p.numPoints) * 12), 0);
            EXPECT_EQ(std::memcmp(p.normal.get(), q.normal.get(), size_t(p.numPoints) * 12), 0);
            EXPECT_NE(q.xVertex, nullptr);
            EXPECT_NE(q.xNormal, nullptr);
            if (p.textured()) {
                EXPECT_EQ(std::memcmp(p.texCoord.get(), q.texCoord.get(), size_t(p.numPoints) * 8), 0);
                EXPECT_NE(q.texCoord2, nullptr);
            } else {
                EXPECT_EQ(q.texCoord, nullptr);
            }
        }
    }
    ASSERT_EQ(a->getNumTex(), b->getNumTex());
    ASSERT_EQ(a->getNumDynTex(), b->getNumDynTex());
    for (int k = 0; k < 2; k++) {
        const int n = k == 0 ? a->getNumTex() : a->getNumDynTex();
        for (int i = 0; i < n; i++) {
            const texture3D* s = k == 0 ? a->getTex2D(i) : a->getDynTex2D(i);
            const texture3D* t = k == 0 ? b->getTex2D(i) : b->getDynTex2D(i);
            EXPECT_STREQ(s->name, t->name);
            EXPECT_EQ(s->components, t->components);
            ASSERT_EQ(s->width, t->width);
            ASSERT_EQ(s->height, t->height);
            EXPECT_EQ(std::memcmp(s->pixels.get(), t->pixels.get(), size_t(s->width * s->height * s->components)), 0);
        }
    }
}

}  // namespace

TEST_F(PacTest, RoundTripReproducesTheStoreAndHandsObjectsOutInOrder)
{
    loadScene(store.get());
    ASSERT_EQ(store->save_pac("scene.pac"), 1);

    auto fresh = std::make_unique<data3D>(console.get());
    fresh->verbose = 1;
    ASSERT_EQ(fresh->load_pac("scene.pac"), 1) << console->getText();
    EXPECT_EQ(fresh->getPacMode(), 1);
    expectSameStore(store.get(), fresh.get());
    EXPECT_EQ(fresh->getObject3D(0)->group[0].Ns, 12.5f);

    // no file is read in package mode: the paths do not matter
    EXPECT_EQ(fresh->load_obj("whatever.obj"), 0);
    EXPECT_EQ(fresh->load_obj("a.obj"), 1);
    EXPECT_EQ(fresh->load_obj("b.obj"), -1);
    EXPECT_TRUE(logged("data3D::load_obj: error no object 2 in package for b.obj\n"));
    std::filesystem::remove("sky.rgb");
    EXPECT_EQ(fresh->load_sgi("sky.rgb"), 2);
    EXPECT_TRUE(logged("\t\t\t\tdata3D::load_sgi:  mempac> sky.rgb\n"));
    EXPECT_EQ(fresh->load_sgi("wall.tga"), -1);
    EXPECT_TRUE(logged("data3D::load_sgi:  not in mempac  wall.tga\n"));
    EXPECT_EQ(fresh->load_dynsgi("end.rgb"), 0);
    EXPECT_EQ(fresh->load_dynsgi("other.rgb"), -1);
    EXPECT_TRUE(logged("data3D::load_dynsgi:  not im mempac  other.rgb\n"));
    // a whole material library loads its images by name from the package
    EXPECT_EQ(fresh->load_mtl("s.mtl"), 1);
    EXPECT_EQ(fresh->getMaterial(0).texture, 1);
    EXPECT_EQ(fresh->getMaterial(0).texture2, 2);

    // init leaves package mode
    fresh->init();
    EXPECT_EQ(fresh->getPacMode(), 0);
    EXPECT_EQ(fresh->getNumObject(), 0);
}

TEST_F(PacTest, LayoutIsLittleEndianWithFixedNameFields)
{
    writeFile("t.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n");
    ASSERT_EQ(store->load_obj("t.obj"), 0);
    ASSERT_EQ(store->save_pac("t.pac"), 1);
    const std::string f = readFile("t.pac");
    // N, G, name, counts, type, textures, 3 x 4 colours, point counts, vertices, normals
    std::string expect = le32(1) + le32(1) + std::string("t.obj") + std::string(64 - 5, '\0') + le32(1) + le32(0) +
                         le32(0) + le32(0);
    ASSERT_GE(f.size(), expect.size());
    EXPECT_EQ(f.substr(0, expect.size()), expect);
    const size_t objBytes = 8 + 64 + 16 + 48 + 4 + 36 + 36;
    const size_t texBytes = 4 + 64 + 12 + 256 * 256 * 4;
    const size_t dynBytes = 4;
    EXPECT_EQ(f.size(), objBytes + texBytes + dynBytes + 4);
    // the vertex (1, 0, 0) as IEEE single floats
    const size_t v1 = 8 + 64 + 16 + 48 + 4 + 12;
    EXPECT_EQ(f.substr(v1, 4), std::string("\x00\x00\x80\x3f", 4));
    // texture 0 block
    EXPECT_EQ(f.substr(objBytes, 4), le32(1));
    EXPECT_EQ(f.substr(objBytes + 4, 12), std::string("dummytex.rgb"));
    EXPECT_EQ(f.substr(objBytes + 68, 12), le32(4) + le32(256) + le32(256));
    // shininess of the default material closes the file
    EXPECT_EQ(f.substr(f.size() - 4), std::string("\x00\x00\x48\x42", 4));
}

TEST_F(PacTest, OlderPackagesWithoutShininessLoadWithTheWarning)
{
    loadScene(store.get());
    ASSERT_EQ(store->save_pac("new.pac"), 1);
    const std::string f = readFile("new.pac");
    // three groups in all: three floats of shininess at the end
    writeFile("old.pac", f.substr(0, f.size() - 12));
    auto fresh = std::make_unique<data3D>(console.get());
    ASSERT_EQ(fresh->load_pac("old.pac"), 1);
    EXPECT_TRUE(logged("Warnig: old *.pac (< v1.5) file found, but Korvane will work\n"));
    for (int i = 0; i < fresh->getNumObject(); i++)
        for (int g = 0; g < fresh->getObject3D(i)->numGroups; g++)
            EXPECT_EQ(fresh->getObject3D(i)->group[g].Ns, 50.0f);

    // a shininess section cut short is damage, not an older file
    writeFile("cut.pac", f.substr(0, f.size() - 5));
    console->prCls();
    EXPECT_EQ(fresh->load_pac("cut.pac"), 0);
    EXPECT_TRUE(logged("data3D::load_pac: error file ends early in the shininess section in cut.pac\n"));
}

TEST_F(PacTest, DamagedPackagesAreRefusedAndLeaveAnEmptyStore)
{
    loadScene(store.get());
    ASSERT_EQ(store->save_pac("good.pac"), 1);
    const std::string f = readFile("good.pac");
    auto fresh = std::make_unique<data3D>(console.get());

    // cut anywhere before the shininess section
    const size_t body = f.size() - 12;
    for (size_t cut = 0; cut < body; cut += 1 + cut / 7) {
        writeFile("cut.pac", f.substr(0, cut));
        console->prCls();
        ASSERT_EQ(fresh->load_pac("cut.pac"), 0) << "cut at " << cut;
        EXPECT_TRUE(logged("data3D::load_pac: error ")) << console->getText();
        EXPECT_EQ(fresh->getNumObject(), 0);
        EXPECT_EQ(fresh->getPacMode(), 0);
        EXPECT_EQ(fresh->getNumTex(), 1);
        EXPECT_STREQ(fresh->getTex2D(0)->name, "dummytex.rgb");
    }

    auto patched = [&](size_t at, int value) {
        std::string g = f;
        g.replace(at, 4, le32(value));
        writeFile("bad.pac", g);
        console->prCls();
        return fresh->load_pac("bad.pac");
    };
    const size_t groups0 = 4;             // group count of object 0
    const size_t polys0 = 4 + 4 + 64;     // polygon count of its group 0
    const size_t type0 = polys0 + 2 * 4;  // type of group 0 (two groups)
    const size_t tex0 = type0 + 2 * 4;
    const size_t points0 = tex0 + 2 * 4 + 2 * 4 + 3 * 2 * 16;  // point count of the first polygon
    EXPECT_EQ(patched(0, 257), 0);
    EXPECT_TRUE(logged("data3D::load_pac: error object count out of range in bad.pac\n"));
    EXPECT_EQ(patched(0, -1), 0);
    EXPECT_EQ(patched(groups0, 129), 0);
    EXPECT_TRUE(logged("group count out of range"));
    EXPECT_EQ(patched(polys0, 1 << 30), 0);
    EXPECT_TRUE(logged("polygon count out of range"));
    EXPECT_EQ(patched(polys0, -5), 0);
    EXPECT_EQ(patched(type0, 7), 0);
    EXPECT_TRUE(logged("material type out of range"));
    EXPECT_EQ(patched(tex0, 40), 0);
    EXPECT_TRUE(logged("texture index out of range"));
    EXPECT_EQ(patched(points0, 2), 0);
    EXPECT_TRUE(logged("polygon point count out of range"));
    EXPECT_EQ(patched(points0, 32), 0);
    EXPECT_EQ(fresh->getNumObject(), 0);

    // the untouched file still loads into the same store
    EXPECT_EQ(fresh->load_pac("good.pac"), 1);
    expectSameStore(store.get(), fresh.get());
    // the last texture is the highest index a group may name
    const int textures = fresh->getNumTex();
    EXPECT_EQ(patched(tex0, textures), 0);
    EXPECT_TRUE(logged("texture index out of range"));
    EXPECT_EQ(patched(tex0, textures - 1), 1);

    EXPECT_EQ(fresh->load_pac("missing.pac"), 0);
    EXPECT_TRUE(logged("data3D::load_pac: error can't open missing.pac\n"));
    EXPECT_EQ(store->save_pac("nodir/x.pac"), 0);
    EXPECT_TRUE(logged("data3D::save_pac: error can't open nodir/x.pac\n"));
#ifdef __linux__
    // a full disk is a failed save
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_EQ(store->save_pac("/dev/full"), 0);
        EXPECT_TRUE(logged("data3D::save_pac: error writing /dev/full\n"));
    }
#endif
}

TEST_F(PacTest, APackageSavedWhileALiveTextureShowsLoadsAgain)
{
    loadScene(store.get());
    ASSERT_EQ(store->setdyntex(0, 128), 1);
    // texture 0 shows the 2 x 1 live picture now
    ASSERT_EQ(store->getTex2D(0)->width, 2);
    ASSERT_EQ(store->save_pac("live.pac"), 1);

    auto fresh = std::make_unique<data3D>(console.get());
    ASSERT_EQ(fresh->load_pac("live.pac"), 1) << console->getText();
    // texture 0 comes back as the whole block, with the picture in it
    const texture3D* t0 = fresh->getTex2D(0);
    EXPECT_EQ(t0->components, 4);
    EXPECT_EQ(t0->width, 256);
    EXPECT_EQ(t0->height, 256);
    EXPECT_EQ(std::memcmp(t0->pixels.get(), store->getTex2D(0)->pixels.get(), 256 * 256 * 4), 0);
    // showing the same picture makes it the same store
    ASSERT_EQ(fresh->setdyntex(0, 128), 1);
    expectSameStore(store.get(), fresh.get());
    // and the same package
    ASSERT_EQ(fresh->save_pac("again.pac"), 1);
    EXPECT_EQ(readFile("again.pac"), readFile("live.pac"));
}

TEST_F(PacTest, AnEmptyPackageIsNoOldOne)
{
    ASSERT_EQ(store->save_pac("empty.pac"), 1);
    auto fresh = std::make_unique<data3D>(console.get());
    console->prCls();
    ASSERT_EQ(fresh->load_pac("empty.pac"), 1) << console->getText();
    EXPECT_FALSE(logged("old *.pac")) << console->getText();
    EXPECT_EQ(fresh->getNumObject(), 0);
    EXPECT_EQ(fresh->getNumTex(), 1);
    // a package whose objects have groups and no shininess section is the old form
    loadScene(store.get());
    ASSERT_EQ(store->save_pac("scene.pac"), 1);
    const std::string full = readFile("scene.pac");
    size_t groups = 0;
    for (int i = 0; i < store->getNumObject(); i++)
        groups += size_t(store->getObject3D(i)->numGroups);
    writeFile("old.pac", full.substr(0, full.size() - 4 * groups));
    auto old = std::make_unique<data3D>(console.get());
    console->prCls();
    ASSERT_EQ(old->load_pac("old.pac"), 1) << console->getText();
    EXPECT_TRUE(logged("Warnig: old *.pac (< v1.5) file found, but Korvane will work\n"));
    EXPECT_EQ(old->getObject3D(0)->group[0].Ns, 50.0f);
}

TEST_F(PacTest, ATexture0ThatIsNoWholeBlockIsRefused)
{
    loadScene(store.get());
    ASSERT_EQ(store->save_pac("scene.pac"), 1);
    const std::string full = readFile("scene.pac");
    const size_t at = full.find("dummytex.rgb");
    ASSERT_NE(at, std::string::npos);
    // texture 0 made a 4 x 4 RGBA picture: its header says so and its pixels are 64 bytes
    const size_t dims = at + sizeof(texture3D{}.name);
    std::string small = full.substr(0, dims) + le32(4) + le32(4) + le32(4) +
                        full.substr(dims + 12, 64) + full.substr(dims + 12 + 256 * 256 * 4);
    writeFile("small.pac", small);
    auto fresh = std::make_unique<data3D>(console.get());
    console->prCls();
    EXPECT_EQ(fresh->load_pac("small.pac"), 0);
    EXPECT_TRUE(logged("texture 0 is no 256 x 256 RGBA block")) << console->getText();
    // the same file with texture 0 whole loads
    auto good = std::make_unique<data3D>(console.get());
    EXPECT_EQ(good->load_pac("scene.pac"), 1);
}
