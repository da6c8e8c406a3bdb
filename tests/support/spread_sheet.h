// Seeded sheets of loose strokes for the preparation tests and benches: random walks spread
// over a sheet, short strokes, and a lattice of slanted strokes, as shapes or as HPGL text.
//
// Coordinates are plotter units (40 per mm), integral, so the HPGL text and the shapes made
// directly hold the same points.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class PlotShapeList;

namespace corvane_test {

struct SheetStroke {
    int pen = 1;             // 1..8
    std::vector<float> xy;   // x0, y0, x1, y1, ...
};

struct WalkSheetOptions {
    uint32_t seed = 1;
    int strokes = 100;
    int pointsPerStroke = 200;
    double widthMm = 1000.0;
    double heightMm = 578.0;
    double stepMm = 1.0;       // length of one step of a walk
    double turnSdDeg = 15.0;   // spread of the turn at each step
    int closedEvery = 10;      // every closedEvery-th walk ends at its start
    int pens = 4;              // pens 1..pens, in turn
};
// Random walks: each starts at a random point and turns by a normal random angle per step,
// staying on the sheet.
std::vector<SheetStroke> WalkSheet(const WalkSheetOptions& options);

// Strokes of 2 to 4 points and 2 to 10 mm, at random over the sheet, pens 1..pens.
std::vector<SheetStroke> ShortStrokeSheet(uint32_t seed, int strokes, double widthMm, double heightMm, int pens);

// Two-point strokes from (x, y) to (x + dx, y + dy) on a square lattice of pitch units,
// row by row, count strokes in all, all of one pen.
std::vector<SheetStroke> LatticeSheet(int strokes, float dx, float dy, float pitch, int pen);

// Rectangles of four separate strokes each, their corners left open by gaps of gapUnits[k]
// in turn (0 closes them), with a smaller rectangle of the same kind inside every second one;
// pieces of pitch units in a row from origin, of one pen.
std::vector<SheetStroke> BrokenRectangleSheet(uint32_t seed, int rectangles, const std::vector<float>& gapUnits,
                                              float pitch, int pen);

// The strokes as shapes appended to list (pen index set, bounds computed).
void AppendSheet(const std::vector<SheetStroke>& strokes, PlotShapeList& list);
// The strokes as HPGL text: "IN;", then per stroke its pen when it changes, PU to the first
// point and PD through the others.
std::string SheetHpgl(const std::vector<SheetStroke>& strokes);

}  // namespace corvane_test
