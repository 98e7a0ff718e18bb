// The sequences the viewer sees: the intro over the desk with the logo, the
// flight through the city that the benchmark measures, and the end pictures.
#include "benchProgress3D.h"
#include "driver3D.h"
#include "frontEnd3D.h"
#include "platform3D.h"
#include "results3D.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr float pi = 3.14159265f;

void frameTiming()
{
    const long now = clockMillis3D();
    tmpMilliM = now;
    elapsedTimeS = float(now - lastTimeM) * 0.001f;
    elapsedStartTimeS = float(now - startTimeM) * 0.001f;
    frameCounter++;
    lastTimeM = clockMillis3D();
}

void resetTiming()
{
    frameCounter = 0;
    elapsedTimeS = elapsedStartTimeS = 0.0f;
    lastTimeM = clockMillis3D();
    startTimeM = clockMillis3D();
}

void drawPlaced(int i, const matrix_4& m, float s)
{
    glEngine.resetObj(&sceneData, i);
    glEngine.postMatrixMulObj(&sceneData, i, m);
    glEngine.scaleObj(&sceneData, i, s, s, s);
    glEngine.drawObj(&sceneData, i);
}

void drawAt(int i, float x, float y, float z, float sx, float sy, float sz, float ax, float ay, float az)
{
    glEngine.resetObj(&sceneData, i);
    glEngine.translateObj(&sceneData, i, x, y, z);
    glEngine.scaleObj(&sceneData, i, sx, sy, sz);
    glEngine.rotateObj(&sceneData, i, ax, ay, az);
    glEngine.drawObj(&sceneData, i);
}

void drawRange(int from, int to)
{
    for (int i = from; i <= to; i++)
        glEngine.drawObj(&sceneData, i);
}

vec_4 positionOf(const matrix_4& m)
{
    return vec_4{m.m[3], m.m[7], m.m[11], 1.0f};
}

// the models fly nose first along their -z axis
vec_4 headingOf(const matrix_4& m)
{
    return vec_4{-m.m[2], -m.m[6], -m.m[10], 1.0f};
}

// a point given along the axes of a pose
vec_4 alongAxes(const matrix_4& m, float x, float y, float z)
{
    return transformVec(m, vec_4{x, y, z, 1.0f});
}

void glowOn()
{
    if (noBlendFuncSRCALPHA_DSTONE == 1) {
        glEngine.disableLightning();
    } else {
        glEngine.disableLightning();
        glEngine.lightBlendOn();
    }
    glEngine.noZwriteOn();
}

void glowOff(bool lit)
{
    glEngine.lightBlendOff();
    glEngine.noZwriteOff();
    if (lit)
        glEngine.enableLightning();
}

void drawFogPass()
{
    glEngine.blendCullFaceOff();
    glEngine.noZwriteOn();
    fogClouds.drawFog();
    glEngine.noZwriteOff();
    glEngine.blendCullFaceOn();
}

