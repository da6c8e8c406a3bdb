// The preview view offscreen: fitting, zooming and panning by mouse and wheel, the tool modes,
// picking with the hover highlight, editing the selection, the painted picture, the cut
// progress, the document's port and jobs that go away while a menu or dialog is open.
#include "ui/view_graphic.h"

#include "app/doc_corvane.h"
#include "app/print_task.h"
#include "app/udp_server.h"
#include "platform/cdc.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "support/scripted_popup_menu.h"
#include "support/widget_application.h"
#include "ui/frame_panes.h"
#include "ui/qt_text.h"
#include "ui/tool_bar.h"
#include "ui/view_dialogs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace corvane_test {
namespace {

constexpr int kViewWidth = 1000;
constexpr int kViewHeight = 500;

// A shape of one polyline through the points (x0, y0, x1, y1, ...), plotter units.
PlotShape* Polyline(std::vector<float> xy, int pen)
{
    auto* s = new PlotShape;
    s->Append(xy.data(), static_cast<int>(xy.size() / 2));
    s->SetPenIndex(pen);
    s->CalArea();
    return s;
}

PlotShape* Rectangle(float x0, float y0, float x1, float y1, int pen)
{
    return Polyline({x0, y0, x1, y0, x1, y1, x0, y1, x0, y0}, pen);
}

bool IsColour(const QImage& image, int x, int y, COLORREF colour)
{
    const QRgb p = image.pixel(x, y);
    return qRed(p) == GetRValue(colour) && qGreen(p) == GetGValue(colour) && qBlue(p) == GetBValue(colour);
}

// Whether a pixel of colour lies within one pixel of (x, y).
bool HasColourNear(const QImage& image, int x, int y, COLORREF colour)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.rect().contains(x + dx, y + dy) && IsColour(image, x + dx, y + dy, colour)) return true;
    return false;
}

bool IsWhiteRegion(const QImage& image, const QRect& region)
{
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) return false;
    return true;
}

// View dialogs whose answers the test gives as functions.
class ScriptedViewDialogs : public ViewDialogs {
public:
    ScriptedViewDialogs() { SetViewDialogs(this); }
    ~ScriptedViewDialogs() override { SetViewDialogs(nullptr); }
    std::optional<int> AskCurveSpIndex(int sp, const NET_Machine*) override
    {
        asked.push_back(sp);
        return curveSp ? curveSp() : std::nullopt;
    }
    std::optional<BatchSpChoice> AskBatchSpIndex(const NET_Machine*) override { return batch; }
    std::optional<RecgniseLoopValues> AskContourOptions(const PenModeSettings&) override { return contour; }

    std::function<std::optional<int>()> curveSp;
    std::optional<BatchSpChoice> batch;
    std::optional<RecgniseLoopValues> contour;
    std::vector<int> asked;
};

// A menu presenter that runs an action while the menu is open, then answers.
class ActingPopupMenu : public CPopupMenuPresenter {
public:
    ActingPopupMenu() { SetPopupMenuPresenter(this); }
    ~ActingPopupMenu() override { SetPopupMenuPresenter(nullptr); }
    UINT Track(const CMenu& menu, CPoint) override
    {
        ++tracked;
        if (whileOpen) whileOpen(menu);
        return answer;
    }
    CPoint CursorPos() override { return {}; }

    std::function<void(const CMenu&)> whileOpen;
    UINT answer = 0;
    int tracked = 0;
};

class ViewGraphicTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureWidgetApplication();
        view_ = std::make_unique<CViewGraphic>(doc_);
        view_->resize(kViewWidth, kViewHeight);
        doc_.SetPreview(view_.get());
    }

    // Lists a loaded job of shapes and shows it.
    CPrintTask* ShowJobOf(std::vector<PlotShape*> shapes)
    {
        auto* job = new CPrintTask(u"/tmp/preview-job.plt");
        job->jobList = new PlotShapeCutList;
        for (PlotShape* s : shapes) job->jobList->AddTail(s);
        job->jobList->CalArea(1);
        job->loaded = 1;
        job->jobRef = NextJobRef();
        doc_.GetJobList().AddTail(job);
        view_->ShowJob(job);
        return job;
    }

    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, QPointF(at), QPointF(view_->mapToGlobal(at)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view_.get(), &event);
    }
    void Press(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        Mouse(QEvent::MouseButtonPress, at, button, button);
    }
    void DragTo(QPoint at) { Mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); }
    void Release(QPoint at) { Mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        Press(at, button);
        if (button == Qt::LeftButton) Release(at);
    }
    void Drag(QPoint from, QPoint to)
    {
        Press(from);
        DragTo(to);
        Release(to);
    }
    void Wheel(QPoint at, int angle)
    {
        QWheelEvent event(QPointF(at), QPointF(view_->mapToGlobal(at)), QPoint(), QPoint(0, angle), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view_.get(), &event);
    }
    void Key(int key, const QString& text)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(view_.get(), &event);
    }
    QImage Picture() { return view_->grab().toImage(); }

    // Two lines a (horizontal) and b (vertical) crossing at plot (2000, 2000), shown in the
    // pen mode; the client point of the crossing.
    struct Crossing {
        PlotShape* a;
        PlotShape* b;
        CPrintTask* job;
        QPoint at;
    };
    Crossing ShowCrossingInPenMode()
    {
        PlotShape* a = Polyline({0, 2000, 4000, 2000}, 1);
        PlotShape* b = Polyline({2000, 0, 2000, 4000}, 1);
        CPrintTask* job = ShowJobOf({a, b});
        view_->SetMapping({100.0, 50.0, 0.05});
        EXPECT_TRUE(view_->OnCommand(ID_SET_PEN));
        const PreviewPoint cross = PlotToClient(view_->GetMapping(), 4000, {2000, 2000});
        return {a, b, job, QPoint(int(cross.x), int(cross.y))};
    }

    CUDPServer server_;
    CDocCorvane doc_{server_};
    std::unique_ptr<CViewGraphic> view_;
};

TEST_F(ViewGraphicTest, ShowingAJobFitsItAndPaintsItsLinesInsideTheFrame)
{
    CPrintTask* job = ShowJobOf({Rectangle(0, 0, 40000, 40000, 1), Polyline({10000, 20000, 30000, 20000}, 2)});
    EXPECT_EQ(view_->GetShownJob(), job);
    EXPECT_DOUBLE_EQ(view_->GetMapping().scalePxPerUnit, 490.0 / 40000.0);
    EXPECT_DOUBLE_EQ(view_->GetMapping().originXPx, 257.0);

    // Plot (x, y) shows at (257 + 0.01225 x, 492 - 0.01225 y).
    const QImage image = Picture();
    ASSERT_EQ(image.size(), QSize(kViewWidth, kViewHeight));
    const COLORREF pen2 = CDocCorvane::DefaultPenToolSettings().penColor[1];
    EXPECT_TRUE(HasColourNear(image, 502, 247, pen2)) << "the pen-2 line";
    EXPECT_TRUE(HasColourNear(image, 500, 492, RGB(0, 0, 0))) << "the pen-1 outline";
    for (const QPoint& frame : {QPoint(500, 493), QPoint(748, 250), QPoint(500, 1), QPoint(256, 250)})
        EXPECT_TRUE(IsColour(image, frame.x(), frame.y(), RGB(0, 255, 0))) << frame.x() << "," << frame.y();
    EXPECT_TRUE(IsWhiteRegion(image, QRect(0, 0, 40, 20))) << "no caption while the loaded list shows";
}

TEST_F(ViewGraphicTest, AJobLoadedAfterItIsShownIsFittedAtItsFirstPaint)
{
    auto* job = new CPrintTask(u"/tmp/later.plt");
    doc_.GetJobList().AddTail(job);
    view_->ShowJob(job);
    EXPECT_DOUBLE_EQ(view_->GetMapping().scalePxPerUnit, 0.01) << "nothing to fit yet";
    job->jobList = new PlotShapeCutList;
    job->jobList->AddTail(Rectangle(0, 0, 40000, 40000, 1));
    job->jobList->CalArea(1);
    job->loaded = 1;
    job->jobRef = NextJobRef();
    Picture();
    EXPECT_DOUBLE_EQ(view_->GetMapping().scalePxPerUnit, 490.0 / 40000.0);
}

