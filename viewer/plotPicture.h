// A picture as a list of simple items in pixel coordinates, made without a
// toolkit so that the window and the PNG command draw the same thing and
// tests can read it; each painter only turns items into its own calls.
#ifndef KORVA_PLOTPICTURE_H
#define KORVA_PLOTPICTURE_H

#include <string>
#include <vector>

struct plotColour {
    unsigned char r, g, b;
};

struct plotItem {
    enum kindOf { polyline, rectangle, label };
    enum strokeOf { solid, dashed, dotted };
    kindOf kind = polyline;
    plotColour colour = {0, 0, 0};
    strokeOf stroke = solid;  // polylines
    bool filled = false;      // rectangles: filled, else outlined
    // a polyline's points (x, y, x, y...); a rectangle's x, y, width, height;
    // a text's anchor x, y
    std::vector<float> xy;
    std::string text;
    // texts: -1 begins at x, 0 is centred on x, 1 ends at x; y is the middle of the line
    int align = -1;
};

struct plotPicture {
    int width = 0;
    int height = 0;
    float fontPx = 12.0f;
    // drawn in order, over a white ground
    std::vector<plotItem> items;
};

#endif