// the user-steered flight: the mouse turns and climbs, the camera follows behind
void flySteer()
{
    const frontEnd3D* fe = getFrontEnd3D();
    float mx = 0.0f, my = 0.0f;
    int buttons = 0;
    if (fe != nullptr && fe->mouse != nullptr) {
        int x = 0, y = 0;
        fe->mouse(&x, &y, &buttons);
        const int w = glEngine.getXres() > 0 ? glEngine.getXres() : 1;
        const int h = glEngine.getYres() > 0 ? glEngine.getYres() : 1;
        mx = (float(x) - 0.5f * float(w)) / (0.5f * float(w));
        my = (float(y) - 0.5f * float(h)) / (0.5f * float(h));
    }
    const float dt = elapsedTimeS > 0.1f ? 0.1f : elapsedTimeS;
    const float speed = (buttons & 1) ? 6.0f : 3.0f;
    // yaw about the world's up axis, climb within limits
    matrix_4 turn;
    identityMat(&turn);
    rotateYMat(&turn, -mx * 70.0f * dt);
    vec_4 pos = positionOf(shipMat);
    matrix_4 orient = shipMat;
    orient.m[3] = orient.m[7] = orient.m[11] = 0.0f;
    orient = mulMat(turn, orient);
    vec_4 head = headingOf(orient);
    pos.x += head.x * speed * dt;
    pos.z += head.z * speed * dt;
    pos.y += -my * 2.0f * dt;
    pos.y = pos.y < 0.6f ? 0.6f : (pos.y > 25.0f ? 25.0f : pos.y);
    shipMat = orient;
    shipMat.m[3] = pos.x;
    shipMat.m[7] = pos.y;
    shipMat.m[11] = pos.z;
    // the camera: 2.6 behind and 0.8 above, looking a little ahead of the ship
    const vec_4 eye = {pos.x - head.x * 2.6f, pos.y + 0.8f, pos.z - head.z * 2.6f, 1.0f};
    const vec_4 at = {pos.x + head.x, pos.y + 0.1f, pos.z + head.z, 1.0f};
    float f[3] = {at.x - eye.x, at.y - eye.y, at.z - eye.z};
    const float fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    for (float& c : f)
        c /= fl;
    float r[3] = {-f[2], 0.0f, f[0]};
    const float rl = std::sqrt(r[0] * r[0] + r[2] * r[2]);
    r[0] /= rl;
    r[2] /= rl;
    const float u[3] = {r[1] * f[2] - r[2] * f[1], r[2] * f[0] - r[0] * f[2], r[0] * f[1] - r[1] * f[0]};
    const float rows[3][3] = {{r[0], r[1], r[2]}, {u[0], u[1], u[2]}, {-f[0], -f[1], -f[2]}};
    identityMat(&camMat);
    for (int k = 0; k < 3; k++) {
        camMat.m[k * 4 + 0] = rows[k][0];
        camMat.m[k * 4 + 1] = rows[k][1];
        camMat.m[k * 4 + 2] = rows[k][2];
        camMat.m[k * 4 + 3] = -(rows[k][0] * eye.x + rows[k][1] * eye.y + rows[k][2] * eye.z);
    }
}

// the ship's spot light where the ship is now
void placeShipLight()
{
    const vec_4 sp = positionOf(shipMat);
    const vec_4 hd = headingOf(shipMat);
    glEngine.setAtten(0, 0.5f, 0.0f, 0.008f);
    glEngine.setLightColors(0.3f, 0.3f, 0.3f, 1.0f, 1.0f, 1.0f, 0.7f, 0.7f, 0.7f);
    glEngine.setSpot(0, sp.x, sp.y, sp.z, hd.x, hd.y - 0.25f, hd.z, 40.0f, 12.0f);
}

// the rates, triangles and texture bytes along the top
void drawStatusLine()
{
    char status[256];
    std::snprintf(status, sizeof status, "%dx%dx%d fps: %5.2f now %5.2f min %5.2f max   %5d polys  %5.0f kb tex",
                  glEngine.getXres(), glEngine.getYres(), glEngine.getDres(), double(midFps), double(minFps),
                  double(maxFps), glEngine.polyCount, double(glEngine.texBytes) * 0.001);
    glEngine.pr(status, -0.9f, 0.92f);
}

// the city camera path's length in path seconds
float cityPathLengthS = 0.0f;

// while the warm-up frame draws: the clouds are not pushed
bool warmingUp = false;
// a timedemo's flight, which steps the clock frame by frame
bool timedemoStepping = false;

// The flight's first pose drawn before its clock starts and counted
// nowhere: the first use of the textures, the fog and the renderer's
// shaders costs more than any frame of the flight and would otherwise be
// measured as its slowest frames on every machine. It is drawn twice: a
// driver that keeps two frames in flight (Mesa's llvmpipe does) fills the
// memory of its second one only on the second frame, which measured 3 to 5
// times slower than the frames after it. The trail it draws is started
// again, so that the flight draws what it would have drawn.
constexpr int warmUpFrames = 2;