TEST_F(ViewGraphicTest, DegenerateJobsAndWindowsKeepAFiniteMapping)
{
    ShowJobOf({Polyline({100, 100, 5000, 100}, 1)});
    EXPECT_TRUE(std::isfinite(view_->GetMapping().scalePxPerUnit)) << "a job of zero height";
    view_->resize(0, 0);
    const PreviewMapping before = view_->GetMapping();
    view_->FitJobToView();
    EXPECT_EQ(view_->GetMapping().scalePxPerUnit, before.scalePxPerUnit) << "no client area: no change";
    view_->resize(kViewWidth, kViewHeight);
    for (int i = 0; i < 400; ++i) Wheel({500, 250}, 120);
    EXPECT_LE(view_->GetMapping().scalePxPerUnit, kMaxPreviewScale);
    EXPECT_TRUE(std::isfinite(view_->GetMapping().originXPx));
    Picture();
}

TEST_F(ViewGraphicTest, TheRulerCaptionNamesItsUnit)
{
    // Ticks end at the box's right side, left of the caption.
    ShowJobOf({Rectangle(0, 0, 400, 400, 1)});
    struct Case {
        double scale;
        const char16_t* caption;
    };
    for (const Case& c : {Case{0.01, u"Unit:10mm"}, Case{1.0, u"Unit:1mm"}}) {
        view_->SetMapping({0.0, 20.0, c.scale});
        const QRect caption(kViewWidth - 150, 0, 150, 18);
        EXPECT_TRUE(IsWhiteRegion(Picture(), caption)) << "no ruler yet";
        view_->ToggleRuler();
        const QImage shown = Picture();
        view_->ToggleRuler();
        // The caption is written at (client right - origin x - 150, -origin y) as text.
        CImageDC expected(kViewWidth, kViewHeight);
        expected.TextOut(kViewWidth - 150, 0, CString(c.caption));
        for (int y = caption.top(); y <= caption.bottom(); ++y)
            for (int x = caption.left(); x <= caption.right(); ++x)
                ASSERT_TRUE(IsColour(shown, x, y, expected.GetPixel(x, y)))
                    << ToQString(CString(c.caption)).toStdString() << " at " << x << "," << y;
    }
}

TEST_F(ViewGraphicTest, WheelStepsZoomAboutThePointer)
{
    ShowJobOf({Rectangle(0, 0, 40000, 20000, 1)});
    view_->SetMapping({100.0, 50.0, 0.02});
    const QPoint pointer(300, 200);
    const double h = 20000;
    const PreviewPoint before = ClientToPlot(view_->GetMapping(), h, {300, 200});
    Wheel(pointer, 120);
    EXPECT_DOUBLE_EQ(view_->GetMapping().scalePxPerUnit, 0.02 * 1.25);
    Wheel(pointer, -120);
    EXPECT_DOUBLE_EQ(view_->GetMapping().scalePxPerUnit, 0.02 * 1.25 * 0.8);
    const PreviewPoint after = ClientToPlot(view_->GetMapping(), h, {300, 200});
    EXPECT_NEAR(after.x, before.x, 1e-6);
    EXPECT_NEAR(after.y, before.y, 1e-6);
}

TEST_F(ViewGraphicTest, RightButtonAndCharactersSwitchThePlainModes)
{
    ShowJobOf({Rectangle(0, 0, 4000, 4000, 1)});
    EXPECT_EQ(view_->GetMode(), kModePan);
    Click({10, 10}, Qt::RightButton);
    EXPECT_EQ(view_->GetMode(), kModeZoomRect);
    Click({10, 10}, Qt::RightButton);
    EXPECT_EQ(view_->GetMode(), kModePan);
    Key(Qt::Key_X, QStringLiteral("x"));
    EXPECT_EQ(view_->GetMode(), kModeZoomRect);
    ASSERT_TRUE(view_->OnCommand(ID_PREVIEW_ZOOM_IN));
    Key(Qt::Key_X, QStringLiteral("x"));
    EXPECT_EQ(view_->GetMode(), kModePan) << "any mode but pan goes back to pan";
}

