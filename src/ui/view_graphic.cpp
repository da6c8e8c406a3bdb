// The preview view: painting through the picture, the tools' mouse and key handling, the
// view's commands, and the pane that holds it.
#include "ui/view_graphic.h"

#include "app/doc_corvane.h"
#include "app/list_lines.h"
#include "app/list_rows.h"
#include "app/print_task.h"
#include "platform/cdc_painter.h"
#include "plotmodel/intersection.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "preprocess/plot_loop.h"
#include "ui/preview_paint.h"
#include "ui/view_dialogs.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <array>

namespace {

// Zoom factors of the zoom tools and the wheel.
constexpr double kZoomInFactor = 1.6666666;
constexpr double kZoomOutFactor = 0.6;
constexpr double kWheelForwardFactor = 1.25;
constexpr double kWheelBackFactor = 0.8;

constexpr char16_t kEscape = 27;

// Colours of mau index 1 to 5 for the hover highlight, and of a hovered shape already selected.
constexpr std::array<COLORREF, 5> kRoleColours{RGB(255, 0, 0), RGB(0, 0, 0), RGB(255, 255, 0), RGB(0, 0, 255),
                                               RGB(0, 255, 0)};
constexpr COLORREF kSelectedHoverColour = RGB(0, 0, 255);
constexpr COLORREF kEraseColour = RGB(255, 255, 255);
constexpr COLORREF kRedrawColour = RGB(0, 0, 0);
constexpr COLORREF kRulerColour = RGB(0, 255, 0);
constexpr COLORREF kProgressColour = RGB(255, 0, 0);

// The commands the view answers for.
constexpr std::array<int, 14> kViewCommands{ID_PREVIEW_ZOOM_IN, ID_PREVIEW_ZOOM_RECT, ID_PREVIEW_FIT,
                                            ID_PREVIEW_PAN,     ID_PREVIEW_ZOOM_OUT,  ID_PREVIEW_SWAP,
                                            ID_SET_INNER_KNIFE, ID_SET_PEN,           ID_SET_HALF_KNIFE,
                                            ID_SET_OUTER_KNIFE, ID_MOVE_SELECTION,    ID_EDIT_PEN_INDEX,
                                            ID_BATCH_PEN,       ID_RECOGNISE_CONTOURS};

// The selection modes pick shapes with the left button; 11 does when its move is not armed.
bool IsPickingMode(int mode) { return mode >= 4 && mode <= 10; }

Qt::CursorShape CursorOfMode(int mode)
{
    switch (CursorResourceOfMode(mode)) {
    case 135: return Qt::OpenHandCursor;
    case 138: return Qt::PointingHandCursor;
    case 137: return Qt::UpArrowCursor;
    case 141: return Qt::CrossCursor;
    default: return Qt::ArrowCursor;
    }
}

bool Contains(const CArray<PlotShape*>& shapes, const PlotShape* shape)
{
    return std::find(shapes.begin(), shapes.end(), shape) != shapes.end();
}

CPoint ToCPoint(QPoint p) { return CPoint(p.x(), p.y()); }
PreviewPoint ToPreviewPoint(QPoint p) { return {static_cast<double>(p.x()), static_cast<double>(p.y())}; }

}  // namespace

CViewGraphic::CViewGraphic(CDocCorvane& doc, QWidget* parent) : QWidget(parent), doc_(doc)
{
    setObjectName(QString::fromLatin1(kObjectName));
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(CursorOfMode(mode_));
    ResetPicking();
}

CViewGraphic::~CViewGraphic()
{
    if (doc_.GetPreview() == this) doc_.SetPreview(nullptr);
}

// ---- the shown job ----

CViewGraphic::ShownJobKey CViewGraphic::KeyOfShownJob() const
{
    return shown_ != nullptr ? ShownJobKey{shown_->jobRef, shown_->GetCutList()} : ShownJobKey{};
}