void warmUpCity()
{
    for (int i = 0; i < warmUpFrames; i++) {
        glEngine.clear3DScreen(0.2f, 0.2f, 0.2f, 1.0f);
        recPlayTimeS = 0.0f;
        cityCamRec.get(&camMat, 0.0f);
        cityShipRec.get(&shipMat, 0.0f);
        glEngine.postMatrixMulCam(camMat);
        placeShipLight();
        warmingUp = true;
        drawCityObj3D();
        warmingUp = false;
        drawStatusLine();
        glEngine.swap3DBuffer();
    }
    shipTail.init();
}

}  // namespace

void drawIntro3D()
{
    if (startIntro == 1) {
        glEngine.init3DView(-0.2f, 0.2f, -0.2f, 0.2f, 0.3f, 64.0f);
        glEngine.enableLightning();
        if (runDemo == 1) {
            fogClouds.initFog(&glEngine, fogTexNum1, fogTexNum2, fogTexNum3, 3.0f, 1.0f, 0.1f, 0);
            fogClouds.fillFog(1, dynamicFog * 300, -5.0f, 5.0f, -10.0f, -1.1f, 1.4f, 0.3f, 0.6f, 0.1f);
            fogClouds.fillFog(3, dynamicFog * 150, -5.0f, 5.0f, -10.0f, -1.1f, -1.4f, 0.3f, 0.6f, 0.1f);
            fogClouds.fillFog(1, dynamicFog * 120, -10.0f, 10.0f, -30.0f, -10.0f, 1.4f, 0.3f, 1.2f, 0.2f);
            fogClouds.fillFog(1, dynamicFog * 140, -20.0f, 20.0f, -64.0f, -30.0f, 1.4f, 0.3f, 1.8f, 0.4f);
        }
        if (getFrontEnd3D() && getFrontEnd3D()->musicPlay) {
            char music[256];
            std::snprintf(music, sizeof music, "%s%s", dataDir3D, runDemo == 1 ? "celesfnt.mus" : "intro.mus");
            getFrontEnd3D()->musicPlay(music);
        }
        shipTail.init();
        resetTiming();
        startIntro = 0;
    }
    const float t = elapsedStartTimeS;
    glEngine.clear3DScreen(0.0f, 0.0f, 0.0f, 1.0f);
    glEngine.setLightColors(0.3f, 0.3f, 0.3f, 1.0f, 1.0f, 1.0f, 0.1f, 0.1f, 0.1f);
    glEngine.setNormalLight(0, 0.01f, 0.0f, 1.0f);
    if (deskShipRec.get(&shipMat, t) == 0) {
        drawIntroNow = 0;
        if (runDemo == 1)
            drawCityNow = 1;
        return;
    }

    if (noTextureMode != 1)
        glEngine.disableLightning();
    drawPlaced(shipObj, shipMat, 1.5f);
    glEngine.enableLightning();

    if (t > 8.5f) {
        float ay = 0.0f, ax = 0.0f;
        const float a = t - 8.5f;
        const float s = std::sin(a / 6.0f * pi * 0.5f);
        if (t <= 14.5f) {
            ay = 90.0f - s * 90.0f;
        } else {
            // the logo settles into a slow swing
            const float b = t - 14.5f;
            ay = -14.0f * (1.0f - std::cos(b * 0.7f));
            ax = 6.0f * (1.0f - std::cos(b * 1.1f)) * 0.5f;
        }
        auto placeLogo = [&](int i, float zScale) {
            glEngine.resetObj(&sceneData, i);
            glEngine.translateObj(&sceneData, i, 0.0f, 0.0f, -2.4f);
            glEngine.rotateObj(&sceneData, i, ax, ay, 0.0f);
            glEngine.scaleObj(&sceneData, i, 1.6f, 2.1f, zScale);
            glEngine.translateObj(&sceneData, i, 0.0f, 0.0f, -0.1f);
            glEngine.drawObj(&sceneData, i);
        };
        placeLogo(korvaObj, 2.1f);
        if (t <= 10.24f) {
            glowOn();
            placeLogo(korva_aObj, 2.1f * (1.0f + 5.0f * s));
            glowOff(true);
        }
    }

    glEngine.noZwriteOn();
    glEngine.disableLightning();
    glEngine.lightBlendOn();
    shipTail.draw3DTail(&sceneData, &glEngine, &deskShipRec, t, 0.03f, plas_aObjstart, 16, 1.5f);
    glEngine.lightBlendOff();
    glEngine.noZwriteOff();
    glEngine.enableLightning();

    if (runDemo == 1 && dynamicFog >= 1) {
        const vec_4 p = alongAxes(shipMat, 0.01f, 0.45f, -0.55f);
        fogClouds.moveFog2(p.x, p.y, p.z, headingOf(shipMat), elapsedTimeS);
        drawFogPass();
    }

    if (t > 8.5f && t < 10.5f) {
        const float alpha = t <= 8.6f ? (t - 8.5f) * 10.0f : 1.0f - (t - 8.5f) * 0.5f;
        glEngine.texOff();
        glEngine.blendOn();
        glEngine.setMaterial(1, 1, 1, alpha, 1, 1, 1, alpha, 1, 1, 1, alpha, 0.0f);
        const vec_4 n = {0.0f, 0.0f, 1.0f, 1.0f};
        glEngine.poly4_nv(n, vec_4{-0.4f, -0.4f, -0.5f, 1.0f}, n, vec_4{0.4f, -0.4f, -0.5f, 1.0f}, n,
                          vec_4{0.4f, 0.4f, -0.5f, 1.0f}, n, vec_4{-0.4f, 0.4f, -0.5f, 1.0f});
        glEngine.blendOff();
        glEngine.texOn();
    }
    glEngine.swap3DBuffer();
    frameTiming();
}

