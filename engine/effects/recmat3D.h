// A recorded motion path: up to 5000 timed poses, replayed forward with a
// blend between neighbouring poses.
#ifndef KORVA_RECMAT3D_H
#define KORVA_RECMAT3D_H

#include "math/matrix_4.h"

class outTxt;

class recmat3D {
public:
    static constexpr int maxRecords = 5000;
    // bytes of one record of the binary form: 16 pose floats and the time step
    static constexpr int binRecordBytes = 68;

    explicit recmat3D(outTxt* console);

    void init();
    // Empties the path. @returns 1.
    int reset();
    // Replays from the start, records kept. @returns 1.
    int rewind();
    // Appends a pose. @returns 1, or 0 when the path is full.
    int insert(matrix_4 m, float step);
    // Writes the pose for time t. @returns 1 while the path lasts, 0 at its end.
    int get(matrix_4* out, float t);
    // The pose get gives at time t on a path played from its start, without
    // moving this path's playback. @returns as get.
    int poseAt(matrix_4* out, float t) const;

    int save(const char* path);
    // As save, with every time step times 1.2.
    int saveSpecial(const char* path);
    // @returns 1, 0 when the file cannot be opened, -1 on too many records.
    int load(const char* path);
    int saveBin(const char* path);
    // @returns 1 when the file could be opened, else 0.
    int loadBin(const char* path);

    int getCount() const { return count; }
    const matrix_4& getPose(int i) const { return poses[i]; }
    float getStep(int i) const { return steps[i]; }

    int verbose;
    int maxRecord;
    int recPos;

private:
    int saveText(const char* path, float stepFactor);
    // Advances index and time to t the way playback does. @returns whether the end was met.
    bool advance(int* index, float* time, float t) const;
    void blend(matrix_4* out, int index, float time, float t, bool end) const;

    outTxt* out;
    char line[256];
    int playIndex;
    int count;
    float playTime;
    bool ended;
    matrix_4 poses[maxRecords];
    float steps[maxRecords];
};

#endif
