// HpglExplainer: the second converter of HPGL commands into shapes.
#include "hpgl/hpgl_explainer.h"

#include "fonts/plot_char.h"
#include "fonts/plot_font_lib.h"
#include "hpgl/hpgl_geometry.h"
#include "plotmodel/load_point_budget.h"

#include <algorithm>
#include <limits>

PlotShape::PlotShape(HpglExplainer* source) : PlotShape()
{
    if (!source) return;
    SetLineType(source->GetLineType());
    SetPenIndex(source->GetPen());
    SetFloatValue(source->GetFloatValue());
}

HpglExplainer::HpglExplainer(HpglAnalyzer& analyzer) : analyzer_(&analyzer) { Initialize(); }

HpglExplainer::HpglExplainer(const HpglExplainer& other) : analyzer_(other.analyzer_)
{
    Initialize();
    *this = other;
}

HpglExplainer& HpglExplainer::operator=(const HpglExplainer& other)
{
    if (this == &other) return *this;
    Destroy();
    fontLib_ = other.fontLib_;
    analyzer_ = other.analyzer_;
    // The copy owns copies of the open shape and the finished ones, so that neither
    // explainer deletes the other's shapes.
    currentShape_ = other.currentShape_ ? other.currentShape_->NewCopy() : nullptr;
    workList_ = other.workList_;
    chordFactor_ = other.chordFactor_;
    pen_ = other.pen_;
    floatValue_ = other.floatValue_;
    penDown_ = other.penDown_;
    lineType_ = other.lineType_;
    relative_ = other.relative_;
    penX_ = other.penX_;
    penY_ = other.penY_;
    charWidthCm_ = other.charWidthCm_;
    charHeightCm_ = other.charHeightCm_;
    directionRun_ = other.directionRun_;
    directionRise_ = other.directionRise_;
    pointsMade_ = other.pointsMade_;
    curvePointsMade_ = other.curvePointsMade_;
    lookedAhead_ = other.lookedAhead_;
    pointBudgetExceeded_ = other.pointBudgetExceeded_;
    return *this;
}

HpglExplainer::~HpglExplainer() { Destroy(); }

void HpglExplainer::Initialize()
{
    fontLib_ = PlotFontLib::GetGlobalFontLib();
    pen_ = 1;
    lineType_ = 0;
    floatValue_ = 1.0f;
    penDown_ = 0;
    relative_ = 0;
    penX_ = 0.0f;
    penY_ = 0.0f;
    chordFactor_ = 2.0f;
    charWidthCm_ = 0.8f;
    charHeightCm_ = 1.0f;
    directionRun_ = 1.0f;
    directionRise_ = 0.0f;
    currentShape_ = nullptr;
    workList_.Clear();
    pointsMade_ = 0;
    curvePointsMade_ = 0;
    lookedAhead_ = false;
    pointBudgetExceeded_ = false;
}

void HpglExplainer::Destroy()
{
    delete currentShape_;
    currentShape_ = nullptr;
    workList_.Clear();
    Initialize();
}

void HpglExplainer::Transform(PlotShapeList& out)
{
    Destroy();
    if (!analyzer_) return;
    CStringA command;
    int labelLength = 0;
    // The pen commands are run from their numbers (GetPairValues), so their text is not built.
    const bool pairTextWanted = analyzer_->GetPairTextWanted();
    analyzer_->SetPairTextWanted(false);
    for (int code = analyzer_->GetFirstCode(command, labelLength); code != HPGL_END_OF_DATA;
         code = analyzer_->GetNextCode(command, labelLength)) {
        switch (code) {
        case HPGL_PU:
        case HPGL_PD:
        case HPGL_PA:
        case HPGL_PR: MovePen(code); break;
        case HPGL_SP: _ExSP(command); break;
        case HPGL_LB: _ExLB(command); break;
        case HPGL_SI: _ExSI(command); break;
        case HPGL_DI: _ExDI(command); break;
        case HPGL_AA: _ExAA(command); break;
        case HPGL_AR: _ExAR(command); break;
        case HPGL_CI: _ExCI(command); break;
        default: break;  // LT, PI, PG, IN and the others have no effect here
        }
        if (!lookedAhead_ && curvePointsMade_ > hpgl_geometry::kCurvePointsBeforeLookAhead) CountRestAgainstBudget();
        if (pointBudgetExceeded_) {
            // A few bytes of arcs or circles can ask for billions of points: such a file is
            // refused whole, so that nothing half-loaded is cut.
            Destroy();
            pointBudgetExceeded_ = true;
            analyzer_->SetPairTextWanted(pairTextWanted);
            return;
        }
    }
    analyzer_->SetPairTextWanted(pairTextWanted);
    if (currentShape_ && currentShape_->GetTolPtNum() > 1)
        AddShape(currentShape_, true);
    else
        delete currentShape_;
    currentShape_ = nullptr;
    out.Append(&workList_);
    out.CalArea(0);
}

void HpglExplainer::AddShape(PlotShape* shape, bool shrink)
{
    shape->CalArea();
    if (shrink) shape->FreeUsedSpace();
    workList_.AddTail(shape);
}

