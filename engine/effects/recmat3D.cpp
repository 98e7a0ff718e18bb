#include "recmat3D.h"

#include "console/outTxt.h"
#include "scene/fileCloser.h"
#include "scene/scanText.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

void toLittle(unsigned char* b, const float* v, size_t n)
{
    for (size_t i = 0; i < n; i++) {
        unsigned u = 0;
        std::memcpy(&u, &v[i], 4);
        b[i * 4 + 0] = (unsigned char)u;
        b[i * 4 + 1] = (unsigned char)(u >> 8);
        b[i * 4 + 2] = (unsigned char)(u >> 16);
        b[i * 4 + 3] = (unsigned char)(u >> 24);
    }
}

void fromLittle(float* v, const unsigned char* b, size_t n)
{
    for (size_t i = 0; i < n; i++) {
        const unsigned u = unsigned(b[i * 4]) | unsigned(b[i * 4 + 1]) << 8 | unsigned(b[i * 4 + 2]) << 16 |
                           unsigned(b[i * 4 + 3]) << 24;
        std::memcpy(&v[i], &u, 4);
    }
}

}  // namespace

recmat3D::recmat3D(outTxt* console)
    : verbose(0), maxRecord(maxRecords), recPos(0), out(console), line{}, playIndex(0), count(0), playTime(0.0f),
      ended(false), steps{}
{
    for (matrix_4& m : poses)
        identityMat(&m);
    init();
}

void recmat3D::init()
{
    recPos = 0;
    playIndex = 0;
    maxRecord = maxRecords;
    playTime = 0.0f;
    ended = false;
    verbose = 0;
}

int recmat3D::reset()
{
    recPos = 0;
    playIndex = 0;
    count = 0;
    playTime = 0.0f;
    ended = false;
    return 1;
}

int recmat3D::rewind()
{
    recPos = 0;
    playIndex = 0;
    playTime = 0.0f;
    ended = false;
    return 1;
}

int recmat3D::insert(matrix_4 m, float step)
{
    if (recPos >= maxRecord || recPos >= maxRecords) {
        out->pr("recmat3D::insert: error recPos>maxRecord");
        return 0;
    }
    poses[recPos] = m;
    steps[recPos] = step;
    recPos++;
    count = recPos;
    return 1;
}

bool recmat3D::advance(int* index, float* time, float t) const
{
    while (*time < t) {
        if (*index >= count - 1)
            return true;
        (*index)++;
        *time += steps[*index];
    }
    return false;
}

void recmat3D::blend(matrix_4* o, int i, float time, float t, bool end) const
{
    if (i > 0 && !end && steps[i - 1] != 0.0f) {
        const float d = steps[i - 1];
        const float f = (time - t) / d;
        for (int k = 0; k < 16; k++)
            o->m[k] = f * poses[i - 1].m[k] + (1.0f - f) * poses[i].m[k];
    } else {
        *o = poses[i];
    }
}

int recmat3D::get(matrix_4* o, float t)
{
    // an empty path has no pose to give
    if (count <= 0) {
        identityMat(o);
        return 0;
    }
    if (t < 0.0f)
        t = 0.0f;
    if (t > playTime && advance(&playIndex, &playTime, t))
        ended = true;
    blend(o, playIndex, playTime, t, ended);
    return ended ? 0 : 1;
}

int recmat3D::poseAt(matrix_4* o, float t) const
{
    if (count <= 0) {
        identityMat(o);
        return 0;
    }
    if (t < 0.0f)
        t = 0.0f;
    int index = 0;
    float time = 0.0f;
    const bool end = advance(&index, &time, t);
    blend(o, index, time, t, end);
    return end ? 0 : 1;
}

int recmat3D::saveText(const char* path, float stepFactor)
{
    if (verbose)
        out->prf("\nrecmat3D::save:%s\n\n", path);
    filePtr f(std::fopen(path, "w"));
    if (!f) {
        out->prf("recmat3D::save: error can't open %s\n", path);
        return 0;
    }
    for (int r = 0; r < count; r++) {
        const float* m = poses[r].m;
        const int n = std::fprintf(f.get(), "%f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f\n", double(m[0]),
                                   double(m[1]), double(m[2]), double(m[3]), double(m[4]), double(m[5]), double(m[6]),
                                   double(m[7]), double(m[8]), double(m[9]), double(m[10]), double(m[11]),
                                   double(m[12]), double(m[13]), double(m[14]), double(m[15]),
                                   double(steps[r] * stepFactor));
        if (n <= 0) {
            out->prf("recmat3D::save: error can't write %s\n", path);
            return 0;
        }
    }
    if (std::fclose(f.release()) != 0) {
        out->prf("recmat3D::save: error can't write %s\n", path);
        return 0;
    }
    return 1;
}

