// Seeded random polylines for the preprocessing property tests.
#pragma once

#include "plotmodel/plot_shape.h"
#include "plotmodel/shape_fixtures.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace preprocess_fixtures {

using plot_fixtures::Polyline;
using plot_fixtures::Pt;

class RandomPolylines {
public:
    explicit RandomPolylines(unsigned seed) : rng_(seed) {}

    double Uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    // An open walk of segments up to 200 units whose end lies more than 10 units from its start.
    Polyline Open()
    {
        Polyline p{{static_cast<float>(Coord()), static_cast<float>(Coord())}};
        int n = Int(2, 40);
        double heading = Uniform(0, 2 * std::numbers::pi);
        for (int k = 1; k < n; ++k) {
            heading += Uniform(-2.5, 2.5);
            double len = Uniform(1, 200);
            p.push_back({static_cast<float>(p.back().x + len * std::cos(heading)), static_cast<float>(p.back().y + len * std::sin(heading))});
        }
        if (std::hypot(p.back().x - p.front().x, p.back().y - p.front().y) <= 10) p.push_back({p.front().x + 50, p.front().y + 50});
        return p;
    }
    // A random polygon closed exactly on its first point.
    Polyline Closed()
    {
        Polyline p;
        double cx = Coord(), cy = Coord(), r = Uniform(150, 1500);
        int n = Int(3, 30);
        for (int k = 0; k < n; ++k) {
            double t = 2 * std::numbers::pi * k / n, rr = r * Uniform(0.5, 1.0);
            p.push_back({static_cast<float>(cx + rr * std::cos(t)), static_cast<float>(cy + rr * std::sin(t))});
        }
        p.push_back(p.front());
        return p;
    }
    // An integer curve with one-unit jitter, steps of 1 to 3 units.
    Polyline Jitter()
    {
        Polyline p;
        double x = std::round(Coord()), y0 = std::round(Coord()), amp = Uniform(5, 200);
        int n = Int(10, 300);
        for (int k = 0; k < n; ++k) {
            x += Int(1, 3);
            p.push_back({static_cast<float>(x), static_cast<float>(std::round(y0 + amp * std::sin(x / 50.0)) + Int(-1, 1))});
        }
        return p;
    }
    // A small loop (shorter than two offsets) followed by a tail.
    Polyline SmallLoop()
    {
        float x = static_cast<float>(Coord()), y = static_cast<float>(Coord()), s = static_cast<float>(Uniform(2, 8));
        return {{x, y}, {x + s, y}, {x + s, y + s}, {x, y + s}, {x, y}, {x + 60, y - 5}};
    }
    Polyline Single() { return {{static_cast<float>(Coord()), static_cast<float>(Coord())}}; }

    // One of the kinds above, with points repeated now and then.
    Polyline Any()
    {
        Polyline p;
        switch (Int(0, 4)) {
        case 0: p = Open(); break;
        case 1: p = Closed(); break;
        case 2: p = Jitter(); break;
        case 3: p = SmallLoop(); break;
        default: p = Single(); break;
        }
        Polyline out;
        for (const Pt& q : p) {
            out.push_back(q);
            if (Int(0, 9) == 0) out.push_back(q);
        }
        return out;
    }

    // A shape of one to three sub-polylines with random attributes; PatternIndex is tag.
    PlotShape* Shape(unsigned tag, int maxPolylines = 3)
    {
        auto* s = new PlotShape;
        int pls = Int(1, maxPolylines);
        for (int k = 0; k < pls; ++k) {
            Polyline p = Any();
            for (size_t i = 0; i < p.size(); ++i) s->AddPoint(p[i].x, p[i].y, i == 0 ? 1 : 0);
        }
        s->CalArea();
        s->SetLineType(static_cast<short>(Int(0, 3)));
        s->SetPenIndex(Int(1, 8));
        s->SetRecIndex(static_cast<unsigned char>(Int(0, 200)));
        const unsigned char modes[] = {CutModeIndex::kCut, CutModeIndex::kCutAlt, CutModeIndex::kHalfCut, CutModeIndex::kDefault};
        s->SetMauIndex(modes[Int(0, 3)]);
        s->SetPatternIndex(tag);
        return s;
    }

private:
    double Coord() { return Uniform(-20000, 20000); }
    std::mt19937 rng_;
};

// Distance from p to the nearest segment (or lone point) of any sub-polyline of s.
inline double DistanceToShape(const Pt& p, const PlotShape& s)
{
    double best = 1e300;
    for (int pl = 0; pl < s.GetPlNum(); ++pl) {
        int32_t n = 0;
        const float* q = s.GetPl(pl, n);
        for (int32_t k = 0; k < n; ++k) {
            double ax = q[2 * k], ay = q[2 * k + 1];
            double bx = k + 1 < n ? q[2 * k + 2] : ax, by = k + 1 < n ? q[2 * k + 3] : ay;
            double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
            double t = len2 > 0 ? std::clamp(((p.x - ax) * dx + (p.y - ay) * dy) / len2, 0.0, 1.0) : 0.0;
            best = std::min(best, std::hypot(p.x - (ax + t * dx), p.y - (ay + t * dy)));
        }
    }
    return best;
}

}  // namespace preprocess_fixtures
