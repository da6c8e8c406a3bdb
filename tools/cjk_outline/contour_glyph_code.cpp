// ContourGlyphCode: moves, pen changes and the scale of a glyph of closed contours.
#include "cjk_outline/contour_glyph_code.h"

#include "shx_encoder/shx_font_encoder.h"

#include <algorithm>

namespace cjk_outline {
namespace {

constexpr char kPenDown = 1;
constexpr char kPenUp = 2;
constexpr char kDivideScale = 3;
constexpr char kMoveList = 9;

// Appends the bare pairs of a move by (dx, dy), as a code-9 list takes them.
int32_t AppendPairs(std::string& code, int32_t dx, int32_t dy)
{
    return shx_font::AppendByteStepMove(code, dx, dy, 0);
}

void EndList(std::string& code) { code.append(2, '\0'); }

// The contour without repeated neighbours, closed, starting at a point other than avoid
// when it has one; empty when fewer than three distinct points are left.
GridContour Normalised(const GridContour& c, const GridPoint& avoid)
{
    GridContour ring;
    for (const GridPoint& p : c)
        if (ring.empty() || !(ring.back() == p)) ring.push_back(p);
    while (ring.size() > 1 && ring.back() == ring.front()) ring.pop_back();
    if (ring.size() < 3) return {};
    auto start = std::find_if(ring.begin(), ring.end(), [&](const GridPoint& p) { return !(p == avoid); });
    std::rotate(ring.begin(), start, ring.end());
    ring.push_back(ring.front());
    return ring;
}

}  // namespace

std::string ContourGlyphCode(const std::vector<GridContour>& contours, uint8_t divisor, GridPoint advance,
                             int32_t& points)
{
    points = 0;
    std::string code(1, kPenUp);
    if (divisor > 1) {
        code += kDivideScale;
        code += static_cast<char>(divisor);
    }
    GridPoint at;
    GridPoint lastDrawn{INT32_MIN, INT32_MIN};
    for (const GridContour& raw : contours) {
        GridContour c = Normalised(raw, lastDrawn);
        if (c.empty()) continue;
        code += kPenUp;
        if (!(c.front() == at)) {
            code += kMoveList;
            AppendPairs(code, c.front().x - at.x, c.front().y - at.y);
            EndList(code);
        }
        code += kPenDown;
        code += kMoveList;
        points += 1;  // the first point, where the polyline starts
        for (size_t i = 1; i < c.size(); ++i) points += AppendPairs(code, c[i].x - c[i - 1].x, c[i].y - c[i - 1].y);
        EndList(code);
        at = c.back();
        lastDrawn = at;
    }
    code += kPenUp;
    if (!(advance == at)) {
        code += kMoveList;
        AppendPairs(code, advance.x - at.x, advance.y - at.y);
        EndList(code);
    }
    if (points > 0) points += 1;  // the advance, a point of its own
    return code;
}

}  // namespace cjk_outline