TEST_F(ViewGraphicTest, DraggingPansAndTheToolsZoom)
{
    ShowJobOf({Rectangle(0, 0, 40000, 20000, 1)});
    view_->SetMapping({100.0, 50.0, 0.02});
    Drag({200, 200}, {230, 180});
    EXPECT_DOUBLE_EQ(view_->GetMapping().originXPx, 130.0);
    EXPECT_DOUBLE_EQ(view_->GetMapping().originYPx, 30.0);

    ASSERT_TRUE(view_->OnCommand(ID_PREVIEW_ZOOM_IN));
    Click({300, 300});
    EXPECT_DOUBLE_EQ(view_->GetMapping().scalePxPerUnit, 0.02 * 1.6666666);
    ASSERT_TRUE(view_->OnCommand(ID_PREVIEW_ZOOM_OUT));
    Click({300, 300});
    EXPECT_DOUBLE_EQ(view_->GetMapping().scalePxPerUnit, 0.02 * 1.6666666 * 0.6);

    // A rectangle of half the client's width fills it from its top-left: scale × 2.
    ASSERT_TRUE(view_->OnCommand(ID_PREVIEW_ZOOM_RECT));
    view_->SetMapping({100.0, 50.0, 0.02});
    Drag({600, 300}, {100, 50});
    EXPECT_DOUBLE_EQ(view_->GetMapping().scalePxPerUnit, 0.04);
    EXPECT_DOUBLE_EQ(view_->GetMapping().originXPx, 0.0);
    EXPECT_DOUBLE_EQ(view_->GetMapping().originYPx, 0.0);
}

TEST_F(ViewGraphicTest, TheRubberBandIsInvertedAndErasedWhileDragging)
{
    ShowJobOf({Rectangle(0, 0, 40000, 20000, 1)});
    ASSERT_TRUE(view_->OnCommand(ID_SET_PEN));
    const QImage before = Picture();
    Press({100, 100});
    DragTo({300, 200});
    EXPECT_EQ(Picture().pixel(200, 100), qRgb(0, 0, 0)) << "white inverted to black on the band's edge";
    DragTo({250, 150});
    const QImage moved = Picture();
    EXPECT_EQ(moved.pixel(200, 200), before.pixel(200, 200)) << "the previous band is erased";
    EXPECT_EQ(moved.pixel(200, 150), qRgb(0, 0, 0));
    Release({250, 150});
    EXPECT_TRUE(Picture() == before) << "nothing was picked there and the band is gone";
}

TEST_F(ViewGraphicTest, BoxPickingSelectsAndTheRightButtonGivesTheToolClass)
{
    PlotShape* a = Rectangle(1000, 1000, 2000, 2000, 1);
    PlotShape* b = Rectangle(5000, 1000, 6000, 2000, 1);
    PlotShape* c = Rectangle(30000, 1000, 31000, 2000, 1);
    CPrintTask* job = ShowJobOf({a, b, c, Rectangle(0, 0, 40000, 40000, 1)});
    ASSERT_TRUE(view_->OnCommand(ID_SET_PEN));
    const PreviewMapping& m = view_->GetMapping();
    const double h = 40000;
    const PreviewPoint from = PlotToClient(m, h, {500, 2500}), to = PlotToClient(m, h, {6500, 500});
    Drag({int(from.x), int(from.y)}, {int(to.x), int(to.y)});
    ASSERT_EQ(job->selection.GetSize(), 2);
    EXPECT_EQ(job->selection[0], a);
    EXPECT_EQ(job->selection[1], b);
    Click({10, 10}, Qt::RightButton);
    EXPECT_EQ(a->GetMauIndex(), 1);
    EXPECT_EQ(b->GetMauIndex(), 1);
    EXPECT_EQ(c->GetMauIndex(), 127);
    EXPECT_EQ(view_->GetMode(), 4) << "a selection mode stays";

    ASSERT_TRUE(view_->OnCommand(ID_SET_OUTER_KNIFE));
    Click({10, 10}, Qt::RightButton);
    EXPECT_EQ(a->GetMauIndex(), 4);
    Key(Qt::Key_Escape, QString(QChar(27)));
    EXPECT_TRUE(job->selection.IsEmpty());
    EXPECT_EQ(view_->GetMode(), 7) << "Esc with a selection only empties it";
}

