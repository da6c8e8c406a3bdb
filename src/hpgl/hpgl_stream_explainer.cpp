// HpglStreamExplainer: the whole-file conversion and the per-command handlers.
#include "hpgl/hpgl_stream_explainer.h"

#include "fonts/plot_char.h"
#include "fonts/plot_font_lib.h"
#include "hpgl/hpgl_geometry.h"
#include "plotmodel/load_point_budget.h"
#include "platform/settings_store.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

short ClampToShort(int32_t v)
{
    return static_cast<short>(std::clamp<int32_t>(v, std::numeric_limits<short>::min(), std::numeric_limits<short>::max()));
}

}  // namespace

PlotShape::PlotShape(HpglStreamExplainer* source) : PlotShape()
{
    if (!source) return;
    SetLineType(source->GetLineType());
    SetPenIndex(source->GetPen());
    SetFloatValue(source->GetFloatValue());
    SetPatternIndex(static_cast<unsigned>(source->GetPatternIndex()));
}

HpglStreamExplainer::HpglStreamExplainer() { Initialize(); }

HpglStreamExplainer::~HpglStreamExplainer()
{
    delete currentShape_;
    currentShape_ = nullptr;
    workList_.Clear();
}

void HpglStreamExplainer::Initialize()
{
    HpglAnalyzer::Initialize();
    fontLib_ = PlotFontLib::GetGlobalFontLib();
    chordFactor_ = 1.0f;
    currentShape_ = nullptr;
    inFile_ = 0;
    streamState_ = kLookingForFileStart;
    newFilePending_ = 0;
    newFileGapMs_ = 2000;
    lastArrivalMs_ = MonotonicMs();
    InitializeHPGLVariable();
}

void HpglStreamExplainer::InitializeHPGLVariable()
{
    labelTerminator_ = kDefaultLabelTerminator;
    floatValue_ = 1.0f;
    penX_ = 0.0f;
    penY_ = 0.0f;
    pen_ = 1;
    penDown_ = 0;
    lineType_ = 1;
    charWidthCm_ = 0.8f;
    charHeightCm_ = 1.0f;
    relative_ = 0;
    patternIndex_ = 0;
    directionRun_ = 1.0f;
    directionRise_ = 0.0f;
    maxX_ = 0.0f;
    maxY_ = 0.0f;
    pageOffsetX_ = 0.0f;
    pageOffsetY_ = 0.0f;
    pointsMade_ = 0;
    curvePointsMade_ = 0;
    lookedAhead_ = false;
}

float HpglStreamExplainer::ReadLabelScale()
{
    float scale = GetProfileFloat(u"AutoPrint Settings", u"TextScale", 1.0f);
    return std::isfinite(scale) ? scale : 1.0f;
}

void HpglStreamExplainer::Transform(PlotShapeList& out)
{
    const float labelScale = ReadLabelScale();
    InitializeHPGLVariable();
    pointBudgetExceeded_ = false;
    CStringA command;
    int labelLength = 0;
    // The pen commands are run from their numbers (GetPairValues), so their text is not built.
    const bool pairTextWanted = GetPairTextWanted();
    SetPairTextWanted(false);
    for (int code = GetFirstCode(command, labelLength); code != HPGL_END_OF_DATA;
         code = GetNextCode(command, labelLength)) {
        Execute(code, command, labelScale);
        if (!lookedAhead_ && curvePointsMade_ > hpgl_geometry::kCurvePointsBeforeLookAhead) CountRestAgainstBudget();
        ReleaseReadText();
        if (pointBudgetExceeded_) {
            // A few bytes of arcs or circles can ask for billions of points: such a file is
            // refused whole, so that nothing half-loaded is cut.
            delete currentShape_;
            currentShape_ = nullptr;
            workList_.Clear();
            SetPairTextWanted(pairTextWanted);
            LetGoOfLoadedText();
            return;
        }
    }
    SetPairTextWanted(pairTextWanted);
    // A loaded file is read once: its text goes while it is read, so that the load holds
    // little more than its shapes.
    LetGoOfLoadedText();
    CloseCurrentShape();
    out.Append(&workList_);
    out.CalArea(0);
}