CPrintTask* CViewGraphic::ShownJobOf(const ShownJobKey& key) const
{
    // Menus and dialogs run a nested loop in which a client's delete, a reload or a dispatch
    // can take the job or its list away: work goes on only with the same job and list.
    if (key.jobRef == 0 || shown_ == nullptr) return nullptr;
    CPrintTask* job = doc_.FindJobByReference(key.jobRef);
    return job == shown_ && job->GetCutList() == key.list ? job : nullptr;
}

PlotShapeCutList* CViewGraphic::ShownList() const { return shown_ != nullptr ? shown_->GetCutList() : nullptr; }

PlotShapeCutList* CViewGraphic::EditableList() const
{
    return shown_ != nullptr && shown_->IsTaskLoaded() && !shown_->listsSwapped ? shown_->GetCutList() : nullptr;
}

double CViewGraphic::BoxHeight() const
{
    const PlotShapeCutList* list = ShownList();
    return list != nullptr ? list->GetArea().Height() : 0.0;
}

void CViewGraphic::ShowJob(CPrintTask* job)
{
    if (job != shown_) {
        shown_ = job;
        SetMode(kModePan);
        dragging_ = false;
        fitPending_ = job != nullptr;
        FitMapping();
        ResetPicking();
    }
    Invalidate();
}

void CViewGraphic::ClearShownJob()
{
    shown_ = nullptr;
    dragging_ = false;
    moveArmed_ = false;
    fitPending_ = false;
    ResetPicking();
}

void CViewGraphic::Invalidate()
{
    pictureStale_ = true;
    update();
}

bool CViewGraphic::FitMapping()
{
    const PlotShapeCutList* list = ShownList();
    if (list == nullptr || !shown_->IsTaskLoaded()) return false;
    // A window without a size yet keeps the fit pending for its first paint.
    if (!::FitJobToView(mapping_, list->GetArea(), width(), height())) return false;
    fitPending_ = false;
    ResetPicking();
    return true;
}

void CViewGraphic::FitJobToView()
{
    FitMapping();
    Invalidate();
}

void CViewGraphic::ToggleRuler()
{
    ruler_ = !ruler_;
    Invalidate();
}

void CViewGraphic::SetMapping(const PreviewMapping& mapping)
{
    mapping_ = mapping;
    ResetPicking();
    Invalidate();
}

void CViewGraphic::ResetPicking()
{
    picking_.Initialize(mapping_.originXPx, mapping_.originYPx, mapping_.scalePxPerUnit,
                        static_cast<int32_t>(BoxHeight()), this);
}

void CViewGraphic::SetMode(int mode)
{
    mode_ = mode;
    moveArmed_ = false;
    setCursor(CursorOfMode(mode));
}

// ---- painting ----

structRender CViewGraphic::RenderContextOn(CDC& dc) const
{
    structRender r;
    r.dc = &dc;
    r.offsetX = mapping_.originXPx;
    r.offsetY = mapping_.originYPx;
    r.scale = mapping_.scalePxPerUnit;
    r.originY = static_cast<int32_t>(BoxHeight());
    return r;
}

void CViewGraphic::OnDraw(CDC& dc) const
{
    PlotShapeCutList* list = ShownList();
    if (list == nullptr) return;
    static const PenModeSettings defaults = CDocCorvane::DefaultPenToolSettings();
    PreviewPicture picture;
    picture.shownList = list;
    picture.mapping = mapping_;
    std::copy_n(defaults.penColor, kPreviewPenCount, picture.penColours.begin());
    picture.swapped = shown_->listsSwapped != 0;
    picture.progressPercent = shown_->progressPercent;
    picture.selection = &shown_->selection;
    picture.ruler = ruler_;
    picture.clientWidth = width();
    PaintPreview(dc, picture);
}

void CViewGraphic::UpdatePicture()
{
    if (picture_.size() != size()) {
        picture_ = QImage(size(), QImage::Format_RGB32);
        pictureStale_ = true;
    }
    if (fitPending_ && FitMapping()) pictureStale_ = true;
    if (!pictureStale_) return;
    pictureStale_ = false;
    bandShown_ = false;
    if (picture_.isNull()) return;
    picture_.fill(Qt::white);
    QPainter painter(&picture_);
    CPainterDC dc(&painter);
    OnDraw(dc);
}

