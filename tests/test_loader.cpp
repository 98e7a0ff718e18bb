#include "console/outTxt.h"
#include "scene/data3D.h"

#include "sgiFiles.h"
#include "consoleText.h"
#include "tempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

class LoaderTest : public ::testing::Test {
protected:
    tempDir dir;
    std::unique_ptr<outTxt> console = std::make_unique<outTxt>();
    std::unique_ptr<data3D> store = std::make_unique<data3D>(console.get());

    std::string log() const { return consoleText(*console); }
    bool logged(const std::string& s) const { return log().find(s) != std::string::npos; }
    int count(const std::string& s) const
    {
        int n = 0;
        const std::string l = log();
        for (size_t p = l.find(s); p != std::string::npos; p = l.find(s, p + 1))
            n++;
        return n;
    }
};

// a unit square in z = 0 with two triangles' worth of shared data
const char* squareData = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvn 0 0 1\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n";


}  // namespace

TEST_F(LoaderTest, ModelWithoutLibraryGetsTheDefaultGreyMaterial)
{
    writeFile("plain.obj", std::string(squareData) + "f 1//1 2//1 3//1 4//1\nf 1//1 3//1 4//1\n");
    const int i = store->load_obj("plain.obj");
    ASSERT_EQ(i, 0);
    EXPECT_TRUE(logged("data3D::load_obj:warnig no .mtl found -> use default mat\n"));
    EXPECT_TRUE(logged("obj:0  3 polygons 0 newtex 1 materials  loaded in plain.obj\ntotaltexKB 0\t\ttotalNum 1 vekMemory "));
    EXPECT_EQ(store->getNumObject(), 1);
    const object3D* o = store->getObject3D(0);
    EXPECT_STREQ(o->name, "plain.obj");
    ASSERT_EQ(o->numGroups, 1);
    const group3D& g = o->group[0];
    EXPECT_EQ(g.type, 0);
    EXPECT_EQ(g.numPoly, 2);
    EXPECT_EQ(g.numPoints, 7);
    EXPECT_EQ(g.pointCount[0], 4);
    EXPECT_EQ(g.pointCount[1], 3);
    for (int c = 0; c < 3; c++) {
        EXPECT_FLOAT_EQ(g.Ka[c], 0.3f);
        EXPECT_FLOAT_EQ(g.Kd[c], 0.5f);
        EXPECT_FLOAT_EQ(g.Ks[c], 0.8f);
    }
    EXPECT_FLOAT_EQ(g.Kd[3], 1.0f);
    // face points in face order: the second face starts with vertex 1, then 3
    EXPECT_FLOAT_EQ(g.vertex[4 * 3 + 0], 0.0f);
    EXPECT_FLOAT_EQ(g.vertex[5 * 3 + 0], 1.0f);
    EXPECT_FLOAT_EQ(g.vertex[5 * 3 + 1], 1.0f);
    EXPECT_FLOAT_EQ(g.normal[6 * 3 + 2], 1.0f);
    EXPECT_EQ(g.texCoord, nullptr);
    EXPECT_NE(g.xVertex, nullptr);
    EXPECT_NE(o->render, nullptr);
    EXPECT_EQ(store->getNumTriangles(), 3);
}

TEST_F(LoaderTest, FaceFormsAcceptedPerMaterialType)
{
    writeFile("m.mtl",
              "newmtl plain\n# skipped\nKd 0.1 0.2 0.3\n"
              "newmtl tex\n# skipped\nmap_Kd -s 1 1 1 grid.rgb\n"
              "newmtl unused\n# skipped\nKd 1 1 1\n");
    writeFile("grid.rgb", sgiFile(2, 2, 3, 10));
    writeFile("m.obj", std::string("mtllib m.mtl\n") + squareData +
                           "usemtl plain\n"
                           "f 1/1/1 2/2/1 3/3/1\n"       // three indices on a colour material: texture dropped
                           "g side\ns off\n"
                           "f 1//1 3//1 4//1\n"
                           "usemtl tex\n"
                           "f 1//1 2//1 3//1\n"          // no texture index for a textured material
                           "f 1/1/1 2/2/1 3/3/1 4/4/1\n"
                           "f 1/1 2/2 3/3\n");           // texture but no normal
    ASSERT_EQ(store->load_obj("m.obj"), 0);
    const object3D* o = store->getObject3D(0);
    // the unused material makes no group
    ASSERT_EQ(o->numGroups, 2);

    const group3D& plain = o->group[0];
    EXPECT_EQ(plain.type, 0);
    EXPECT_EQ(plain.numPoly, 2);
    EXPECT_EQ(plain.texCoord, nullptr);
    EXPECT_FLOAT_EQ(plain.Kd[1], 0.2f);

    const group3D& tex = o->group[1];
    EXPECT_EQ(tex.type, 1);
    EXPECT_EQ(tex.numPoly, 2);
    EXPECT_EQ(tex.numPoints, 7);
    EXPECT_EQ(tex.texture, 1);
    ASSERT_NE(tex.texCoord, nullptr);
    EXPECT_NE(tex.texCoord2, nullptr);
    EXPECT_FLOAT_EQ(tex.texCoord[2 * 2 + 0], 1.0f);  // point 3 of the quad: vt 3
    EXPECT_FLOAT_EQ(tex.texCoord[2 * 2 + 1], 1.0f);
    EXPECT_EQ(count("data3D::scan_poly_vtn(): warning: unknown f polyline type"), 1);
    EXPECT_TRUE(logged("warning: found f 1/1  2/2  3/3\t NO NORMALS\n"));
    // the computed normal is one unit normal per face: (P0 - P2) x (P1 - P2) of the square is +z
    for (int p = 4; p < 7; p++) {
        EXPECT_NEAR(tex.normal[p * 3 + 0], 0.0f, 1e-6f);
        EXPECT_NEAR(tex.normal[p * 3 + 1], 0.0f, 1e-6f);
        EXPECT_NEAR(tex.normal[p * 3 + 2], 1.0f, 1e-6f);
    }
    EXPECT_EQ(store->getNumTriangles(), 2 + 3);
    EXPECT_TRUE(logged("data3D::scan_poly_vtn:warning end of file\n"));
}

