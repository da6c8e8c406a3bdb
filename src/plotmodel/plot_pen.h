// Pens: the shapes of one pen number (PlotPenData) and the list of pens with its colour table
// (PlotPenList).
#pragma once

#include "geometry/ol_box.h"
#include "geometry/ol_list.h"
#include "platform/colorref.h"
#include "plotmodel/plot_shape_list.h"

#include <cstdint>

struct structRender;

// The shapes of one pen number.
class PlotPenData : public OL_Object {
public:
    PlotPenData() = default;
    // Copies the pen number, the value and (deep) the shapes.
    PlotPenData& operator=(const PlotPenData& other);

    int32_t GetPenNumber() const { return penNumber_; }
    void SetPenNumber(int32_t pen) { penNumber_ = pen; }
    // A value carried with the pen; nothing in the library interprets it.
    int32_t GetValue() const { return value_; }
    void SetValue(int32_t v) { value_ = v; }
    PlotShapeList& Shapes() { return shapes_; }
    const PlotShapeList& Shapes() const { return shapes_; }

    // Moves every shape whose cached box has ymax <= y to the end of out.
    void GetLinesInDown(PlotShapeList& out, int32_t y);
    // Moves every shape whose cached box has ymin >= y to the end of out.
    void GetLinesInUp(PlotShapeList& out, int32_t y);

private:
    int32_t penNumber_ = 1;
    int32_t value_ = 0;
    PlotShapeList shapes_;
};

class PlotPenList : public OL_List {
public:
    // Entries of the colour table, indexed by pen number.
    static constexpr int kColorCount = 255;

    // Every colour 0xFFFFFFFF except pen 1 black, pen 2 green and pens 3 and 4 blue.
    PlotPenList();
    // Deep copy of the pens, the box and the colour table.
    PlotPenList& operator=(const PlotPenList& other);

    // The pens in list order; null past the end.
    PlotPenData* HeadPen() const { return static_cast<PlotPenData*>(GetHead()); }
    PlotPenData* PenAfter(PlotPenData* p) const { return static_cast<PlotPenData*>(GetNext(p)); }

    // Moves the shape into the pens of its pen index, adding that pen at the end when it is
    // missing; a null shape is ignored.
    void AddPlotShape(PlotShape* s);
    // Moves every shape of the list in by its pen index.
    void Append(PlotShapeList& list);
    // Sets pen index 1 on every shape of the list, then moves them in.
    void AppendPenData(PlotShapeList& list);
    // Moves the shapes of every pen of other into the pen of the same number here.
    void Append(PlotPenList& other);
    // The pen with that number, or null.
    PlotPenData* FindPenDataList(int pen) const;

    // The union of the pens' boxes, each recomputed with PlotShapeList::CalArea(flag) when
    // recompute is set (pens without shapes are left out), else the box as last computed.
    CArea CalArea(int recompute, int flag);
    const CArea& GetArea() const { return area_; }

    void Scale(float sx, float sy);
    // Moves every pen's shapes and the box.
    void Move(int32_t dx, int32_t dy);
    // Mirrors / turns every pen's shapes within the list's box.
    void Mirror();
    void Rotate(int32_t quarter);

    // Splits each pen's shapes at a line into pens of the same number added to the given
    // lists (a null list is skipped), by the shape list operation of the same name.
    void CutByVLine(int32_t x, PlotPenList* left, PlotPenList* right) const;
    void CutByHLine(int32_t y, PlotPenList* below, PlotPenList* above) const;
    void CutByVLine_ForJiGuang(int32_t x, PlotPenList* left, PlotPenList* right) const;
    // Pen 2 (the cutting pen) is kept whole where it can be (CutByVLine_ForCut); other pens are cut.
    void CutByVLine_ForCut(int32_t x, PlotPenList* left, PlotPenList* right) const;

    // The colour of a pen number; 0 (black) for a number outside the table.
    COLORREF GetPenColor(int32_t pen) const;
    // The colour of the pen whose shapes hold s; 0 when no pen holds it.
    COLORREF GetShapeColor(const PlotShape* s) const;

    // Sets r's top edge to the box's ymax, then draws each pen's shapes with a solid pen of
    // width 1 in the pen's colour; the DC's previous pen is selected again at the end.
    void Render(structRender& r) const;

private:
    // The pen of that number here, added at the end when missing.
    PlotPenData* PenFor(int32_t pen);
    // Calls split(source shapes, left list, right list) for every pen, into new pens of the
    // same number in the output lists.
    template <class Split>
    void SplitPens(PlotPenList* left, PlotPenList* right, Split split) const;

    CArea area_;
    COLORREF colors_[kColorCount];
};
