// NET_Machine: the ink-jet raster: rendering a band of the print list into a 1-bit bitmap and
// packing it, row by row through the heads' nozzle ranges, into the jet stream.
//
// Method. Band m (the jet end marker) covers raster columns x0 .. x0 + w - 1 of the print
// list, w being the row step; it is painted black on white with y + 50 as the bitmap row. The
// packed block of a band is the band offset (rows of zero dots), then one output row per
// bitmap row plus the head spread, each holding every head's nozzles, read from the bitmap
// row that head sees (inverted: a black pixel is a printed dot), then zero rows up to the
// block length the machine expects. The warm-up band before band 1 prints a fixed pattern
// instead of the bitmap.
//
// Units: columns, rows and offsets are raster rows of the print list (plotter units of the
// prepared job); dots and nozzles count bits of the packed stream.
//
// Preconditions: the task box's head positions and nozzle ranges are those of GetJetInfo, and
// the row step equals GetJetPt(), so every output row holds exactly one row of dots.
#include "machinelink/machine_globals.h"
#include "machinelink/net_machine.h"
#include "plotmodel/plot_shape_cut_list.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Rows of the block the machine expects for the warm-up band and the first two bands.
constexpr int64_t kFullBlockRows = 32768;
// Rows of zero dots after the rows of a later band.
constexpr int64_t kShortTailRows = 5;
// Rows of the warm-up pattern's period.
constexpr int kWarmUpPeriodRows = 118;
// Bitmap rows above the print list's y = 0, and below its top beyond the margin.
constexpr int kTopRows = 50;
constexpr int kBottomRows = 10;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A value held within 16 bits.
int16_t SaturateToInt16(int64_t v) { return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX)); }

// Nozzles of head j from the cumulative ranges: the range start is the ranges before it.
int64_t RangeStart(const int32_t ranges[4], int j) { return j == 0 ? 0 : ranges[j - 1]; }

// Feeds bits [start, end) of a raster row of width pixels, inverted, through the packer:
// whole bytes by shifting across byte boundaries, the last few with the bit-count form.
// Nozzles beyond the row's width see no pixel and feed 0.
void FeedRowBits(P_DataBuf& stream, STR_JET_RAR& state, const uint8_t* row, int64_t width, int64_t start, int64_t end)
{
    if (end <= start) return;
    int64_t from = std::max<int64_t>(start, 0);
    const int64_t to = std::min(end, width);
    while (from < to) {
        const int n = static_cast<int>(std::min<int64_t>(8, to - from));
        const int shift = static_cast<int>(from % 8);
        const size_t at = static_cast<size_t>(from / 8);
        uint8_t bits = static_cast<uint8_t>(row[at] << shift);
        if (shift + n > 8) bits = static_cast<uint8_t>(bits | (row[at + 1] >> (8 - shift)));
        bits = static_cast<uint8_t>(~bits);
        if (n == 8) stream.JetRar(state, bits);
        else stream.JetRar(state, bits, n);
        from += n;
    }
    stream.JetRarBits(state, 0, end - std::max({start, width, int64_t{0}}));
}

}  // namespace

int64_t NET_Machine::JetBandBase() const
{
    return task.requestValue3 != 0 ? std::max<int32_t>(task.requestValue3, 100) : BandScaleValue(plot.bandBaseMm);
}

int NET_Machine::Plt2Map()
{
    const PlotShapeCutList* printList = PrintList();
    if (!printList) return 0;
    const CArea& box = printList->GetArea();
    const int64_t h = box.ymax;
    const int64_t w = task.rowStep;
    const int64_t rightEdge = box.xmax;
    int64_t x0 = task.rowAccumulator + w * (static_cast<int64_t>(jetEndMarker) - task.lastRow - 1);
    // Without a positive row step the bands never reach the right edge: there is no band to
    // render (and the previous band's raster is not packed again).
    if (w <= 0 || x0 >= rightEdge) {
        raster.Detach();
        return 0;
    }
    const int64_t height = h + kTopRows + jet.margin + kBottomRows;
    const int64_t clipped = x0 + w - rightEdge - 1;  // columns beyond the right edge, painted white
    if (clipped > 0) x0 = rightEdge - w + 1;

    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap bitmap;
    // A band without rows (a print list far below y = 0) or too large to allocate makes no
    // bitmap: no raster, so nothing stale is packed.
    if (height <= 0 || height > INT_MAX || w > INT_MAX ||
        !bitmap.CreateBitmap(static_cast<int>(w), static_cast<int>(height), 1, 1, nullptr)) {
        raster.Detach();
        return 0;
    }
    const int bitmapWidth = static_cast<int>(w);
    const int bitmapHeight = static_cast<int>(height);
    dc.SelectObject(&bitmap);
    CBrush white(kWhite);
    dc.SelectObject(&white);
    dc.Rectangle(-1, -1, bitmapWidth + 1, bitmapHeight + 1);

    CPen pens[2];
    pens[0].CreatePen(PS_SOLID, jet.penWidth, kBlack);
    pens[1].CreatePen(PS_SOLID, jet.penWidth == 1 ? 2 : TruncateToWire(jet.penWidth * 1.502), kBlack);

    structRenderPrint render;
    render.dc = &dc;
    render.offsetX = static_cast<double>(-x0);
    render.offsetY = kTopRows;
    render.scaleX = 1.0;
    render.scaleY = 1.0;
    if (jetEndMarker % 2 != 0) {
        // Odd bands print in the other direction: the top and bottom bands are stretched.
        const SpeedLevelRecord& level = speedLevels[ValidLevelIndex(task.jetLevel)];
        const double factor = 400.0 * plot.yScale / static_cast<double>(Y_RelSCALE);
        int64_t top = TruncateToWire(level.headValues[2] * factor);
        int64_t bottom = TruncateToWire(level.headValues[4] * factor);
        if (top + bottom >= h) top = bottom = h / 2;
        render.height = static_cast<int32_t>(h);
        render.topBand = SaturateToInt16(top);
        render.topStretch = level.headValues[3];
        render.bottomBand = SaturateToInt16(bottom);
        render.bottomStretch = level.headValues[5];
    }

    resumed = 0;
    for (PlotShape* shape = printList->HeadShape(); shape; shape = printList->ShapeAfter(shape))
        shape->RenderPrint(render, pens);
    if (clipped > 0) {
        CPen whitePen(PS_SOLID, 1, kWhite);
        dc.SelectObject(&whitePen);
        for (int64_t column = 0; column < clipped; ++column) {
            dc.MoveTo(static_cast<int>(column), -1);
            dc.LineTo(static_cast<int>(column), bitmapHeight + 1);
        }
    }

    ++jetEndMarker;
    const int attached = raster.Attach(&bitmap);
    dc.DeleteDC();
    bitmap.DeleteObject();
    return attached;
}