void HpglStreamExplainer::Execute(int code, const CStringA& command, float labelScale)
{
    switch (code) {
    case HPGL_PU:
    case HPGL_PD:
    case HPGL_PA:
    case HPGL_PR: MovePen(code); break;
    case HPGL_SP: _ExSP(command); break;
    case HPGL_LT: _ExLT(command); break;
    case HPGL_LB: _ExLB(command, labelScale); break;
    case HPGL_SI: _ExSI(command); break;
    case HPGL_DI: _ExDI(command); break;
    case HPGL_AA: _ExAA(command); break;
    case HPGL_AR: _ExAR(command); break;
    case HPGL_CI: _ExCI(command); break;
    case HPGL_PG: _ExPG(command); break;
    case HPGL_PI: _ExPatternIndex(command); break;
    default: break;  // DT acts in the tokenizer; CP, SL, PW, IN and DF have no effect here
    }
}

bool HpglStreamExplainer::ChargePoints(int64_t points)
{
    pointsMade_ += points;
    if (pointsMade_ > kLoadPointBudget) pointBudgetExceeded_ = true;
    return pointsMade_ <= kLoadPointBudget;
}

bool HpglStreamExplainer::ChargeCurvePoints(int64_t points)
{
    curvePointsMade_ += points;
    return ChargePoints(points);
}

void HpglStreamExplainer::CountRestAgainstBudget()
{
    // Circles and arcs can ask for the whole budget in a few bytes; counting the rest of the
    // file costs a read of its text, so it is done once and only after many curve points.
    lookedAhead_ = true;
    if (pointBudgetExceeded_) return;
    const int64_t room = kLoadPointBudget - pointsMade_;
    const hpgl_geometry::PenState pen{penX_, penY_, penDown_, static_cast<unsigned char>(relative_ != 0)};
    if (hpgl_geometry::PointsAheadAtLeast(*this, pen, chordFactor_, 4, room) > room) pointBudgetExceeded_ = true;
}

void HpglStreamExplainer::MovePen(int code)
{
    hpgl_geometry::MovePen(code, *this, penDown_, relative_, penX_, penY_,
                           [this](float x, float y, int32_t pairsLeft) { _PenLineTo(x, y, pairsLeft); });
}

// Pens are 16-bit: a larger number is held at the largest pen, so that no pen number
// becomes negative and passes for a file marker.
void HpglStreamExplainer::_ExSP(const CStringA& command)
{
    if (command.GetLength() < 4) return;
    short pen = ClampToShort(hpgl_geometry::FirstInteger(command));
    if (pen == pen_) return;
    CloseCurrentShape();
    pen_ = pen;
}

void HpglStreamExplainer::_ExLT(const CStringA& command)
{
    short lineType = command.GetLength() < 4 ? short{1} : ClampToShort(hpgl_geometry::FirstInteger(command));
    if (lineType == lineType_) return;
    CloseCurrentShape();
    lineType_ = lineType;
}

void HpglStreamExplainer::_ExPatternIndex(const CStringA& command)
{
    if (command.GetLength() < 4) return;
    int32_t pattern = std::max(0, hpgl_geometry::FirstInteger(command));
    if (pattern == patternIndex_) return;
    CloseCurrentShape();
    patternIndex_ = pattern;
}

void HpglStreamExplainer::_ExSI(const CStringA& command)
{
    float width = 0, height = 0;
    if (GetLastPair(command, width, height)) {
        charWidthCm_ = width;
        charHeightCm_ = height;
    }
}

void HpglStreamExplainer::_ExDI(const CStringA& command)
{
    float run = 0, rise = 0;
    if (GetLastPair(command, run, rise)) {
        directionRun_ = run;
        directionRise_ = rise;
    }
}

void HpglStreamExplainer::_ExCI(const CStringA& command)
{
    const float radius = hpgl_geometry::FirstNumber(command);
    if (!(radius > 0.0f)) return;
    const int32_t a = hpgl_geometry::CircleSegmentsPerQuarter(radius, chordFactor_, 4);
    auto* circle = new PlotShape(this);
    if (!ChargeCurvePoints(4 * int64_t{a} + 1) || !hpgl_geometry::AddCirclePoints(*circle, penX_, penY_, radius, a)) {
        delete circle;
        return;
    }
    _ExAddPlotShape(circle);
}