TEST_F(LoaderTest, TexturedMaterialWithNormalOnlyFacesHasNoPolygons)
{
    writeFile("t.mtl", "newmtl tex\n\nmap_Kd grid.rgb\n");
    writeFile("grid.rgb", sgiFile(2, 2, 3, 0));
    writeFile("t.obj", std::string("mtllib t.mtl\n") + squareData + "usemtl tex\nf 1//1 2//1 3//1\nf 1//1 3//1 4//1\n");
    EXPECT_EQ(store->load_obj("t.obj"), -1);
    EXPECT_EQ(count("data3D::scan_poly_vtn(): warning: unknown f polyline type 1\nf 1//1"), 2);
    EXPECT_TRUE(logged("data3D::load_obj: error no polygons found"));
    EXPECT_EQ(store->getNumObject(), 0);
}

TEST_F(LoaderTest, PointCountsFrom3To31)
{
    std::string obj;
    for (int i = 0; i < 40; i++)
        obj += "v " + std::to_string(std::cos(i * 0.15)) + " " + std::to_string(std::sin(i * 0.15)) + " 0\n";
    obj += "vn 0 0 1\n";
    auto face = [](int n) {
        std::string f = "f";
        for (int i = 1; i <= n; i++)
            f += " " + std::to_string(i) + "//1";
        return f + "\n";
    };
    obj += face(31) + face(32) + face(2) + face(33) + face(3);
    writeFile("big.obj", obj);
    ASSERT_EQ(store->load_obj("big.obj"), 0);
    const group3D& g = store->getObject3D(0)->group[0];
    EXPECT_EQ(g.numPoly, 2);
    EXPECT_EQ(g.pointCount[0], 31);
    EXPECT_EQ(g.pointCount[1], 3);
    EXPECT_EQ(count("data3D::scan_poly_vn(): warning: unknown f polyline type"), 3);
    EXPECT_EQ(store->getNumTriangles(), 29 + 1);
}

