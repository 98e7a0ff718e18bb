// Fog clouds and trails drawn through the renderer into a real window.
#include "effects/dr3DTail.h"
#include "effects/fog3D.h"
#include "effects/recmat3D.h"

#include "glFixture.h"

using EffectsGlTest = glfix::glFixture;
using glfix::solidSgi;
using glfix::W;
using glfix::H;

TEST_F(EffectsGlTest, CloudsDrawWhereTheyAreAndCullByCentre)
{
    writeFile("cloud.rgb", solidSgi(4, 4, 4, 255, 255, 255, 255));
    ASSERT_EQ(store->load_sgi("cloud.rgb"), 1);
    gl->makeTex(store.get());
    auto fog = std::make_unique<fog3D>(console.get(), store.get());
    fog->initFog(gl.get(), 1, 1, 1, 1.0f, 1.0f, 1.0f, 0);
    // looking down from above onto a cloud at the origin
    fog->insertFog(0.0f, 0.0f, 0.0f, 1.0f);
    fog->insertFog(300.0f, 0.0f, 0.0f, 1.0f);  // far off to the side
    gl->rotateCamX(-90.0f);
    gl->translateCam(0.0f, 3.0f, 0.0f);
    gl->disableLightning();
    EXPECT_EQ(fog->drawFog(), 1);
    EXPECT_EQ(gl->polyCount, 2);
    EXPECT_GT(pixel(W / 2, H / 2).r, 200);
    // the square spans 2 of the 6 units seen at that distance: a third of the view
    EXPECT_NEAR(lit(), W * H / 9, W * H / 40);
    EXPECT_EQ(pixel(5, 5).r, 0);
    // without culling the far cloud is counted too
    gl->boundBoxCheckOff();
    gl->clear3DScreen(0, 0, 0, 1);
    gl->rotateCamX(-90.0f);
    gl->translateCam(0.0f, 3.0f, 0.0f);
    fog->drawFog();
    EXPECT_EQ(gl->polyCount, 4);
}

TEST_F(EffectsGlTest, TrailCopiesFollowThePath)
{
    // a small square, once per copy
    for (int i = 0; i < 16; i++)
        ASSERT_EQ(model("f 1//1 2//1 3//1 4//1\n", "",
                        "v -0.1 -0.1 0\nv 0.1 -0.1 0\nv 0.1 0.1 0\nv -0.1 0.1 0\nvn 0 0 1\n"),
                  i);
    // the path moves along x by 0.25 a second at z = -3
    auto path = std::make_unique<recmat3D>(console.get());
    for (int k = 0; k < 40; k++) {
        matrix_4 m;
        identityMat(&m);
        translateMat(&m, -2.0f + 0.25f * float(k), 0.0f, -3.0f);
        path->insert(m, 1.0f);
    }
    auto tail = std::make_unique<dr3DTail>(console.get());
    gl->disableLightning();
    glColor3f(1, 1, 1);

    // the first call fills every place from the path: t, t - 1, t - 2
    EXPECT_EQ(tail->draw3DTail(store.get(), gl.get(), path.get(), 10.0f, 1.0f, 0, 3, 1.0f), 1);
    EXPECT_FLOAT_EQ(store->getObject3D(0)->objMat.m[3], 0.5f);
    EXPECT_FLOAT_EQ(store->getObject3D(1)->objMat.m[3], 0.25f);
    EXPECT_FLOAT_EQ(store->getObject3D(2)->objMat.m[3], 0.0f);
    EXPECT_EQ(gl->polyCount, 6);
    // x = 0.5 at z = -3 is a twelfth of the view right of the centre
    EXPECT_GT(pixel(W / 2 + W / 12, H / 2).r, 200);
    EXPECT_GT(pixel(W / 2, H / 2).r, 200);
    EXPECT_EQ(pixel(W / 2 - W / 6, H / 2).r, 0);

    // within one step nothing moves
    tail->draw3DTail(store.get(), gl.get(), path.get(), 10.5f, 1.0f, 0, 3, 1.0f);
    EXPECT_FLOAT_EQ(store->getObject3D(0)->objMat.m[3], 0.5f);
    EXPECT_FLOAT_EQ(store->getObject3D(2)->objMat.m[3], 0.0f);
    // a step later the head takes the new place and the rest move down the row
    tail->draw3DTail(store.get(), gl.get(), path.get(), 11.0f, 1.0f, 0, 3, 2.0f);
    EXPECT_FLOAT_EQ(store->getObject3D(0)->objMat.m[3], 0.75f);
    EXPECT_FLOAT_EQ(store->getObject3D(1)->objMat.m[3], 0.5f);
    EXPECT_FLOAT_EQ(store->getObject3D(2)->objMat.m[3], 0.25f);
    EXPECT_FLOAT_EQ(store->getObject3D(2)->objMat.m[0], 2.0f);  // scaled

    EXPECT_EQ(tail->draw3DTail(store.get(), gl.get(), path.get(), 12.0f, 1.0f, 0, 17, 1.0f), 0);
    gl->clear3DScreen(0, 0, 0, 1);
    EXPECT_EQ(tail->draw3DTail(store.get(), gl.get(), path.get(), 30.0f, 1.0f, 0, 16, 1.0f), 1);
    EXPECT_EQ(gl->polyCount, 32);

    // free flight: new places copy the current matrix
    auto fly = std::make_unique<dr3DTail>(console.get());
    matrix_4 ship;
    identityMat(&ship);
    translateMat(&ship, 0.3f, 0.0f, -3.0f);
    fly->draw3DTailFly(store.get(), gl.get(), &ship, 0.0f, 0.5f, 0, 2, 1.0f);
    EXPECT_FLOAT_EQ(store->getObject3D(1)->objMat.m[3], 0.3f);
    translateMat(&ship, 0.2f, 0.0f, 0.0f);
    fly->draw3DTailFly(store.get(), gl.get(), &ship, 0.5f, 0.5f, 0, 2, 1.0f);
    EXPECT_FLOAT_EQ(store->getObject3D(0)->objMat.m[3], 0.5f);
    EXPECT_FLOAT_EQ(store->getObject3D(1)->objMat.m[3], 0.3f);
}