void HpglStreamExplainer::_ExAA(const CStringA& command) { DrawArc(command, false); }

void HpglStreamExplainer::_ExAR(const CStringA& command) { DrawArc(command, true); }

void HpglStreamExplainer::DrawArc(const CStringA& command, bool relative)
{
    CArray<float, float> values;
    if (GetFloatParam(command, values) < 3) return;
    const float cx = relative ? penX_ + values[0] : values[0];
    const float cy = relative ? penY_ + values[1] : values[1];
    auto* arc = new PlotShape(this);
    float endX = penX_, endY = penY_;
    if (!hpgl_geometry::AddArcPoints(*arc, penX_, penY_, cx, cy, values[2], chordFactor_, endX, endY)) {
        delete arc;
        return;
    }
    penX_ = endX;
    penY_ = endY;
    if (!ChargeCurvePoints(arc->GetTolPtNum())) {
        delete arc;
        return;
    }
    _ExAddPlotShape(arc);
}

void HpglStreamExplainer::_ExLB(const CStringA& command, float labelScale)
{
    if (command.GetLength() < 3) return;
    if (command.GetLength() > 3) ++labelCount_;  // "LB", the text and its terminator
    if (!fontLib_) return;
    CStringA text = command.Mid(2, command.GetLength() - 3);
    // The glyphs are counted before they are laid out: a label past the budget makes nothing.
    if (!ChargePoints(fontLib_->PlotStringPointCount(text))) return;
    PlotChar glyphs;
    if (!hpgl_geometry::LayOutLabel(*fontLib_, text, directionRun_, directionRise_, charWidthCm_, charHeightCm_,
                                    labelScale, penX_, penY_, glyphs))
        return;
    auto* label = new PlotShape(this);
    label->Append(glyphs);
    if (label->GetPlNum() == 0) {
        delete label;
        return;
    }
    if (pageOffsetX_ != 0.0f) label->Move(pageOffsetX_, 0.0f);
    maxX_ = std::max(maxX_, static_cast<float>(label->GetArea().xmax));
    maxY_ = std::max(maxY_, static_cast<float>(label->GetArea().ymax));
    workList_.AddTail(label);
}

void HpglStreamExplainer::_ExPG(const CStringA&)
{
    CloseCurrentShape();
    pageOffsetX_ = maxX_;
    pageOffsetY_ = maxY_;
}

// Draws from the pen position to (x, y): one pen-down run becomes one shape, and a pen that
// was lifted and moved since the last point starts a new one.
void HpglStreamExplainer::_PenLineTo(float x, float y, int32_t pairsLeft)
{
    if (x == penX_ && y == penY_) return;
    CFloatPoint last;
    const bool continues = currentShape_ && currentShape_->GetLastPt(last) && last.x == penX_ && last.y == penY_;
    if (!ChargePoints(continues ? 1 : 2)) return;
    if (continues) {
        currentShape_->AddPointAtLastPl(x, y);
    } else {
        CloseCurrentShape();
        currentShape_ = new PlotShape(this);
        // Sized for the rest of the command's pairs, so that a run drawn by one command
        // needs neither growth nor a shrink copy.
        currentShape_->ReserveExactly(1, pairsLeft + 1);
        currentShape_->AddPoint(penX_, penY_, 1);
        currentShape_->AddPointAtLastPl(x, y);
    }
    penX_ = x;
    penY_ = y;
}

void HpglStreamExplainer::CloseCurrentShape()
{
    if (!currentShape_) return;
    if (currentShape_->GetTolPtNum() > 1)
        _ExAddPlotShape(currentShape_);
    else
        delete currentShape_;
    currentShape_ = nullptr;
}

void HpglStreamExplainer::_ExAddPlotShape(PlotShape* shape)
{
    shape->FreeUsedSpace();
    if (pageOffsetX_ != 0.0f) shape->Move(pageOffsetX_, 0.0f);
    const CArea box = shape->CalArea();
    maxX_ = std::max(maxX_, static_cast<float>(box.xmax));
    maxY_ = std::max(maxY_, static_cast<float>(box.ymax));
    workList_.AddTail(shape);
}
