// Skyline packing of shape-list boxes, the width sort and the work data of the genetic search.
#include "preprocess/sheet_packing.h"

#include "geometry/int_truncation.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

constexpr int32_t kUnitsPerMm = 40;

// The packing's shared work data, set by SetRectData.
struct RectData {
    PlotShapeList** lists = nullptr;
    int32_t count = 0;
    int32_t widthMm = 0;
    double totalAreaMm2 = 0.0;
    CArray<PlotShapeList*> work;
};

RectData& Data()
{
    static RectData data;
    return data;
}

// True for a list that is placed: one with shapes and a valid box.
bool TakesPlace(const PlotShapeList* list)
{
    return list && list->Count() > 0 && !list->GetArea().IsInvalid();
}

void SetLevel(HorizontalLine& segment, int32_t level)
{
    segment.level = level;
    segment.level2 = level;
}

int32_t Raised(int32_t level, int32_t width) { return SaturateToInt32(static_cast<int64_t>(level) + width); }

// Finds the segment with the smallest level, the first on ties.
int32_t LowestSegment(const CArray<HorizontalLine>& skyline)
{
    int32_t lowest = 0;
    for (int32_t k = 1; k < skyline.GetSize(); ++k)
        if (skyline[k].level < skyline[lowest].level) lowest = k;
    return lowest;
}

// Merges segment a (of at least two) into a neighbour: the first and last into their only
// neighbour; else both neighbours of equal level join with it into the left one, or the
// lower neighbour (the right one on a tie of heights above) takes it.
void MergeSegment(CArray<HorizontalLine>& skyline, int32_t a)
{
    const int32_t last = skyline.GetUpperBound();
    if (a == 0) {
        skyline[1].from = skyline[0].from;
        skyline.RemoveAt(0);
    } else if (a == last) {
        skyline[a - 1].to = skyline[a].to;
        skyline.RemoveAt(a);
    } else if (skyline[a - 1].level == skyline[a + 1].level) {
        skyline[a - 1].to = skyline[a + 1].to;
        skyline.RemoveAt(a, 2);
    } else if (skyline[a - 1].level >= skyline[a + 1].level) {
        skyline[a + 1].from = skyline[a].from;
        skyline.RemoveAt(a);
    } else {
        skyline[a - 1].to = skyline[a].to;
        skyline.RemoveAt(a);
    }
}

// Finds the first placed list from position first on whose box fits a segment of length
// length; -1 for none.
int32_t FirstFitting(PlotShapeList** lists, int32_t first, int32_t count, int64_t length)
{
    for (int32_t k = first; k < count; ++k)
        if (TakesPlace(lists[k]) && lists[k]->GetArea().Height() <= length) return k;
    return -1;
}

void Put(PlotShapeList* list, const HorizontalLine& segment, bool place, PlotShapeList* out)
{
    if (!place) return;
    list->Move(segment.level, segment.from);
    if (out) out->Append(list);
}

// Packs lists[0..count) in order on skyline, swapping each fitting list into its position;
// with place set each list is moved to its slot and appended to out.
void PackOnSkyline(PlotShapeList** lists, int32_t count, CArray<HorizontalLine>& skyline, bool place,
                   PlotShapeList* out)
{
    if (skyline.IsEmpty()) skyline.Add(HorizontalLine{});
    for (int32_t i = 0; i < count; ++i) {
        if (!TakesPlace(lists[i])) continue;
        for (;;) {
            const int32_t lowest = LowestSegment(skyline);
            HorizontalLine& segment = skyline[lowest];
            const int64_t length = static_cast<int64_t>(segment.to) - segment.from;
            const int32_t fit = FirstFitting(lists, i, count, length);
            if (fit < 0 && skyline.GetSize() >= 2) {
                MergeSegment(skyline, lowest);
                continue;
            }
            if (fit < 0) {
                // Taller than the whole material: laid beyond everything placed so far.
                Put(lists[i], segment, place, out);
                SetLevel(segment, Raised(segment.level, lists[i]->GetArea().Width()));
                break;
            }
            std::swap(lists[i], lists[fit]);
            const int32_t width = lists[i]->GetArea().Width();
            const int32_t height = lists[i]->GetArea().Height();
            Put(lists[i], segment, place, out);
            if (height < length) {
                HorizontalLine below;
                SetLevel(below, Raised(segment.level, width));
                below.from = segment.from;
                below.to = segment.from + height;
                segment.from = below.to;
                skyline.InsertAt(lowest, below);
            } else {
                SetLevel(segment, Raised(segment.level, width));
            }
            break;
        }
    }
}

// Orders lists by box width, widest first, by moving the first widest of the rest forward.
void SortByWidth(PlotShapeList** lists, int32_t count)
{
    auto width = [](const PlotShapeList* list) -> int64_t {
        return TakesPlace(list) ? list->GetArea().Width() : -1;
    };
    for (int32_t i = 0; i < count; ++i) {
        int32_t widest = i;
        for (int32_t k = i + 1; k < count; ++k)
            if (width(lists[k]) > width(lists[widest])) widest = k;
        std::rotate(lists + i, lists + widest, lists + widest + 1);
    }
}

double CoveredShare(const CArray<HorizontalLine>& skyline, double areaMm2, int32_t widthMm)
{
    int32_t length = 0;
    for (const HorizontalLine& segment : skyline) length = std::max(length, segment.level);
    const double usedMm2 = static_cast<double>(length) / kUnitsPerMm * widthMm;
    // No material used (nothing placed, or a width of 0): there is no share to speak of.
    if (!(usedMm2 > 0.0)) return 0.0;
    return areaMm2 / usedMm2;
}

}  // namespace

void SetInitialSkyline(CArray<HorizontalLine>& skyline, int32_t widthMm)
{
    skyline.RemoveAll();
    HorizontalLine whole;
    whole.to = SaturateToInt32(static_cast<int64_t>(widthMm) * kUnitsPerMm);
    skyline.Add(whole);
}

void SortRects_LowestHorizontalLine(PlotShapeList** lists, int count, CArray<HorizontalLine>& skyline,
                                    PlotShapeList* out)
{
    if (!lists || count <= 0) return;
    SortByWidth(lists, count);
    PackOnSkyline(lists, count, skyline, true, out);
}

void SetRectData(PlotShapeList** lists, int count, int32_t widthMm, PlotShapeList* out)
{
    (void)out;
    RectData& data = Data();
    data.lists = lists;
    data.count = lists && count > 0 ? count : 0;
    data.widthMm = widthMm;
    data.totalAreaMm2 = 0.0;
    for (int32_t k = 0; k < data.count; ++k)
        if (TakesPlace(lists[k])) data.totalAreaMm2 += lists[k]->GetArea().Area();
    data.work.SetSize(data.count);
}

void ClearRectData() { Data() = RectData(); }

double PackRectDataInOrder(const CArray<int32_t>& genes, bool place, PlotShapeList* out)
{
    RectData& data = Data();
    const int32_t n = std::min(genes.GetSize(), data.count);
    for (int32_t k = 0; k < n; ++k) {
        const int32_t g = genes[k];
        data.work[k] = g >= 0 && g < data.count ? data.lists[g] : nullptr;
    }
    CArray<HorizontalLine> skyline;
    SetInitialSkyline(skyline, data.widthMm);
    PackOnSkyline(data.work.GetData(), n, skyline, place, out);
    return CoveredShare(skyline, data.totalAreaMm2, data.widthMm);
}
