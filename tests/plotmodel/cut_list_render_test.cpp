// Preview drawing of a cut list: which pen each shape is drawn with.
#include "plotmodel/plot_shape_cut_list.h"

#include "platform/cdc.h"
#include "traversal_fixtures.h"

#include <gtest/gtest.h>

namespace {

using namespace plot_fixtures;

struct Look {
    unsigned char mau = PlotShape::kDefaultMauIndex;
    unsigned char rec = PlotShape::kDefaultRecIndex;
    short pen = 0;
};

// Draws one horizontal line per look, row i at screen row 2i + 1, and returns the colour of
// each row; the DC's pen before drawing must be selected again afterwards.
template <class Draw>
std::vector<COLORREF> RowColours(const std::vector<Look>& looks, Draw draw)
{
    PlotShapeCutList l;
    const int rows = 2 * static_cast<int>(looks.size()) + 2;
    for (size_t i = 0; i < looks.size(); ++i) {
        float y = static_cast<float>(rows - (2 * static_cast<int>(i) + 1));
        PlotShape* s = NewShape({{0, y}, {10, y}}, looks[i].mau);
        s->SetRecIndex(looks[i].rec);
        s->SetPenIndex(looks[i].pen);
        l.AddTail(s);
    }
    CImageDC dc(12, rows);
    CPen before(PS_SOLID, 1, RGB(1, 2, 3));
    dc.SelectObject(&before);
    structRender r;
    r.dc = &dc;
    r.originY = rows;
    draw(l, r);
    CPen probe(PS_SOLID, 1, 0);
    EXPECT_EQ(dc.SelectObject(&probe), &before);
    std::vector<COLORREF> out;
    for (size_t i = 0; i < looks.size(); ++i) out.push_back(dc.GetPixel(5, 2 * static_cast<int>(i) + 1));
    return out;
}

COLORREF Shade(int i) { return RGB(static_cast<uint8_t>(20 + 10 * i), 0, 0); }

TEST(CutListRender, ChoosesThePenByCutModeThenClassThenPenNumber)
{
    const std::vector<Look> looks = {
        {1, 127, 3},    // MauIndex 1..4: pen MauIndex + 7
        {4, 2, 3},
        {130, 1, 3},    // MauIndex 130: pen 9
        {127, 2, 3},    // then RecIndex 1..4: RecIndex + 7
        {127, 127, 3},  // then pen number 1..8: pen - 1
        {5, 127, 8},
        {127, 127, 9},  // otherwise pen 0
        {127, 127, 0},
    };
    const int want[] = {8, 11, 9, 9, 2, 7, 0, 0};
    CPen pens[12];
    for (int i = 0; i < 12; ++i) pens[i].CreatePen(PS_SOLID, 1, Shade(i));
    std::vector<COLORREF> got = RowColours(looks, [&](PlotShapeCutList& l, structRender& r) { l.Render(r, pens); });
    for (size_t i = 0; i < looks.size(); ++i) EXPECT_EQ(got[i], Shade(want[i])) << "row " << i;
}

TEST(CutListRender, PenModeSettingsColourByPenOrByToolRole)
{
    PenModeSettings settings;
    for (int i = 0; i < kPenModePenCount; ++i) settings.penColor[i] = Shade(i);
    for (int i = 0; i < kPenModeRoleCount; ++i) settings.roleColor[i] = RGB(0, static_cast<uint8_t>(50 + 20 * i), 0);
    settings.penRole[4] = 5;
    settings.penRole[7] = 9;  // not a role: role 0

    const std::vector<Look> byPen = {{127, 127, 5}, {2, 127, 11}, {127, 127, 12}, {127, 127, -1}};
    std::vector<COLORREF> got =
        RowColours(byPen, [&](PlotShapeCutList& l, structRender& r) { l.Render(r, settings, 1); });
    EXPECT_EQ(got, (std::vector<COLORREF>{Shade(5), Shade(11), Shade(0), Shade(0)}));

    const std::vector<Look> byRole = {{3, 127, 4}, {6, 127, 0}, {127, 127, 4}, {127, 127, 7}, {127, 127, 20}};
    got = RowColours(byRole, [&](PlotShapeCutList& l, structRender& r) { l.Render(r, settings, 0); });
    EXPECT_EQ(got, (std::vector<COLORREF>{settings.roleColor[2], settings.roleColor[5], settings.roleColor[5],
                                          settings.roleColor[0], settings.roleColor[0]}));
}

}  // namespace
