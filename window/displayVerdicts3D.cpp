#include "displayVerdicts3D.h"

#include "math/matrix_4.h"

#include <cstdio>
#include <cstring>

float rateOf200(long elapsedMillis)
{
    // a timer that did not move reads as one millisecond
    const long ms = elapsedMillis > 0 ? elapsedMillis : 1;
    return 200.0f / (float(ms) * 0.001f);
}

bool refreshRateValid(float hz)
{
    return hz > 49.0f && hz < 200.0f;
}

bool d3dVSyncOn(float swapHz, float refreshHz)
{
    return swapHz > 0.9f * refreshHz && swapHz < 1.1f * refreshHz;
}

bool glVSyncOn(float swapHz)
{
    return swapHz < 150.0f;
}

void matrixReport3D(float seconds, char* out, size_t size)
{
    struct reference {
        const char* line;
        float seconds;
    };
    static const reference refs[] = {
        {" %5.2f x faster than a Athlon 550 3DNOW        (1.29 s)\n", 1.29f},
        {" %5.2f x faster than a Athlon 550 FPU             (1.93 s)\n", 1.93f},
        {" %5.2f x faster than a K6 III 450 3DNOW      (1.96 s)\n", 1.96f},
        {" %5.2f x faster than a K6 III 300 (UC)3DNOW (2.95 s)\n", 2.95f},
        {" %5.2f x faster than a K6 III 300 (UC)FPU        (7.35 s)\n", 7.35f},
        {" %5.2f x faster than a CELERON 300A FPU     (4.00 s)\n", 4.00f},
        {" %5.2f x faster than a Pentium 233 FPU           (8.52 s)\n", 8.52f},
    };
    if (size == 0)
        return;
    // a test too fast for the timer counts as one millisecond
    const float s = seconds > 0.001f ? seconds : 0.001f;
    size_t used = size_t(std::snprintf(out, size, "Time to calculate %5.2f s\n\n", double(seconds)));
    for (const reference& r : refs) {
        if (used >= size)
            break;
        used += size_t(std::snprintf(out + used, size - used, r.line, double(r.seconds / s)));
    }
}

float matrixLoops3D(long (*millis)())
{
    matrix_4 a, b, c;
    identityMat(&a);
    rotateXMat(&a, 12.5f);
    rotateYMat(&a, -33.0f);
    translateMat(&a, 0.5f, -1.25f, 3.0f);
    identityMat(&b);
    rotateZMat(&b, 7.0f);
    scaleMat(&b, 1.0001f, 0.9999f, 1.0f);
    vec_4 v = {1.0f, 2.0f, 3.0f, 1.0f};
    vec_4 sum = {0.0f, 0.0f, 0.0f, 0.0f};
    const long t0 = millis();
    for (int i = 0; i < 10000000; i++) {
        const vec_4 p = transformVec(a, v);
        sum.x += p.x;
        sum.y += p.y;
        v.x = p.y * 1e-3f + 1.0f;
    }
    c = b;
    for (int i = 0; i < 1000000; i++) {
        c = mulMat(c, b);
        if ((i & 63) == 0)
            c = mulMat(a, b);
    }
    const long t1 = millis();
    // the results are used, so no loop can be dropped as dead code
    static volatile float sink = 0.0f;
    sink = sink + sum.x + sum.y + c.m[5];
    return float(t1 - t0) * 0.001f;
}
