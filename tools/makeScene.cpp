// Writes the whole data tree of the demo and the benchmark under one root:
// linux/Korva.INI and win/Korva.INI (an edited one is kept; the build's
// own copies go to ROOT.made/), both texture sets, the end pictures, the flight paths and
// the packages, which the engine itself loads from the loose files and saves.
//   korva_makescene ROOT
#include "cityGen.h"
#include "driver3D.h"
#include "manifest3D.h"
#include "musicGen.h"
#include "pathGen.h"
#include "platform3D.h"
#include "texGen.h"
#include "userFile.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

// the identification lines empty (the program fills them with what it finds
// the machine to be) and every option at its default
const char* const linuxIni = "\n\n"
                             "runDemo=1\nrunBenchNormal=0\nrunBenchHigh=0\nvekCityFly=0\n"
                             "Xresolution=640\nYresolution=480\nDresolution=16\n"
                             "viewDistance=1\ndynamicFog=1\nflyNight=1\nnumBuf=2\nnoTextureMode=0\n"
                             "mNoReflectionMap=0\nnoBlendFuncSRCALPHA_DSTONE=0\nglQualityHintHigh=1\nglFilterLinear=1\n"
                             "mMipmapLevels=0\nprecalc=0\nenableMusic=1\nkhz44100=1\n";

// the Windows build reads the same two lines, then only its own keys
const char* const winIni = "\n\n"
                           "endScreenCrashWorkaround=0\nd3dDeskTopRenderingInSoftware=0\nd3dNo32BitTex=0\n"
                           "d3dNo32BitZbuffer=0\nd3dFogInSoftware=0\nd3dDisableFog=0\nd3dFogdistanceFix=0\n"
                           "d3dNoBlendHardware=0\nd3dSpecularEnable=0\ndisableDeskTopRendering=0\n"
                           "noBlendFuncSRCALPHA_DSTONE=0\nmZOffsetEnable=1\nenableMusic=1\n";

// Korva.INI in the tree, unless the user edited it there; the build's own
// copy goes beside the tree (ROOT.made), which is what gets installed
bool writeIni(const std::string& root, const char* folder, const char* text)
{
    const std::string rel = std::string(folder) + "/Korva.INI";
    bool kept = false;
    if (!writeUserFile(root + "/" + rel, text, root + ".made/" + rel, &kept))
        return false;
    if (kept)
        std::printf("korva_makescene: %s/%s was edited since the build wrote it: kept as it is\n", root.c_str(),
                    rel.c_str());
    return true;
}

bool loadDeskObjects()
{
    // the desk objects of the Windows intro: the ship group and the logo
    if (changeDir3D("../smltex/ship") != 0)
        return false;
    const char* const ship[] = {"ship.obj", "shipli.obj", "plassim1.obj"};
    for (const char* f : ship)
        if (sceneData.load_obj(f) < 0)
            return false;
    for (int k = 1; k <= 16; k++)
        if (sceneData.load_obj(("plassim" + std::to_string(k) + ".obj").c_str()) < 0)
            return false;
    if (changeDir3D("../korva") != 0)
        return false;
    if (sceneData.load_obj("korvani.obj") < 0 || sceneData.load_obj("korval.obj") < 0)
        return false;
    return changeDir3D("../../linux") == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: korva_makescene ROOT\n");
        return 2;
    }
    const std::string root = fs::absolute(argv[1]).string();
    for (const char* d : {"linux", "win", "data", "endtex", "bigtex", "smltex"})
        fs::create_directories(root + "/" + d);

    cityLayout layout;
    long tris = 0;
    for (const auto& [set, size] : {std::pair<const char*, int>{"bigtex", 512}, {"smltex", 128}}) {
        if (writeSceneTextures(root + "/" + set, size) < 0 || (tris = writeSceneModels(root + "/" + set, &layout)) < 0) {
            std::fprintf(stderr, "korva_makescene: can't write %s/%s\n", root.c_str(), set);
            return 1;
        }
    }
    if (!writeEndPictures(root + "/endtex") || !writePaths(root + "/data") || !writeMusic(root + "/data") ||
        !writeIni(root, "linux", linuxIni) || !writeIni(root, "win", winIni)) {
        std::fprintf(stderr, "korva_makescene: can't write the pictures, paths, music or Korva.INI\n");
        return 1;
    }

    // the packages are the engine's own snapshot of the loose files, in catalogue order
    if (changeDir3D((root + "/linux").c_str()) != 0)
        return 1;
    for (int big = 0; big < 2; big++) {
        loadBigTex = big;
        sceneData.init();
        if (loadSceneFiles3D(1) != 1) {
            std::fprintf(stderr, "korva_makescene: the scene does not load:\n%s\n", mainOut.getText());
            return 1;
        }
        const char* pac = big ? "../data/bigtex.pac" : "../data/smltex.pac";
        if (sceneData.save_pac(pac) != 1) {
            std::fprintf(stderr, "korva_makescene: can't write %s\n", pac);
            return 1;
        }
    }
    sceneData.init();
    if (!loadDeskObjects() || sceneData.save_pac("../data/deskobjs.pac") != 1) {
        std::fprintf(stderr, "korva_makescene: can't write deskobjs.pac:\n%s\n", mainOut.getText());
        return 1;
    }
    if (!writeManifest3D("../data/")) {
        std::fprintf(stderr, "korva_makescene: can't write the data manifest\n");
        return 1;
    }
    std::printf("korva_makescene: %s: %ld model triangles per set, %zu towers\n", root.c_str(), tris,
                layout.towers.size() / 2);
    return 0;
}
