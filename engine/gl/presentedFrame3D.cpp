#include "presentedFrame3D.h"

#include "glHeaders.h"

#include <cstring>

void presentedFrame3D::keep(bool keepOn)
{
    on = keepOn;
    w = h = 0;
    pixels.clear();
}

void presentedFrame3D::grab(int width, int height)
{
    if (!on)
        return;
    w = width > 0 ? width : 0;
    h = height > 0 ? height : 0;
    pixels.resize(size_t(w) * size_t(h) * 3);
    if (!pixels.empty())
        readBack(w, h, pixels.data());
}

int presentedFrame3D::read(int width, int height, unsigned char* rgb) const
{
    if (!on || pixels.empty() || width != w || height != h || rgb == nullptr)
        return 0;
    std::memcpy(rgb, pixels.data(), pixels.size());
    return 1;
}

int presentedFrame3D::readBack(int width, int height, unsigned char* rgb)
{
    if (width <= 0 || height <= 0 || rgb == nullptr)
        return 0;
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return glGetError() == GL_NO_ERROR ? 1 : 0;
}
