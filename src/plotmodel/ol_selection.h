// OL_Selection: picking shapes in the preview by a dragged box or a click, with a popup menu
// to choose among several hits and the highlight of the chosen one.
//
// Client points are window pixels, y down; plot points are plotter units, y up:
// x = (client.x − originX) / scale, y = (originY − client.y) / scale + yOffset.
#pragma once

#include "geometry/float_point.h"
#include "geometry/ol_box.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "plotmodel/render_context.h"
#include "platform/carray.h"
#include "platform/colorref.h"
#include "platform/rect.h"
#include "platform/win_types.h"

#include <cstdint>

class CWnd;

class OL_Selection {
public:
    // Command id of the popup menu's first item; item i has kFirstCommand + i, and the ids
    // from kFirstCommand + listed count up mean none.
    static constexpr UINT kFirstCommand = 30000;
    // The menu lists at most this many hits, so its ids stay below the program's commands.
    static constexpr int kMaxListed = 100;
    // Colour of highlighted shapes (a COLORREF: blue).
    static constexpr COLORREF kHighlight = 0xFF0000;

    OL_Selection() = default;
    OL_Selection(double originX, double originY, double scale, int32_t yOffset, CWnd* owner);
    virtual ~OL_Selection() = default;

    // Stores the view's mapping and owner, empties the hits, chosen index −1.
    void Initialize(double originX, double originY, double scale, int32_t yOffset, CWnd* owner);
    // Maps a client point to plot coordinates.
    void TransCoordinate(const CPoint client, CFloatPoint& plot) const;
    // The box with the per-axis minimum and maximum of the two points.
    static void CalBox(const CFloatPoint& a, const CFloatPoint& b, OL_Box& box);
    // Hits := every shape of the list meeting the box of the two corners; their number.
    int BoxSelection(const CPoint corner1, const CPoint corner2, PlotShapeList& list);
    // Selects within 4 pixels of the click; several hits are offered in a popup menu whose
    // command goes to the owner. Returns 0.
    int PointSelection(const CPoint client, PlotShapeList& list);
    // The only hit, else the chosen one, else null.
    PlotShape* GetSelShape() const;
    // Draws the chosen hit again in colour and hit index highlighted; index becomes chosen.
    void DynamicSel(int index, structRender& render, COLORREF colour);
    // Draws every hit highlighted.
    void Render(structRender& render) const;

    const CArray<PlotShape*>& Hits() const { return hits_; }
    int ChosenIndex() const { return chosen_; }

private:
    // Draws hit index with a solid pen of width 1 in colour, the window origin at the render
    // context's scroll offsets negated; the DC's pen and origin are restored.
    void DrawHit(int index, structRender& render, COLORREF colour) const;
    bool IsValidIndex(int index) const { return index >= 0 && index < hits_.GetSize(); }

    double originX_ = 0.0;
    double originY_ = 0.0;
    // Pixels per plotter unit.
    double scale_ = 1.0;
    // Plotter units added to every transformed y.
    int32_t yOffset_ = 0;
    CWnd* owner_ = nullptr;
    CArray<PlotShape*> hits_;
    int chosen_ = -1;
};