void endTimedemoClock3D()
{
    if (timedemoStepping)
        stopSteppedClock3D();
    timedemoStepping = false;
}

void drawCity3D()
{
    if (startCity == 1) {
        glEngine.init3DView(-0.2f, 0.2f, -0.2f, 0.2f, 0.3f, viewDistance);
        identityMat(&camMat);
        identityMat(&shipMat);
        sphPos = vec_4{13.0f, 0.5f, -30.14f, 1.0f};
        velo = vec_4{0.0f, 0.0f, 0.0f, 1.0f};
        fogClouds.initFog(&glEngine, fogTexNum1, fogTexNum2, fogTexNum3, 3.2f, 1.6f, 0.5f, 0);
        fogClouds.fillFog(2, dynamicFog * 400, -10.0f, 18.0f, -4.0f, 35.0f, 3.2f, 0.4f, 1.0f, 0.3f);
        fogClouds.fillFog(3, dynamicFog * 300, -10.0f, 18.0f, -4.0f, 35.0f, 6.0f, 0.4f, 1.0f, 0.3f);
        fogClouds.fillFog(5, dynamicFog * 300, -10.0f, 18.0f, -4.0f, 35.0f, 9.4f, 0.4f, 1.0f, 0.3f);
        glEngine.enableFogLin(0.32f * viewDistance, 0.78f * viewDistance, 0.2f, 0.2f, 0.2f, 1.0f);
        if (flyNight == 1 || noTextureMode == 1)
            glEngine.enableLightning();
        else
            glEngine.disableLightning();
        translateMat(&camMat, -1.5f, -1.4f, -47.0f);
        // the ship faces down the streets from the landing pad
        translateMat(&shipMat, 1.5f, 1.4f, 47.0f);
        minFps = maxFps = -1.0f;
        glEngine.cullFaceOn();
        glEngine.boundBoxCheckOn();
        shipTail.init();
        if (runDemo != 1 && vekCityFly != 1)
            warmUpCity();
        // the path's length for the progress line: summed once, before the clock starts
        cityPathLengthS = cityCamRec.duration();
        cityFrames3D.clear();
        // the warm-up frame is drawn whole before the clock starts, not in the first measured frame
        if (runDemo != 1)
            glEngine.finish3D();
        timedemoStepping = runDemo != 1 && runTimedemo == 1 && vekCityFly != 1;
        if (timedemoStepping)
            startSteppedClock3D();
        resetTiming();
        // the measured flight's frames and CPU time start with its clock
        cityFrames3D.start(measureMicros3D());
        if (!processCpu3D(&cityCpuUserS3D, &cityCpuSystemS3D))
            cityCpuUserS3D = cityCpuSystemS3D = 0.0;
        if (!machineCpu3D(&cityMachineBusyS3D, &cityMachineStealS3D, &cityMachineTotalS3D))
            cityMachineTotalS3D = 0.0;
        midLastTimeM = clockMillis3D();
        recPlayTimeZero = 0.0f;
        startCity = 0;
    }
    glEngine.clear3DScreen(0.2f, 0.2f, 0.2f, 1.0f);
    recPlayTimeS = elapsedStartTimeS - recPlayTimeZero;
    const float T = recPlayTimeS * timeMul;

    if (vekCityFly == 1) {
        flySteer();
    } else {
        const int going = cityCamRec.get(&camMat, T);
        cityShipRec.get(&shipMat, T);
        if (going == 0 && cityFps <= 0.0f) {
            cityFps = elapsedStartTimeS > 0.0f ? float(frameCounter) / elapsedStartTimeS : 0.0f;
            if (timedemoStepping) {
                // a timedemo's time: its frames drawn to the last, on the measuring clock
                glEngine.finish3D();
                const double s = double(measureMicros3D() - cityFrames3D.startedAt()) * 1e-6;
                cityFps = s > 0.0 ? float(double(frameCounter) / s) : 0.0f;
                stopSteppedClock3D();
                timedemoStepping = false;
            }
            scrX = glEngine.getXres();
            scrY = glEngine.getYres();
            scrD = glEngine.getDres();
            if (runDemo == 1) {
                mainOut.prf("DEMO %3.2f fps\n", double(cityFps));
            } else {
                drawCityNow = 0;
                runBenchControlNow = 1;
                return;
            }
        }
    }
    glEngine.postMatrixMulCam(camMat);
    placeShipLight();
    drawCityObj3D();

    if ((recPlayTimeS > 121.0f / timeMul && recPlayTimeS <= 156.0f / timeMul) || recPlayTimeS > 157.8f / timeMul) {
        const bool second = recPlayTimeS > 157.8f / timeMul;
        const vec_4 from = alongAxes(shipMat, 0.0f, -0.05f, -0.3f);
        const vec_4 hd = headingOf(shipMat);
        const vec_4 to = second ? vec_4{1.2f, 3.4f, 45.0f, 1.0f} : vec_4{from.x + hd.x * 2.0f, 0.0f, from.z + hd.z * 2.0f, 1.0f};
        drawTracktor3D(from, to, T);
    }

    const long now = clockMillis3D();
    tmpMilliM = now;
    if (frameCounter % conterRes == 0 && now != midLastTimeM) {
        midFps = float(conterRes) * 1000.0f / float(now - midLastTimeM);
        midLastTimeM = now;
        if (frameCounter > 2 * conterRes) {
            if (midFps < minFps || minFps == -1.0f)
                minFps = midFps;
            if (midFps > maxFps || maxFps == -1.0f)
                maxFps = midFps;
        }
    }
    drawStatusLine();
    char status[256];
    if (helpOn == 1)
        glEngine.pr("q-lightnig w-wireframe r-fog g-dyn fog m-flymode", -0.9f, 0.8f);
    if (cityFps > 0.0f) {
        std::snprintf(status, sizeof status, "DEMO %3.2f fps  ESC TO CONTINUE", double(cityFps));
        glEngine.pr(status, -0.9f, 0.8f);
    }
    glEngine.swap3DBuffer();
    if (timedemoStepping)
        stepClock3D(timedemoMs3D(frameCounter + 1) - timedemoMs3D(frameCounter));
    frameTiming();
    const long long ended = measureMicros3D();
    cityFrames3D.frame(ended, T, glEngine.polyCount, float(double(glEngine.texBytes) * 0.001));
    if (runDemo != 1)
        benchProgress3D(ended, T, cityPathLengthS, frameCounter, double(elapsedStartTimeS));
}