void CViewGraphic::DrawOnPicture(const std::function<void(CDC&)>& draw)
{
    UpdatePicture();
    if (picture_.isNull()) return;
    {
        QPainter painter(&picture_);
        CPainterDC dc(&painter);
        draw(dc);
    }
    update();
}

void CViewGraphic::InvertRubberBand(const QRect& band)
{
    if (picture_.isNull()) return;
    {
        QPainter painter(&picture_);
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.setPen(QPen(Qt::black, 0));
        painter.setBrush(Qt::NoBrush);
        // The outline runs through both dragged corners.
        painter.drawRect(band.adjusted(0, 0, -1, -1));
    }
    update();
}

void CViewGraphic::paintEvent(QPaintEvent*)
{
    UpdatePicture();
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

void CViewGraphic::DrawCutProgress(double oldPercent, double newPercent)
{
    const PlotShapeCutList* list = ShownList();
    if (list == nullptr || !shown_->listsSwapped) return;
    DrawOnPicture([&](CDC& dc) {
        // The line is erased and redrawn with the drawing's own mapping, so the erase meets
        // the line the last paint drew whatever the box's lower edge is.
        const CArea& box = list->GetArea();
        const CPoint previousOrg = dc.SetWindowOrg(PreviewWindowOrg(mapping_));
        PaintProgressLine(dc, mapping_.scalePxPerUnit, box, oldPercent, kEraseColour);
        structRender r = RenderContextOn(dc);
        CPen black(PS_SOLID, 1, kRedrawColour);
        CPen* previousPen = dc.SelectObject(&black);
        const double crossed = oldPercent * box.xmax / 100.0;
        for (PlotShape* s = list->HeadShape(); s; s = list->ShapeAfter(s))
            if (s->GetArea().xmin <= crossed && crossed <= s->GetArea().xmax) s->Render(r);
        if (ruler_) {
            CPen green(PS_SOLID, 1, kRulerColour);
            dc.SelectObject(&green);
            PaintPreviewRuler(dc, mapping_, box, width());
            dc.SelectObject(&black);
        }
        dc.SelectObject(previousPen);
        PaintProgressLine(dc, mapping_.scalePxPerUnit, box, newPercent, kProgressColour);
        dc.SetWindowOrg(previousOrg);
    });
}

// ---- mouse and keys ----

void CViewGraphic::ZoomAtPoint(double factor, QPoint point)
{
    if (!::ZoomAt(mapping_, factor, BoxHeight(), ToPreviewPoint(point))) return;
    ResetPicking();
    Invalidate();
}

void CViewGraphic::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (shown_ == nullptr) return;
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        if (!shown_->IsTaskLoaded()) return;
        dragStart_ = dragCurrent_ = point;
        dragging_ = true;
    } else if (event->button() == Qt::RightButton) {
        OnRightButtonDown();
    }
}

void CViewGraphic::mouseMoveEvent(QMouseEvent* event)
{
    if (shown_ == nullptr) return;
    if (!(event->buttons() & Qt::LeftButton)) {
        // The release went elsewhere: the drag ends and its band goes with the next paint.
        if (bandShown_) Invalidate();
        dragging_ = false;
        return;
    }
    if (!dragging_) return;
    const QPoint point = event->position().toPoint();
    if (mode_ == kModeMoveSelection && moveArmed_) {
        MoveSelection(dragCurrent_, point);
    } else if ((mode_ >= kModeZoomRect && mode_ <= 10) || mode_ == kModeMoveSelection) {
        UpdatePicture();
        if (bandShown_) InvertRubberBand(band_);
        band_ = QRect(dragStart_, point).normalized();
        InvertRubberBand(band_);
        bandShown_ = true;
    }
    dragCurrent_ = point;
}

void CViewGraphic::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || shown_ == nullptr || !dragging_) return;
    dragging_ = false;
    OnLeftButtonUp(event->position().toPoint());
}

