#include "driver3D.h"
#include "platform3D.h"

#include "scene/fileCloser.h"
#include "scene/scanText.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

// a FIFO or a device in the parameter file's place would hang the read
bool regularFile(const char* path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// view distance codes of the file: near, normal, far
float distanceOf(int code)
{
    switch (code) {
    case 0:
        return 10.0f;
    case 2:
        return 58.5f;
    default:
        return 19.5f;
    }
}

// "key=" at the very start of the line, then a decimal integer
bool keyValue(const char* line, const char* key, int* value)
{
    const size_t n = std::strlen(key);
    if (std::strncmp(line, key, n) != 0 || line[n] != '=')
        return false;
    scanText s(line + n + 1, line + std::strlen(line));
    return s.readInt(value);
}

// identification texts carry no line break, nor a carriage return before it
void cutLine(char* text)
{
    for (int i = 0; i < 256 && text[i] != '\0'; i++)
        if (text[i] == '\n' || text[i] == '\r')
            text[i] = '\0';
}

}  // namespace

void setRecordText3D(char* out, size_t size, const char* typed)
{
    if (out == nullptr || size == 0)
        return;
    std::snprintf(out, size, "%s", typed != nullptr ? typed : "");
    out[std::strcspn(out, "\r\n")] = '\0';
}

namespace {

struct key {
    const char* name;
    int* value;
};

// the identification lines, then every line tried against every key, so a
// key given twice keeps its last value
// An identification line whole: one longer than its field keeps the
// field's 255 characters and says so; the rest of it is no next line.
bool readIdLine(FILE* f, char* out, size_t size, int number)
{
    char line[256];
    if (std::fgets(line, sizeof line, f) == nullptr)
        return false;
    std::snprintf(out, size, "%s", line);
    if (std::strchr(line, '\n') != nullptr)
        return true;
    bool longer = false;
    for (int c = 0; (c = std::fgetc(f)) != EOF && c != '\n';)
        longer = longer || c != '\r';
    if (longer)
        mainOut.prf("Korva.INI line %d is longer than its %d characters: it is cut there\n", number,
                    int(sizeof line) - 1);
    return true;
}

void readFile(FILE* f, const key* keys, size_t numKeys)
{
    char line[256];
    if (readIdLine(f, pcNameText, sizeof pcNameText, 1))
        readIdLine(f, pcInfText, sizeof pcInfText, 2);
    cutLine(pcNameText);
    cutLine(pcInfText);
    while (std::fgets(line, sizeof line, f) != nullptr) {
        for (size_t k = 0; k < numKeys; k++) {
            int v = 0;
            if (keyValue(line, keys[k].name, &v))
                *keys[k].value = v;
        }
    }
}

}  // namespace

void loadParameterWin(const char* path)
{
    filePtr f(regularFile(path) ? std::fopen(path, "r") : nullptr);
    if (!f)
        return;
    const key keys[] = {
        {"endScreenCrashWorkaround", &endScreenCrashWorkaround},
        {"d3dDeskTopRenderingInSoftware", &d3dDeskTopRenderingInSoftware},
        {"d3dNo32BitTex", &d3dNo32BitTex},
        {"d3dNo32BitZbuffer", &d3dNo32BitZbuffer},
        {"d3dFogInSoftware", &d3dFogInSoftware},
        {"d3dDisableFog", &d3dDisableFog},
        {"d3dFogdistanceFix", &d3dFogdistanceFix},
        {"d3dNoBlendHardware", &d3dNoBlendHardware},
        {"d3dSpecularEnable", &d3dSpecularEnable},
        {"disableDeskTopRendering", &disableDeskTopRendering},
        {"noBlendFuncSRCALPHA_DSTONE", &noBlendFuncSRCALPHA_DSTONE},
        {"mZOffsetEnable", &mZOffsetEnable},
        {"enableMusic", &playSound},
    };
    readFile(f.get(), keys, sizeof keys / sizeof keys[0]);
    glEngine.zOffsetEnabled = mZOffsetEnable;
}

