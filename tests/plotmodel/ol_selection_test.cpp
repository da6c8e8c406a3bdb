// OL_Selection: mapping clicks to plot points, box and point picking, the choice menu, highlights.
#include "plotmodel/ol_selection.h"

#include "platform/cdc.h"
#include "platform/cwnd.h"
#include "shape_fixtures.h"
#include "support/scripted_popup_menu.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace plot_fixtures;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

// Identity mapping with the y axis flipped at client y = 100: plot (x, y) is client (x, 100 − y).
struct SelectionFixture {
    CWnd owner{CMessageTarget::Delivery::ByHand};
    OL_Selection selection;
    PlotShapeList list;
    SelectionFixture() { selection.Initialize(0, 100, 1.0, 0, &owner); }
    PlotShape* Add(const Polyline& points)
    {
        PlotShape* s = NewShape(points);
        list.AddTail(s);
        return s;
    }
};

TEST(OlSelection, MapsClientPixelsToPlotUnitsWithYUp)
{
    OL_Selection s;
    s.Initialize(100, 300, 2.0, 0, nullptr);
    CFloatPoint p;
    s.TransCoordinate(CPoint(120, 280), p);
    EXPECT_DOUBLE_EQ(p.x, 10);
    EXPECT_DOUBLE_EQ(p.y, 10);
    OL_Selection offset(100, 300, 2.0, 1000, nullptr);
    offset.TransCoordinate(CPoint(120, 280), p);
    EXPECT_DOUBLE_EQ(p.y, 1010);
}

TEST(OlSelection, AScaleOfZeroOrNotFiniteCountsAsOne)
{
    for (double scale : {0.0, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        OL_Selection s(100, 300, scale, 0, nullptr);
        CFloatPoint p;
        s.TransCoordinate(CPoint(120, 280), p);
        EXPECT_DOUBLE_EQ(p.x, 20) << scale;
        EXPECT_DOUBLE_EQ(p.y, 20) << scale;
        s.Initialize(0, 0, scale, 0, nullptr);
        s.TransCoordinate(CPoint(5, -5), p);
        EXPECT_DOUBLE_EQ(p.x, 5) << scale;
    }
}

TEST(OlSelection, AClickOnOneShapeSelectsItWithoutAMenu)
{
    corvane_test::ScriptedPopupMenu menus;
    SelectionFixture f;
    PlotShape* line = f.Add({{0, 50}, {100, 50}});
    f.Add({{0, 0}, {100, 0}});
    EXPECT_EQ(f.selection.PointSelection(CPoint(40, 52), f.list), 0);
    EXPECT_TRUE(menus.Shown().empty());
    EXPECT_EQ(f.selection.GetSelShape(), line);
    EXPECT_TRUE(f.owner.TakePosted().empty());
}

TEST(OlSelection, AClickWhereShapesMeetOffersThemAndPostsTheChoice)
{
    corvane_test::ScriptedPopupMenu menus;
    menus.SetCursor(CPoint(640, 480));
    menus.ScriptAnswer(30001);
    SelectionFixture f;
    for (int i = 0; i < 3; ++i) f.Add({{50, 0}, {50 + 2.0f * (i - 1), 100}});
    EXPECT_EQ(f.selection.PointSelection(CPoint(50, 50), f.list), 0);
    ASSERT_EQ(menus.Shown().size(), 1u);
    const corvane_test::ShownMenu& m = menus.Shown()[0];
    EXPECT_EQ(m.at.x, 640);
    EXPECT_EQ(m.at.y, 480);
    ASSERT_EQ(m.items.size(), 4u);
    const char16_t* texts[] = {u"Object0", u"Object1", u"Object2", u"None"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(m.items[i].text, texts[i]);
        EXPECT_EQ(m.items[i].id, 30000u + i);
    }
    // The choice reaches the owner as a command after the call, as a posted message.
    std::vector<PostedMessage> posted = f.owner.TakePosted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, WM_COMMAND);
    EXPECT_EQ(posted[0].wParam, 30001u);
    EXPECT_EQ(f.selection.GetSelShape(), nullptr) << "nothing chosen until the owner says so";

    // Dismissed or without a presenter: nothing is posted.
    f.selection.PointSelection(CPoint(50, 50), f.list);
    EXPECT_TRUE(f.owner.TakePosted().empty());
}