void CViewGraphic::OnLeftButtonUp(QPoint point)
{
    dragCurrent_ = point;
    // The band leaves with the next full paint.
    if (bandShown_) Invalidate();
    const bool moved = point != dragStart_;
    switch (mode_) {
    case kModePan:
        if (moved) {
            mapping_.originXPx += point.x() - dragStart_.x();
            mapping_.originYPx += point.y() - dragStart_.y();
            ResetPicking();
            Invalidate();
        }
        break;
    case kModeZoomIn: ZoomAtPoint(kZoomInFactor, point); break;
    case kModeZoomOut: ZoomAtPoint(kZoomOutFactor, point); break;
    case kModeZoomRect:
        if (moved && ZoomToRectangle(mapping_, ToPreviewPoint(dragStart_), ToPreviewPoint(point), width(), height())) {
            ResetPicking();
            Invalidate();
        }
        break;
    default:
        if (IsPickingMode(mode_) || (mode_ == kModeMoveSelection && !moveArmed_)) SelectAt(dragStart_, point);
        break;
    }
}

void CViewGraphic::SelectAt(QPoint start, QPoint end)
{
    // Shapes are picked from the loaded list only: the prepared list shown while swapped is
    // replaced by the next dispatch, which would leave the selection pointing at freed shapes.
    PlotShapeCutList* list = EditableList();
    if (list == nullptr) return;
    CPrintTask* job = shown_;
    ResetPicking();
    if (start != end) {
        picking_.BoxSelection(ToCPoint(start), ToCPoint(end), *list);
        for (PlotShape* s : picking_.Hits())
            if (!Contains(job->selection, s)) job->selection.Add(s);
    } else {
        const ShownJobKey key = KeyOfShownJob();
        menuKey_ = key;
        picking_.PointSelection(ToCPoint(end), *list);
        menuKey_ = ShownJobKey{};
        if (ShownJobOf(key) != job) return;
        if (PlotShape* chosen = picking_.GetSelShape()) {
            const auto at = std::find(job->selection.begin(), job->selection.end(), chosen);
            if (at != job->selection.end())
                job->selection.RemoveAt(static_cast<int32_t>(at - job->selection.begin()));
            else
                job->selection.Add(chosen);
        }
    }
    Invalidate();
}

void CViewGraphic::MoveSelection(QPoint from, QPoint to)
{
    const double s = mapping_.scalePxPerUnit;
    const auto dx = static_cast<float>((to.x() - from.x()) / s);
    const auto dy = static_cast<float>(-(to.y() - from.y()) / s);
    // Move shifts a shape's bounds by whole units only; steps below a unit would leave the
    // bounds behind the points and picking would miss the shape, so they are recomputed.
    for (PlotShape* shape : shown_->selection) {
        shape->Move(dx, dy);
        shape->CalArea();
    }
    ResetPicking();
    Invalidate();
}

void CViewGraphic::OnRightButtonDown()
{
    switch (mode_) {
    case 4: SetSelectionMau(1); break;
    case 5: SetSelectionMau(2); break;
    case 6: EditSelectionPen(); break;
    case 7: SetSelectionMau(4); break;
    case kModeMoveSelection:
        if (shown_->selection.IsEmpty()) {
            moveArmed_ = false;
        } else {
            moveArmed_ = !moveArmed_;
            if (!moveArmed_) Invalidate();
        }
        break;
    default: SetMode(SwitchPlainMode(mode_)); break;
    }
}

void CViewGraphic::SetSelectionMau(unsigned char mau)
{
    if (shown_->selection.IsEmpty()) return;
    for (PlotShape* s : shown_->selection) s->SetMauIndex(mau);
    Invalidate();
}

NET_Machine* CViewGraphic::DialogMachine() const
{
    const MachineListRows* rows = doc_.GetMachineRows();
    if (rows == nullptr) return nullptr;
    NET_Machine* selected = rows->GetSelectedItemData();
    return selected != nullptr ? selected : rows->GetCheckedMachine();
}

