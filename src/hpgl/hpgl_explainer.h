// HpglExplainer: the second, simpler HPGL-to-shape converter, reading the commands of an
// analyzer it is given (and does not own).
//
// Against HpglStreamExplainer: shapes carry line type 0 and no pattern; LT, PI, PG and IN
// have no effect; there is no label scale, page offset or streamed side; chords are about
// 2 mm long and circles have no minimum number of chords.
#pragma once

#include "hpgl/hpgl_analyzer.h"
#include "plotmodel/plot_shape_list.h"

#include <cstdint>

class PlotFontLib;

class HpglExplainer {
public:
    explicit HpglExplainer(HpglAnalyzer& analyzer);
    // Copies are deep: the open shape and the working list are copied; the analyzer is the
    // same one.
    HpglExplainer(const HpglExplainer& other);
    HpglExplainer& operator=(const HpglExplainer& other);
    virtual ~HpglExplainer();

    // Resets the state: pen 1, line type 0, pen up, absolute, pen at (0, 0), chords of 2 mm,
    // characters 0.8 × 1.0 cm, direction (1, 0), no open shape, an empty working list.
    void Initialize();
    // Deletes the open shape, empties the working list and initialises.
    void Destroy();
    // Converts the analyzer's commands into shapes appended to out, then recomputes out's
    // box from the shapes' boxes. A file whose shapes would hold more than kLoadPointBudget
    // points is refused: out gets nothing and PointBudgetExceeded answers true.
    void Transform(PlotShapeList& out);
    // True when the last Transform was refused for passing the point budget.
    bool PointBudgetExceeded() const { return pointBudgetExceeded_; }

    // The current state copied into new shapes.
    short GetLineType() const { return lineType_; }
    short GetPen() const { return pen_; }
    float GetFloatValue() const { return floatValue_; }

private:
    void _ExSP(const CStringA& command);
    void _ExLB(const CStringA& command);
    void _ExSI(const CStringA& command);
    void _ExDI(const CStringA& command);
    void _ExAA(const CStringA& command);
    void _ExAR(const CStringA& command);
    void _ExCI(const CStringA& command);
    // Draws to (x, y); pairsLeft counts this and the command's later pairs.
    void _PenLineTo(float x, float y, int32_t pairsLeft);
    // Closes the open pen-down shape when the pen changes.
    void _EndPD();
    // Runs PU, PD, PA or PR (code): the pen state or mode, then the pen through the pairs
    // of the command the analyzer returned last.
    void MovePen(int code);
    void DrawArc(const CStringA& command, bool relative);
    // Appends a finished shape with its box computed; shrunk as well when asked.
    void AddShape(PlotShape* shape, bool shrink);
    // Counts points made against the budget; false once it is passed.
    bool ChargePoints(int64_t points);
    // Counts the points of a circle or arc against the budget, as ChargePoints.
    bool ChargeCurvePoints(int64_t points);
    // Refuses the file at once when the rest of it cannot stay within the budget
    // (PointsAheadAtLeast); asked once, after many curve points.
    void CountRestAgainstBudget();

    PlotFontLib* fontLib_ = nullptr;
    HpglAnalyzer* analyzer_ = nullptr;
    PlotShape* currentShape_ = nullptr;
    PlotShapeList workList_;
    float chordFactor_ = 2.0f;  // millimetres per chord
    short pen_ = 1;
    float floatValue_ = 1.0f;
    unsigned char penDown_ = 0;
    short lineType_ = 0;
    unsigned char relative_ = 0;
    float penX_ = 0.0f;  // plotter units
    float penY_ = 0.0f;
    float charWidthCm_ = 0.8f;
    float charHeightCm_ = 1.0f;
    float directionRun_ = 1.0f;
    float directionRise_ = 0.0f;
    int64_t pointsMade_ = 0;
    // Points of circles and arcs among them, and whether the rest of the file was counted.
    int64_t curvePointsMade_ = 0;
    bool lookedAhead_ = false;
    bool pointBudgetExceeded_ = false;
};
