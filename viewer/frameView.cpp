#include "frameView.h"

#include "framePlot.h"

#include <wx/dcbuffer.h>

#ifdef _WIN32
#include "frameImage.h"

#include <cerrno>
#include <cstring>
#endif

namespace {

wxColour colourOf(plotColour c)
{
    return wxColour(c.r, c.g, c.b);
}

}  // namespace

void paintPicture(wxDC& dc, const plotPicture& pic)
{
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetFont(wxFont(wxFontInfo(wxSize(0, int(pic.fontPx))).Family(wxFONTFAMILY_SWISS)));
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    std::vector<wxPoint> points;
    for (const plotItem& item : pic.items) {
        const wxColour c = colourOf(item.colour);
        if (item.kind == plotItem::polyline) {
            if (item.xy.size() < 4)
                continue;
            dc.SetPen(wxPen(c, 1, item.stroke == plotItem::dashed ? wxPENSTYLE_LONG_DASH
                                  : item.stroke == plotItem::dotted ? wxPENSTYLE_DOT : wxPENSTYLE_SOLID));
            points.clear();
            for (size_t i = 0; i + 1 < item.xy.size(); i += 2)
                points.emplace_back(int(item.xy[i]), int(item.xy[i + 1]));
            dc.DrawLines(int(points.size()), points.data());
        } else if (item.kind == plotItem::rectangle) {
            dc.SetPen(wxPen(c));
            dc.SetBrush(item.filled ? wxBrush(c) : *wxTRANSPARENT_BRUSH);
            dc.DrawRectangle(int(item.xy[0]), int(item.xy[1]), int(std::lround(item.xy[2])) + 1,
                             int(std::lround(item.xy[3])) + 1);
        } else {
            const wxString t = wxString::FromUTF8(item.text.c_str());
            const wxSize size = dc.GetTextExtent(t);
            const int x = int(item.xy[0]) - (item.align < 0 ? 0 : item.align == 0 ? size.x / 2 : size.x);
            dc.SetTextForeground(c);
            dc.DrawText(t, x, int(item.xy[1]) - size.y / 2);
        }
    }
}

frameView::frameView(wxWindow* parent, std::vector<std::unique_ptr<frameFile>> l)
    : wxFrame(parent, wxID_ANY, "KORVANE frame times", wxPoint(30, 30), wxSize(1000, 700)), logs(std::move(l))
{
    canvas = new wxWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE);
    canvas->SetBackgroundStyle(wxBG_STYLE_PAINT);
    canvas->Bind(wxEVT_PAINT, &frameView::onPaint, this);
    wxString names;
    for (const auto& log : logs)
        names += (names.empty() ? "" : ", ") + wxString::FromUTF8(log->name().c_str());
    SetTitle("KORVANE frame times: " + names);
}

void frameView::onPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(canvas);
    std::vector<const frameFile*> shown;
    for (const auto& log : logs)
        shown.push_back(log.get());
    const wxSize size = canvas->GetClientSize();
    paintPicture(dc, framePicture(shown, size.x, size.y));
}

#ifdef _WIN32
bool writePicturePngWx(const plotPicture& pic, FILE* f, std::string* why)
{
    wxBitmap bitmap(pic.width, pic.height, 24);
    if (!bitmap.IsOk()) {
        *why = "can't make a picture of that size";
        return false;
    }
    wxMemoryDC dc(bitmap);
    paintPicture(dc, pic);
    dc.SelectObject(wxNullBitmap);
    const wxImage image = bitmap.ConvertToImage();
    frameImage out;
    out.width = image.GetWidth();
    out.height = image.GetHeight();
    out.rgb.assign(image.GetData(), image.GetData() + size_t(out.width) * size_t(out.height) * 3);
    if (!out.writePng(f)) {
        *why = std::strerror(errno);
        return false;
    }
    return true;
}
#endif
