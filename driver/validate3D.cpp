#include "validate3D.h"

#include "driver3D.h"
#include "platform3D.h"

bool validating3D = false;

namespace {

const validShot3D shots[] = {
    {"intro_flash", validIntro, 8.8f, "the flash over the logo coming in"},
    {"intro_glow", validIntro, 10.0f, "the logo and its glow"},
    {"intro_ship", validIntro, 12.0f, "the ship beside the turning logo"},
    {"intro_pass", validIntro, 18.0f, "the ship passing the camera"},
    {"night_002", validCityNight, 2.0f, "the landing pad, a search light's cone, the ship's light"},
    {"night_014", validCityNight, 14.0f, "the pad's fog clouds"},
    {"night_026", validCityNight, 26.0f, "a tower lit by the ship's spot light"},
    {"night_040", validCityNight, 40.0f, "lit windows down a street"},
    {"night_054", validCityNight, 54.0f, "the street towards the station"},
    {"night_068", validCityNight, 68.0f, "the outer avenue"},
    {"night_082", validCityNight, 82.0f, "the west avenue"},
    {"night_096", validCityNight, 96.0f, "the north avenue"},
    {"night_110", validCityNight, 110.0f, "the east avenue"},
    {"night_126", validCityNight, 126.0f, "the first beam over the fog"},
    {"night_146", validCityNight, 146.0f, "the beam with the ship banking"},
    {"night_160", validCityNight, 160.0f, "the second beam towards the pad"},
    {"day_026", validCityDay, 26.0f, "the pad by day, unlit textures"},
    {"day_054", validCityDay, 54.0f, "a street by day"},
    {"day_126", validCityDay, 126.0f, "the first beam by day"},
    {"end_1", validEnd, 2.0f, "the first end picture fading in"},
    {"end_2", validEnd, 6.5f, "the third end picture, the ship and the sphere"},
};
constexpr int numShots = int(sizeof shots / sizeof shots[0]);

// the sequence's flags, set as its start asks
void startSequence(validSeq3D seq)
{
    drawIntroNow = drawCityNow = drawEndNow = 0;
    runBenchControlNow = 0;
    cityFps = 0.0f;
    vekCityFly = 0;
    // each sequence plays its paths from their start, as a new run does
    switch (seq) {
    case validIntro:
        deskShipRec.rewind();
        startIntro = 1;
        drawIntroNow = 1;
        break;
    case validCityNight:
    case validCityDay:
        flyNight = seq == validCityNight ? 1 : 0;
        cityShipRec.rewind();
        cityCamRec.rewind();
        startCity = 1;
        drawCityNow = 1;
        break;
    case validEnd:
        endShipRec.rewind();
        endCamRec.rewind();
        sphereRec.rewind();
        startEnd = 1;
        drawEndNow = 1;
        break;
    }
}

bool running(validSeq3D seq)
{
    switch (seq) {
    case validIntro:
        return drawIntroNow == 1;
    case validCityNight:
    case validCityDay:
        return drawCityNow == 1;
    case validEnd:
        return drawEndNow == 1;
    }
    return false;
}

}  // namespace

const validShot3D* validShots3D(int* count)
{
    if (count != nullptr)
        *count = numShots;
    return shots;
}

int validateFlight3D(validGrab3D grab, void* ctx)
{
    const int keepNight = flyNight;
    const int keepFly = vekCityFly;
    startSteppedClock3D();
    int frames = 0;
    bool ok = true;
    int next = 0;
    while (ok && next < numShots) {
        const validSeq3D seq = shots[next].seq;
        startSequence(seq);
        bool first = true;
        while (ok && next < numShots && shots[next].seq == seq) {
            // the time this frame shows: its sequence starts at 0, then the clock of the frame before
            const float clock = first ? 0.0f : elapsedStartTimeS;
            const float drawnAt = seq == validCityNight || seq == validCityDay ? clock * timeMul : clock;
            first = false;
            if (seq == validIntro)
                drawIntro3D();
            else if (seq == validEnd)
                drawEnd3D();
            else
                drawCity3D();
            frames++;
            // a sequence that ended drew nothing more of its path
            if (!running(seq)) {
                ok = false;
                break;
            }
            if (drawnAt >= shots[next].at - 0.001f) {
                ok = grab(shots[next], ctx);
                next++;
            }
            stepClock3D(validStepMs3D);
        }
    }
    stopSteppedClock3D();
    flyNight = keepNight;
    vekCityFly = keepFly;
    // the run ends as a benchmark's does, with nothing measured or written
    drawIntroNow = drawCityNow = drawEndNow = 0;
    runBenchControlNow = 0;
    cityFps = 0.0f;
    closeFLTKWin = 1;
    myIdle();
    return ok ? frames : -1;
}
