// CPrintTask: loading a job's plot file into a cut list, and its PLT export.
#include "app/print_task.h"

#include "app/app_globals.h"
#include "app/contour_recognition.h"
#include "app/dxf_import.h"
#include "app/font_notice.h"
#include "app/string_table.h"
#include "hpgl/hpgl_stream_explainer.h"
#include "platform/message_box.h"
#include "plotmodel/dash_style.h"
#include "plotmodel/load_point_budget.h"
#include "plotmodel/plot_shape.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>

namespace {

constexpr int32_t kUnitsPerMm = 40;
// Corners sharper than 30 degrees break a patterned line before it is dashed.
constexpr float kDashBreakTangent = 0.57735026f;
// The dash pattern of patterned lines: gap, dash, unused, x and y scale.
const structDash kLineTypeDash{3.0f, 3.0f, 15.0f, 0.025f, 0.025f};

// An offset that moves coordinate c to 1, held within 32 bits.
int32_t OffsetToOne(int32_t c)
{
    int64_t d = int64_t{1} - c;
    return static_cast<int32_t>(std::clamp<int64_t>(d, INT32_MIN, INT32_MAX));
}

// Total points of every shape of the list.
int64_t PointCount(const PlotShapeList& list)
{
    int64_t n = 0;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) n += s->GetTolPtNum();
    return n;
}

// True when the dashes of the patterned shapes of list, broken at sharp corners as the load
// breaks them, make at most room points; counted without making them.
bool DashesFit(const PlotShapeList& list, int64_t room)
{
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) {
        if (s->GetLineType() <= 1) continue;
        PlotShapeList pieces;
        s->BreakAt(pieces, kDashBreakTangent);
        for (PlotShape* piece = pieces.HeadShape(); piece; piece = pieces.ShapeAfter(piece)) {
            room -= piece->DashPointCount(kLineTypeDash, room);
            if (room < 0) return false;
        }
    }
    return true;
}

// True when the path's last four characters are ".dxf", ignoring case.
bool IsDxfPath(const CString& p)
{
    return p.GetLength() >= 4 && p.Right(4).CompareNoCase(u".dxf") == 0;
}

// Why the file at p cannot be a job before it is read: kFileUnreadable when it is missing,
// not a regular file or cannot be opened, kFileEmpty when it holds no byte, else kNone.
DispatchRefusal FileRefusal(const CString& p)
{
    const std::string name = p.ToUtf8();
    struct stat info {};
    if (stat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return DispatchRefusal::kFileUnreadable;
    FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) return DispatchRefusal::kFileUnreadable;
    std::fclose(f);
    return info.st_size == 0 ? DispatchRefusal::kFileEmpty : DispatchRefusal::kNone;
}

}  // namespace

uint32_t NextJobRef()
{
    static std::atomic<uint32_t> counter{0};
    return ++counter;
}

CPrintTask::CPrintTask()
{
    Reset();
    ClearFileMarks();
}

CPrintTask::CPrintTask(const char16_t* p)
{
    Reset();
    path = p;
    ClearFileMarks();
}

CPrintTask::~CPrintTask()
{
    DeleteLists();
}

void CPrintTask::DeleteLists()
{
    delete jobList;
    delete previewList;
    jobList = previewList = nullptr;
    selection.RemoveAll();
}

void CPrintTask::Reset()
{
    path.Empty();
    widthMm = heightMm = runState = 0;
    progressPercent = 0.0;
    loaded = 0;
    listsSwapped = 0;
    DeleteLists();
    copies = 1;
    copiesDone = 0;
    checked = listed = reserved[0] = reserved[1] = 0;
    pageWidths.RemoveAll();
    machine = 0;
    jobRef = 0;
}

void CPrintTask::ClearFileMarks()
{
    hxFile = edFile = 0;
    resumeMark = 0.0;
    pageCount = pageIndex = 0;
}

int CPrintTask::LoadFromPath(const CString& p)
{
    Reset();
    path = p;
    if (!LoadPrintTaskFile()) {
        Reset();
        return 0;
    }
    return 1;
}

PlotShapeCutList* CPrintTask::NewJobList()
{
    // A list left by an earlier failed load is deleted, not overwritten.
    delete jobList;
    selection.RemoveAll();
    jobList = new PlotShapeCutList();
    return jobList;
}

int CPrintTask::PlaceAtOneOne(bool always)
{
    // A list whose shapes hold no point has no bounds to place: it counts as empty.
    if (PointCount(*jobList) == 0) return 0;
    CArea box = jobList->CalArea(1);
    if (always || box.xmin != 0 || box.ymin != 0) {
        jobList->Move(OffsetToOne(box.xmin), OffsetToOne(box.ymin));
        box = jobList->CalArea(1);
    }
    widthMm = box.Width() / kUnitsPerMm;
    heightMm = box.Height() / kUnitsPerMm;
    loaded = 1;
    jobRef = NextJobRef();
    return 1;
}

int CPrintTask::RefuseLoad(DispatchRefusal reason)
{
    loadRefusal = reason;
    return 0;
}