void CViewGraphic::EditSelectionPen()
{
    if (shown_->selection.IsEmpty()) return;
    const ShownJobKey key = KeyOfShownJob();
    const int preset = shown_->selection[0]->GetPenIndex();
    const std::optional<int> sp = GetViewDialogs().AskCurveSpIndex(preset, DialogMachine());
    CPrintTask* job = ShownJobOf(key);
    if (job == nullptr || !sp) return;
    for (PlotShape* s : job->selection) s->SetPenIndex(*sp);
    Invalidate();
}

void CViewGraphic::DeleteSelection()
{
    for (PlotShape* s : shown_->selection) {
        s->GoOut();
        delete s;
    }
    shown_->selection.RemoveAll();
    moveArmed_ = false;
    ResetPicking();
    Invalidate();
}

void CViewGraphic::keyPressEvent(QKeyEvent* event)
{
    if (shown_ == nullptr) return QWidget::keyPressEvent(event);
    if (event->key() == Qt::Key_Delete) {
        if (mode_ == kModeMoveSelection) DeleteSelection();
        return;
    }
    if (event->key() == Qt::Key_Escape) return OnCharacter(kEscape);
    const QString text = event->text();
    if (text.isEmpty()) return QWidget::keyPressEvent(event);
    OnCharacter(text.at(0).unicode());
}

void CViewGraphic::OnCharacter(char16_t c)
{
    if (c == kEscape && !shown_->selection.IsEmpty()) {
        shown_->selection.RemoveAll();
        Invalidate();
        return;
    }
    if ((c == u'R' || c == u'r') && EditableList() != nullptr) RotateShownJob();
    SetMode(SwitchPlainMode(mode_));
}

void CViewGraphic::RefreshShownRow(int column)
{
    JobListRows* rows = doc_.GetJobRows();
    const int row = rows != nullptr ? rows->FindJobRow(shown_) : -1;
    if (row < 0) return;
    rows->FormatJobRow(row, column);
    doc_.SendJobLine(kLineUpdated, row);
}

void CViewGraphic::RotateShownJob()
{
    PlotShapeCutList* list = EditableList();
    const CArea box = list->GetArea();
    list->Rotate(1, box);
    const CArea turned = list->CalArea(1);
    shown_->widthMm = turned.Width() / 40;
    shown_->heightMm = turned.Height() / 40;
    RefreshShownRow(JobColumn::kSize);
    FitJobToView();
}

void CViewGraphic::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y();
    if (shown_ == nullptr || steps == 0) return;
    ZoomAtPoint(steps > 0 ? kWheelForwardFactor : kWheelBackFactor, event->position().toPoint());
}

void CViewGraphic::OnMenuSelect(UINT id)
{
    if (id < OL_Selection::kFirstCommand || id > OL_Selection::kFirstCommand + OL_Selection::kMaxListed) return;
    if (ShownJobOf(menuKey_) == nullptr) return;
    const int index = static_cast<int>(id - OL_Selection::kFirstCommand);
    const CArray<PlotShape*>& hits = picking_.Hits();
    COLORREF colour = kRoleColours[0];
    if (index < hits.GetSize()) {
        const PlotShape* hovered = hits[index];
        const unsigned mau = hovered->GetMauIndex();
        colour = Contains(shown_->selection, hovered) ? kSelectedHoverColour
                 : mau >= 1 && mau <= 5               ? kRoleColours[mau - 1]
                                                      : kRoleColours[0];
    }
    DrawOnPicture([&](CDC& dc) {
        structRender r = RenderContextOn(dc);
        picking_.DynamicSel(index, r, colour);
    });
}

// ---- commands ----

std::optional<CommandButtonState> CViewGraphic::CommandState(int id) const
{
    if (std::find(kViewCommands.begin(), kViewCommands.end(), id) == kViewCommands.end()) return std::nullopt;
    PreviewStateInput in;
    in.jobShown = shown_ != nullptr;
    in.swapped = shown_ != nullptr && shown_->listsSwapped != 0;
    in.machineAssigned = shown_ != nullptr && shown_->machine != 0;
    in.mode = mode_;
    const PreviewCommandState state = CommandStateOf(id, in);
    return CommandButtonState{state.enabled, state.checked};
}

