#include "framePlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr plotColour black = {0, 0, 0};
constexpr plotColour frameGrey = {120, 120, 120};
constexpr plotColour gridGrey = {225, 225, 225};
// the decades of the percentile scale
constexpr double percentileDecades = 3.0;

// a step of 1, 2 or 5 times a power of ten giving at most `most` steps up to top
double tickStep(double top, int most)
{
    const double raw = top / std::max(most, 1);
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0})
        if (m * decade >= raw)
            return m * decade;
    return 10.0 * decade;
}

std::string number(double v)
{
    char t[32];
    std::snprintf(t, sizeof t, "%g", v);
    return t;
}

// one panel's plot area in pixels, and its value ranges
struct area {
    float left, top, right, bottom;
    double xMax, yMax;
    float x(double v) const { return left + float(v / xMax) * (right - left); }
    float y(double v) const { return bottom - float(v / yMax) * (bottom - top); }
};

class painter {
public:
    explicit painter(plotPicture* p) : pic(p) {}
    void line(std::vector<float> xy, plotColour c, plotItem::strokeOf s = plotItem::solid)
    {
        plotItem i;
        i.kind = plotItem::polyline;
        i.colour = c;
        i.stroke = s;
        i.xy = std::move(xy);
        pic->items.push_back(std::move(i));
    }
    void rect(float x, float y, float w, float h, plotColour c, bool filled)
    {
        plotItem i;
        i.kind = plotItem::rectangle;
        i.colour = c;
        i.filled = filled;
        i.xy = {x, y, w, h};
        pic->items.push_back(std::move(i));
    }
    void text(float x, float y, std::string t, int align, plotColour c = black)
    {
        plotItem i;
        i.kind = plotItem::label;
        i.colour = c;
        i.xy = {x, y};
        i.text = std::move(t);
        i.align = align;
        pic->items.push_back(std::move(i));
    }

    // the frame, the grid and the value axis of a panel, its title above it
    void panel(const area& a, const char* title, double yStep)
    {
        text(a.left, a.top - 10, title, -1);
        for (double v = 0.0; v <= a.yMax + yStep * 1e-6; v += yStep) {
            line({a.left, a.y(v), a.right, a.y(v)}, gridGrey);
            text(a.left - 6, a.y(v), number(v), 1);
        }
        rect(a.left, a.top, a.right - a.left, a.bottom - a.top, frameGrey, false);
    }

private:
    plotPicture* pic;
};

// frame time over the run: in each pixel column the fastest and the slowest
// frame that ended there, so that a long log costs a line per column
std::vector<float> runCurve(const frameFile& log, const area& a)
{
    const int columns = std::max(1, int(a.right - a.left));
    std::vector<float> lo(size_t(columns), -1.0f), hi(size_t(columns), -1.0f);
    for (int i = 0; i < log.frames(); i++) {
        const int c = std::clamp(int(log.endSeconds(i) / a.xMax * columns), 0, columns - 1);
        const float ms = log.frameMs(i);
        if (lo[size_t(c)] < 0.0f || ms < lo[size_t(c)])
            lo[size_t(c)] = ms;
        hi[size_t(c)] = std::max(hi[size_t(c)], ms);
    }
    std::vector<float> xy;
    for (int c = 0; c < columns; c++) {
        if (lo[size_t(c)] < 0.0f)
            continue;
        const float x = a.left + float(c) + 0.5f;
        xy.insert(xy.end(), {x, a.y(lo[size_t(c)]), x, a.y(hi[size_t(c)])});
    }
    return xy;
}

std::vector<float> percentileCurve(const frameFile& log, const area& a)
{
    const int columns = std::max(2, int(a.right - a.left) + 1);
    std::vector<float> xy;
    for (int c = 0; c < columns; c++) {
        const double f = double(c) / (columns - 1);
        xy.insert(xy.end(), {a.left + float(f) * (a.right - a.left), a.y(log.atPercentile(percentileAtFraction(f)))});
    }
    return xy;
}

}  // namespace

plotColour frameLogColour(int k)
{
    // far apart for the common kinds of colour blindness, none too light on white
    static constexpr plotColour colours[] = {{0, 90, 181},   {220, 50, 32},  {0, 150, 80},
                                             {150, 60, 170}, {230, 140, 0},  {0, 160, 200},
                                             {120, 80, 40},  {200, 60, 140}};
    constexpr int n = int(sizeof colours / sizeof colours[0]);
    return colours[((k % n) + n) % n];
}

double percentileAtFraction(double f)
{
    return 100.0 * (1.0 - std::pow(10.0, -percentileDecades * std::clamp(f, 0.0, 1.0)));
}

double fractionOfPercentile(double p)
{
    return -std::log10(1.0 - std::clamp(p, 0.0, 99.9) / 100.0) / percentileDecades;
}