void drawCityObj3D()
{
    const float T = recPlayTimeS * timeMul;
    const bool lit = glEngine.lighting == 1;

    drawRange(strObjstart, strObjend);
    drawRange(fabObjstart, fabObjend);
    drawRange(skyObjstart, skyObjend);
    glEngine.drawObj(&sceneData, unilg);
    glEngine.drawObj(&sceneData, rivastation);

    drawAt(prop1, -8.0f, 1.41f, -18.77f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 80.0f * T);
    drawAt(prop2, -8.0f, 1.5f, -30.77f, 0.9f, 0.9f, 1.0f, 0.0f, 0.0f, 360.0f * T);
    drawAt(prop3, 13.0f, 3.8f, -30.63f, 1.5f, 1.1f, 1.5f, -6.0f, 360.0f * T, 0.0f);
    drawAt(prop4, 13.0f, 0.405f, -30.14f, 2.19f, 0.1f, 2.19f, 0.0f, 360.0f * T, 0.0f);
    drawAt(prop5, 8.95f, 3.8f, -29.45f, 1.5f, 1.1f, 1.5f, -6.0f, 180.0f * T, 0.0f);
    drawAt(prop6, 8.95f, 0.405f, -28.96f, 2.19f, 0.1f, 2.19f, 0.0f, 180.0f * T, 0.0f);

    if (noTextureMode != 1)
        glEngine.disableLightning();
    drawPlaced(shipObj, shipMat, 1.0f);
    glEngine.drawObj(&sceneData, unilogo);
    drawAt(spherelogo, sphPos.x, sphPos.y, sphPos.z, 0.2f, 0.2f, 0.2f, 0.0f, 90.0f * T, 0.0f);
    drawAt(rivastation_earth, 12.0f, 2.0f, -8.0f, 1.6f, 1.6f, 1.6f, 0.0f, 40.0f * T, 0.0f);
    if (lit)
        glEngine.enableLightning();

    if (dynamicFog > 0) {
        if (!warmingUp) {
            const vec_4 p = alongAxes(shipMat, 0.0f, 0.2f, -0.4f);
            fogClouds.moveFog2(p.x, p.y, p.z, headingOf(shipMat), elapsedTimeS);
        }
        drawFogPass();
    }

    glowOn();
    drawAt(prop3_a, 13.0f, 3.8f, -30.63f, 1.5f, 1.1f, 1.5f, -6.0f, 360.0f * T, 0.0f);
    drawAt(prop5_a, 8.95f, 3.8f, -29.45f, 1.5f, 1.1f, 1.5f, -6.0f, 180.0f * T, 0.0f);
    drawRange(fab_aObjstart, fab_aObjend);
    if (lit)
        drawRange(sky_aObjstart, sky_aObjend);
    glEngine.drawObj(&sceneData, rivastation_a);

    // light cones: the ship's light, then four search lights swinging over the streets
    glEngine.lightBlendOn();
    glEngine.blendCullFaceOff();
    drawPlaced(ship_aObj, shipMat, 1.0f);
    drawAt(spot1a, 0.0f, 0.1f, -1.2f, 1.5f, 1.5f, 1.5f, 18.0f * std::sin(T * 0.7f), 0.0f, 22.0f * std::sin(T * 0.45f));
    drawAt(spot2a, -1.0f, 0.1f, 11.5f, 1.7f, 1.7f, 1.7f, 20.0f * std::sin(T * 0.5f + 1.0f), 0.0f,
           -24.0f * std::sin(T * 0.6f + 0.5f));
    drawAt(spot3a, 0.0f, 1.22f, 45.4f, 0.4f, 0.4f, 0.4f, 30.0f * std::sin(T * 1.1f), 0.0f, 30.0f * std::cos(T * 0.9f));
    drawAt(spot4a, -0.9f, 1.22f, 45.0f, 0.4f, 0.4f, 0.4f, -30.0f * std::sin(T * 0.9f + 2.0f), 0.0f,
           30.0f * std::cos(T * 1.2f + 1.0f));
    glEngine.blendCullFaceOn();
    glowOff(lit);

    if (lit) {
        glEngine.noZwriteOn();
        glEngine.disableLightning();
        glEngine.lightBlendOn();
        if (vekCityFly == 1)
            shipTail.draw3DTailFly(&sceneData, &glEngine, &shipMat, T, 0.04f, plas_aObjstart, 16, 1.0f);
        else
            shipTail.draw3DTail(&sceneData, &glEngine, &cityShipRec, T, 0.05f, plas_aObjstart, 8, 1.0f);
        glEngine.lightBlendOff();
        glEngine.noZwriteOff();
        glEngine.enableLightning();
    }
}