TEST_F(LoaderTest, IndicesOutsideTheirTablesAreRefused)
{
    const std::string head = std::string(squareData);
    const struct {
        const char* face;
        const char* msg;
    } cases[] = {
        {"f 1//1 2//1 5//1\n", "data3D::scan_poly_vn(): index error 5\n"},
        {"f 0//1 2//1 3//1\n", "data3D::scan_poly_vn(): index error 0\n"},
        {"f 1//1 -2//1 3//1\n", "data3D::scan_poly_vn(): index error -2\n"},
        {"f 1//1 2//2 3//1\n", "data3D::scan_poly_vn(): index error 2\n"},
        {"f 1//1 2//1 99999999999//1\n", "data3D::scan_poly_vn(): index error 2147483647\n"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string name = "bad" + std::to_string(n++) + ".obj";
        writeFile(name, head + c.face);
        console->prCls();
        EXPECT_EQ(store->load_obj(name.c_str()), -1) << c.face;
        EXPECT_TRUE(logged(c.msg)) << log();
        EXPECT_TRUE(logged("data3D::load_nomtl: error scanning f 1//2 poly_vn\n"));
        EXPECT_TRUE(logged("data3D::load_obj: load_nomtl error\n"));
    }
    // texture indices are checked where the material is textured
    writeFile("t.mtl", "newmtl tex\n\nmap_Kd grid.rgb\n");
    writeFile("grid.rgb", sgiFile(2, 2, 3, 0));
    writeFile("t.obj", "mtllib t.mtl\n" + head + "usemtl tex\nf 1/1/1 2/9/1 3/3/1\n");
    console->prCls();
    EXPECT_EQ(store->load_obj("t.obj"), -1);
    EXPECT_TRUE(logged("data3D::scan_poly_vtn(): index error 9\n"));
    EXPECT_TRUE(logged("data3D::load_usemtl: error scanning f 1/2/3 poly_vtn\n"));
    EXPECT_EQ(store->getNumObject(), 0);
}

TEST_F(LoaderTest, TheLineAfterNewmtlIsNotRead)
{
    writeFile("a.mtl", "newmtl first\n# comment\nKa 0.1 0.2 0.3\nNs 7\n");
    writeFile("a.obj", std::string("mtllib a.mtl\n") + squareData + "usemtl first\nf 1//1 2//1 3//1\n");
    ASSERT_EQ(store->load_obj("a.obj"), 0);
    EXPECT_FLOAT_EQ(store->getObject3D(0)->group[0].Ka[1], 0.2f);
    EXPECT_FLOAT_EQ(store->getObject3D(0)->group[0].Ns, 7.0f);

    // directly after newmtl the Ka line takes no effect: the entry keeps its contents
    writeFile("b.mtl", "newmtl second\nKa 0.9 0.9 0.9\nKd 0.4 0.4 0.4\n");
    writeFile("b.obj", std::string("mtllib b.mtl\n") + squareData + "usemtl second\nf 1//1 2//1 3//1\n");
    ASSERT_EQ(store->load_obj("b.obj"), 1) << log();
    const group3D& g = store->getObject3D(1)->group[0];
    EXPECT_FLOAT_EQ(g.Ka[0], 0.1f);
    EXPECT_FLOAT_EQ(g.Ka[3], 1.0f);
    EXPECT_FLOAT_EQ(g.Kd[0], 0.4f);

    // a newmtl on the last line ends the library
    writeFile("c.mtl", "newmtl a\nKd 1 1 1\nnewmtl b\n");
    EXPECT_EQ(store->load_mtl("c.mtl"), 1);
    EXPECT_EQ(store->getNumMaterials(), 2);
}

TEST_F(LoaderTest, MaterialLineErrors)
{
    const struct {
        const char* line;
        const char* msg;
    } cases[] = {
        {"Ka 0.1 0.2\n", "data3D::load_mtl: error Ka\n"},
        {"Kd x\n", "data3D::load_mtl: error Kd\n"},
        {"Ks 1 2\n", "data3D::load_mtl: error: Ks\n"},
        {"Ns\n", "data3D::load_mtl: error: Ns\n"},
        {"map_Kd nothere.tga\n", "data3D::load_mtl: load texture error\n"},
    };
    for (const auto& c : cases) {
        writeFile("e.mtl", std::string("newmtl m\n\n") + c.line);
        writeFile("e.obj", std::string("mtllib e.mtl\n") + squareData + "usemtl m\nf 1//1 2//1 3//1\n");
        console->prCls();
        EXPECT_EQ(store->load_obj("e.obj"), -1) << c.line;
        EXPECT_TRUE(logged(c.msg)) << log();
        EXPECT_TRUE(logged("data3D::load_obj: load_mtl error\n"));
    }
    // the texture name is tried once more with the extension "rgb"
    EXPECT_TRUE(logged("\t\t\tdata3D::load_sgi: can't open nothere.tga\n"));
    EXPECT_TRUE(logged("\t\t\tdata3D::load_sgi: can't open nothere.rgb\n"));

    console->prCls();
    EXPECT_EQ(store->load_obj("none.obj"), -1);
    EXPECT_EQ(log(), "data3D::load_obj: error can't open none.obj\n");
    writeFile("n.obj", std::string("mtllib none.mtl\n") + squareData);
    console->prCls();
    EXPECT_EQ(store->load_obj("n.obj"), -1);
    EXPECT_EQ(log(), "data3D::load_mtl: error can't open none.mtl\ndata3D::load_obj: load_mtl error\n");
    // an mtllib line that names no library is passed over
    writeFile("bare.obj", std::string("mtllib\n") + squareData + "f 1//1 2//1 3//1\n");
    console->prCls();
    EXPECT_EQ(store->load_obj("bare.obj"), 0) << log();
}

TEST_F(LoaderTest, TexturesLoadOncePerInitAndRetryAsRgb)
{
    writeFile("wall.rgb", sgiFile(4, 2, 3, 1));
    writeFile("t.mtl", "newmtl a\n\nmap_Kd wall.tga\nnewmtl b\n\nmap_Kd wall.rgb\nmap_refl wall.rgb\n"
                       "newmtl c\n\nmap_bump -bm 2 wall.rgb\n");
    writeFile("t.obj", std::string("mtllib t.mtl\n") + squareData +
                           "usemtl a\nf 1/1/1 2/2/1 3/3/1\nusemtl b\nf 1/1/1 2/2/1 3/3/1\nusemtl c\nf 1/1/1 2/2/1 3/3/1\n");
    ASSERT_EQ(store->load_obj("t.obj"), 0) << log();
    EXPECT_EQ(store->getNumTex(), 2);
    const object3D* o = store->getObject3D(0);
    ASSERT_EQ(o->numGroups, 3);
    EXPECT_EQ(o->group[0].type, 1);
    EXPECT_EQ(o->group[0].texture, 1);
    EXPECT_EQ(o->group[1].type, 3);
    EXPECT_EQ(o->group[1].texture2, 1);
    EXPECT_EQ(o->group[2].type, 4);
    EXPECT_EQ(o->group[2].texture2, 1);
    const texture3D* t = store->getTex2D(1);
    EXPECT_STREQ(t->name, "wall.rgb");
    EXPECT_EQ(t->components, 3);
    EXPECT_EQ(t->width, 4);
    EXPECT_EQ(t->height, 2);
    // planes interleaved: pixel 1 is R = 1 + 1, G = 17 + 1, B = 33 + 1
    EXPECT_EQ(t->pixels[3], 2);
    EXPECT_EQ(t->pixels[4], 18);
    EXPECT_EQ(t->pixels[5], 34);
    EXPECT_TRUE(logged("obj:0  3 polygons 24 newtex 3 materials  loaded in t.obj\n"));
    EXPECT_EQ(store->getTotalTexBytes(), 24);

    // a second model naming the same image reads no file
    std::filesystem::remove("wall.rgb");
    ASSERT_EQ(store->load_obj("t.obj"), 1);
    EXPECT_EQ(store->getNumTex(), 2);
    EXPECT_TRUE(logged("obj:1  3 polygons 0 newtex 3 materials"));
}

TEST_F(LoaderTest, RunsSkipSmoothingAndGroupLinesAndResumeAtTheirEnd)
{
    writeFile("r.mtl", "newmtl a\n\nnewmtl b\n\n");
    writeFile("r.obj", std::string("mtllib r.mtl\n") + squareData +
                           "usemtl a\n# comment before faces\ng one\nf 1//1 2//1 3//1\ns 1\ng two\nf 1//1 3//1 4//1\n"
                           "usemtl b\nf 1//1 2//1 4//1\n"
                           "usemtl a\nf 2//1 3//1 4//1\n"
                           "usemtl a\n");
    ASSERT_EQ(store->load_obj("r.obj"), 0);
    const object3D* o = store->getObject3D(0);
    ASSERT_EQ(o->numGroups, 2);
    EXPECT_EQ(o->group[0].numPoly, 3);  // both runs of a
    EXPECT_EQ(o->group[1].numPoly, 1);
    // the usemtl on the last line finds no face line after it
    EXPECT_EQ(count("data3D::load_usemtl: error read line\n"), 1);
    // faces of material a come in file order
    EXPECT_FLOAT_EQ(o->group[0].vertex[6 * 3 + 0], 1.0f);
    EXPECT_FLOAT_EQ(o->group[0].vertex[6 * 3 + 1], 0.0f);
}

TEST_F(LoaderTest, LinesAreCutAt511CharactersAsFgetsCutsThem)
{
    // the rest of an over-long comment line is read as a line of its own
    const std::string longComment = "#" + std::string(510, 'x') + "v 5 6 7\n";
    writeFile("l.obj", std::string(squareData) + longComment + "f 1//1 2//1 5//1\n");
    ASSERT_EQ(store->load_obj("l.obj"), 0) << log();
    const group3D& g = store->getObject3D(0)->group[0];
    EXPECT_FLOAT_EQ(g.vertex[2 * 3 + 0], 5.0f);
    EXPECT_FLOAT_EQ(g.vertex[2 * 3 + 2], 7.0f);

    // text after a NUL byte is not seen, as in a C string
    static const char withNul[] = "f 1//1 2//1 3//1\0 4//1\n";
    writeFile("z.obj", std::string(squareData) + std::string(withNul, sizeof withNul - 1));
    ASSERT_EQ(store->load_obj("z.obj"), 1) << log();
    EXPECT_EQ(store->getObject3D(1)->group[0].pointCount[0], 3);
}

TEST_F(LoaderTest, VertexRunsAndTheirMessages)
{
    store->verbose = 1;
    writeFile("v.obj", "v 0 0 0\nv 1 0 0\nvn 0 0 1\nv 0 1 0\nvt 0.5\nvt 0.5 0.5\nf 1//1 2//1 3//1\nv 1 1 1\n");
    ASSERT_EQ(store->load_obj("v.obj"), 0) << log();
    EXPECT_TRUE(logged("\t\t\t\tscanned 2 x v of 2\n"));
    EXPECT_TRUE(logged("\t\t\t\tscanned 1 x vn of 1\n"));
    EXPECT_TRUE(logged("\t\t\t\tscanned 1 x v of 3\n"));
    EXPECT_TRUE(logged("\t\t\t\tscanned 1 x vt of 1\n"));  // "vt 0.5" is no vt line
    EXPECT_TRUE(logged("\t\t\t\tscanned 1 x f polyline of 1\n"));  // the face run ends at "v 1 1 1"
    EXPECT_TRUE(logged("data3D::scan_v(): end of file\n"));
    EXPECT_TRUE(logged("\ndata3D::load_obj: v.obj\n\n"));
    EXPECT_TRUE(logged("\n\t\tdata3D::load_nomtl: v.obj \n\n"));
    EXPECT_TRUE(logged("\t\t\t\tdata3D::assemb_poly()\n"));
}

TEST_F(LoaderTest, FixedCapacitiesFailCleanly)
{
    // the 262144th vertex overflows
    {
        std::string obj;
        obj.reserve(262144 * 8);
        for (int i = 0; i < 262144; i++)
            obj += "v 1 2 3\n";
        writeFile("many.obj", obj);
        EXPECT_EQ(store->load_obj("many.obj"), -1);
        EXPECT_TRUE(logged("max v overflow\n"));
        EXPECT_TRUE(logged("data3D::load: error scanning  v\n"));
        // one fewer is fine
        obj.resize(obj.size() - 8);
        obj += "vn 0 0 1\nf 1//1 2//1 3//1\n";
        writeFile("many.obj", obj);
        console->prCls();
        EXPECT_EQ(store->load_obj("many.obj"), 0) << log();
    }
    // face points of one material pass stop below 262144
    {
        std::string obj = std::string(squareData);
        const std::string face = "f 1//1 2//1 3//1 4//1 1//1 2//1 3//1 4//1 1//1 2//1 3//1 4//1 1//1 2//1 3//1 4//1\n";
        for (int i = 0; i < 262144 / 16; i++)
            obj += face;
        writeFile("pts.obj", obj);
        console->prCls();
        EXPECT_EQ(store->load_obj("pts.obj"), -1);
        EXPECT_TRUE(logged("max f .. points overflow\n"));
    }
    // 129 materials
    {
        std::string mtl;
        for (int i = 0; i <= data3D::maxMaterials; i++)
            mtl += "newmtl m" + std::to_string(i) + "\n\n";
        writeFile("m.mtl", mtl);
        console->prCls();
        EXPECT_EQ(store->load_mtl("m.mtl"), 0);
        EXPECT_TRUE(logged("data3D::load_mtl: error more than 128 materials in m.mtl\n"));
    }
    // 129 groups in one object
    {
        std::string mtl;
        std::string obj = "mtllib g.mtl\n" + std::string(squareData);
        for (int i = 0; i <= object3D::maxGroups; i++) {
            mtl += "newmtl g" + std::to_string(i) + "\n\n";
            obj += "usemtl g" + std::to_string(i) + "\nf 1//1 2//1 3//1\n";
        }
        writeFile("g.mtl", mtl.substr(0, mtl.rfind("newmtl")));
        writeFile("g.obj", obj);
        console->prCls();
        EXPECT_EQ(store->load_obj("g.obj"), 1) << log();
        EXPECT_EQ(store->getObject3D(1)->numGroups, 128);
    }
    // the 257th object
    {
        store->init();
        writeFile("s.obj", std::string(squareData) + "f 1//1 2//1 3//1\n");
        for (int i = 0; i < data3D::maxObjects; i++)
            ASSERT_EQ(store->load_obj("s.obj"), i);
        console->prCls();
        EXPECT_EQ(store->load_obj("s.obj"), -1);
        EXPECT_TRUE(logged("data3D::load_obj: error too many objects (256) for s.obj\n"));
        EXPECT_EQ(store->getNumObject(), 256);
    }
}

TEST_F(LoaderTest, InitEmptiesTheStoreAndMakesTexture0)
{
    writeFile("s.obj", std::string(squareData) + "f 1//1 2//1 3//1\n");
    ASSERT_EQ(store->load_obj("s.obj"), 0);
    store->imageMode = 1;
    store->init();
    EXPECT_EQ(store->getNumObject(), 0);
    EXPECT_EQ(store->getObject3D(0)->numGroups, 0);
    EXPECT_EQ(store->getObject3D(0)->render, nullptr);
    EXPECT_EQ(store->imageMode, 0);
    ASSERT_EQ(store->getNumTex(), 1);
    const texture3D* t0 = store->getTex2D(0);
    EXPECT_STREQ(t0->name, "dummytex.rgb");
    EXPECT_EQ(t0->width, 256);
    EXPECT_EQ(t0->height, 256);
    EXPECT_EQ(t0->components, 4);
    EXPECT_NE(t0->pixels, nullptr);
    // placement matrices start as the identity
    EXPECT_EQ(store->getObject3D(255)->objMat.m[15], 1.0f);
    EXPECT_EQ(store->getObject3D(255)->normMat.m[1], 0.0f);
    EXPECT_EQ(store->getObject3D(-1), nullptr);
    EXPECT_EQ(store->load_obj("s.obj"), 0);
}

TEST_F(LoaderTest, AFaceWhoseFirstPointsAreOnOneLineGetsItsOwnNormal)
{
    // the first three points on the x axis, the fourth above: the face lies in z = 0
    const struct {
        const char* face;
        float nz;
    } cases[] = {{"f 1/1 2/2 3/3 4/4\n", 1.0f}, {"f 3/3 2/2 1/1 4/4\n", -1.0f}};
    // faces of a textured material without normals get one computed per face
    writeFile("t.rgb", sgiFile(2, 2, 3, 7));
    writeFile("t.mtl", "newmtl tex\n\nKd 1 1 1\nmap_Kd t.rgb\n");
    const std::string head = "mtllib t.mtl\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nusemtl tex\n";
    int objects = 0;
    for (const auto& c : cases) {
        const std::string name = "line" + std::to_string(objects) + ".obj";
        writeFile(name, head + "v 0 0 0\nv 1 0 0\nv 2 0 0\nv 2 1 0\n" + c.face);
        ASSERT_EQ(store->load_obj(name.c_str()), objects) << console->getText();
        const group3D& g = store->getObject3D(objects++)->group[0];
        ASSERT_EQ(g.numPoints, 4);
        for (int p = 0; p < 4; p++) {
            EXPECT_FLOAT_EQ(g.normal[size_t(p) * 3 + 0], 0.0f) << c.face;
            EXPECT_FLOAT_EQ(g.normal[size_t(p) * 3 + 1], 0.0f) << c.face;
            EXPECT_FLOAT_EQ(g.normal[size_t(p) * 3 + 2], c.nz) << c.face;
        }
    }
    // no area at all: straight up the z axis, never (0, 0, 0)
    writeFile("flat.obj", head + "v 0 0 0\nv 1 1 1\nv 2 2 2\nv 3 3 3\nf 1/1 2/2 3/3 4/4\n");
    ASSERT_EQ(store->load_obj("flat.obj"), objects);
    const group3D& g = store->getObject3D(objects)->group[0];
    EXPECT_FLOAT_EQ(g.normal[2], 1.0f);
    EXPECT_FLOAT_EQ(g.normal[0] * g.normal[0] + g.normal[1] * g.normal[1] + g.normal[2] * g.normal[2], 1.0f);
}

TEST_F(LoaderTest, MaterialTypesLibrariesAndTheComputedNormalsLimit)
{
    writeFile("t.rgb", sgiFile(2, 2, 3, 7));
    writeFile("e.rgb", sgiFile(2, 2, 3, 9));
    // the order of the maps decides nothing for the sphere and bump maps: map_Kd keeps them
    writeFile("a.mtl", "newmtl plain\n\nKd 1 1 1\nmap_Kd t.rgb\n"
                       "newmtl sphere\n\nmap_refl e.rgb\nmap_Kd t.rgb\n"
                       "newmtl bump\n\nmap_bump e.rgb\nmap_Kd t.rgb\n"
                       "newmtl sphere2\n\nmap_Kd t.rgb\nmap_refl e.rgb\n"
                       "newmtl chrome\n\nKd 0.5 0.5 0.5\nrefl\n");
    // several libraries: each replaces the table, so the last one's materials are the ones found
    writeFile("b.mtl", "newmtl chrome\n\nKd 0.5 0.5 0.5\nrefl\n");
    const std::string v = "v 0 0 0\nv 1 0 0\nv 1 1 0\nvn 0 0 1\nvt 0 0\nvt 1 0\nvt 1 1\n";
    writeFile("last.obj", "mtllib a.mtl\nmtllib b.mtl\n" + v + "usemtl chrome\nf 1//1 2//1 3//1\n");
    ASSERT_EQ(store->load_obj("last.obj"), 0) << consoleText(*console);
    EXPECT_EQ(store->getObject3D(0)->group[0].type, 2);
    EXPECT_TRUE(logged("1 materials  loaded in last.obj")) << consoleText(*console);
    writeFile("m.obj", "mtllib b.mtl\nmtllib a.mtl\n" + v + "usemtl plain\nf 1/1/1 2/2/1 3/3/1\n"
                       "usemtl sphere\nf 1/1/1 2/2/1 3/3/1\nusemtl bump\nf 1/1/1 2/2/1 3/3/1\n"
                       "usemtl sphere2\nf 1/1/1 2/2/1 3/3/1\nusemtl chrome\nf 1//1 2//1 3//1\n");
    ASSERT_EQ(store->load_obj("m.obj"), 1) << consoleText(*console);
    const object3D* o = store->getObject3D(1);
    ASSERT_EQ(o->numGroups, 5) << consoleText(*console);
    EXPECT_EQ(o->group[0].type, 1);
    EXPECT_EQ(o->group[1].type, 3);
    EXPECT_EQ(o->group[2].type, 4);
    EXPECT_EQ(o->group[3].type, 3);
    EXPECT_EQ(o->group[4].type, 2);
    // the sphere and bump maps are the second texture, the colour map the first
    EXPECT_EQ(o->group[1].texture, o->group[0].texture);
    EXPECT_NE(o->group[1].texture2, o->group[1].texture);

    // one computed normal per face without normals, in the table that holds the file's own:
    // with all but five entries taken, five faces fit and the sixth is refused
    std::string many = "mtllib a.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nvt 0 0\nvt 1 0\nvt 1 1\n";
    for (int k = 0; k < data3D::maxEntries - 5; k++)
        many += "vn 0 0 1\n";
    many += "usemtl plain\n";
    for (int k = 0; k < 5; k++)
        many += "f 1/1 2/2 3/3\n";
    writeFile("fits.obj", many);
    EXPECT_EQ(store->load_obj("fits.obj"), 2) << consoleText(*console);
    many += "f 1/1 2/2 3/3\n";
    writeFile("over.obj", many);
    console->prCls();
    EXPECT_EQ(store->load_obj("over.obj"), -1);
    EXPECT_TRUE(logged("max vn overflow\n")) << consoleText(*console);
}

TEST_F(LoaderTest, DebugLinesShowEveryEntryEveryFaceAndTheFinishedGroup)
{
    writeFile("wall.rgb", sgiFile(2, 1, 3, 5));
    writeFile("d.mtl", "newmtl lit\n\nKa 0.25 0.5 0.75\nKd 0.5 0.125 1\nKs 0.75 0 0.5\nmap_Kd wall.rgb\n");
    writeFile("d.obj", "mtllib d.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nvn 0 0 1\nvt 0.5 0.25\nvt 1 0\nvt 1 1\n"
                       "usemtl lit\nf 1/1/1 2/2/1 3/3/1\n");
    store->debug = 1;
    ASSERT_EQ(store->load_obj("d.obj"), 0) << log();
    for (const char* line : {"data3D::load_sgi:dimX 2\n", "data3D::load_sgi:dimY 1\n", "data3D::load_sgi:dimC 3\n",
                             "data3D::load_sgi:pixMin 0\n", "data3D::load_sgi:pixMax 0\n",
                             "0\t v 0.000000 0.000000 0.000000\n", "2\t v 1.000000 1.000000 0.000000\n",
                             "0\t vn 0.000000 0.000000 1.000000\n", "0\t vt 0.500000 0.250000\n",
                             "0\t poly_vtn  1/1/1  2/2/1  3/3/1  \n", "Material: lit\n",
                             "end mat: a: 0.250000 0.500000 0.750000\n", "end mat: d: 0.500000 0.125000 1.000000\n",
                             "end mat: s: 0.750000 0.000000 0.500000\n", "polyType 1\n",
                             "end vec    \t1  1.000000 0.000000 0.000000\n",
                             "end vec    \t2  1.000000 1.000000 0.000000\n",
                             "end norms\t2 0.000000 0.000000 1.000000\n", "end texc   \t0 0.500000 0.250000\n"})
        EXPECT_TRUE(logged(line)) << line << "\n" << log();
    // one line per entry: three points, one normal, three texture corners
    EXPECT_EQ(count("\t v "), 3);
    EXPECT_EQ(count("\t vt "), 3);
    EXPECT_EQ(count("end vec"), 3);

    // the normal-only form, and a face whose normal is computed: its new normal is named
    writeFile("n.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\nf 1 2 3\n");
    console->prCls();
    ASSERT_EQ(store->load_obj("n.obj"), 1) << log();
    EXPECT_TRUE(logged("0\t poly_vn  1//1  2//1  3//1  \n")) << log();
    EXPECT_TRUE(logged("Material: default\n")) << log();
    EXPECT_EQ(count("end texc"), 0);

    // without debug none of it
    store->debug = 0;
    console->prCls();
    ASSERT_EQ(store->load_obj("d.obj"), 2);
    EXPECT_EQ(count("\t v "), 0);
    EXPECT_EQ(count("Material:"), 0);
}

TEST_F(LoaderTest, NamesOf64CharactersOrMoreAreRefusedWhole)
{
    const std::string n63(63, 'm');
    const std::string n64(64, 'm');
    // material names: 63 characters fit the table, 64 do not
    writeFile("a.mtl", "newmtl " + n63 + "\n\n");
    writeFile("a.obj", "mtllib a.mtl\n" + std::string(squareData) + "usemtl " + n63 + "\nf 1//1 2//1 3//1\n");
    ASSERT_EQ(store->load_obj("a.obj"), 0) << log();
    EXPECT_EQ(store->getMaterial(0).name, n63);
    writeFile("b.mtl", "newmtl " + n64 + "\n\n");
    writeFile("b.obj", "mtllib b.mtl\n" + std::string(squareData) + "usemtl " + n64 + "\nf 1//1 2//1 3//1\n");
    console->prCls();
    EXPECT_EQ(store->load_obj("b.obj"), -1);
    EXPECT_TRUE(logged("data3D::load_mtl: error material name longer than 63 in b.mtl\n")) << log();

    // image names: two names alike in their first 63 characters stay two images
    const std::string t63 = std::string(59, 't') + ".rgb";
    const std::string t64 = std::string(60, 't') + ".rgb";
    writeFile(t63, sgiFile(1, 1, 3, 10));
    writeFile(t64, sgiFile(1, 1, 3, 20));
    const int t = store->load_sgi(t63.c_str());
    ASSERT_EQ(t, 1);
    EXPECT_EQ(store->getTex2D(1)->name, t63);
    console->prCls();
    EXPECT_EQ(store->load_sgi(t64.c_str()), -1);
    EXPECT_TRUE(logged("data3D::load_sgi: error name longer than 63: " + t64 + "\n")) << log();
    EXPECT_EQ(store->load_dynsgi(t63.c_str()), 0);
    EXPECT_EQ(store->load_dynsgi(t64.c_str()), -1);
    EXPECT_TRUE(logged("data3D::load_dynsgi: error name longer than 63: " + t64 + "\n")) << log();
    EXPECT_EQ(store->load_BriskImage(t64.c_str()), -1);
    EXPECT_TRUE(logged("data3D::load_BriskImage: can't load " + t64 + "\n")) << log();
    EXPECT_EQ(store->getNumTex(), 2);
    EXPECT_EQ(store->getNumDynTex(), 1);
    // and through a library the long name fails the material, the short one did not
    writeFile("c.mtl", "newmtl c\n\nmap_Kd " + t64 + "\n");
    writeFile("c.obj", "mtllib c.mtl\n" + std::string(squareData) + "usemtl c\nf 1/1/1 2/2/1 3/3/1\n");
    console->prCls();
    EXPECT_EQ(store->load_obj("c.obj"), -1);
    EXPECT_TRUE(logged("data3D::load_mtl: load texture error\n")) << log();

    // an object's name keeps the first 63 characters of a longer path
    const std::string longObj = std::string(70, 'o') + ".obj";
    writeFile(longObj, std::string(squareData) + "f 1//1 2//1 3//1\n");
    const int o = store->load_obj(longObj.c_str());
    ASSERT_GE(o, 0) << log();
    EXPECT_EQ(std::string(store->getObject3D(o)->name), longObj.substr(0, 63));
}

TEST_F(LoaderTest, ImageMode1ThroughALibrary)
{
    // a 2 x 1 uncompressed 24-bit Targa, stored blue, green, red
    std::string tga(18, '\0');
    tga[2] = 2;
    tga[12] = 2;
    tga[14] = 1;
    tga[16] = 24;
    tga += std::string{'\x03', '\x02', '\x01', '\x06', '\x05', '\x04'};
    writeFile("sky.tga", tga);
    writeFile("wall.rgb", sgiFile(2, 2, 3, 40));
    writeFile("m.mtl", "newmtl a\n\nmap_Kd sky.tga\nnewmtl b\n\nmap_Kd wall.tga\nrefl\n");
    writeFile("m.obj", "mtllib m.mtl\n" + std::string(squareData) +
                           "usemtl a\nf 1/1/1 2/2/1 3/3/1\nusemtl b\nf 1/1/1 2/2/1 3/3/1\n");
#ifdef _WIN32
    // the multi-format reader: the Targa, then wall.tga retried as wall.rgb
    store->imageMode = 1;
    store->verbose = 1;
    ASSERT_EQ(store->load_obj("m.obj"), 0) << log();
    ASSERT_EQ(store->getNumTex(), 3) << log();
    const texture3D* sky = store->getTex2D(1);
    EXPECT_STREQ(sky->name, "sky.tga");
    ASSERT_EQ(sky->width, 2);
    EXPECT_EQ(sky->pixels[0], 1);
    EXPECT_EQ(sky->pixels[2], 3);
    EXPECT_TRUE(logged("data3D::load_BriskImage: load> wall.tga\n")) << log();
    EXPECT_TRUE(logged("data3D::load_BriskImage: load> wall.rgb\n")) << log();
    EXPECT_STREQ(store->getTex2D(2)->name, "wall.rgb");
    const int first = 1;
    const int second = 2;
#else
    // the Linux build reads no file: each material takes the newest texture
    ASSERT_EQ(store->load_sgi("wall.rgb"), 1);
    store->imageMode = 1;
    std::filesystem::remove("sky.tga");
    store->verbose = 1;
    ASSERT_EQ(store->load_obj("m.obj"), 0) << log();
    EXPECT_EQ(store->getNumTex(), 2);
    const int first = 1;
    const int second = 1;
#endif
    const object3D* o = store->getObject3D(0);
    ASSERT_EQ(o->numGroups, 2);
    EXPECT_EQ(o->group[0].type, 1);
    EXPECT_EQ(o->group[0].texture, first);
    EXPECT_EQ(o->group[1].texture, second);
    EXPECT_EQ(o->group[1].type, 2);
    EXPECT_EQ(o->group[1].texture2, 0);
    EXPECT_TRUE(logged("\t\tdata3D::load_mtl: found spheremap\n")) << log();
    // init leaves image mode: the SGI reader does not take the Targa
    writeFile("sky.tga", tga);
    store->init();
    console->prCls();
    EXPECT_EQ(store->load_obj("m.obj"), -1);
    EXPECT_TRUE(logged("data3D::load_sgi: wrong format 1:(474)in sky.tga\n")) << log();
}
