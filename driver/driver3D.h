// The demo and benchmark driver: its process-wide run state, the engine
// objects, and the operations the front-end calls.
#ifndef KORVA_DRIVER3D_H
#define KORVA_DRIVER3D_H

#include "console/outTxt.h"
#include "effects/dr3DTail.h"
#include "effects/fog3D.h"
#include "effects/recmat3D.h"
#include "gl/gl3D.h"
#include "math/matrix_4.h"
#include "scene/data3D.h"

#include <cstddef>

// the engine objects, created in this order before main runs
extern outTxt mainOut;
extern gl3D glEngine;
extern data3D sceneData;
extern fog3D fogClouds;
extern recmat3D deskShipRec, deskLogoRec, cityShipRec, cityCamRec, endShipRec, endCamRec, sphereRec;
extern dr3DTail shipTail;

// run state
extern int runDemo, runBenchNormal, runBenchHigh;
// A benchmark's flight as a timedemo: on the stepped clock, every frame the
// path time a machine at timedemoRate3D frames a second would show, so that
// every machine draws the same frames; timed on the measuring clock.
extern int runTimedemo;
constexpr int timedemoRate3D = 60;
// the stepped clock's milliseconds from the flight's start to its frame k
constexpr long timedemoMs3D(long k)
{
    return k * 1000L / timedemoRate3D;
}
extern int drawIntroNow, drawCityNow, drawEndNow;
extern int runBenchControlNow;
extern int startIntro, startCity, startEnd;
extern int closeFLTKWin;
extern int startUpOK;
extern float timeMul;
extern int frameCounter;
extern int conterRes;
extern long startTimeM, lastTimeM, midLastTimeM, tmpMilliM;
extern float elapsedTimeS, elapsedStartTimeS;
extern float recPlayTimeS, recPlayTimeZero;
extern float cityFps, midFps, minFps, maxFps;
extern int scrX, scrY, scrD, startScrX, startScrY, startScrD;
extern int loadBigTex, bigTexLoaded, smlTexLoaded, cityRecLoaded;
extern char pcNameText[1024], pcInfText[1024], benchNameText[1024];
extern char m3dinfText1[1024], m3dinfText2[1024], m3dinfText3[1024];
extern const char (&tVersion)[16];
extern int saveBench;
extern int helpOn;
extern int change3dWin;
extern int endPicNum;
extern int firstBenchRun, numBenchNow;

// settings of the parameter file and the dialogs
extern int vekCityFly;
extern float viewDistance;
extern int dynamicFog, flyNight, numBuf, noTextureMode, noBlendFuncSRCALPHA_DSTONE;
extern int mNoReflectionMap, glQualityHintHigh, glFilterLinear, mMipmapLevels;
extern int precalc, playSound, khz44100, hightQualityMidas, frameWindow;
extern int numDrv, numDev;
// the first word of the record's third line: "OPENGL    " or "DIRECT3D  "
extern const char* benchRendererText;
// the renderer's name on the start line of a run
extern const char* startRendererText;
// keys only the Windows build reads
extern int endScreenCrashWorkaround, disableDeskTopRendering, mZOffsetEnable;
extern int d3dDeskTopRenderingInSoftware, d3dNo32BitTex, d3dNo32BitZbuffer, d3dFogInSoftware;
extern int d3dDisableFog, d3dFogdistanceFix, d3dNoBlendHardware, d3dSpecularEnable;

// the poses of the sequences
extern matrix_4 shipMat, camMat;
extern vec_4 sphPos, velo, shipVec, shipDirVec;

// scene slots
extern int fabObjstart, fabObjend, fab_aObjstart, fab_aObjend;
extern int prop1, prop2, prop3, prop3_a, prop4, prop5, prop5_a, prop6;
extern int shipObj, ship_aObj, plas_aObjstart, plas_aObjend;
extern int korvaObj, korva_aObj;
extern int strObjstart, strObjend, skyObjstart, skyObjend, sky_aObjstart, sky_aObjend;
extern int unilg, unilogo, spherelogo, rivastation, rivastation_a, rivastation_earth;
extern int spot1a, spot2a, spot3a, spot4a;
extern int fogTexNum1, fogTexNum2, fogTexNum3, trakTexNum;
extern int loadascii;

// Puts every setting back to its built-in default.
void defaultSettings3D();
// Reads the parameter file and applies its rules.
void loadParameter(const char* path);
// The program's start: the parameter file, then the demo settings and the
// benchmark counters its first dialog shows.
void startSettings3D(const char* path);
// Fills an empty identification with what the machine is: the processor
// with its cores and threads (line 1), the operating system and its kernel
// (line 2). Texts the user gave stay as they are.
void identifyMachine3D();
// The Windows build's reading: the identification lines and its own keys;
// run mode and display come from its dialogs.
void loadParameterWin(const char* path);
// The fixed settings of a benchmark and the run's name, as the front-end
// starts a run (before start3D).
void prepareRun3D();
// How the last run ended, for the exit status of a scripted run.
enum runOutcome3DKind {
    runNone,         // no run yet
    runRunning,      // started and not ended (a demo keeps this)
    runNotStarted,   // start3D failed
    runCancelled,    // a benchmark closed by the user before its record
    runWritten,      // measured and appended to bench.res
    runNotSaved,     // measured, saving switched off
    runWriteFailed,  // measured, bench.res could not be written
    runNoMeasure,    // the flight ended without a frame rate
    runJsonFailed,   // measured, bench.json could not be written (nor bench.res)
    runFrameLogFailed  // measured and saved as asked, but the frame log could not be written
};
extern int runOutcome3D;
// The records the result viewer loads from one file.
constexpr int viewerRecordLimit3D = 1499;
// The exit status of a scripted benchmark from the last run's outcome: 0
// measured and written (or saving off), 1 not started, 3 bench.res not
// written, 4 no measurement, 6 bench.json not written, 7 the frame log not
// written.
int benchExitStatus3D();
// Puts the user's settings back after a run and drops its pending requests;
// for a front-end that ends a run without the idle call's teardown.
void endRun3D();
// Copies a text typed for the record: it ends at its first line break or
// carriage return, as the parameter file's lines do.
void setRecordText3D(char* out, size_t size, const char* typed);
// The start-up banner of main.
void printBanner3D(const char* title);

int loadObjs3D();
int loadObj3D(const char* name);
// The desk objects of the desktop rendering test: the ship with its trail
// and the logo, from their own package.
int loadDeskObjs3D();
int chdir3D(const char* dir);
// The scene's files in catalogue order from the current texture set's
// folders (ascii 1, loose files) or the loaded package (ascii 0).
int loadSceneFiles3D(int ascii);

int start3D();
void myIdle();
void draw3D();
void myReshape(int w, int h);
void myKeyboard(unsigned char key, int x, int y);
void mySpecial(int key, int x, int y);
// The user closed the run window.
void closeRunWindow3D();
int benchControl3D();

void drawIntro3D();
void drawCity3D();
// A timedemo's stepped clock gives way to the system's (its run ended early).
void endTimedemoClock3D();
void drawCityObj3D();
void drawTracktor3D(const vec_4& from, const vec_4& to, float t);
void drawEnd3D();

// Composes the nine-line record. @returns its length in out.
int benchRecord3D(char* out, int size);

#endif