TEST_F(ViewGraphicTest, APointPickingMenuHighlightsTheHoveredHitAndTogglesIt)
{
    const Crossing crossing = ShowCrossingInPenMode();
    CPrintTask* job = crossing.job;
    const QPoint at = crossing.at;
    // A pixel of b only, away from the crossing.
    const PreviewPoint onB = PlotToClient(view_->GetMapping(), 4000, {2000, 3000});
    const QPoint bPixel(int(onB.x), int(onB.y));

    ActingPopupMenu menu;
    bool highlighted = false;
    menu.whileOpen = [&](const CMenu& shown) {
        ASSERT_EQ(shown.GetMenuItemCount(), 3) << "two hits and None";
        shown.NotifyHover(OL_Selection::kFirstCommand + 1);
        highlighted = HasColourNear(Picture(), bPixel.x(), bPixel.y(), OL_Selection::kHighlight);
    };
    menu.answer = OL_Selection::kFirstCommand + 1;
    Click(at);
    EXPECT_TRUE(highlighted) << "the hover is drawn before the menu returns";
    ASSERT_EQ(job->selection.GetSize(), 1);
    EXPECT_EQ(job->selection[0], crossing.b);
    Click(at);
    EXPECT_TRUE(job->selection.IsEmpty()) << "the same hit toggles out";

    menu.whileOpen = nullptr;
    Click(at);
    EXPECT_TRUE(job->selection.IsEmpty()) << "without a hover nothing is chosen";
    EXPECT_EQ(menu.tracked, 3);
}

TEST_F(ViewGraphicTest, AJobDeletedWhileAMenuOrDialogIsOpenIsLeftAlone)
{
    const Crossing crossing = ShowCrossingInPenMode();
    CPrintTask* job = crossing.job;
    {
        ActingPopupMenu menu;
        menu.whileOpen = [&](const CMenu& shown) {
            shown.NotifyHover(OL_Selection::kFirstCommand);
            doc_.RemoveJob(job);  // a client's 'd' while the menu is open
            shown.NotifyHover(OL_Selection::kFirstCommand + 1);
        };
        Click(crossing.at);
        EXPECT_EQ(menu.tracked, 1);
    }
    EXPECT_EQ(view_->GetShownJob(), nullptr);
    Picture();

    // The pen dialog of the curve-edit mode.
    PlotShape* c = Rectangle(1000, 1000, 2000, 2000, 3);
    job = ShowJobOf({c});
    job->selection.Add(c);
    ASSERT_TRUE(view_->OnCommand(ID_EDIT_PEN_INDEX));
    ScriptedViewDialogs dialogs;
    dialogs.curveSp = [&]() -> std::optional<int> {
        doc_.RemoveJob(job);
        return 5;
    };
    Click({10, 10}, Qt::RightButton);
    EXPECT_EQ(dialogs.asked, std::vector<int>{3}) << "preset with the first selected shape's pen";
    EXPECT_EQ(view_->GetShownJob(), nullptr);
}

TEST_F(ViewGraphicTest, TheCurveEditModeSetsThePenChosen)
{
    PlotShape* a = Rectangle(1000, 1000, 2000, 2000, 3);
    PlotShape* b = Rectangle(3000, 1000, 4000, 2000, 2);
    CPrintTask* job = ShowJobOf({a, b});
    job->selection.Add(a);
    job->selection.Add(b);
    ASSERT_TRUE(view_->OnCommand(ID_SET_INNER_KNIFE));
    ScriptedViewDialogs dialogs;
    Click({10, 10}, Qt::RightButton);
    EXPECT_EQ(a->GetPenIndex(), 3) << "cancelled";
    dialogs.curveSp = [] { return std::optional<int>(6); };
    Click({10, 10}, Qt::RightButton);
    EXPECT_EQ(a->GetPenIndex(), 6);
    EXPECT_EQ(b->GetPenIndex(), 6);
}