void drawTracktor3D(const vec_4& from, const vec_4& to, float t)
{
    // two crossed ribbons of light between the points, their texture running along
    const float dx = to.x - from.x, dy = to.y - from.y, dz = to.z - from.z;
    const float len = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (len <= 0.0f)
        return;
    float sx = -dz, sz = dx;
    const float sl = std::sqrt(sx * sx + sz * sz);
    if (sl > 0.0f) {
        sx /= sl;
        sz /= sl;
    } else {
        sx = 1.0f;
        sz = 0.0f;
    }
    const bool lit = glEngine.lighting == 1;
    glEngine.disableLightning();
    glEngine.noZwriteOn();
    glEngine.lightBlendOn();
    glEngine.blendCullFaceOff();
    glEngine.cullFaceOff();
    glEngine.texOn();
    glEngine.setTex(trakTexNum, &sceneData);
    glEngine.setMaterial(1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 0.0f);
    const float w0 = 0.06f, w1 = 0.45f;
    const float scroll = std::fmod(t * 1.5f, 1.0f);
    const vec_4 n = {0.0f, 1.0f, 0.0f, 1.0f};
    const vec_4 ta = {0.3f, scroll, 0.0f, 1.0f}, tb = {0.7f, scroll, 0.0f, 1.0f};
    const vec_4 tc = {0.7f, scroll + 0.5f, 0.0f, 1.0f}, td = {0.3f, scroll + 0.5f, 0.0f, 1.0f};
    glEngine.poly4_ntv(n, ta, vec_4{from.x - sx * w0, from.y, from.z - sz * w0, 1}, n, tb,
                       vec_4{from.x + sx * w0, from.y, from.z + sz * w0, 1}, n, tc,
                       vec_4{to.x + sx * w1, to.y, to.z + sz * w1, 1}, n, td,
                       vec_4{to.x - sx * w1, to.y, to.z - sz * w1, 1});
    glEngine.poly4_ntv(n, ta, vec_4{from.x, from.y - w0, from.z, 1}, n, tb, vec_4{from.x, from.y + w0, from.z, 1}, n,
                       tc, vec_4{to.x, to.y + w1, to.z, 1}, n, td, vec_4{to.x, to.y - w1, to.z, 1});
    glEngine.polyCount += 4;
    glEngine.cullFaceOn();
    glEngine.blendCullFaceOn();
    glEngine.lightBlendOff();
    glEngine.noZwriteOff();
    if (lit)
        glEngine.enableLightning();
}

