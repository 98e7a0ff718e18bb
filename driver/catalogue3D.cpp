// The scene catalogue: every object and image of the city in a fixed order,
// each object's index kept in a named slot, each placed once at load time.
#include "driver3D.h"
#include "platform3D.h"

#include <cstdio>
#include <cstring>

int fabObjstart, fabObjend, fab_aObjstart, fab_aObjend;
int prop1, prop2, prop3, prop3_a, prop4, prop5, prop5_a, prop6;
int shipObj, ship_aObj, plas_aObjstart, plas_aObjend;
int korvaObj, korva_aObj;
int strObjstart, strObjend, skyObjstart, skyObjend, sky_aObjstart, sky_aObjend;
int unilg, unilogo, spherelogo, rivastation, rivastation_a, rivastation_earth;
int spot1a, spot2a, spot3a, spot4a;
int fogTexNum1, fogTexNum2, fogTexNum3, trakTexNum;
int loadascii = 0;

namespace {

const char* const bigTexPath = "../bigtex/";
const char* const smlTexPath = "../smltex/";
const char* const backPath = "../../linux";
const char* objPath = smlTexPath;
char loadPath[1024];
char loadName[1024];

// the tower blocks in load order; the last three are shown again as the far skyline
const char* const blocks[] = {"block1",  "block2",  "block3",  "block4",  "block5",  "block6",  "block7",
                              "block8",  "block10", "block11", "block12", "block13", "block14", "block15",
                              "block16", "block17", "block18", "block12", "block14", "block15"};
constexpr int numBlocks = sizeof blocks / sizeof blocks[0];
// where the repeated blocks stand: moved from their own places to the far edge
const float skylineShift[3][3] = {{-48.0f, 0.0f, -64.0f}, {-16.0f, 0.0f, -96.0f}, {0.0f, 0.0f, -112.0f}};

bool enterGroup(const char* group)
{
    std::snprintf(loadPath, sizeof loadPath, "%s%s", objPath, group);
    if (chdir3D(loadPath) == 0) {
        mainOut.prf("can't chdir %s\n", loadPath);
        return false;
    }
    return true;
}

bool leaveGroup()
{
    if (chdir3D(backPath) == 0) {
        mainOut.prf("can't chdir %s\n", backPath);
        return false;
    }
    return true;
}

// Loads one file of the current group. @returns its index, or -1 after the message.
int loadOne(const char* file)
{
    std::snprintf(loadName, sizeof loadName, "%s", file);
    const int i = loadObj3D(loadName);
    if (i < 0)
        mainOut.prf("can't load %s\n", loadName);
    return i;
}

void place(int i, float x, float y, float z, float sx = 1.0f, float sy = 1.0f, float sz = 1.0f)
{
    glEngine.resetObj(&sceneData, i);
    glEngine.translateObj(&sceneData, i, x, y, z);
    glEngine.scaleObj(&sceneData, i, sx, sy, sz);
}

// the ship, its glow and the plasma puffs of its trail
bool loadShip()
{
    if ((shipObj = loadOne("ship.obj")) < 0 || (ship_aObj = loadOne("shipli.obj")) < 0)
        return false;
    if ((plas_aObjstart = loadOne("plassim1.obj")) < 0)
        return false;
    char name[64];
    for (int k = 1; k <= 16; k++) {
        std::snprintf(name, sizeof name, "plassim%d.obj", k);
        if ((plas_aObjend = loadOne(name)) < 0)
            return false;
    }
    return true;
}

// the logo and its glow, stretched once
bool loadLogo()
{
    if ((korvaObj = loadOne("korvani.obj")) < 0 || (korva_aObj = loadOne("korval.obj")) < 0)
        return false;
    place(korvaObj, 0.0f, 0.0f, 0.0f, 1.6f, 2.1f, 2.1f);
    place(korva_aObj, 0.0f, 0.0f, 0.0f, 1.6f, 2.1f, 2.1f);
    return true;
}

// the factory: its eight parts and their glow where it stands, and the propellers
bool loadFactory()
{
    int i = 0;
    char name[64];
    for (int k = 1; k <= 8; k++) {
        std::snprintf(name, sizeof name, "fab%d.obj", k);
        if ((i = loadOne(name)) < 0)
            return false;
        if (k == 1)
            fabObjstart = i;
        fabObjend = i;
        place(i, -7.0f, 0.0f, -13.95f);
    }
    if ((i = loadOne("fab1a.obj")) < 0)
        return false;
    fab_aObjstart = fab_aObjend = i;
    place(i, -7.0f, 0.0f, -13.95f);
    int* const props[] = {&prop1, &prop2, &prop3, &prop3_a, &prop4, &prop5, &prop5_a, &prop6};
    const char* const propFiles[] = {"propel1.obj", "propel1.obj", "propel5.obj", "propel5a.obj",
                                     "propel3.obj", "propel5.obj", "propel5a.obj", "propel3.obj"};
    for (int k = 0; k < 8; k++) {
        if ((*props[k] = loadOne(propFiles[k])) < 0)
            return false;
    }
    return true;
}

// the street tiles on the grid around the centre, then the signs, the plaza's tiles and the border
bool loadStreets()
{
    int i = 0;
    bool first = true;
    for (int a = -40; a <= 64; a += 8) {
        for (int b = -24; b <= 32; b += 8) {
            // the centre is left free for the plaza, the logo and the station
            if (b >= -8 && b <= 16 && a >= -8 && a <= 32)
                continue;
            if ((i = loadOne("str0.obj")) < 0)
                return false;
            if (first)
                strObjstart = i;
            first = false;
            place(i, float(b), 0.0f, float(a));
        }
    }
    const char* const streetExtras[] = {"strsing.obj", "strsing.obj", "str0.obj", "str0.obj", "strbor.obj"};
    const float extraAt[5][3] = {{-4.0f, 0.0f, 0.0f}, {12.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 28.0f}, {8.0f, 0.0f, 28.0f},
                                 {0.0f, 0.0f, 0.0f}};
    for (int k = 0; k < 5; k++) {
        if ((i = loadOne(streetExtras[k])) < 0)
            return false;
        place(i, extraAt[k][0], extraAt[k][1], extraAt[k][2]);
        strObjend = i;
    }
    return true;
}

// the tower blocks, then their lit windows; the skyline's repeats moved to the far edge
bool loadBlocks()
{
    char name[64];
    for (int pass = 0; pass < 2; pass++) {
        for (int k = 0; k < numBlocks; k++) {
            std::snprintf(name, sizeof name, "%s%s.obj", blocks[k], pass == 0 ? "" : "a");
            const int i = loadOne(name);
            if (i < 0)
                return false;
            if (k == 0)
                (pass == 0 ? skyObjstart : sky_aObjstart) = i;
            (pass == 0 ? skyObjend : sky_aObjend) = i;
            if (k >= numBlocks - 3) {
                const float* s = skylineShift[k - (numBlocks - 3)];
                place(i, s[0], s[1], s[2]);
            }
        }
    }
    return true;
}

bool loadUniLogo()
{
    return (unilg = loadOne("unilg.obj")) >= 0 && (unilogo = loadOne("unilogo2.obj")) >= 0 &&
           (spherelogo = loadOne("sphere2.obj")) >= 0;
}

bool loadStation()
{
    return (rivastation = loadOne("station.obj")) >= 0 && (rivastation_a = loadOne("illum.obj")) >= 0 &&
           (rivastation_earth = loadOne("earth.obj")) >= 0;
}

bool loadSpots()
{
    int* const spots[] = {&spot1a, &spot2a, &spot3a, &spot4a};
    for (int* s : spots)
        if ((*s = loadOne("spot4.obj")) < 0)
            return false;
    return true;
}

// images of the ship group: the fog kinds and the trail light
bool loadShipImages()
{
    int* const images[] = {&fogTexNum1, &fogTexNum2, &fogTexNum3, &trakTexNum};
    const char* const imageFiles[] = {"fogtex1.rgb", "fogtex2.rgb", "fogtex3.rgb", "li_whit75.rgb"};
    for (int k = 0; k < 4; k++) {
        std::snprintf(loadName, sizeof loadName, "%s", imageFiles[k]);
        if ((*images[k] = sceneData.load_sgi(loadName)) < 0) {
            mainOut.prf("can't load %s\n", loadName);
            return false;
        }
    }
    return true;
}

// the end sequence's pictures, from the folder both texture sets share, and back
bool loadEndPictures()
{
    if (chdir3D("../endtex") == 0) {
        mainOut.pr("can't chdir ../endtex\n");
        return false;
    }
    const char* const endPictures[] = {"korvane.rgb", "3deng.rgb",   "vekkor.rgb",  "music.rgb",
                                       "drum.rgb",    "modeli.rgb",  "model.rgb",   "halvor1.rgb",
                                       "halvor2.rgb", "halvor3.rgb", "pelmar1.rgb", "pelmar2.rgb"};
    for (const char* p : endPictures) {
        std::snprintf(loadName, sizeof loadName, "%s", p);
        if (sceneData.load_dynsgi(loadName) < 0) {
            mainOut.prf("can't load %s\n", loadName);
            return false;
        }
    }
    if (chdir3D("../linux") == 0) {
        mainOut.pr("can't chdir ../linux\n");
        return false;
    }
    return true;
}

}  // namespace

