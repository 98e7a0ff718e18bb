#include "frameCompare.h"

#include <algorithm>
#include <cstdlib>

namespace {

// the pixels both images have, or 0 when their sides or their pixel data differ
size_t commonPixels(const frameImage& a, const frameImage& b)
{
    const size_t n = size_t(a.width) * size_t(a.height);
    if (a.width != b.width || a.height != b.height || a.rgb.size() != n * 3 || b.rgb.size() != n * 3)
        return 0;
    return n;
}

}  // namespace

frameDiff compareFrames(const frameImage& reference, const frameImage& frame)
{
    frameDiff d;
    const size_t n = commonPixels(reference, frame);
    if (n == 0)
        return d;
    d.sameSize = true;
    unsigned long long sum = 0;
    size_t far = 0;
    for (size_t i = 0; i < n; i++) {
        int most = 0;
        for (size_t c = 0; c < 3; c++) {
            const int a = std::abs(int(reference.rgb[i * 3 + c]) - int(frame.rgb[i * 3 + c]));
            sum += unsigned(a);
            most = std::max(most, a);
        }
        far += most > frameDiff::farLevels;
    }
    d.meanAbs = double(sum) / double(n * 3);
    d.farShare = double(far) / double(n);
    return d;
}

bool framePasses(const frameDiff& d, const frameLimits& limits)
{
    return d.sameSize && d.meanAbs <= limits.meanAbs && d.farShare <= limits.farShare;
}

frameImage differenceImage(const frameImage& reference, const frameImage& frame)
{
    frameImage out;
    const size_t n = commonPixels(reference, frame);
    if (n == 0)
        return out;
    out.width = reference.width;
    out.height = reference.height;
    out.rgb.resize(n * 3);
    for (size_t i = 0; i < n; i++) {
        int most = 0;
        for (size_t c = 0; c < 3; c++) {
            const int a = std::abs(int(reference.rgb[i * 3 + c]) - int(frame.rgb[i * 3 + c]));
            most = std::max(most, a);
            out.rgb[i * 3 + c] = (unsigned char)std::min(255, a * 8);
        }
        if (most > frameDiff::farLevels) {
            out.rgb[i * 3] = 255;
            out.rgb[i * 3 + 1] = 0;
            out.rgb[i * 3 + 2] = 0;
        }
    }
    return out;
}