TEST_F(ViewGraphicTest, MovingTheSelectionBySubUnitStepsKeepsItsBounds)
{
    PlotShape* a = Rectangle(100, 100, 200, 200, 1);
    CPrintTask* job = ShowJobOf({a, Rectangle(0, 0, 400, 400, 1)});
    view_->SetMapping({10.0, 10.0, 4.0});  // a pixel is a quarter unit
    job->selection.Add(a);
    ASSERT_TRUE(view_->OnCommand(ID_MOVE_SELECTION));
    Click({1, 1}, Qt::RightButton);
    ASSERT_TRUE(view_->IsMoveArmed());
    Press({500, 300});
    for (int x = 501; x <= 505; ++x) DragTo({x, 300});
    Release({505, 300});
    EXPECT_EQ(a->GetArea().xmin, 101) << "five quarter-unit steps move the bounds with the points";
    EXPECT_EQ(a->GetArea().xmax, 201);

    Key(Qt::Key_Delete, QString());
    EXPECT_EQ(job->GetCutList()->Count(), 1);
    EXPECT_TRUE(job->selection.IsEmpty());
    EXPECT_FALSE(view_->IsMoveArmed());
}

TEST_F(ViewGraphicTest, BatchPenChangeLeavesPensBeyondTheDialogsEight)
{
    std::vector<PlotShape*> shapes;
    for (int pen : {3, 5, 9, 12, 16}) shapes.push_back(Rectangle(1000, 1000, 2000, 2000, pen));
    ShowJobOf(shapes);
    ScriptedViewDialogs dialogs;
    BatchSpChoice choice;
    choice.sources.fill(true);
    choice.sources[4] = false;  // SP5
    choice.targetIndex = 1;
    dialogs.batch = choice;
    ASSERT_TRUE(view_->OnCommand(ID_BATCH_PEN));
    std::vector<int> pens;
    for (PlotShape* s : shapes) pens.push_back(s->GetPenIndex());
    EXPECT_EQ(pens, (std::vector<int>{2, 5, 9, 12, 16}));
}

TEST_F(ViewGraphicTest, RotatingTurnsTheJobAndRefitsIt)
{
    CPrintTask* job = ShowJobOf({Rectangle(0, 0, 4000, 2000, 1)});
    Key(Qt::Key_R, QStringLiteral("r"));
    EXPECT_EQ(job->widthMm, 50);
    EXPECT_EQ(job->heightMm, 100);
    EXPECT_EQ(view_->GetMode(), kModeZoomRect);
    const CArea& box = job->GetCutList()->GetArea();
    EXPECT_EQ(box.Width(), 2000);
    EXPECT_EQ(box.Height(), 4000);
    EXPECT_DOUBLE_EQ(view_->GetMapping().scalePxPerUnit, 490.0 / 4000.0);
}

TEST_F(ViewGraphicTest, TheSwappedJobShowsItsCaptionAndTheCutProgressMoves)
{
    CPrintTask* job = ShowJobOf({Rectangle(0, 2000, 40000, 42000, 1)});
    EXPECT_FALSE(view_->CommandState(ID_PREVIEW_SWAP)->enabled) << "no machine assigned";
    job->machine = 0x0100007f;
    job->previewList = new PlotShapeCutList;
    job->previewList->AddTail(Rectangle(0, 2000, 40000, 42000, 2));
    job->previewList->CalArea(1);
    job->progressPercent = 30.0;
    ASSERT_TRUE(view_->OnCommand(ID_PREVIEW_SWAP));
    EXPECT_EQ(job->listsSwapped, 1);
    EXPECT_TRUE(view_->CommandState(ID_PREVIEW_SWAP)->checked);
    EXPECT_FALSE(view_->CommandState(ID_SET_PEN)->enabled) << "the prepared list is not edited";
    EXPECT_EQ(job->widthMm, 1000);
    EXPECT_EQ(job->heightMm, 1050);

    view_->SetMapping({40.0, 40.0, 0.01});
    // W = 400, D = 400, T = 420: the line runs from y -25 to 405 at x = W × percent / 100,
    // shown 40 pixels right and down.
    QImage image = Picture();
    EXPECT_TRUE(IsColour(image, 160, 200, RGB(255, 0, 0)));
    EXPECT_FALSE(IsWhiteRegion(image, QRect(0, 0, 30, 14))) << "the caption";
    view_->DrawCutProgress(30.0, 60.0);
    job->progressPercent = 60.0;
    image = Picture();
    for (int y = 15; y <= 445; ++y) ASSERT_FALSE(IsColour(image, 160, y, RGB(255, 0, 0))) << "old line left at y " << y;
    EXPECT_TRUE(IsColour(image, 280, 16, RGB(255, 0, 0)));
    EXPECT_TRUE(IsColour(image, 280, 444, RGB(255, 0, 0)));

    ASSERT_TRUE(view_->OnCommand(ID_PREVIEW_SWAP));
    EXPECT_EQ(job->listsSwapped, 0);
    EXPECT_TRUE(IsWhiteRegion(Picture(), QRect(0, 0, 30, 14)));
}