bool HpglExplainer::ChargePoints(int64_t points)
{
    pointsMade_ += points;
    if (pointsMade_ > kLoadPointBudget) pointBudgetExceeded_ = true;
    return !pointBudgetExceeded_;
}

bool HpglExplainer::ChargeCurvePoints(int64_t points)
{
    curvePointsMade_ += points;
    return ChargePoints(points);
}

void HpglExplainer::CountRestAgainstBudget()
{
    // Circles and arcs can ask for the whole budget in a few bytes; counting the rest of the
    // file costs a read of its text, so it is done once and only after many curve points.
    lookedAhead_ = true;
    if (pointBudgetExceeded_) return;
    const int64_t room = kLoadPointBudget - pointsMade_;
    const hpgl_geometry::PenState pen{penX_, penY_, penDown_, relative_};
    if (hpgl_geometry::PointsAheadAtLeast(*analyzer_, pen, chordFactor_, 1, room) > room) pointBudgetExceeded_ = true;
}

void HpglExplainer::MovePen(int code)
{
    hpgl_geometry::MovePen(code, *analyzer_, penDown_, relative_, penX_, penY_,
                           [this](float x, float y, int32_t pairsLeft) { _PenLineTo(x, y, pairsLeft); });
}

void HpglExplainer::_ExSP(const CStringA& command)
{
    if (command.GetLength() < 4) return;
    // Held within the 16-bit pen field, as in the stream explainer.
    auto pen = static_cast<short>(std::min<int32_t>(hpgl_geometry::FirstInteger(command), std::numeric_limits<short>::max()));
    if (pen == pen_) return;
    _EndPD();
    pen_ = pen;
}

// Appends the open shape when it has two points or more. Its box is computed here too: the
// list's box is merged from the shapes' boxes, and a shape without one would pull the
// list's box to the origin.
void HpglExplainer::_EndPD()
{
    if (!currentShape_) return;
    if (currentShape_->GetTolPtNum() > 1)
        AddShape(currentShape_, false);
    else
        delete currentShape_;
    currentShape_ = nullptr;
}

void HpglExplainer::_ExSI(const CStringA& command)
{
    float width = 0, height = 0;
    if (HpglAnalyzer::GetLastPair(command, width, height)) {
        charWidthCm_ = width;
        charHeightCm_ = height;
    }
}

void HpglExplainer::_ExDI(const CStringA& command)
{
    float run = 0, rise = 0;
    if (HpglAnalyzer::GetLastPair(command, run, rise)) {
        directionRun_ = run;
        directionRise_ = rise;
    }
}

void HpglExplainer::_ExCI(const CStringA& command)
{
    const float radius = hpgl_geometry::FirstNumber(command);
    if (!(radius > 0.0f)) return;
    const int32_t a = hpgl_geometry::CircleSegmentsPerQuarter(radius, chordFactor_, 1);
    auto* circle = new PlotShape(this);
    if (!ChargeCurvePoints(4 * int64_t{a} + 1) || !hpgl_geometry::AddCirclePoints(*circle, penX_, penY_, radius, a)) {
        delete circle;
        return;
    }
    AddShape(circle, false);
}

void HpglExplainer::_ExAA(const CStringA& command) { DrawArc(command, false); }

void HpglExplainer::_ExAR(const CStringA& command) { DrawArc(command, true); }

void HpglExplainer::DrawArc(const CStringA& command, bool relative)
{
    CArray<float, float> values;
    if (HpglAnalyzer::GetFloatParam(command, values) < 3) return;
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
    AddShape(arc, false);
}

void HpglExplainer::_ExLB(const CStringA& command)
{
    if (command.GetLength() < 3 || !fontLib_) return;
    CStringA text = command.Mid(2, command.GetLength() - 3);
    // The label's shape is appended even when it is empty, also when the font cannot size
    // the text (it then gets no glyphs); its box is the empty one, so the list's box is
    // not pulled towards the origin.
    // The glyphs are counted before they are laid out: a label past the budget makes nothing.
    if (!ChargePoints(fontLib_->PlotStringPointCount(text))) return;
    PlotChar glyphs;
    hpgl_geometry::LayOutLabel(*fontLib_, text, directionRun_, directionRise_, charWidthCm_, charHeightCm_, 1.0f, penX_,
                               penY_, glyphs);
    auto* label = new PlotShape(this);
    label->Append(glyphs);
    workList_.AddTail(label);
}

void HpglExplainer::_PenLineTo(float x, float y, int32_t pairsLeft)
{
    if (x == penX_ && y == penY_) return;
    CFloatPoint last;
    const bool continues = currentShape_ && currentShape_->GetLastPt(last) && last.x == penX_ && last.y == penY_;
    if (!ChargePoints(continues ? 1 : 2)) return;
    if (continues) {
        currentShape_->AddPointAtLastPl(x, y);
    } else {
        // The pen was lifted and moved since the last point: the open shape is finished.
        if (currentShape_ && currentShape_->GetTolPtNum() > 1)
            AddShape(currentShape_, true);
        else
            delete currentShape_;
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