TEST(OlSelection, TheMenuListsAtMostAHundredHitsSoItsIdsStayBelowTheCommands)
{
    corvane_test::ScriptedPopupMenu menus;
    SelectionFixture f;
    for (int i = 0; i < 130; ++i) f.Add({{50, 0}, {50, 100}});
    EXPECT_EQ(f.selection.PointSelection(CPoint(50, 50), f.list), 0);
    EXPECT_EQ(f.selection.Hits().GetSize(), 130);
    ASSERT_EQ(menus.Shown().size(), 1u);
    const auto& items = menus.Shown()[0].items;
    ASSERT_EQ(items.size(), 101u);
    EXPECT_EQ(items[99].text, u"Object99");
    EXPECT_EQ(items[100].text, u"None");
    EXPECT_EQ(items[100].id, 30100u);
}

TEST(OlSelection, OppositeDragsSelectTheSameShapes)
{
    SelectionFixture f;
    PlotShape* a = f.Add({{10, 10}, {20, 20}});
    f.Add({{200, 200}, {300, 300}});
    PlotShape* c = f.Add({{40, 40}, {45, 80}});
    ASSERT_EQ(f.selection.BoxSelection(CPoint(0, 100), CPoint(50, 50), f.list), 2);
    CArray<PlotShape*> first = f.selection.Hits();
    ASSERT_EQ(f.selection.BoxSelection(CPoint(50, 50), CPoint(0, 100), f.list), 2);
    EXPECT_EQ(f.selection.Hits()[0], first[0]);
    EXPECT_EQ(f.selection.Hits()[0], a);
    EXPECT_EQ(f.selection.Hits()[1], c);
}

TEST(OlSelection, ANewSetOfHitsHasNoChosenShape)
{
    SelectionFixture f;
    f.Add({{10, 10}, {20, 20}});
    f.Add({{10, 20}, {20, 10}});
    PlotShape* far = f.Add({{80, 80}, {90, 90}});
    f.Add({{80, 90}, {90, 80}});
    CImageDC dc(10, 10);
    structRender r;
    r.dc = &dc;
    ASSERT_EQ(f.selection.BoxSelection(CPoint(70, 0), CPoint(100, 30), f.list), 2);
    EXPECT_EQ(f.selection.Hits()[0], far);
    f.selection.DynamicSel(1, r, kBlack);
    EXPECT_EQ(f.selection.ChosenIndex(), 1);
    ASSERT_EQ(f.selection.BoxSelection(CPoint(0, 70), CPoint(30, 100), f.list), 2);
    EXPECT_EQ(f.selection.ChosenIndex(), -1);
    EXPECT_EQ(f.selection.GetSelShape(), nullptr);
}

TEST(OlSelection, HighlightsTheChosenShapeAndRestoresTheOneBefore)
{
    SelectionFixture f;
    f.Add({{2, 5}, {30, 5}});
    f.Add({{2, 15}, {30, 15}});
    ASSERT_EQ(f.selection.BoxSelection(CPoint(0, 0), CPoint(200, 200), f.list), 2);
    CImageDC dc(40, 40);
    structRender r;
    r.dc = &dc;
    r.originY = 30;  // plot y 5 on row 25, y 15 on row 15
    r.offsetX = 0;
    r.offsetY = 0;
    CPen red(PS_SOLID, 1, kRed);
    dc.SelectObject(&red);
    dc.SetWindowOrg(7, 9);

    f.selection.DynamicSel(0, r, kBlack);
    EXPECT_EQ(dc.GetWindowOrg().x, 7);
    EXPECT_EQ(dc.GetWindowOrg().y, 9);
    // The origin is the scroll offsets negated while drawing: logical = device here.
    dc.SetWindowOrg(0, 0);
    EXPECT_EQ(dc.GetPixel(10, 25), OL_Selection::kHighlight);
    EXPECT_EQ(dc.GetPixel(10, 15), kWhite);

    f.selection.DynamicSel(1, r, kBlack);
    EXPECT_EQ(dc.GetPixel(10, 25), kBlack) << "the earlier choice is drawn in the given colour";
    EXPECT_EQ(dc.GetPixel(10, 15), OL_Selection::kHighlight);
    f.selection.DynamicSel(OL_Selection::kFirstCommand, r, kBlack);  // out of range: none
    EXPECT_EQ(dc.GetPixel(10, 15), kBlack);
    EXPECT_EQ(f.selection.GetSelShape(), nullptr);

    // The DC's pen is the caller's again.
    dc.MoveTo(0, 35);
    dc.LineTo(10, 35);
    EXPECT_EQ(dc.GetPixel(5, 35), kRed);

    f.selection.Render(r);
    EXPECT_EQ(dc.GetPixel(10, 25), OL_Selection::kHighlight);
    EXPECT_EQ(dc.GetPixel(10, 15), OL_Selection::kHighlight);
    dc.MoveTo(0, 36);
    dc.LineTo(10, 36);
    EXPECT_EQ(dc.GetPixel(5, 36), kRed);
}

}  // namespace
