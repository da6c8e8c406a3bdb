// Seeded sheets of loose strokes, as shapes or HPGL text.
#include "support/spread_sheet.h"

#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace corvane_test {

namespace {

constexpr double kUnitsPerMm = 40.0;
constexpr double kPi = 3.14159265358979323846;

float Units(double v) { return static_cast<float>(std::lround(v)); }

}  // namespace

std::vector<SheetStroke> WalkSheet(const WalkSheetOptions& o)
{
    std::mt19937 rng(o.seed);
    const double w = o.widthMm * kUnitsPerMm, h = o.heightMm * kUnitsPerMm, step = o.stepMm * kUnitsPerMm;
    std::uniform_real_distribution<double> ux(0.0, w), uy(0.0, h), heading(0.0, 2 * kPi);
    std::normal_distribution<double> turn(0.0, o.turnSdDeg * kPi / 180.0);
    std::vector<SheetStroke> out;
    out.reserve(static_cast<size_t>(o.strokes));
    for (int k = 0; k < o.strokes; ++k) {
        SheetStroke s;
        s.pen = 1 + k % std::max(o.pens, 1);
        double x = ux(rng), y = uy(rng), a = heading(rng);
        for (int i = 0; i < o.pointsPerStroke; ++i) {
            s.xy.push_back(Units(x));
            s.xy.push_back(Units(y));
            a += turn(rng);
            double nx = x + step * std::cos(a), ny = y + step * std::sin(a);
            // A walk that would leave the sheet turns back instead.
            if (nx < 0 || nx > w || ny < 0 || ny > h) {
                a += kPi;
                nx = x + step * std::cos(a);
                ny = y + step * std::sin(a);
            }
            x = std::clamp(nx, 0.0, w);
            y = std::clamp(ny, 0.0, h);
        }
        if (o.closedEvery > 0 && k % o.closedEvery == 0) {
            s.xy.push_back(s.xy[0]);
            s.xy.push_back(s.xy[1]);
        }
        out.push_back(std::move(s));
    }
    return out;
}

std::vector<SheetStroke> ShortStrokeSheet(uint32_t seed, int strokes, double widthMm, double heightMm, int pens)
{
    std::mt19937 rng(seed);
    const double w = widthMm * kUnitsPerMm, h = heightMm * kUnitsPerMm;
    std::uniform_real_distribution<double> ux(0.0, w), uy(0.0, h), heading(0.0, 2 * kPi),
        length(2 * kUnitsPerMm, 10 * kUnitsPerMm);
    std::uniform_int_distribution<int> points(2, 4);
    std::vector<SheetStroke> out;
    out.reserve(static_cast<size_t>(strokes));
    for (int k = 0; k < strokes; ++k) {
        SheetStroke s;
        s.pen = 1 + k % std::max(pens, 1);
        const int n = points(rng);
        const double step = length(rng) / (n - 1);
        double x = ux(rng), y = uy(rng), a = heading(rng);
        for (int i = 0; i < n; ++i) {
            s.xy.push_back(Units(std::clamp(x, 0.0, w)));
            s.xy.push_back(Units(std::clamp(y, 0.0, h)));
            x += step * std::cos(a);
            y += step * std::sin(a);
            a += heading(rng) / 4;
        }
        out.push_back(std::move(s));
    }
    return out;
}

std::vector<SheetStroke> LatticeSheet(int strokes, float dx, float dy, float pitch, int pen)
{
    const int columns = std::max(1, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(strokes)))));
    std::vector<SheetStroke> out;
    out.reserve(static_cast<size_t>(strokes));
    for (int k = 0; k < strokes; ++k) {
        const float x = static_cast<float>(k % columns) * pitch, y = static_cast<float>(k / columns) * pitch;
        out.push_back({pen, {x, y, x + dx, y + dy}});
    }
    return out;
}

std::vector<SheetStroke> BrokenRectangleSheet(uint32_t seed, int rectangles, const std::vector<float>& gapUnits,
                                              float pitch, int pen)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> size(0.3 * pitch, 0.8 * pitch);
    std::vector<SheetStroke> out;
    auto rectangle = [&](float x0, float y0, float x1, float y1, float gap) {
        // The four sides, each starting gap past the corner before it.
        const float corners[5][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
        for (int side = 0; side < 4; ++side) {
            const float ax = corners[side][0], ay = corners[side][1];
            const float bx = corners[side + 1][0], by = corners[side + 1][1];
            const float ux = bx > ax ? 1.0f : (bx < ax ? -1.0f : 0.0f), uy = by > ay ? 1.0f : (by < ay ? -1.0f : 0.0f);
            SheetStroke s{pen, {ax + ux * gap, ay + uy * gap, (ax + bx) / 2, (ay + by) / 2, bx, by}};
            // Every other side runs backwards, as loose strokes of a drawing do.
            if (side % 2 == 1) {
                std::vector<float> r;
                for (size_t i = s.xy.size(); i >= 2; i -= 2) {
                    r.push_back(s.xy[i - 2]);
                    r.push_back(s.xy[i - 1]);
                }
                s.xy = r;
            }
            out.push_back(std::move(s));
        }
    };
    for (int k = 0; k < rectangles; ++k) {
        const float gap = gapUnits.empty() ? 0.0f : gapUnits[static_cast<size_t>(k) % gapUnits.size()];
        const float x0 = k * pitch, y0 = 0, side = Units(size(rng)), high = Units(size(rng));
        rectangle(x0, y0, x0 + side, y0 + high, gap);
        if (k % 2 == 0) rectangle(x0 + side / 4, y0 + high / 4, x0 + side * 3 / 4, y0 + high * 3 / 4, gap / 2);
    }
    return out;
}

void AppendSheet(const std::vector<SheetStroke>& strokes, PlotShapeList& list)
{
    for (const SheetStroke& s : strokes) {
        auto* shape = new PlotShape;
        shape->Append(s.xy.data(), static_cast<int32_t>(s.xy.size() / 2));
        shape->SetPenIndex(s.pen);
        shape->CalArea();
        list.AddTail(shape);
    }
    list.CalArea(0);
}

std::string SheetHpgl(const std::vector<SheetStroke>& strokes)
{
    std::string out = "IN;";
    int pen = 0;
    for (const SheetStroke& s : strokes) {
        if (s.pen != pen) {
            pen = s.pen;
            out += "SP" + std::to_string(pen) + ";";
        }
        for (size_t i = 0; i + 1 < s.xy.size(); i += 2) {
            out += i == 0 ? "PU" : (i == 2 ? "PD" : ",");
            out += std::to_string(std::lround(s.xy[i])) + "," + std::to_string(std::lround(s.xy[i + 1]));
            if (i == 0 || i + 2 >= s.xy.size()) out += ";";
        }
    }
    return out;
}

}  // namespace corvane_test
