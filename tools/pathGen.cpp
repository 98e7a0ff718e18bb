#include "pathGen.h"

#include "console/outTxt.h"
#include "effects/recmat3D.h"
#include "meshBuilder.h"

#include <cmath>
#include <memory>
#include <vector>

namespace {

struct waypoint {
    double x, y, z;
};

// A Catmull-Rom curve through the waypoints, walked at an even speed.
class flight {
public:
    explicit flight(std::vector<waypoint> w) : pts(std::move(w))
    {
        // arc length table over fine samples
        const int n = int(pts.size() - 1) * 64;
        lengths.push_back(0.0);
        vec3 prev = rawAt(0.0);
        for (int i = 1; i <= n; i++) {
            const vec3 p = rawAt(double(i) / n * double(pts.size() - 1));
            lengths.push_back(lengths.back() + len(p - prev));
            prev = p;
        }
    }
    double total() const { return lengths.back(); }
    // point at arc length s
    vec3 at(double s) const
    {
        if (s <= 0.0)
            return rawAt(0.0);
        if (s >= total())
            return rawAt(double(pts.size() - 1));
        size_t lo = 0, hi = lengths.size() - 1;
        while (hi - lo > 1) {
            const size_t mid = (lo + hi) / 2;
            (lengths[mid] < s ? lo : hi) = mid;
        }
        const double f = (s - lengths[lo]) / (lengths[hi] - lengths[lo]);
        const double seg = double(pts.size() - 1) / double(lengths.size() - 1);
        return rawAt((double(lo) + f) * seg);
    }

private:
    static double len(vec3 v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }
    vec3 rawAt(double u) const
    {
        const int last = int(pts.size()) - 1;
        int i = int(std::floor(u));
        if (i >= last)
            i = last - 1;
        const double t = u - i;
        auto p = [&](int k) {
            k = k < 0 ? 0 : (k > last ? last : k);
            return vec3{pts[size_t(k)].x, pts[size_t(k)].y, pts[size_t(k)].z};
        };
        const vec3 p0 = p(i - 1), p1 = p(i), p2 = p(i + 1), p3 = p(i + 2);
        const double t2 = t * t, t3 = t2 * t;
        return (p1 * 2.0 + (p2 - p0) * t + (p0 * 2.0 - p1 * 5.0 + p2 * 4.0 - p3) * t2 +
                (p1 * 3.0 - p0 - p2 * 3.0 + p3) * t3) *
               0.5;
    }
    std::vector<waypoint> pts;
    std::vector<double> lengths;
};

// A pose matrix (row-major, column vectors): the model's -z axis along
// forward, banked by roll radians, at position p.
matrix_4 poseOf(vec3 p, vec3 forward, double roll)
{
    const vec3 f = normalized(forward);
    vec3 right = normalized(cross(f, {0, 1, 0}));
    vec3 up = cross(right, f);
    const double c = std::cos(roll), s = std::sin(roll);
    const vec3 r2 = right * c + up * s;
    const vec3 u2 = up * c - right * s;
    const vec3 back = f * -1.0;
    matrix_4 m;
    const double rows[4][4] = {{r2.x, u2.x, back.x, p.x}, {r2.y, u2.y, back.y, p.y}, {r2.z, u2.z, back.z, p.z},
                               {0, 0, 0, 1}};
    for (int r = 0; r < 4; r++)
        for (int k = 0; k < 4; k++)
            m.m[r * 4 + k] = float(rows[r][k]);
    return m;
}

// The view matrix of an eye looking at a target: the inverse of its pose.
matrix_4 viewOf(vec3 eye, vec3 target)
{
    const vec3 f = normalized(target - eye);
    const vec3 right = normalized(cross(f, {0, 1, 0}));
    const vec3 up = cross(right, f);
    const vec3 back = f * -1.0;
    matrix_4 m;
    const vec3 axes[3] = {right, up, back};
    for (int r = 0; r < 3; r++) {
        m.m[r * 4 + 0] = float(axes[r].x);
        m.m[r * 4 + 1] = float(axes[r].y);
        m.m[r * 4 + 2] = float(axes[r].z);
        m.m[r * 4 + 3] = float(-(axes[r].x * eye.x + axes[r].y * eye.y + axes[r].z * eye.z));
    }
    m.m[12] = m.m[13] = m.m[14] = 0.0f;
    m.m[15] = 1.0f;
    return m;
}

// eases in over the first and out over the last seconds of a flight
double eased(double t, double length, double ramp)
{
    // distance share covered by time t with linear speed ramps at both ends
    const double cruise = length - ramp;
    auto dist = [&](double x) {
        if (x < ramp)
            return 0.5 * x * x / ramp;
        if (x < cruise)
            return 0.5 * ramp + (x - ramp);
        const double e = length - x;
        return length - ramp - 0.5 * e * e / ramp;
    };
    return dist(t) / dist(length);
}

// the city: through the landing pad, the plaza, past the station, along the
// factory, round the outer avenues and back over the fog of the centre
const std::vector<waypoint> cityRoute = {
    {1.5, 1.4, 47},  {2, 1.6, 41},    {4, 1.8, 32},     {4, 2.4, 22},    {6, 2.4, 10},   {7, 2.2, 0},
    {6.5, 2.4, -7},  {4, 3.0, -13},   {4, 2.8, -22},    {4, 3.2, -33},   {0, 3.0, -44},  {-12, 2.6, -44},
    {-20, 2.2, -38}, {-20, 2.0, -20}, {-20, 2.2, 0},    {-20, 2.4, 20},  {-20, 2.2, 40}, {-16, 2.0, 52},
    {0, 2.0, 52},    {16, 2.2, 52},   {28, 2.4, 48},    {28, 2.2, 30},   {28, 2.0, 10},  {28, 2.2, -10},
    {28, 2.6, -30},  {24, 3.0, -44},  {20, 3.2, -36},   {20, 3.6, -20},  {20, 4.0, -6},  {16, 5.0, 6},
    {8, 5.5, 16},    {-2, 5.0, 24},   {-6, 4.0, 16},    {-3, 3.2, 6},    {3, 2.8, 10},   {5, 2.4, 22},
    {3, 2.0, 34},    {1.5, 1.6, 42},  {1.3, 1.5, 44.5},
};

// the intro: out of the distance, round behind the logo, and out past the camera
const std::vector<waypoint> deskRoute = {
    {-8, 1.0, -48}, {-4, 0.5, -26}, {2.5, 0.1, -13}, {4.0, 0.0, -7.5}, {2.0, 0.1, -5.2},
    {-2.0, 0.0, -5.4}, {-3.8, -0.1, -8.0}, {-1.5, 0.0, -11.0}, {1.8, 0.2, -9.0}, {1.2, -0.2, -4.0},
    {0.6, -0.5, 0.5},   {0.4, -0.8, 3.0},
};

const std::vector<waypoint> endShipRoute = {
    {-6, 0.5, -14}, {-3, 1.0, -9}, {2, 0.8, -8},  {4, 0.2, -11}, {2, -0.3, -14}, {-2, 0.0, -13},
    {-4, 0.6, -9},  {0, 1.0, -7},  {3, 0.5, -10}, {1, 0.0, -13}, {-3, 0.4, -11}, {-8, 1.2, -6},
};

bool save(recmat3D* path, const std::string& file)
{
    return path->saveBin(file.c_str()) == 1;
}

}  // namespace

