#include "preview/Pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <utility>
#include <vector>

namespace tc {
namespace {

// Pictures are described as shapes in pixel coordinates (y down) that set or
// clear pixels in order; a pixel is set when most of its 3 x 3 samples are.
using Shape = std::function<bool(double x, double y)>;
struct Step {
    Shape shape;
    bool set = true;
};
struct Pt {
    double x, y;
};

MonoPicture Render(int w, int h, const std::vector<Step>& steps)
{
    MonoPicture pic(w, h);
    for (int py = 0; py < h; ++py)
        for (int px = 0; px < w; ++px) {
            int hits = 0;
            for (int sy = 0; sy < 3; ++sy)
                for (int sx = 0; sx < 3; ++sx) {
                    const double x = px + (sx + 0.5) / 3.0, y = py + (sy + 0.5) / 3.0;
                    bool on = false;
                    for (const Step& s : steps)
                        if (s.shape(x, y))
                            on = s.set;
                    hits += on ? 1 : 0;
                }
            pic.pixels[static_cast<std::size_t>(py * w + px)] = hits >= 5 ? 1 : 0;
        }
    return pic;
}

double Rad(double degrees) { return degrees * std::numbers::pi / 180.0; }

// Point at `r` from (cx, cy) in direction `degrees` (counter-clockwise from the right, y up).
Pt Polar(double cx, double cy, double r, double degrees)
{
    return {cx + r * std::cos(Rad(degrees)), cy - r * std::sin(Rad(degrees))};
}

Shape Disc(double cx, double cy, double r)
{
    return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}

Shape Ellipse(double cx, double cy, double rx, double ry)
{
    return [=](double x, double y) { return ((x - cx) / rx) * ((x - cx) / rx) + ((y - cy) / ry) * ((y - cy) / ry) <= 1.0; };
}

Shape Ring(double cx, double cy, double rInner, double rOuter)
{
    return [=](double x, double y) {
        const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        return d2 <= rOuter * rOuter && d2 >= rInner * rInner;
    };
}

// Part of a ring between two directions, from `from` counter-clockwise to `to`.
Shape ArcBand(double cx, double cy, double rInner, double rOuter, double from, double to)
{
    return [=](double x, double y) {
        const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        if (d2 > rOuter * rOuter || d2 < rInner * rInner)
            return false;
        double a = std::atan2(cy - y, x - cx) * 180.0 / std::numbers::pi;
        while (a < from)
            a += 360.0;
        return a <= to;
    };
}

Shape Rect(double x0, double y0, double x1, double y1)
{
    return [=](double x, double y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; };
}

Shape RoundRect(double x0, double y0, double x1, double y1, double r)
{
    return [=](double x, double y) {
        if (x < x0 || x > x1 || y < y0 || y > y1)
            return false;
        const double dx = x < x0 + r ? x0 + r - x : (x > x1 - r ? x - (x1 - r) : 0.0);
        const double dy = y < y0 + r ? y0 + r - y : (y > y1 - r ? y - (y1 - r) : 0.0);
        return dx * dx + dy * dy <= r * r;
    };
}

double SegmentDistance(Pt p, Pt a, Pt b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 == 0.0 ? 0.0 : ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2;
    t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
    const double qx = a.x + t * dx - p.x, qy = a.y + t * dy - p.y;
    return std::sqrt(qx * qx + qy * qy);
}

// A stroke of half width `hw` with round ends through the points.
Shape Stroke(std::vector<Pt> pts, double hw)
{
    return [pts = std::move(pts), hw](double x, double y) {
        for (std::size_t i = 0; i + 1 < pts.size(); ++i)
            if (SegmentDistance({x, y}, pts[i], pts[i + 1]) <= hw)
                return true;
        return pts.size() == 1 && SegmentDistance({x, y}, pts[0], pts[0]) <= hw;
    };
}

// Filled polygon (even-odd rule).
Shape Polygon(std::vector<Pt> pts)
{
    return [pts = std::move(pts)](double x, double y) {
        bool inside = false;
        for (std::size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            const Pt a = pts[i], b = pts[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
                inside = !inside;
        }
        return inside;
    };
}

// A radial tick of a dial scale.
Shape Tick(double cx, double cy, double r0, double r1, double degrees, double hw)
{
    return Stroke({Polar(cx, cy, r0, degrees), Polar(cx, cy, r1, degrees)}, hw);
}

// Dial scales: the labels sit every 36 degrees from lower left (234 degrees)
// clockwise; the scale runs along a band just inside them, with a long mark
// under every label and four short ones between.
MonoPicture DialScale(int w, int h, int marks)
{
    const double cx = 74, cy = 74; // the dial's centre, the picture is drawn 25 pixels in from the face's corner
    const double start = 234.0, end = 234.0 - 36.0 * (marks - 1);
    std::vector<Step> steps;
    steps.push_back({ArcBand(cx, cy, 67.5, 71.0, end, start)});
    for (int i = 0; i < marks; ++i)
        steps.push_back({Tick(cx, cy, 55, 71, start - 36.0 * i, 1.9)});
    for (int i = 0; i + 1 < marks; ++i)
        for (int k = 1; k < 4; ++k)
            steps.push_back({Tick(cx, cy, k == 2 ? 60 : 63, 71, start - 36.0 * i - 9.0 * k, 0.9)});
    return Render(w, h, steps);
}

// The needle points up and to the left, where the ring of the left dial sits.
MonoPicture Needle()
{
    const double c = 64, a = 162.0;
    const Pt tip = Polar(c, c, 63, a), tail = Polar(c, c, 16, a + 180.0);
    const Pt pl = Polar(tip.x, tip.y, 1.2, a + 90.0), pr = Polar(tip.x, tip.y, 1.2, a - 90.0);
    const Pt l = Polar(c, c, 4.5, a + 90.0), r = Polar(c, c, 4.5, a - 90.0);
    const Pt tl = Polar(tail.x, tail.y, 3.0, a + 90.0), tr = Polar(tail.x, tail.y, 3.0, a - 90.0);
    return Render(129, 129, {
        {Polygon({pl, l, tl, tr, r, pr})},
        {Disc(c, c, 8.5)},
        {Disc(c, c, 2.5), false},
    });
}

MonoPicture FuelPump()
{
    return Render(25, 49, {
        {RoundRect(1, 3, 16, 42, 2.5)},           // body
        {Rect(4, 7, 13, 17), false},               // window
        {Rect(0, 40, 18, 45)},                     // base
        {Stroke({{16, 30}, {20, 30}, {20, 13}, {17, 9}}, 1.2)}, // hose
        {Stroke({{21.5, 7}, {21.5, 15}}, 1.5)},    // nozzle on its holder
    });
}

MonoPicture Battery()
{
    return Render(79, 41, {
        {Rect(1, 8, 59, 32)},    // case
        {Rect(8, 3, 17, 8)},     // terminals
        {Rect(43, 3, 52, 8)},
        {Rect(5, 12, 55, 28), false},
        {Rect(8, 18.5, 17, 21.5)}, // minus
        {Rect(43, 18.5, 52, 21.5)}, // plus
        {Rect(46, 15.5, 49, 24.5)},
    });
}

MonoPicture OutboardMotor()
{
    return Render(33, 49, {
        {RoundRect(3, 1, 27, 15, 5)},            // cowling
        {Rect(6, 9, 24, 10.5), false},           // its seam
        {Rect(11, 14, 20, 37)},                  // leg
        {Rect(22, 16, 30, 22)},                  // transom bracket
        {Rect(6, 27, 24, 29.5)},                 // cavitation plate
        {Ellipse(17, 38.5, 10, 3.5)},            // gearcase
        {Polygon({{14, 40}, {20, 40}, {18, 45}, {15, 45}})}, // skeg
        {Ellipse(29.5, 38.5, 2.2, 6.5)},         // propeller
    });
}

// The trim scale curves towards the boat; marks every 5 degrees, "+" above, "-" below.
MonoPicture TrimScale()
{
    std::vector<Step> steps;
    const double cx = 78, cy = 48;
    steps.push_back({ArcBand(cx, cy, 58, 61, 180 - 38, 180 + 38)});
    for (int i = -4; i <= 4; ++i)
        steps.push_back({Tick(cx, cy, 61, i % 2 == 0 ? 70 : 66, 180.0 + 9.0 * i, i == 0 ? 1.6 : 1.0)});
    steps.push_back({Stroke({{2, 4}, {8, 4}}, 0.9)});
    steps.push_back({Stroke({{5, 1}, {5, 7}}, 0.9)});
    steps.push_back({Stroke({{2, 92}, {8, 92}}, 0.9)});
    return Render(33, 105, steps);
}

// The roll scale is straight, with a pointer mark in the middle.
MonoPicture RollScale()
{
    std::vector<Step> steps;
    steps.push_back({Rect(18, 4, 20, 92)});
    for (int i = 0; i <= 8; ++i) {
        const double y = 4 + 11.0 * i;
        steps.push_back({Rect(i % 2 == 0 ? 9 : 13, y - (i == 4 ? 1.5 : 0.8), 20, y + (i == 4 ? 1.5 : 0.8))});
    }
    steps.push_back({Polygon({{22, 48}, {29, 43}, {29, 53}})});
    return Render(33, 105, steps);
}

MonoPicture BoatSide()
{
    return Render(41, 17, {
        {Polygon({{0, 7}, {40, 4}, {33, 15}, {3, 15}})}, // hull, bow to the right
        {Polygon({{11, 7}, {13, 1.5}, {22, 1.5}, {27, 6}})}, // cabin
        {Rect(14.5, 3, 20, 5), false},                   // window
    });
}

MonoPicture BoatStern()
{
    return Render(41, 17, {
        {Polygon({{0, 6}, {40, 6}, {31, 15}, {20.5, 16.5}, {9, 15}})}, // hull
        {Polygon({{13, 6}, {15, 0.5}, {26, 0.5}, {28, 6}})},             // cabin
        {Rect(16.5, 2, 24.5, 4), false},
    });
}

// The engine outline of the check-engine lamp: block, oil cap, intake on the
// left, exhaust on the right.
MonoPicture EngineSymbol()
{
    const double hw = 1.7;
    return Render(105, 105, {
        {Stroke({{15, 12}, {42, 12}, {46, 17}, {52, 17}, {52, 13}, {58, 13}, {58, 36}, {52, 36}, {52, 31}, {47, 31},
             {40, 38}, {19, 38}, {15, 33}, {15, 12}}, hw)},
        {Stroke({{22, 5}, {35, 5}}, hw)},
        {Stroke({{28.5, 5}, {28.5, 12}}, hw)},
        {Stroke({{15, 24}, {7, 24}}, hw)},
        {Stroke({{5, 16}, {5, 32}}, hw)},
        {Stroke({{15, 18}, {9, 18}, {9, 16}}, hw)},
    });
}

// A lightning bolt in a ring.
MonoPicture ElectricSymbol()
{
    const double c = 27.5;
    return Render(105, 105, {
        {Ring(c, c, 23.5, 27)},
        {Polygon({{31, 6}, {15, 30}, {26, 30}, {22, 49}, {40, 22}, {29, 22}, {35, 6}})},
    });
}

MonoPicture DialFace()
{
    return Render(199, 199, {
        {Disc(99.5, 99.5, 99.5)},
        {Ring(99.5, 99.5, 93, 94.5), false},
    });
}

MonoPicture SmallRing()
{
    return Render(9, 9, {{Ring(4.5, 4.5, 2.3, 4.5)}});
}

MonoPicture Build(PictureId id)
{
    switch (id) {
    case PictureId::Circle99: return DialFace();
    case PictureId::ScaleL: return DialScale(79, 136, 5);
    case PictureId::ScaleR: return DialScale(149, 136, 9);
    case PictureId::Arrow: return Needle();
    case PictureId::Circle9: return SmallRing();
    case PictureId::GasStation: return FuelPump();
    case PictureId::Acc: return Battery();
    case PictureId::BoatMotor: return OutboardMotor();
    case PictureId::BoatScaleT: return TrimScale();
    case PictureId::BoatScaleC: return RollScale();
    case PictureId::BoatT: return BoatSide();
    case PictureId::BoatC: return BoatStern();
    case PictureId::CheckEngine: return EngineSymbol();
    case PictureId::Electro: return ElectricSymbol();
    }
    return {};
}

} // namespace

MonoPicture DrawPictureFresh(PictureId id) { return Build(id); }

const MonoPicture& Picture(PictureId id)
{
    // Decoded from the runs kept in PictureData.cpp (a few microseconds) instead
    // of drawn from the shapes, which takes tens of milliseconds per process.
    static const std::array<MonoPicture, kPictureCount> pictures = [] {
        std::array<MonoPicture, kPictureCount> all;
        for (int i = 0; i < kPictureCount; ++i) {
            const auto n = static_cast<std::size_t>(i);
            MonoPicture& pic = all[n];
            pic = MonoPicture(preview_pictures::kPictureSize[n][0], preview_pictures::kPictureSize[n][1]);
            std::size_t at = 0;
            bool set = false;
            for (std::size_t r = preview_pictures::kPictureRunStart[n]; r < preview_pictures::kPictureRunStart[n + 1]; ++r) {
                const std::size_t end = std::min(pic.pixels.size(), at + preview_pictures::kPictureRuns[r]);
                std::fill(pic.pixels.begin() + static_cast<std::ptrdiff_t>(at), pic.pixels.begin() + static_cast<std::ptrdiff_t>(end),
                          set ? 1 : 0);
                at = end;
                set = !set;
            }
        }
        return all;
    }();
    return pictures.at(static_cast<std::size_t>(id));
}

} // namespace tc