void drawEnd3D()
{
    // the pictures shown, one every 1.8 s: every credit page but the results hint
    static const int shown[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11};
    constexpr int numShown = sizeof shown / sizeof shown[0];
    constexpr float slot = 1.8f;
    static int uploadedPic = -1;
    if (startEnd == 1) {
        uploadedPic = -1;
        glEngine.init3DView(-0.2f, 0.2f, -0.2f, 0.2f, 0.3f, 60.0f);
        glEngine.disableFog();
        glEngine.enableLightning();
        shipTail.init();
        endPicNum = 0;
        resetTiming();
        startEnd = 0;
    }
    const float t = elapsedStartTimeS;
    glEngine.clear3DScreen(0.0f, 0.0f, 0.02f, 1.0f);
    if (endCamRec.get(&camMat, t) == 0) {
        drawCityNow = drawEndNow = 0;
        closeFLTKWin = 1;
        return;
    }
    glEngine.postMatrixMulCam(camMat);
    glEngine.setLightColors(0.3f, 0.3f, 0.3f, 1.0f, 1.0f, 1.0f, 0.4f, 0.4f, 0.4f);
    glEngine.setNormalLight(0, 0.3f, 0.6f, 1.0f);
    glEngine.enableLightning();

    matrix_4 sm;
    sphereRec.get(&sm, t);
    drawPlaced(spherelogo, sm, 0.2f);
    endShipRec.get(&shipMat, t);
    if (noTextureMode != 1)
        glEngine.disableLightning();
    drawPlaced(shipObj, shipMat, 1.0f);
    glowOn();
    drawPlaced(ship_aObj, shipMat, 1.0f);
    shipTail.draw3DTail(&sceneData, &glEngine, &endShipRec, t, 0.04f, plas_aObjstart, 12, 1.0f);
    glowOff(true);

    // the current picture fades in and out within its slot, shown through texture 0
    const float start = 0.9f;
    const int k = int((t - start) / slot);
    if (t >= start && k < numShown && k < sceneData.getNumDynTex()) {
        float f = (t - start) - float(k) * slot;
        float a = 1.0f;
        if (endScreenCrashWorkaround == 1)
            f = 0.5f * slot;
        if (f < 0.35f)
            a = f / 0.35f;
        else if (f > slot - 0.35f)
            a = (slot - f) / 0.35f;
        // the workaround uploads each picture once, unfaded, for drivers
        // that fail on a texture replaced every frame
        const bool upload = endScreenCrashWorkaround != 1 || uploadedPic != shown[k];
        endPicNum = shown[k];
        if (upload) {
            sceneData.setdyntex(endPicNum, unsigned(a * 256.0f));
            glEngine.updateSingleTex(&sceneData, 0);
            uploadedPic = endPicNum;
        }
        glEngine.resetCamMat();
        glEngine.disableLightning();
        glEngine.zOff();
        glEngine.texOn();
        glEngine.curTex = gl3D::noTex;
        glEngine.setTex(0, &sceneData);
        glEngine.setMaterial(1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 0.0f);
        const vec_4 n = {0.0f, 0.0f, 1.0f, 1.0f};
        const float h = 0.5f;
        glEngine.poly4_ntv(n, vec_4{0, 0, 0, 1}, vec_4{-h, -h, -1.0f, 1}, n, vec_4{1, 0, 0, 1}, vec_4{h, -h, -1.0f, 1},
                           n, vec_4{1, 1, 0, 1}, vec_4{h, h, -1.0f, 1}, n, vec_4{0, 1, 0, 1}, vec_4{-h, h, -1.0f, 1});
        glEngine.polyCount += 2;
        glEngine.zOn();
        glEngine.blendOff();
        glEngine.enableLightning();
    }
    glEngine.swap3DBuffer();
    frameTiming();
}