bool writePaths(const std::string& dir)
{
    outTxt console;
    auto ship = std::make_unique<recmat3D>(&console);
    auto cam = std::make_unique<recmat3D>(&console);
    const int records = int(std::lround(cityLength / pathStep));

    const flight city(cityRoute);
    ship->reset();
    cam->reset();
    // the camera trails the ship along the same streets, a little higher
    const double lag = 2.6;
    for (int i = 0; i < records; i++) {
        const double t = i * pathStep;
        const double s = eased(t, cityLength, 4.0) * city.total();
        const vec3 p = city.at(s);
        const vec3 ahead = city.at(s + 0.6);
        const vec3 further = city.at(s + 2.5);
        const vec3 fwd = ahead - p;
        // bank into turns: the sideways change of heading
        const vec3 f1 = normalized(fwd), f2 = normalized(further - ahead);
        const double turn = cross(f1, f2).y;
        const double roll = std::max(-0.7, std::min(0.7, turn * 1.6));
        ship->insert(poseOf(p, fwd, roll), float(pathStep));
        // before the start the camera stands further back on the first heading
        const vec3 start = city.at(0.0), dir0 = normalized(city.at(0.5) - start);
        const vec3 eye = (s - lag < 0.0 ? start - dir0 * (lag - s) : city.at(s - lag)) + vec3{0, 0.75, 0};
        cam->insert(viewOf(eye, ahead + vec3{0, 0.15, 0}), float(pathStep));
    }
    bool ok = save(ship.get(), dir + "/ship.bre") && save(cam.get(), dir + "/cam.bre");

    const flight desk(deskRoute);
    ship->reset();
    for (int i = 0; i < int(std::lround(deskLength / pathStep)); i++) {
        const double t = i * pathStep;
        const double s = eased(t, deskLength, 2.0) * desk.total();
        const vec3 p = desk.at(s);
        const vec3 fwd = desk.at(s + 0.4) - p;
        const vec3 f2 = normalized(desk.at(s + 1.2) - desk.at(s + 0.4));
        const double roll = std::max(-0.8, std::min(0.8, cross(normalized(fwd), f2).y * 2.0));
        ship->insert(poseOf(p, fwd, roll), float(pathStep));
    }
    ok = ok && save(ship.get(), dir + "/deskship.bre");

    // the end scene: the ship circles the sphere logo, the camera drifts back from both
    const flight endShip(endShipRoute);
    auto sphere = std::make_unique<recmat3D>(&console);
    ship->reset();
    cam->reset();
    sphere->reset();
    const int endRecords = int(std::lround(endLength / pathStep));
    for (int i = 0; i < endRecords; i++) {
        const double t = i * pathStep;
        const double s = t / endLength * endShip.total();
        const vec3 p = endShip.at(s);
        ship->insert(poseOf(p, endShip.at(s + 0.4) - p, 0.3 * std::sin(t)), float(pathStep));
        const vec3 centre = {0.6 * std::sin(t * 0.3), 0.3 * std::sin(t * 0.5), -10.5};
        matrix_4 sm = poseOf(centre, {std::sin(t * 0.4), 0, -std::cos(t * 0.4)}, 0.0);
        sphere->insert(sm, float(pathStep));
        const vec3 eye = {3.5 * std::sin(t * 0.12), 1.2 + 0.4 * std::sin(t * 0.2), -1.0 + t * 0.08};
        cam->insert(viewOf(eye, centre), float(pathStep));
    }
    ok = ok && save(ship.get(), dir + "/endship.bre") && save(cam.get(), dir + "/endcam.bre") &&
         save(sphere.get(), dir + "/sphere.bre");
    return ok;
}