int CPrintTask::LoadPrintTaskFile()
{
    if (loaded) return 1;
    hxFile = edFile = 0;
    loadRefusal = DispatchRefusal::kNone;
    if (const DispatchRefusal unreadable = FileRefusal(path); unreadable != DispatchRefusal::kNone)
        return RefuseLoad(unreadable);
    if (IsDxfPath(path)) {
        PlotShapeCutList* list = NewJobList();
        DispatchRefusal why = DispatchRefusal::kNone;
        if (!ImportDxfDwgToShapes(path.GetString(), *list, &why)) return RefuseLoad(why);
        if (glRecogniseContourWhenFileOpen) RecogniseContourOnOpen(*list);
        return PlaceAtOneOne(true) ? 1 : RefuseLoad(DispatchRefusal::kNoShapes);
    }
    HpglStreamExplainer explainer;
    if (explainer.LoadHpglFile(path.GetString()) != HpglAnalyzer::kLoadOk)
        return RefuseLoad(DispatchRefusal::kFileUnreadable);
    explainer.Transform(*NewJobList());
    // A file making more points than one load may is refused whole: nothing of it is cut.
    if (explainer.PointBudgetExceeded()) return RefuseLoad(DispatchRefusal::kOverPointBudget);
    if (explainer.GetLabelCount() > 0) ReportMissingFontForLabels();
    if (FILE* f = std::fopen(path.ToUtf8().c_str(), "rb")) {
        char head[3];
        if (std::fread(head, 1, 3, f) == 3) {
            hxFile = head[0] == 'H' && head[1] == 'X' && head[2] == ';';
            edFile = head[0] == 'E' && head[1] == 'D' && head[2] == ';';
        }
        std::fclose(f);
    }
    if (!jobList->HeadShape()) return RefuseLoad(DispatchRefusal::kNoShapes);
    return FinishHpglLoad();
}

int CPrintTask::FinishHpglLoad()
{
    PlotShapeCutList& list = *jobList;
    if (hxFile) {
        for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) {
            int pen = s->GetPenIndex();
            if (pen >= 20 && pen <= 23)
                s->SetMauIndex(static_cast<unsigned char>(pen - 19));
            else if (pen >= 60 && pen <= 63)
                s->SetRecIndex(static_cast<unsigned char>(pen - 59));
            else if (pen < 1 || pen > 16)
                s->SetPenIndex(1);
        }
    } else if (glRecogniseContourWhenFileOpen) {
        RecogniseContourOnOpen(list);
    }
    // The dashes count against the budget too, before any of them is made.
    if (!DashesFit(list, kLoadPointBudget - PointCount(list))) return RefuseLoad(DispatchRefusal::kOverPointBudget);
    for (PlotShape* s = list.HeadShape(); s;) {
        PlotShape* next = list.ShapeAfter(s);
        int32_t count = 0;
        if (!s->GetPl(0, count)) {
            delete s;
        } else if (s->GetLineType() > 1) {
            PlotShapeList pieces;
            s->BreakAt(pieces, kDashBreakTangent);
            for (PlotShape* piece = pieces.HeadShape(); piece; piece = pieces.ShapeAfter(piece)) {
                OL_List dashes;
                piece->Dash(dashes, kLineTypeDash);
                while (OL_Object* o = dashes.GetHead()) {
                    auto* dash = static_cast<PlotShape*>(o);
                    dashes.GoOut(dash);
                    dash->CalArea();
                    dash->SetLineType(1);
                    // The dashes of a cut path stay cut paths: they keep its cut mode and
                    // recognition index, which the plain dashing does not copy.
                    dash->SetMauIndex(s->GetMauIndex());
                    dash->SetRecIndex(s->GetRecIndex());
                    list.InsertFront(dash, s);
                }
            }
            delete s;
        }
        s = next;
    }
    return PlaceAtOneOne(false) ? 1 : RefuseLoad(DispatchRefusal::kNoShapes);
}

int CPrintTask::ExportPlt(const CString& p) const
{
    CStringA text("HX;IN;");
    const PlotShapeCutList* shapes = listsSwapped ? previewList : jobList;
    int previous = -1;
    for (PlotShape* s = shapes ? shapes->HeadShape() : nullptr; s; s = shapes->ShapeAfter(s)) {
        int mau = s->GetMauIndex(), rec = s->GetRecIndex(), pen = s->GetPenIndex();
        int chosen = mau >= 1 && mau <= 4 ? 8 + mau : rec >= 1 && rec <= 4 ? 12 + rec : pen >= 1 && pen <= 8 ? pen : 1;
        if (chosen != previous) text.AppendFormat("SP%d", chosen);
        previous = chosen;
        s->ToPltString(text);
    }
    // A write or close that fails is a failed export, told to the operator like a file
    // that cannot be created.
    FILE* f = std::fopen(p.ToUtf8().c_str(), "wb");
    bool ok = f != nullptr;
    if (f) {
        ok = std::fwrite(text.GetString(), 1, static_cast<size_t>(text.GetLength()), f) == static_cast<size_t>(text.GetLength());
        ok = std::fclose(f) == 0 && ok;
    }
    if (!ok) {
        AfxMessageBox(LoadResString(StringId::kFileOpenError));
        return 0;
    }
    return 1;
}
