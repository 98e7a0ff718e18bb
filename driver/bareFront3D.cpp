#include "bareFront3D.h"

#include "driver3D.h"
#include "frontEnd3D.h"

namespace {

bareFront3D record;
bool redrawAsked = false;
bool windowOpen = false;

void redisplay()
{
    redrawAsked = true;
    record.redraws++;
}

void destroyRunWindow()
{
    windowOpen = false;
    record.closes++;
}

void enableDialog()
{
    record.enables++;
}

int musicOnBox()
{
    return playSound;
}

int inWindowBox()
{
    return frameWindow;
}

void musicPlay(const char* path)
{
    record.music.emplace_back(path);
}

void musicClose()
{
    record.musicCloses++;
}

const frontEnd3D bare = {
    .redisplay = redisplay,
    .destroyRunWindow = destroyRunWindow,
    .enableDialog = enableDialog,
    .musicOnBox = musicOnBox,
    .inWindowBox = inWindowBox,
    .musicPlay = musicPlay,
    .musicClose = musicClose,
    .mouse = nullptr,
};

}  // namespace

bareFront3D* installBareFront3D(const glWindow3D* system)
{
    if (system != nullptr)
        gl3D::setWindowSystem(system);
    setFrontEnd3D(&bare);
    record = bareFront3D();
    return &record;
}

int startBareRun3D()
{
    prepareRun3D();
    startScrX = scrX;
    startScrY = scrY;
    startScrD = scrD;
    return start3D();
}

int runFrames3D(int maxFrames)
{
    windowOpen = true;
    int frames = 0;
    while (windowOpen && frames < maxFrames) {
        if (record.pendingKey != 0) {
            myKeyboard(record.pendingKey, 0, 0);
            record.pendingKey = 0;
        }
        redrawAsked = false;
        myIdle();
        if (!windowOpen)
            break;
        if (!redrawAsked)
            return frames;  // nothing left to draw: the run waits for the user
        draw3D();
        frames++;
    }
    return frames;
}
