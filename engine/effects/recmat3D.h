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
    // the longest path a loader accepts: a step beyond it would make a flight without end
    static constexpr float maxSeconds = 3600.0f;

    explicit recmat3D(outTxt* console);

    // Playback back to the start and verbose off; the records are kept.
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

    // Writes the path as text, one pose and its step a line.
    // @returns 1, or 0 with a console line when it cannot be written.
    int save(const char* path);
    // As save, with every time step times 1.2.
    int saveSpecial(const char* path);
    // The loaders accept only finite poses and time steps at or above 0 that
    // add up to no more than maxSeconds; anything else, or more records than
    // the store holds, leaves the path empty.
    // @returns 1, 0 when the file cannot be opened, -1 when it is refused.
    int load(const char* path);
    // Writes the path in the binary form, binRecordBytes a record. @returns as save.
    int saveBin(const char* path);
    // @returns as load.
    int loadBin(const char* path);
    // The sum of the time steps: the path's length in seconds.
    float duration() const;

    int getCount() const { return count; }
    // Record i as stored; i must be below getCount().
    const matrix_4& getPose(int i) const { return poses[i]; }
    float getStep(int i) const { return steps[i]; }

    int verbose;
    int maxRecord;
    int recPos;

private:
    int saveText(const char* path, float stepFactor);
    // Checks the n records read by the loader named. @returns 1, or -1 with the path emptied.
    int accept(int n, const char* loader, const char* path);
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