bool CViewGraphic::OnCommand(int id)
{
    const std::optional<CommandButtonState> state = CommandState(id);
    if (!state) return false;
    if (!state->enabled) return true;
    switch (id) {
    case ID_PREVIEW_FIT: FitJobToView(); break;
    case ID_PREVIEW_SWAP: SwapShownLists(); break;
    case ID_BATCH_PEN: ChangePensInBatch(); break;
    case ID_RECOGNISE_CONTOURS: RecogniseContours(); break;
    default: SetMode(PreviewModeOfCommand(id)); break;
    }
    return true;
}

void CViewGraphic::SwapShownLists()
{
    CPrintTask* job = shown_;
    if (job->previewList == nullptr) {
        job->listsSwapped = 0;
        return;
    }
    const CArea& incoming = job->previewList->GetArea();
    job->widthMm = incoming.xmax / 40;
    job->heightMm = incoming.ymax / 40;
    std::swap(job->jobList, job->previewList);
    job->listsSwapped = job->listsSwapped ? 0 : 1;
    ResetPicking();
    Invalidate();
    RefreshShownRow(-1);
}

void CViewGraphic::ChangePensInBatch()
{
    const ShownJobKey key = KeyOfShownJob();
    const std::optional<BatchSpChoice> choice = GetViewDialogs().AskBatchSpIndex(DialogMachine());
    if (ShownJobOf(key) == nullptr || !choice) return;
    PlotShapeCutList* list = EditableList();
    if (list == nullptr || choice->targetIndex < 0 || choice->targetIndex > 15) return;
    for (PlotShape* s = list->HeadShape(); s; s = list->ShapeAfter(s)) {
        // The dialog ticks SP1..SP8 only: pens 9..16 have no tick and are left as they are.
        const int pen = s->GetPenIndex();
        if (pen >= 1 && pen <= 16 && IsBatchPenTicked(choice->sources, pen)) s->SetPenIndex(choice->targetIndex + 1);
    }
    Invalidate();
}

void CViewGraphic::RecogniseContours()
{
    shown_->selection.RemoveAll();
    Invalidate();
    const ShownJobKey key = KeyOfShownJob();
    const std::optional<RecgniseLoopValues> options = GetViewDialogs().AskContourOptions(doc_.penToolSettings);
    CPrintTask* job = ShownJobOf(key);
    PlotShapeCutList* list = EditableList();
    if (job == nullptr || list == nullptr || !options) return;
    REC_CAIPIAN_OPT opt;
    for (int i = 0; i < kSpCount; ++i) opt.penFlags[i] = options->spBoxes[static_cast<size_t>(i)] ? 1 : 0;
    opt.outerPen = options->outerIndex;
    opt.innerPen = options->innerIndex;
    opt.areaLimitMm2 = options->minAreaMm2;
    OL_List loops;
    RecgniseCaiPian(*list, loops, opt);
    for (PlotShape* s = list->HeadShape(); s; s = list->ShapeAfter(s)) s->SetPatternIndex(0);
    unsigned pattern = 1;
    for (OL_Object* o = loops.GetHead(); o; o = loops.GetNext(o), ++pattern) {
        PlotShapeList& shapes = static_cast<PlotLoop*>(o)->Shapes();
        while (auto* s = static_cast<PlotShape*>(shapes.GetTail())) {
            s->GoOut();
            s->SetPatternIndex(pattern);
            list->AddTail(s);
        }
    }
    job->edFile = 1;
    list->CalArea(1);
    ResetPicking();
    Invalidate();
}

// ---- the pane ----

CWndGraphic::CWndGraphic(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

bool CWndGraphic::CreateChild(const ChildFactory& makeChild, const ToolBarFactory& makeToolBar)
{
    if (child_ != nullptr || !makeChild) return false;
    child_ = makeChild(this);
    if (child_ == nullptr) return false;
    if (makeToolBar) toolBar_ = makeToolBar(this, child_);
    if (toolBar_ != nullptr) layout()->addWidget(toolBar_);
    static_cast<QVBoxLayout*>(layout())->addWidget(child_, 1);
    child_->show();
    return true;
}
