// HpglStreamExplainer: turns HPGL commands into plot shapes, from a whole file (Transform)
// or from data arriving in pieces (the streamed side).
//
// Coordinates are taken as they stand: plotter units, 40 per mm. One pen-down run becomes one
// shape; circles, arcs and labels are shapes of their own. Label text is drawn with the
// global vector font.
//
// Streamed side: a producer feeds pieces (ExplainerForCOM, or ExplainerForCOMCap for
// captured data) and the shapes of each file go to a file buffer between a start marker
// (pen -1) and an end marker (pen -2); a consumer takes one file at a time (OutGetData, Out).
// The two meet only in the file buffer and the new-file test, under the member lock.
#pragma once

#include "hpgl/binary_polyline_list.h"
#include "hpgl/hpgl_analyzer.h"
#include "platform/critical_section.h"
#include "platform/tick_clock.h"
#include "plotmodel/plot_shape_list.h"

#include <atomic>
#include <cstdint>

class PlotFontLib;

class HpglStreamExplainer : public HpglAnalyzer {
public:
    // Consumer states of the streamed side.
    static constexpr int32_t kLookingForFileStart = 0;
    static constexpr int32_t kInsideFile = 1;
    static constexpr int32_t kFileComplete = 2;

    HpglStreamExplainer();
    HpglStreamExplainer(const HpglStreamExplainer&) = delete;
    HpglStreamExplainer& operator=(const HpglStreamExplainer&) = delete;
    ~HpglStreamExplainer() override;

    // Converts the loaded text into shapes appended to out, then recomputes out's box from
    // the shapes' boxes. Labels are scaled by "TextScale" of "AutoPrint Settings". A file
    // whose shapes would hold more than kLoadPointBudget points is refused: out gets nothing
    // and PointBudgetExceeded answers true. The text of a loaded file is given back while it
    // is read and the analyzer is empty afterwards (a file is loaded to be transformed once);
    // text given by AppendData or AttachData stays.
    void Transform(PlotShapeList& out);
    // True when the last Transform was refused for passing the point budget, or, streamed,
    // when a file was: that file's shapes are dropped and it is handed over empty (its end
    // marker at once, later commands ignored up to the next file). The consumer asks when a
    // file is complete; OutStartNewFile clears it.
    bool PointBudgetExceeded() const { return pointBudgetExceeded_.load(); }

    // How many labels with text the explained commands held, whether or not a font drew them.
    int32_t GetLabelCount() const { return labelCount_; }

    // The current state copied into new shapes.
    short GetLineType() const { return lineType_; }
    short GetPen() const { return pen_; }
    float GetFloatValue() const { return floatValue_; }
    int32_t GetPatternIndex() const { return patternIndex_; }

    // Producer: appends a piece and explains every command it completes; IN ends an open
    // file and starts a new one.
    void ExplainerForCOM(unsigned char* data, int n);
    // The same for captured data: a run of 0x01 bytes starts a file, a run of 0x00 bytes
    // ends it, IN is ignored and labels keep their font size.
    void ExplainerForCOMCap(unsigned char* data, int n);
    // Starts a file (only when none is open): fresh HPGL state and a start marker.
    void StartFile();
    // Ends the file: the open shape and an end marker go to the file buffer.
    void EndFile();
    // Hands the open shape (when it has two points or more) and the finished shapes over.
    void EndPD();

    // Consumer: in state kLookingForFileStart drops shapes up to the next start marker;
    // inside a file moves shapes to the out list up to the end marker (then kFileComplete)
    // and returns 1; otherwise 0.
    int OutGetData();
    int OutGetState();
    // Looks for the next file again; returns 1.
    int OutStartNewFile();
    // Monotonic ms of the last piece's arrival.
    TickMs OutGetLastDataArriveTime();
    // The drawing length of the out list in millimetres: travel to each polyline counts
    // |dx| + |dy|, each segment the larger of |dx| and |dy|.
    double OutDataLen();
    // Moves the out list's shapes to the end of list.
    void Out(PlotShapeList& list);
    void Out(CBinaryPolyLineList& list);
    // 0 (and a renewed arrival time) only when a new file is pending and less than the gap
    // has passed since the last arrival; otherwise clears the pending flag and answers 1.
    int InCheckIfNewFile();

private:
    void Initialize();
    void InitializeHPGLVariable();
    // The label scale of the settings; a value that is no finite number counts as 1.
    static float ReadLabelScale();
    // Runs the handler of one command.
    void Execute(int code, const CStringA& command, float labelScale);
    // Feeds a piece through the standard or the capture tokenizer.
    void ExplainPiece(unsigned char* data, int n, bool capture);
    // Moves the finished shapes into the file buffer.
    void HandOver();

