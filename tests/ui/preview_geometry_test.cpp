// The preview's mapping, fit, zoom, ruler, progress line and command states.
#include "ui/preview_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(PreviewMapping, PlotAndClientPointsMapBothWays)
{
    const PreviewMapping m{30.0, 20.0, 0.5};
    const PreviewPoint c = PlotToClient(m, 400.0, {100.0, 400.0});
    EXPECT_DOUBLE_EQ(c.x, 80.0);
    EXPECT_DOUBLE_EQ(c.y, 20.0) << "the box top sits at the origin's y";
    const PreviewPoint back = ClientToPlot(m, 400.0, c);
    EXPECT_DOUBLE_EQ(back.x, 100.0);
    EXPECT_DOUBLE_EQ(back.y, 400.0);
}

TEST(PreviewFit, FitsTheBoxInTheWindowWithItsMargins)
{
    PreviewMapping m;
    ASSERT_TRUE(FitJobToView(m, CArea(0, 0, 40000, 40000), 1000, 500));
    EXPECT_DOUBLE_EQ(m.scalePxPerUnit, 490.0 / 40000.0);
    EXPECT_DOUBLE_EQ(m.originXPx, 257.0);
    EXPECT_DOUBLE_EQ(m.originYPx, 2.0);

    // A tall window fits the width, centred vertically, the box's bottom-left kept in view.
    ASSERT_TRUE(FitJobToView(m, CArea(1000, 2000, 5000, 4000), 410, 1000));
    EXPECT_DOUBLE_EQ(m.scalePxPerUnit, 0.1);
    EXPECT_DOUBLE_EQ(m.originXPx, 2 - 100.0);
    EXPECT_DOUBLE_EQ(m.originYPx, (1000 - 200.0) / 2 + 200 + 2);
}

TEST(PreviewFit, DegenerateBoxesAndWindowsKeepAFiniteScale)
{
    PreviewMapping m;
    ASSERT_TRUE(FitJobToView(m, CArea(0, 0, 4000, 0), 400, 300)) << "a horizontal line";
    EXPECT_TRUE(std::isfinite(m.scalePxPerUnit));
    EXPECT_DOUBLE_EQ(m.scalePxPerUnit, 390.0 / 4000.0);
    ASSERT_TRUE(FitJobToView(m, CArea(7, 7, 7, 7), 400, 300)) << "a point";
    EXPECT_LE(m.scalePxPerUnit, kMaxPreviewScale);

    const PreviewMapping before{1.0, 2.0, 0.3};
    m = before;
    CArea invalid;
    invalid.MakeInvalid();
    EXPECT_FALSE(FitJobToView(m, invalid, 400, 300));
    EXPECT_FALSE(FitJobToView(m, CArea(0, 0, 100, 100), 0, 300));
    EXPECT_FALSE(FitJobToView(m, CArea(0, 0, 100, 100), 400, -1));
    EXPECT_EQ(m.scalePxPerUnit, before.scalePxPerUnit);
    EXPECT_EQ(m.originXPx, before.originXPx);
}

TEST(PreviewZoom, AWheelStepForwardThenBackKeepsThePointerOnItsPlotPoint)
{
    PreviewMapping m{13.0, 20.0, 0.01};
    const double h = 8000.0;
    const PreviewPoint pointer{321.0, 123.0};
    const PreviewPoint under = ClientToPlot(m, h, pointer);
    ASSERT_TRUE(ZoomAt(m, 1.25, h, pointer));
    ASSERT_TRUE(ZoomAt(m, 0.8, h, pointer));
    EXPECT_EQ(m.scalePxPerUnit, 0.01 * 1.25 * 0.8);
    const PreviewPoint still = ClientToPlot(m, h, pointer);
    EXPECT_NEAR(still.x, under.x, 1e-9);
    EXPECT_NEAR(still.y, under.y, 1e-9);
}

