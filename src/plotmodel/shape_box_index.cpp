// ShapeBoxIndex: filing shapes by box cells, and the candidates of an area.
#include "plotmodel/shape_box_index.h"

#include <algorithm>
#include <bit>
#include <cmath>

ShapeBoxIndex::ShapeBoxIndex(const PlotShapeList& list)
{
    // One walk over the list: the boxes are read from the copies after it.
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) {
        shapes_.push_back(s);
        boxes_.push_back(s->GetArea());
    }
    gone_.assign(shapes_.size(), false);
    CArea bounds;
    bounds.MakeInvalid();
    for (const CArea& b : boxes_)
        if (!b.IsInvalid()) bounds.Merge(b);
    if (bounds.IsInvalid()) {
        for (uint32_t i = 0; i < shapes_.size(); ++i) aside_.push_back(i);
        return;
    }
    x0_ = bounds.xmin;
    y0_ = bounds.ymin;
    const double w = static_cast<double>(bounds.xmax) - bounds.xmin + 1, h = static_cast<double>(bounds.ymax) - bounds.ymin + 1;
    cell_ = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(std::sqrt(w * h / static_cast<double>(shapes_.size())))));
    columns_ = static_cast<int64_t>(w) / cell_ + 1;
    rows_ = static_cast<int64_t>(h) / cell_ + 1;
    // Two passes: count the entries of each cell, then place them, so the cells are one array.
    std::vector<uint32_t> count(static_cast<size_t>(columns_ * rows_) + 1, 0);
    auto forCells = [&](const CArea& b, auto f) {
        for (int64_t cy = CellY(b.ymin); cy <= CellY(b.ymax); ++cy)
            for (int64_t cx = CellX(b.xmin); cx <= CellX(b.xmax); ++cx) f(static_cast<size_t>(cy * columns_ + cx));
    };
    auto spansFew = [&](const CArea& b) {
        return !b.IsInvalid() && (CellX(b.xmax) - CellX(b.xmin) + 1) * (CellY(b.ymax) - CellY(b.ymin) + 1) <= kMaxCellsPerShape;
    };
    for (uint32_t i = 0; i < shapes_.size(); ++i) {
        const CArea& b = boxes_[i];
        if (spansFew(b))
            forCells(b, [&](size_t k) { ++count[k + 1]; });
        else
            aside_.push_back(i);
    }
    for (size_t k = 1; k < count.size(); ++k) count[k] += count[k - 1];
    cellStart_ = count;
    cellItems_.resize(count.back());
    for (uint32_t i = 0; i < shapes_.size(); ++i) {
        const CArea& b = boxes_[i];
        if (spansFew(b)) forCells(b, [&](size_t k) { cellItems_[count[k]++] = i; });
    }
}

int64_t ShapeBoxIndex::CellX(int64_t x) const { return std::clamp<int64_t>((x - x0_) / cell_, 0, columns_ - 1); }

int64_t ShapeBoxIndex::CellY(int64_t y) const { return std::clamp<int64_t>((y - y0_) / cell_, 0, rows_ - 1); }

void ShapeBoxIndex::Meeting(const CArea& area, std::vector<uint32_t>& places) const
{
    places.clear();
    // A bit per place: a shape filed in several cells is marked once, and the marks are read
    // in place order.
    std::vector<uint64_t> marks((shapes_.size() + 63) / 64, 0);
    size_t lo = marks.size(), hi = 0;
    const auto mark = [&](uint32_t i) {
        if (gone_[i]) return;
        marks[i / 64] |= uint64_t{1} << (i % 64);
        lo = std::min<size_t>(lo, i / 64);
        hi = std::max<size_t>(hi, i / 64);
    };
    for (uint32_t i : aside_) mark(i);
    if (columns_ > 0 && !area.IsInvalid()) {
        for (int64_t cy = CellY(area.ymin); cy <= CellY(area.ymax); ++cy)
            for (int64_t cx = CellX(area.xmin); cx <= CellX(area.xmax); ++cx) {
                const size_t k = static_cast<size_t>(cy * columns_ + cx);
                for (uint32_t j = cellStart_[k]; j < cellStart_[k + 1]; ++j) mark(cellItems_[j]);
            }
    }
    for (size_t w = lo; w <= hi && w < marks.size(); ++w)
        for (uint64_t bits = marks[w]; bits != 0; bits &= bits - 1) {
            const uint32_t i = static_cast<uint32_t>(w * 64 + static_cast<size_t>(std::countr_zero(bits)));
            if (boxes_[i].IsIntersectWith(area)) places.push_back(i);
        }
}

void ShapeBoxIndex::MoveOut(uint32_t place, PlotShapeList& to)
{
    gone_[place] = true;
    shapes_[place]->GoOut();
    to.AddTail(shapes_[place]);
}