bool NET_Machine::PackWarmUpBand()
{
    const PlotShapeCutList* printList = PrintList();
    if (!printList || !printList->HeadShape() || task.rowStep <= 0) return false;
    const int64_t h = printList->GetArea().ymax;
    const int64_t lastRow = jet.margin + h + 59;
    const int lines = GetWarmUpLines();
    STR_JET_RAR state;
    jetStream.JetRarBits(state, 0, JetBandBase() * task.rowStep);
    const int64_t rows = static_cast<int64_t>(task.headPositions[4]) + jet.margin + h + 60;
    for (int64_t i = 0; i < rows; ++i) {
        for (int j = 0; j < 4; ++j) {
            const int64_t nozzles = task.nozzleRanges[j] - RangeStart(task.nozzleRanges, j);
            if (nozzles <= 0) continue;
            const int64_t r = i + task.headPositions[j];
            const bool blank = r < 0 || r > lastRow || lines < 0 || (lines > 0 && r >= static_cast<int64_t>(lines) * kWarmUpPeriodRows);
            jetStream.JetRarBits(state, !blank && r % kWarmUpPeriodRows < jet.warmUpDuty ? 1 : 0, nozzles);
        }
    }
    // A block already longer than the machine's length gets no tail (a negative one would
    // shorten the pending zero run and lose dots).
    jetStream.JetRarEnd(state, std::max<int64_t>(0, task.rowStep * kFullBlockRows - jetStream.GetBitCount() - state.count));
    ++jetEndMarker;
    return true;
}

bool NET_Machine::PackNextBand()
{
    const int64_t band = jetEndMarker;
    if (!Plt2Map()) return false;
    const int64_t width = raster.Width();
    const int64_t height = raster.Height();
    int64_t offset = JetBandBase();
    const int16_t bidi = speedLevels[JetLevelIndex()].bidiOffset;
    if (band % 2 == 0 && bidi > 0) offset += bidi;
    if (band % 2 != 0 && bidi < 0) offset -= bidi;
    STR_JET_RAR state;
    jetStream.AppendBits(0, std::max<int64_t>(offset, 0) * width);
    const int64_t rows = height + task.headPositions[4];
    for (int64_t i = 0; i < rows; ++i) {
        for (int j = 0; j < 4; ++j) {
            const int64_t start = RangeStart(task.nozzleRanges, j);
            const int64_t end = task.nozzleRanges[j];
            const int64_t r = i + task.headPositions[j];
            const uint8_t* row = r >= 0 && r < height ? raster.GetLine(static_cast<int>(r)) : nullptr;
            if (row) FeedRowBits(jetStream, state, row, width, start, end);
            else jetStream.JetRarBits(state, 0, end - start);
        }
    }
    const int64_t tail = band > 2 ? kShortTailRows * width : width * kFullBlockRows - jetStream.GetBitCount() - state.count;
    // A negative tail (a band of more rows than the block holds) would lose dots: none then.
    jetStream.JetRarEnd(state, std::max<int64_t>(tail, 0));
    return true;
}

int NET_Machine::GetNextStrJet(uint8_t* buffer, int capacity)
{
    if (!buffer || capacity <= 0) return 0;
    for (;;) {
        int n = capacity;
        if (const uint8_t* block = jetStream.GetNextGroupData(n); block && n > 0) {
            std::memcpy(buffer, block, static_cast<size_t>(n));
            return n;
        }
        jetStream.Initialize();
        if (jetEndMarker < 0) return -1;
        if (!(jetEndMarker == 0 ? PackWarmUpBand() : PackNextBand())) return -1;
    }
}