    void _ExSP(const CStringA& command);
    void _ExLT(const CStringA& command);
    void _ExPatternIndex(const CStringA& command);
    void _ExSI(const CStringA& command);
    void _ExDI(const CStringA& command);
    void _ExCI(const CStringA& command);
    void _ExAA(const CStringA& command);
    void _ExAR(const CStringA& command);
    void _ExLB(const CStringA& command, float labelScale);
    void _ExPG(const CStringA& command);
    // Runs PU, PD, PA or PR (code): the pen state or mode, then the pen through the pairs
    // of the command the analyzer returned last.
    void MovePen(int code);
    // Draws the arc about the centre by the sweep of the command's third number.
    void DrawArc(const CStringA& command, bool relative);
    // Draws to (x, y); pairsLeft counts this and the command's later pairs.
    void _PenLineTo(float x, float y, int32_t pairsLeft);
    // Adds the open shape when it has two points or more, else deletes it.
    void CloseCurrentShape();
    // Shrinks the shape, moves it by the page offset, computes its box, raises the maximum
    // extent and appends it to the working list.
    void _ExAddPlotShape(PlotShape* shape);
    // A marker shape of the file buffer.
    void AddMarker(short pen);
    // Counts points made against the budget of the file; false once it is passed.
    bool ChargePoints(int64_t points);
    // Counts the points of a circle or arc against the budget, as ChargePoints.
    bool ChargeCurvePoints(int64_t points);
    // Whole-file reading: refuses the file at once when the rest of it cannot stay within
    // the budget (PointsAheadAtLeast); asked once, after many curve points.
    void CountRestAgainstBudget();
    // Drops the open file's shapes, also those handed over already, and ends it.
    void RefuseFile();

    PlotFontLib* fontLib_ = nullptr;
    PlotShape* currentShape_ = nullptr;
    PlotShapeList workList_;
    float chordFactor_ = 1.0f;  // millimetres per chord
    int32_t inFile_ = 0;
    float maxX_ = 0.0f;  // plotter units
    float maxY_ = 0.0f;
    short pen_ = 1;
    float floatValue_ = 1.0f;
    unsigned char penDown_ = 0;
    int32_t relative_ = 0;
    short lineType_ = 1;
    float penX_ = 0.0f;  // plotter units
    float penY_ = 0.0f;
    float charWidthCm_ = 0.8f;
    float charHeightCm_ = 1.0f;
    float directionRun_ = 1.0f;
    float directionRise_ = 0.0f;
    float pageOffsetX_ = 0.0f;  // plotter units
    float pageOffsetY_ = 0.0f;
    int32_t patternIndex_ = 0;
    CCriticalSection lock_;
    CBinaryPolyLineList polyLineList1_;
    PlotShapeList fileBuffer_;
    int32_t newFilePending_ = 0;
    int32_t newFileGapMs_ = 2000;
    TickMs lastArrivalMs_ = 0;
    CBinaryPolyLineList polyLineList2_;
    PlotShapeList outList_;
    int32_t streamState_ = kLookingForFileStart;
    // The label scale of the streamed file, read from the settings when the file starts.
    float streamLabelScale_ = 1.0f;
    // Points made in this transform or streamed file.
    int64_t pointsMade_ = 0;
    // Points of circles and arcs among them, and whether the rest of the file was counted.
    int64_t curvePointsMade_ = 0;
    bool lookedAhead_ = false;
    std::atomic<bool> pointBudgetExceeded_{false};
    int32_t labelCount_ = 0;
};