int loadObj3D(const char* name)
{
    return sceneData.load_obj(name);
}

int chdir3D(const char* dir)
{
    if (loadascii != 1)
        return 1;
    return changeDir3D(dir) == 0 ? 1 : 0;
}

int loadSceneFiles3D(int ascii)
{
    loadascii = ascii;
    objPath = loadBigTex == 1 ? bigTexPath : smlTexPath;
    // a group at a time: into its folder, its files, out again; the first failure ends the load
    const bool loaded = enterGroup("fab") && loadFactory() && leaveGroup() &&
                        enterGroup("ship") && loadShip() && leaveGroup() &&
                        enterGroup("korva") && loadLogo() && leaveGroup() &&
                        enterGroup("sky") && loadStreets() && loadBlocks() && leaveGroup() &&
                        enterGroup("unilg") && loadUniLogo() && leaveGroup() &&
                        enterGroup("rivasta") && loadStation() && leaveGroup() &&
                        enterGroup("spot") && loadSpots() && leaveGroup() &&
                        enterGroup("ship") && loadShipImages() && leaveGroup() && loadEndPictures();
    return loaded ? 1 : 0;
}

int loadObjs3D()
{
    char pac[256];
    std::snprintf(pac, sizeof pac, "%s%s", dataDir3D, loadBigTex == 1 ? "bigtex.pac" : "smltex.pac");
    if (sceneData.load_pac(pac) != 1) {
        mainOut.prf("can't load %s\n", pac);
        return 0;
    }
    // the set counts as loaded only when the whole catalogue is in the store
    if (loadSceneFiles3D(0) != 1) {
        bigTexLoaded = smlTexLoaded = 0;
        mainOut.prf("the scene of %s is incomplete\n", pac);
        return 0;
    }
    bigTexLoaded = loadBigTex == 1 ? 1 : 0;
    smlTexLoaded = loadBigTex == 1 ? 0 : 1;
    return 1;
}

int loadDeskObjs3D()
{
    char pac[256];
    std::snprintf(pac, sizeof pac, "%sdeskobjs.pac", dataDir3D);
    if (sceneData.load_pac(pac) != 1) {
        mainOut.pr("can't load deskobjs.pac\n");
        return 0;
    }
    // a package replaces the whole store: the city has to be loaded again
    bigTexLoaded = smlTexLoaded = 0;
    loadascii = 0;
    objPath = smlTexPath;
    return enterGroup("deskobj") && loadShip() && loadLogo() && leaveGroup() ? 1 : 0;
}
