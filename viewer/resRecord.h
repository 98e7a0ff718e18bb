// One benchmark result: in memory and in data/base.bin the same 816-byte
// image, five texts, the resolution and the frame rate, no padding.
#ifndef KORVA_RESRECORD_H
#define KORVA_RESRECORD_H

#include <cstdint>

struct resRecord {
    static constexpr int textSize = 160;

    char computer[textSize];
    char benchmark[textSize];
    char userInfo[textSize];
    char autoInfo1[textSize];
    char autoInfo2[textSize];
    int32_t width;
    int32_t height;
    int32_t depth;
    float fps;
};

static_assert(sizeof(resRecord) == 816, "the record is the 816-byte image of base.bin");

#endif