TEST(PreviewZoom, EndlessWheelStepsStopAtTheScaleBounds)
{
    for (double factor : {1.25, 0.8}) {
        PreviewMapping m;
        int steps = 0;
        while (ZoomAt(m, factor, 1000.0, {50.0, 50.0})) ASSERT_LT(++steps, 10000);
        EXPECT_GE(m.scalePxPerUnit, kMinPreviewScale);
        EXPECT_LE(m.scalePxPerUnit, kMaxPreviewScale);
        EXPECT_TRUE(std::isfinite(m.originXPx) && std::isfinite(m.originYPx));
    }
    PreviewMapping m;
    EXPECT_FALSE(ZoomAt(m, 0.0, 1000.0, {0, 0}));
    EXPECT_FALSE(ZoomAt(m, -2.0, 1000.0, {0, 0}));
    EXPECT_FALSE(ZoomAt(m, std::numeric_limits<double>::quiet_NaN(), 1000.0, {0, 0}));
}

TEST(PreviewZoom, ARectangleFillsTheClientFromItsTopLeft)
{
    PreviewMapping m{10.0, 20.0, 0.1};
    const double h = 1000.0;
    const PreviewPoint topLeftPlot = ClientToPlot(m, h, {60.0, 40.0});
    // Dragged from bottom-right to top-left: 100 × 25 in a 400 × 200 client, width decides.
    ASSERT_TRUE(ZoomToRectangle(m, {160.0, 65.0}, {60.0, 40.0}, 400, 200));
    EXPECT_DOUBLE_EQ(m.scalePxPerUnit, 0.4);
    const PreviewPoint now = PlotToClient(m, h, topLeftPlot);
    EXPECT_NEAR(now.x, 0.0, 1e-9);
    EXPECT_NEAR(now.y, 0.0, 1e-9);

    const PreviewMapping before = m;
    EXPECT_FALSE(ZoomToRectangle(m, {5, 5}, {5, 5}, 400, 200)) << "no size";
    EXPECT_FALSE(ZoomToRectangle(m, {5, 5}, {50, 50}, 0, 0)) << "no client";
    EXPECT_FALSE(ZoomToRectangle(m, {0, 0}, {1e-9, 1e-9}, 400, 200)) << "beyond the scale bound";
    EXPECT_EQ(m.scalePxPerUnit, before.scalePxPerUnit);
}

TEST(PreviewRuler, UnitsArePowersOfTenWithinBounds)
{
    const struct {
        double scale;
        int32_t unit;
    } cases[] = {{0.01, 10}, {1.0, 1}, {0.5, 1}, {0.004, 100}, {0.0049, 100}, {0.005, 100},
                 {0.0, 1000000}, {1e-30, 1000000}, {std::numeric_limits<double>::infinity(), 1},
                 {std::numeric_limits<double>::quiet_NaN(), 1}, {-1.0, 1}};
    for (const auto& c : cases) EXPECT_EQ(RulerUnitMm(c.scale), c.unit) << "scale " << c.scale;
}

TEST(PreviewRuler, OnlyVisibleTicksAreMadeAndEveryTenthIsLabelled)
{
    PreviewMapping m{5.0, 20.0, 0.25};
    // Unit 1 mm = 40 units = 10 px per tick; 8000 units = 200 ticks, all but those past the
    // client's 300 px.
    std::vector<RulerTick> ticks = VisibleRulerTicks(m, 8000, 1, 300);
    ASSERT_FALSE(ticks.empty());
    EXPECT_EQ(ticks.front().xPx, 0);
    EXPECT_EQ(ticks.front().lengthPx, 30);
    EXPECT_TRUE(ticks.front().labelled);
    EXPECT_EQ(ticks[5].lengthPx, 25);
    EXPECT_EQ(ticks[3].lengthPx, 20);
    EXPECT_EQ(ticks[10].positionMm, 10);
    EXPECT_EQ(ticks.back().xPx, 290) << "29 × 10 px, the last inside 300 - 5";
    EXPECT_EQ(ticks.size(), 30u);

    // Deep zoom on a wide job: only the handful on screen, at 64-bit positions.
    m = {-4.0e9, 20.0, 1e4};
    ticks = VisibleRulerTicks(m, 2000000000, 1, 1920);
    ASSERT_FALSE(ticks.empty());
    EXPECT_LE(ticks.size(), 10u);
    EXPECT_EQ(ticks.front().xPx, 4000000000);

    EXPECT_TRUE(VisibleRulerTicks(m, 0, 1, 1920).empty()) << "no x maximum above 0";
    EXPECT_EQ(RulerBaseY(0.5, 1000.0, 1000), -1);
}