TEST_F(ViewGraphicTest, CommandsAnswerOnlyForThePreview)
{
    EXPECT_FALSE(view_->CommandState(32817).has_value());
    EXPECT_FALSE(view_->OnCommand(32817));
    EXPECT_FALSE(view_->CommandState(ID_PREVIEW_FIT)->enabled) << "no job shown";
    ShowJobOf({Rectangle(0, 0, 4000, 2000, 1)});
    ASSERT_TRUE(view_->OnCommand(ID_SET_HALF_KNIFE));
    EXPECT_EQ(view_->GetMode(), 5);
    EXPECT_TRUE(view_->CommandState(ID_SET_HALF_KNIFE)->checked);
    ASSERT_TRUE(view_->OnCommand(ID_MOVE_SELECTION));
    EXPECT_FALSE(view_->CommandState(ID_MOVE_SELECTION)->checked);
    EXPECT_EQ(view_->GetMode(), kModeMoveSelection);
}

TEST_F(ViewGraphicTest, ContourRecognitionNumbersThePiecesAndChoosesPatternPaging)
{
    CPrintTask* job = ShowJobOf({Rectangle(0, 0, 8000, 8000, 1), Rectangle(2000, 2000, 3000, 3000, 1),
                                 Rectangle(20000, 0, 28000, 8000, 1)});
    ScriptedViewDialogs dialogs;
    ASSERT_TRUE(view_->OnCommand(ID_RECOGNISE_CONTOURS));
    EXPECT_EQ(job->edFile, 0) << "cancelled";
    RecgniseLoopValues options;
    options.spBoxes[0] = true;
    options.minAreaMm2 = 1.0f;
    dialogs.contour = options;
    ASSERT_TRUE(view_->OnCommand(ID_RECOGNISE_CONTOURS));
    EXPECT_EQ(job->edFile, 1);
    const PlotShapeCutList& list = *job->GetCutList();
    EXPECT_EQ(list.Count(), 3);
    std::vector<unsigned> patterns;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) patterns.push_back(s->GetPatternIndex());
    EXPECT_EQ(std::count(patterns.begin(), patterns.end(), 0u), 0) << "every piece is numbered";
}

TEST_F(ViewGraphicTest, ThePaneHoldsTheViewAsTheDocumentsPreviewUnderItsToolBar)
{
    doc_.SetPreview(nullptr);
    auto* pane = CreateFramePane(FramePane::Graphic, nullptr, doc_);
    std::unique_ptr<QWidget> owner(pane);
    EXPECT_EQ(pane->objectName(), QStringLiteral("GraphicPane"));
    auto* view = pane->findChild<CViewGraphic*>(QString::fromLatin1(CViewGraphic::kObjectName));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(static_cast<CWndGraphic*>(pane)->GetChild(), view);
    EXPECT_EQ(doc_.GetPreview(), view);
    auto* toolBar = qobject_cast<CToolBar*>(static_cast<CWndGraphic*>(pane)->GetToolBar());
    ASSERT_NE(toolBar, nullptr);
    EXPECT_EQ(toolBar->CommandOwner(), static_cast<CommandTarget*>(view));
    ASSERT_NE(toolBar->CommandButton(ID_PREVIEW_FIT), nullptr);
    ASSERT_NE(toolBar->CommandButton(ID_RECOGNISE_CONTOURS), nullptr);
    owner.reset();
    EXPECT_EQ(doc_.GetPreview(), nullptr) << "the view leaves the document when it goes";
}

}  // namespace
}  // namespace corvane_test