plotPicture framePicture(const std::vector<const frameFile*>& logs, int width, int height)
{
    plotPicture pic;
    pic.width = std::max(width, framePlotMinWidth);
    const float row = pic.fontPx + 6.0f;
    const int n = int(logs.size());
    // the legend's rows come on top of the smallest picture
    pic.height = std::max(height, framePlotMinHeight + int(row) * (n + 1));
    painter paint(&pic);
    const float W = float(pic.width), H = float(pic.height);

    double slowest = 0.0, longest = 0.0;
    for (const frameFile* log : logs) {
        slowest = std::max(slowest, double(log->slowestMs()));
        longest = std::max(longest, log->lastSeconds());
    }
    if (!(slowest > 0.0))
        slowest = 1.0;
    if (!(longest > 0.0))
        longest = 1.0;

    // the legend below both panels: a row per log and one for the lines' key
    const float legendTop = H - row * float(n + 1) - 6.0f;
    const float label = 2.0f * row + 4.0f;  // the ticks' numbers and the axis's name
    const float title = row + 2.0f;
    const float space = legendTop - 2.0f * (title + label);
    const float left = 56.0f, right = W - 16.0f;
    area run = {left, title + 4.0f, right, title + 4.0f + space * 0.55f, longest, 0.0};
    area pct = {left, run.bottom + label + title, right, legendTop - label, 1.0, 0.0};
    const int yTicks = std::max(2, int((run.bottom - run.top) / 36.0f));
    const double yStep = tickStep(slowest, yTicks);
    run.yMax = pct.yMax = std::ceil(slowest / yStep - 1e-9) * yStep;
    const double pctStep = tickStep(pct.yMax, std::max(2, int((pct.bottom - pct.top) / 36.0f)));

    paint.panel(run, "frame time (ms) over the run", yStep);
    const double tStep = tickStep(longest, std::max(2, int((right - left) / 70.0f)));
    for (double t = 0.0; t <= longest + tStep * 1e-6; t += tStep) {
        paint.line({run.x(t), run.bottom, run.x(t), run.bottom + 4.0f}, frameGrey);
        paint.text(run.x(t), run.bottom + row / 2.0f + 4.0f, number(t), 0);
    }
    paint.text((left + right) / 2.0f, run.bottom + row * 1.5f + 4.0f, "time since the first city frame (s)", 0);

    paint.panel(pct, "frame time (ms) by percentile: the share of frames at or below it", pctStep);
    for (const double p : {0.0, 50.0, 90.0, 95.0, 99.0, 99.5, 99.9}) {
        const float x = pct.x(fractionOfPercentile(p));
        paint.line({x, pct.top, x, pct.bottom}, gridGrey);
        paint.line({x, pct.bottom, x, pct.bottom + 4.0f}, frameGrey);
        paint.text(x, pct.bottom + row / 2.0f + 4.0f, number(p), 0);
    }
    paint.text((left + right) / 2.0f, pct.bottom + row * 1.5f + 4.0f, "percentile (%)", 0);

    for (int k = 0; k < n; k++) {
        const frameFile& log = *logs[size_t(k)];
        const plotColour c = frameLogColour(k);
        paint.line(runCurve(log, run), c);
        const frameStats3D& s = log.stats();
        if (s.avgFps > 0.0)
            paint.line({left, run.y(1000.0 / s.avgFps), right, run.y(1000.0 / s.avgFps)}, c, plotItem::dashed);
        paint.line({left, run.y(s.p99Ms), right, run.y(s.p99Ms)}, c, plotItem::dotted);
        paint.line(percentileCurve(log, pct), c);

        const float y = legendTop + row * (float(k) + 0.5f);
        paint.rect(left, y - 3.0f, 18.0f, 6.0f, c, true);
        char t[160];
        // a log of zero times has no rate: it says so rather than "avg 0.0 fps"
        if (s.avgFps > 0.0)
            std::snprintf(t, sizeof t, "  frames: %d  avg %.1f fps  1%% low %.1f fps  0.1%% low %.1f fps", s.frames,
                          s.avgFps, s.low1Fps, s.low01Fps);
        else
            std::snprintf(t, sizeof t, "  frames: %d  its frame times are all zero", s.frames);
        paint.text(left + 24.0f, y, log.name() + t, -1);
    }
    const float key = legendTop + row * (float(n) + 0.5f);
    // the key's lines long enough to show their dashes
    paint.line({left - 6.0f, key, left + 18.0f, key}, black, plotItem::dashed);
    paint.text(left + 24.0f, key, "average frame time", -1);
    paint.line({left + 154.0f, key, left + 178.0f, key}, black, plotItem::dotted);
    paint.text(left + 184.0f, key, "99th percentile (upper panel)", -1);
    return pic;
}
