// ContourGlyphCode: moves, pen changes and the scale of a glyph of closed contours.
#include "cjk_outline/contour_glyph_code.h"

#include <algorithm>
#include <cstdlib>

namespace cjk_outline {
namespace {

constexpr char kPenDown = 1;
constexpr char kPenUp = 2;
constexpr char kDivideScale = 3;
constexpr char kMoveList = 9;
constexpr int32_t kMaxByteMove = 127;

// Appends the pairs of a move by (dx, dy) in equal steps that each fit a signed byte; none
// is (0, 0), which would end the list.
int32_t AppendPairs(std::string& code, int32_t dx, int32_t dy)
{
    int32_t longest = std::max(std::abs(dx), std::abs(dy));
    int32_t steps = (longest + kMaxByteMove - 1) / kMaxByteMove;
    int32_t doneX = 0;
    int32_t doneY = 0;
    for (int32_t k = 1; k <= steps; ++k) {
        int32_t toX = static_cast<int32_t>(static_cast<int64_t>(dx) * k / steps);
        int32_t toY = static_cast<int32_t>(static_cast<int64_t>(dy) * k / steps);
        code += static_cast<char>(static_cast<signed char>(toX - doneX));
        code += static_cast<char>(static_cast<signed char>(toY - doneY));
        doneX = toX;
        doneY = toY;
    }
    return steps;
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
