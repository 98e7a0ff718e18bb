// The driver's process-wide state and its engine objects, defined in one
// place so that they are built in this order before main runs.
#include "driver3D.h"
#include "platform3D.h"
#include "frontEnd3D.h"

outTxt mainOut;
gl3D glEngine(&mainOut);
data3D sceneData(&mainOut);
fog3D fogClouds(&mainOut, &sceneData);
recmat3D deskShipRec(&mainOut), deskLogoRec(&mainOut), cityShipRec(&mainOut), cityCamRec(&mainOut),
    endShipRec(&mainOut), endCamRec(&mainOut), sphereRec(&mainOut);
dr3DTail shipTail(&mainOut);

int runDemo = 0, runBenchNormal = 0, runBenchHigh = 0;
int runTimedemo = 0;
int drawIntroNow = 0, drawCityNow = 0, drawEndNow = 0;
int runBenchControlNow = 0;
int startIntro = 0, startCity = 0, startEnd = 0;
int closeFLTKWin = 0;
int startUpOK = 1;
float timeMul = 1.0f;
int frameCounter = 0;
int conterRes = 6;
long startTimeM = 0, lastTimeM = 0, midLastTimeM = 0, tmpMilliM = 0;
float elapsedTimeS = 0.0f, elapsedStartTimeS = 0.0f;
float recPlayTimeS = 0.0f, recPlayTimeZero = 0.0f;
float cityFps = 0.0f, midFps = 0.0f, minFps = -1.0f, maxFps = -1.0f;
int scrX = 640, scrY = 480, scrD = 16, startScrX = 640, startScrY = 480, startScrD = 16;
int loadBigTex = 0, bigTexLoaded = 0, smlTexLoaded = 0, cityRecLoaded = 0;
char pcNameText[1024] = "", pcInfText[1024] = "", benchNameText[1024] = "";
char m3dinfText1[1024] = "", m3dinfText2[1024] = "", m3dinfText3[1024] = "";
const char (&tVersion)[16] = buildVersion3D;
int saveBench = 1;
int helpOn = 0;
int change3dWin = 0;
int endPicNum = 0;
int firstBenchRun = 1, numBenchNow = 0;

int vekCityFly = 0;
float viewDistance = 19.5f;
int dynamicFog = 1, flyNight = 1, numBuf = 2, noTextureMode = 0, noBlendFuncSRCALPHA_DSTONE = 0;
int mNoReflectionMap = 0, glQualityHintHigh = 1, glFilterLinear = 1, mMipmapLevels = 0;
int precalc = 0, playSound = 1, khz44100 = 1, hightQualityMidas = 0, frameWindow = 1;
int numDrv = 0, numDev = 0;
const char* benchRendererText = "OPENGL    ";
const char* startRendererText = "OPEN GL";
int endScreenCrashWorkaround = 0, disableDeskTopRendering = 0, mZOffsetEnable = 1;
int d3dDeskTopRenderingInSoftware = 0, d3dNo32BitTex = 0, d3dNo32BitZbuffer = 0, d3dFogInSoftware = 0;
int d3dDisableFog = 0, d3dFogdistanceFix = 0, d3dNoBlendHardware = 0, d3dSpecularEnable = 0;

matrix_4 shipMat = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
matrix_4 camMat = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
vec_4 sphPos = {0, 0, 0, 1}, velo = {0, 0, 0, 1}, shipVec = {0, 0, 0, 1}, shipDirVec = {0, 0, 0, 1};

namespace {
const frontEnd3D* frontEnd = nullptr;
}

void setFrontEnd3D(const frontEnd3D* fe)
{
    frontEnd = fe;
}

const frontEnd3D* getFrontEnd3D()
{
    return frontEnd;
}

void defaultSettings3D()
{
    runDemo = runBenchNormal = runBenchHigh = 0;
    runTimedemo = 0;
    vekCityFly = 0;
    scrX = 640;
    scrY = 480;
    scrD = 16;
    viewDistance = 19.5f;
    dynamicFog = 1;
    flyNight = 1;
    numBuf = 2;
    noTextureMode = 0;
    mNoReflectionMap = 0;
    noBlendFuncSRCALPHA_DSTONE = 0;
    glQualityHintHigh = 1;
    glFilterLinear = 1;
    mMipmapLevels = 0;
    precalc = 0;
    playSound = 1;
    khz44100 = 1;
    frameWindow = 1;
    saveBench = 1;
    pcNameText[0] = pcInfText[0] = '\0';
}
