#include "dr3DTail.h"

#include "gl/gl3D.h"
#include "recmat3D.h"

dr3DTail::dr3DTail(outTxt* console) : lastTime(-1000.0f), out(console), prev(place[0]), cur(place[1])
{
    for (auto& row : place)
        for (matrix_4& m : row)
            identityMat(&m);
    init();
}

void dr3DTail::init()
{
    lastTime = -1000.0f;
    prev = place[0];
    cur = place[1];
}

int dr3DTail::draw(data3D* d, gl3D* gl, recmat3D* path, const matrix_4* current, float t, float step, int firstObj,
                   int n, float scale)
{
    if (n > maxCopies)
        return 0;
    auto placeAndDraw = [&](int i, const matrix_4& m) {
        gl->resetObj(d, firstObj + i);
        gl->postMatrixMulObj(d, firstObj + i, m);
        gl->scaleObj(d, firstObj + i, scale, scale, scale);
        gl->drawObj(d, firstObj + i);
    };
    if (t - lastTime < step) {
        for (int i = 0; i < n; i++) {
            cur[i] = prev[i];
            placeAndDraw(i, cur[i]);
        }
    } else {
        int j = 0;
        for (int i = 0; i < n; i++) {
            const float tau = t - step * float(i);
            matrix_4 m;
            if (lastTime + step <= tau) {
                // sampled without moving the path's own playback, which runs forward only
                if (path != nullptr)
                    path->poseAt(&m, tau);
                else
                    m = *current;
            } else {
                // older places move one down the row
                m = prev[j++];
            }
            cur[i] = m;
            placeAndDraw(i, m);
        }
        lastTime = t;
    }
    matrix_4* swap = prev;
    prev = cur;
    cur = swap;
    return 1;
}

int dr3DTail::draw3DTail(data3D* d, gl3D* gl, recmat3D* path, float t, float step, int firstObj, int n, float scale)
{
    return draw(d, gl, path, nullptr, t, step, firstObj, n, scale);
}

int dr3DTail::draw3DTailFly(data3D* d, gl3D* gl, const matrix_4* current, float t, float step, int firstObj, int n,
                            float scale)
{
    return draw(d, gl, nullptr, current, t, step, firstObj, n, scale);
}
