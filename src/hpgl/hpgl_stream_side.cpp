// The streamed side of HpglStreamExplainer: the producer of file-marked shapes and the consumer.
#include "hpgl/hpgl_stream_explainer.h"

#include "plotmodel/load_point_budget.h"
#include "plotmodel/sub_polylines.h"

#include <algorithm>
#include <cmath>

void HpglStreamExplainer::ExplainerForCOM(unsigned char* data, int n) { ExplainPiece(data, n, false); }

void HpglStreamExplainer::ExplainerForCOMCap(unsigned char* data, int n) { ExplainPiece(data, n, true); }

void HpglStreamExplainer::ExplainPiece(unsigned char* data, int n, bool capture)
{
    {
        CSingleLock guard(&lock_, TRUE);
        lastArrivalMs_ = MonotonicMs();
    }
    if (!AppendData(data, n)) {
        EndFile();
        return;
    }
    CStringA command;
    int labelLength = 0;
    int code = capture ? GetFirstCodeForCOMCap(command, labelLength) : GetFirstCodeForCOM(command, labelLength);
    while (lastParseResult_ != kParseIncomplete) {
        if (capture && code == HPGL_RUN_OF_01) {
            StartFile();
        } else if (capture && code == HPGL_RUN_OF_00) {
            EndFile();
        } else if (code == HPGL_IN) {
            if (!capture) {
                if (inFile_) EndFile();
                StartFile();
            }
        } else if (inFile_) {
            Execute(code, command, capture ? 1.0f : streamLabelScale_);
            if (pointsMade_ > kLoadPointBudget) RefuseFile();
        }
        code = capture ? GetNextCodeForCOMCap(command, labelLength) : GetNextCodeForCOM(command, labelLength);
    }
    HandOver();
    MoveTailToFront();
}

void HpglStreamExplainer::StartFile()
{
    if (inFile_) return;
    InitializeHPGLVariable();
    delete currentShape_;
    currentShape_ = nullptr;
    streamLabelScale_ = ReadLabelScale();
    inFile_ = 1;
    AddMarker(PenIndexFileMarkers::kStartOfFile);
}

// The end marker goes to the file buffer at once with the file's last shapes, also when the
// open shape is too short to keep: a file ended from outside a piece (EndFile called by the
// owner) is then complete for the consumer without waiting for more data.
void HpglStreamExplainer::EndFile()
{
    inFile_ = 0;
    CloseCurrentShape();
    AddMarker(PenIndexFileMarkers::kEndOfFile);
    HandOver();
    FreeUnusedMem();
}

namespace {

// Deletes the shapes after the last start marker of list (all of them when it has none);
// true when a start marker was found.
bool DropShapesAfterStartMarker(PlotShapeList& list)
{
    while (auto* shape = static_cast<PlotShape*>(list.GetTail())) {
        if (shape->GetPenIndex() == PenIndexFileMarkers::kStartOfFile) return true;
        delete shape;
    }
    return false;
}

}  // namespace

void HpglStreamExplainer::RefuseFile()
{
    delete currentShape_;
    currentShape_ = nullptr;
    // The file's shapes follow its start marker, in the working list or, handed over
    // already, in the file buffer; when the consumer has taken that marker, everything still
    // in the buffer is of this file.
    if (!DropShapesAfterStartMarker(workList_)) {
        CSingleLock guard(&lock_, TRUE);
        DropShapesAfterStartMarker(fileBuffer_);
    }
    EndFile();
}

void HpglStreamExplainer::EndPD()
{
    if (currentShape_ && currentShape_->GetTolPtNum() > 1) {
        _ExAddPlotShape(currentShape_);
        currentShape_ = nullptr;
    }
    HandOver();
}

void HpglStreamExplainer::AddMarker(short pen)
{
    auto* marker = new PlotShape;
    marker->SetPenIndex(pen);
    workList_.AddTail(marker);
}

void HpglStreamExplainer::HandOver()
{
    CSingleLock guard(&lock_, TRUE);
    fileBuffer_.Append(&workList_);
}

int HpglStreamExplainer::OutGetData()
{
    CSingleLock guard(&lock_, TRUE);
    if (streamState_ == kLookingForFileStart) {
        while (auto* shape = fileBuffer_.HeadShape()) {
            bool start = shape->GetPenIndex() == PenIndexFileMarkers::kStartOfFile;
            delete shape;
            if (start) {
                streamState_ = kInsideFile;
                break;
            }
        }
    }
    if (streamState_ != kInsideFile) return 0;
    while (auto* shape = fileBuffer_.HeadShape()) {
        if (shape->GetPenIndex() == PenIndexFileMarkers::kEndOfFile) {
            delete shape;
            streamState_ = kFileComplete;
            break;
        }
        fileBuffer_.GoOut(shape);
        outList_.AddTail(shape);
    }
    return 1;
}

int HpglStreamExplainer::OutGetState() { return streamState_; }

int HpglStreamExplainer::OutStartNewFile()
{
    streamState_ = kLookingForFileStart;
    pointBudgetExceeded_ = false;
    return 1;
}

TickMs HpglStreamExplainer::OutGetLastDataArriveTime()
{
    CSingleLock guard(&lock_, TRUE);
    return lastArrivalMs_;
}

double HpglStreamExplainer::OutDataLen()
{
    double units = 0.0;
    double lastX = 0.0, lastY = 0.0;
    for (PlotShape* shape = outList_.HeadShape(); shape; shape = outList_.ShapeAfter(shape)) {
        ForEachSubPolyline(*shape, [&](const SubPolyline& pl) {
            if (pl.count < 2) return false;
            const float* p = pl.xy;
            const int32_t count = pl.count;
            units += std::fabs(p[0] - lastX) + std::fabs(p[1] - lastY);
            for (int32_t i = 1; i < count; ++i)
                units += std::max(std::fabs(double{p[2 * i]} - p[2 * i - 2]), std::fabs(double{p[2 * i + 1]} - p[2 * i - 1]));
            lastX = p[2 * count - 2];
            lastY = p[2 * count - 1];
            return false;
        });
    }
    return units / 40.0;
}

void HpglStreamExplainer::Out(PlotShapeList& list) { list.Append(&outList_); }

void HpglStreamExplainer::Out(CBinaryPolyLineList& list)
{
    while (OL_Object* line = polyLineList2_.GetHead()) {
        polyLineList2_.GoOut(line);
        if (!list.AddTail(line)) delete line;
    }
}

int HpglStreamExplainer::InCheckIfNewFile()
{
    CSingleLock guard(&lock_, TRUE);
    if (newFilePending_ && MonotonicMs() - lastArrivalMs_ < newFileGapMs_) {
        lastArrivalMs_ = MonotonicMs();
        return 0;
    }
    newFilePending_ = 0;
    return 1;
}
