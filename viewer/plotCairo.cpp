#include "plotCairo.h"

#include <cairo.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

struct surfaceFree {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct contextFree {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};

// the middle of the pixel a coordinate falls in: one-pixel lines stay sharp
double centred(float v)
{
    return std::floor(double(v)) + 0.5;
}

void setColour(cairo_t* c, plotColour k)
{
    cairo_set_source_rgb(c, k.r / 255.0, k.g / 255.0, k.b / 255.0);
}

void draw(cairo_t* c, const plotItem& item)
{
    setColour(c, item.colour);
    if (item.kind == plotItem::polyline) {
        if (item.xy.size() < 4)
            return;
        static const double dash[] = {6.0, 4.0}, dot[] = {1.0, 3.0};
        cairo_set_dash(c, item.stroke == plotItem::dashed ? dash : dot, item.stroke == plotItem::solid ? 0 : 2, 0.0);
        cairo_move_to(c, centred(item.xy[0]), centred(item.xy[1]));
        for (size_t i = 2; i + 1 < item.xy.size(); i += 2)
            cairo_line_to(c, centred(item.xy[i]), centred(item.xy[i + 1]));
        cairo_stroke(c);
    } else if (item.kind == plotItem::rectangle) {
        if (item.filled) {
            cairo_rectangle(c, item.xy[0], item.xy[1], item.xy[2], item.xy[3]);
            cairo_fill(c);
        } else {
            cairo_set_dash(c, nullptr, 0, 0.0);
            cairo_rectangle(c, centred(item.xy[0]), centred(item.xy[1]), std::round(item.xy[2]),
                            std::round(item.xy[3]));
            cairo_stroke(c);
        }
    } else {
        cairo_text_extents_t t;
        cairo_font_extents_t f;
        cairo_text_extents(c, item.text.c_str(), &t);
        cairo_font_extents(c, &f);
        const double x = item.xy[0] - (item.align < 0 ? 0.0 : item.align == 0 ? t.x_advance / 2.0 : t.x_advance);
        cairo_move_to(c, std::round(x), std::round(item.xy[1] + (f.ascent - f.descent) / 2.0));
        cairo_show_text(c, item.text.c_str());
    }
}

}  // namespace

bool writePicturePngCairo(const plotPicture& pic, FILE* f, std::string* why)
{
    std::unique_ptr<cairo_surface_t, surfaceFree> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, pic.width, pic.height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        *why = std::string("can't make a picture of that size: ") + cairo_status_to_string(cairo_surface_status(surface.get()));
        return false;
    }
    {
        std::unique_ptr<cairo_t, contextFree> c(cairo_create(surface.get()));
        cairo_set_source_rgb(c.get(), 1.0, 1.0, 1.0);
        cairo_paint(c.get());
        cairo_set_line_width(c.get(), 1.0);
        cairo_select_font_face(c.get(), "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(c.get(), pic.fontPx);
        for (const plotItem& item : pic.items)
            draw(c.get(), item);
    }
    cairo_surface_flush(surface.get());
    const auto toFile = [](void* file, const unsigned char* data, unsigned int length) {
        return std::fwrite(data, 1, length, static_cast<FILE*>(file)) == length ? CAIRO_STATUS_SUCCESS
                                                                                 : CAIRO_STATUS_WRITE_ERROR;
    };
    const cairo_status_t s = cairo_surface_write_to_png_stream(surface.get(), toFile, f);
    if (s != CAIRO_STATUS_SUCCESS) {
        *why = std::strerror(errno);
        return false;
    }
    return true;
}