void loadParameter(const char* path)
{
    int distanceCode = 1;
    filePtr f(regularFile(path) ? std::fopen(path, "r") : nullptr);
    if (f) {
        const key keys[] = {
            {"runDemo", &runDemo},
            {"runBenchNormal", &runBenchNormal},
            {"runBenchHigh", &runBenchHigh},
            {"vekCityFly", &vekCityFly},
            {"Xresolution", &scrX},
            {"Yresolution", &scrY},
            {"Dresolution", &scrD},
            {"viewDistance", &distanceCode},
            {"dynamicFog", &dynamicFog},
            {"flyNight", &flyNight},
            {"numBuf", &numBuf},
            {"noTextureMode", &noTextureMode},
            {"mNoReflectionMap", &mNoReflectionMap},
            {"noBlendFuncSRCALPHA_DSTONE", &noBlendFuncSRCALPHA_DSTONE},
            {"glQualityHintHigh", &glQualityHintHigh},
            {"glFilterLinear", &glFilterLinear},
            {"mMipmapLevels", &mMipmapLevels},
            {"precalc", &precalc},
            {"enableMusic", &playSound},
            {"khz44100", &khz44100},
        };
        readFile(f.get(), keys, sizeof keys / sizeof keys[0]);
    }

    if (runBenchHigh == 1) {
        runDemo = runBenchNormal = 0;
        frameWindow = 0;
        distanceCode = 2;
        dynamicFog = 2;
    } else if (runBenchNormal == 1) {
        runDemo = runBenchHigh = 0;
        frameWindow = 0;
        distanceCode = 1;
        dynamicFog = 1;
    } else {
        runDemo = 1;
        runBenchNormal = runBenchHigh = 0;
        frameWindow = 1;
    }
    if (runBenchNormal == 1 || runBenchHigh == 1) {
        numBuf = 2;
        precalc = 0;
        noTextureMode = 0;
        saveBench = 1;
        playSound = 0;
        mNoReflectionMap = 0;
        glFilterLinear = 1;
        glQualityHintHigh = 1;
    }
    scrX = scrX < 160 ? 160 : (scrX > 1920 ? 1920 : scrX);
    scrY = scrY < 120 ? 120 : (scrY > 1280 ? 1280 : scrY);
    // a depth no display has would go into every record as it stands
    if (scrD != 8 && scrD != 15 && scrD != 16 && scrD != 24 && scrD != 32)
        scrD = 16;
    viewDistance = distanceOf(distanceCode);
    if (dynamicFog > 2)
        dynamicFog = 1;
    mMipmapLevels = mMipmapLevels > 0 ? 8 : 0;
    if (numBuf != 1 && numBuf != 2)
        numBuf = 2;
    if (noTextureMode >= 2)
        noTextureMode = 0;
    if (mNoReflectionMap >= 2)
        mNoReflectionMap = 0;
}

void identifyMachine3D()
{
    if (pcNameText[0] != '\0' && pcInfText[0] != '\0')
        return;
    machine3D m;
    detectMachine3D(&m);
    if (pcNameText[0] == '\0')
        std::snprintf(pcNameText, sizeof pcNameText, "%s (%d core%s, %d thread%s)",
                      m.cpuModel[0] != '\0' ? m.cpuModel : "unknown processor", m.cores, m.cores == 1 ? "" : "s",
                      m.threads, m.threads == 1 ? "" : "s");
    if (pcInfText[0] == '\0') {
        char system[256];
        systemName3D(system, sizeof system);
        std::snprintf(pcInfText, sizeof pcInfText, "%s%s%s", m.osName, m.osName[0] != '\0' ? ", " : "", system);
    }
}

void startSettings3D(const char* path)
{
    loadParameter(path);
    identifyMachine3D();
    runDemo = runBenchNormal = runBenchHigh = 0;
    dynamicFog = 1;
    viewDistance = 19.5f;
    flyNight = 1;
    glQualityHintHigh = 1;
    glFilterLinear = 1;
    cityFps = 0.0f;
    firstBenchRun = 1;
    numBenchNow = 0;
}