int recmat3D::save(const char* path)
{
    return saveText(path, 1.0f);
}

int recmat3D::saveSpecial(const char* path)
{
    return saveText(path, 1.2f);
}

int recmat3D::load(const char* path)
{
    if (verbose)
        out->prf("\nrecmat3D::load%s\n\n", path);
    recPos = 0;
    playIndex = 0;
    playTime = 0.0f;
    ended = false;
    filePtr f(std::fopen(path, "r"));
    if (!f) {
        out->prf("recmat3D::load: error can't open %s\n", path);
        return 0;
    }
    int n = 0;
    for (;;) {
        if (n >= maxRecords) {
            // full: only the end of the file may follow
            const int c = std::fgetc(f.get());
            if (c == EOF)
                break;
            out->pr("\nrecmat3D::load  n>=MAXRECORD\n");
            count = 0;
            return -1;
        }
        if (std::fgets(line, sizeof line, f.get()) == nullptr)
            break;
        scanText s(line, line + std::strlen(line));
        float v[17];
        bool ok = true;
        for (float& x : v)
            ok = ok && s.readFloat(&x);
        if (!ok)
            continue;
        std::memcpy(poses[n].m, v, sizeof poses[n].m);
        steps[n] = v[16];
        n++;
    }
    return accept(n, "load", path);
}

int recmat3D::saveBin(const char* path)
{
    if (verbose)
        out->prf("\nrecmat3D::saveBin:%s\n\n", path);
    filePtr f(std::fopen(path, "wb"));
    if (!f) {
        out->prf("recmat3D::saveBin: error can't open %s\n", path);
        return 0;
    }
    unsigned char rec[binRecordBytes];
    for (int r = 0; r < count; r++) {
        toLittle(rec, poses[r].m, 16);
        toLittle(rec + 64, &steps[r], 1);
        if (std::fwrite(rec, 1, sizeof rec, f.get()) != sizeof rec) {
            out->prf("recmat3D::saveBin: error can't write %s\n", path);
            return 0;
        }
    }
    if (std::fclose(f.release()) != 0) {
        out->prf("recmat3D::saveBin: error can't write %s\n", path);
        return 0;
    }
    return 1;
}

int recmat3D::loadBin(const char* path)
{
    if (verbose)
        out->prf("\nrecmat3D::loadBin %s\n\n", path);
    recPos = 0;
    playIndex = 0;
    playTime = 0.0f;
    ended = false;
    filePtr f(std::fopen(path, "rb"));
    if (!f) {
        out->prf("recmat3D::load: error can't open %s\n", path);
        return 0;
    }
    unsigned char rec[binRecordBytes];
    int n = 0;
    while (std::fread(rec, 1, sizeof rec, f.get()) == sizeof rec) {
        // the store holds 5000 poses: a longer file is not this program's path
        if (n >= maxRecords) {
            out->pr("\nrecmat3D::load  n>=MAXRECORD\n");
            count = 0;
            return -1;
        }
        fromLittle(poses[n].m, rec, 16);
        fromLittle(&steps[n], rec + 64, 1);
        n++;
    }
    return accept(n, "loadBin", path);
}

int recmat3D::accept(int n, const char* loader, const char* path)
{
    count = 0;
    double total = 0.0;
    for (int r = 0; r < n; r++) {
        for (const float x : poses[r].m)
            if (!std::isfinite(x)) {
                out->prf("recmat3D::%s: error pose %d of %s is not a finite number\n", loader, r, path);
                return -1;
            }
        if (!std::isfinite(steps[r]) || steps[r] < 0.0f) {
            out->prf("recmat3D::%s: error time step %d of %s is negative or not a finite number\n", loader, r,
                     path);
            return -1;
        }
        total += double(steps[r]);
    }
    if (total > double(maxSeconds)) {
        out->prf("recmat3D::%s: error %s lasts %g s, more than %g s\n", loader, path, total, double(maxSeconds));
        return -1;
    }
    count = n;
    return 1;
}

float recmat3D::duration() const
{
    double total = 0.0;
    for (int r = 0; r < count; r++)
        total += double(steps[r]);
    return float(total);
}
