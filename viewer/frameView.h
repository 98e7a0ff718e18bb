// The frame-time window: the pictures of one or more frame logs, drawn to
// fit the window whenever it is resized.
#ifndef KORVA_FRAMEVIEW_H
#define KORVA_FRAMEVIEW_H

#include "frameFile.h"
#include "plotPicture.h"

#include <wx/wx.h>

#include <cstdio>
#include <memory>
#include <vector>

class frameView : public wxFrame {
public:
    frameView(wxWindow* parent, std::vector<std::unique_ptr<frameFile>> logs);

private:
    void onPaint(wxPaintEvent&);
    std::vector<std::unique_ptr<frameFile>> logs;
    wxWindow* canvas;
};

// Draws pic's items on dc, over a white ground.
void paintPicture(wxDC& dc, const plotPicture& pic);

#ifdef _WIN32
// the Windows build's PNG pictures: drawn in memory by the toolkit, saved with libpng
bool writePicturePngWx(const plotPicture& pic, FILE* f, std::string* why);
#endif

#endif