TEST(PreviewProgress, TheLineIsClampedAndSpansTheDrawing)
{
    const CArea box(0, 400, 2000, 1400);
    ProgressLine line = ProgressLineAt(0.1, box, 45.5);
    EXPECT_EQ(line.xPx, 91);  // 200 px × 45.5 %
    EXPECT_EQ(line.topPx, 100 - 140 - 5);
    EXPECT_EQ(line.bottomPx, 105);
    EXPECT_EQ(ProgressLineAt(0.1, box, 250.0).xPx, 200);
    EXPECT_EQ(ProgressLineAt(0.1, box, -3.0).xPx, 0);
    EXPECT_EQ(ProgressLineAt(0.1, box, std::numeric_limits<double>::quiet_NaN()).xPx, 0);
}

TEST(PreviewCommands, EnabledAndCheckedFollowTheShownJobAndMode)
{
    PreviewStateInput none;
    EXPECT_FALSE(CommandStateOf(ID_PREVIEW_FIT, none).enabled);
    EXPECT_FALSE(CommandStateOf(ID_SET_PEN, none).enabled);

    PreviewStateInput loaded{true, false, false, 4};
    EXPECT_TRUE(CommandStateOf(ID_PREVIEW_PAN, loaded).enabled);
    EXPECT_FALSE(CommandStateOf(ID_PREVIEW_PAN, loaded).checked);
    EXPECT_TRUE(CommandStateOf(ID_SET_PEN, loaded).checked);
    EXPECT_FALSE(CommandStateOf(ID_PREVIEW_SWAP, loaded).enabled) << "no machine assigned";

    PreviewStateInput moving{true, false, false, kModeMoveSelection};
    EXPECT_TRUE(CommandStateOf(ID_MOVE_SELECTION, moving).enabled);
    EXPECT_FALSE(CommandStateOf(ID_MOVE_SELECTION, moving).checked) << "the move shows no check";

    PreviewStateInput swapped{true, true, true, kModeZoomRect};
    EXPECT_TRUE(CommandStateOf(ID_PREVIEW_ZOOM_RECT, swapped).checked);
    EXPECT_FALSE(CommandStateOf(ID_SET_OUTER_KNIFE, swapped).enabled);
    EXPECT_FALSE(CommandStateOf(ID_RECOGNISE_CONTOURS, swapped).enabled);
    EXPECT_TRUE(CommandStateOf(ID_PREVIEW_SWAP, swapped).enabled);
    EXPECT_TRUE(CommandStateOf(ID_PREVIEW_SWAP, swapped).checked);
    EXPECT_FALSE(CommandStateOf(12345, swapped).enabled);
}

TEST(PreviewModes, RightButtonSwitchesPlainModesAndEachModeHasItsCursor)
{
    EXPECT_EQ(SwitchPlainMode(kModePan), kModeZoomRect);
    EXPECT_EQ(SwitchPlainMode(kModeZoomRect), kModePan);
    EXPECT_EQ(SwitchPlainMode(kModeZoomIn), kModePan);
    EXPECT_EQ(PreviewModeOfCommand(ID_EDIT_PEN_INDEX), PreviewModeOfCommand(ID_SET_INNER_KNIFE));
    EXPECT_EQ(PreviewModeOfCommand(ID_PREVIEW_FIT), -1);
    EXPECT_EQ(CursorResourceOfMode(kModeZoomRect), 141);
    EXPECT_EQ(CursorResourceOfMode(7), 175);
}

TEST(PreviewBatchPen, PensBeyondTheDialogsEightCountUnticked)
{
    const std::array<bool, 8> ticks{true, false, true, true, true, true, true, true};
    EXPECT_TRUE(IsBatchPenTicked(ticks, 1));
    EXPECT_FALSE(IsBatchPenTicked(ticks, 2));
    EXPECT_TRUE(IsBatchPenTicked(ticks, 8));
    for (int pen : {0, 9, 12, 16, -1}) EXPECT_FALSE(IsBatchPenTicked(ticks, pen)) << pen;
}

}  // namespace
