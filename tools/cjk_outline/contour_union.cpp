// UnionOfContours over the polygon clipper's non-zero union.
#include "cjk_outline/contour_union.h"

#include <polyclipping/clipper.hpp>

namespace cjk_outline {

std::vector<GridContour> UnionOfContours(const std::vector<GridContour>& contours)
{
    ClipperLib::Paths paths;
    for (const GridContour& c : contours) {
        ClipperLib::Path path;
        for (size_t i = 0; i + 1 < c.size(); ++i) path.emplace_back(c[i].x, c[i].y);  // the closing repeat is implied
        if (path.size() >= 3) paths.push_back(std::move(path));
    }
    ClipperLib::Clipper clipper;
    clipper.StrictlySimple(true);
    clipper.AddPaths(paths, ClipperLib::ptSubject, true);
    ClipperLib::Paths filled;
    clipper.Execute(ClipperLib::ctUnion, filled, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    std::vector<GridContour> out;
    for (const ClipperLib::Path& path : filled) {
        if (path.size() < 3) continue;
        GridContour c;
        for (const ClipperLib::IntPoint& p : path) c.push_back({static_cast<int32_t>(p.X), static_cast<int32_t>(p.Y)});
        c.push_back(c.front());
        out.push_back(std::move(c));
    }
    return out;
}

}  // namespace cjk_outline
