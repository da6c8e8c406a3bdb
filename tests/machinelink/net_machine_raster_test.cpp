// The ink-jet raster: bands rendered into the bitmap and packed through the heads' nozzle
// ranges, the warm-up band, and the bands' limits of size, checked by unpacking every block.
#include "machinelink/machine_globals.h"
#include "machinelink/net_machine.h"
#include "support/jet_unpacker.h"

#include "../motion/interpolator_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane_test {
namespace {

using interp_fixtures::JobShape;
using interp_fixtures::NewJob;

constexpr int64_t kWidth = 300;       // row step = GetJetPt() of the default heads
constexpr int64_t kOffsetRows = 800;  // band base 100 x 80 / Y_RelSCALE
constexpr int64_t kSpread = 171;

JobShape Line(float x0, float y0, float x1, float y1) { return {{{{x0, y0}, {x1, y1}}}}; }

// The two lines of the round trip: h 100, right edge 600.
std::vector<JobShape> TwoLines() { return {Line(140, 20, 160, 20), Line(590, 100, 600, 100)}; }

// A machine with the default heads holding shapes as its print list, ready to pack bands as
// the dispatcher leaves it (head geometry from GetJetInfo, row step GetJetPt()).
struct JetMachine {
    explicit JetMachine(const std::vector<JobShape>& shapes)
    {
        machine.jet.penWidth = 1;
        PARAM_SetData p;
        p.firstList = NewJob(shapes);
        p.secondList = new PlotShapeCutList;
        machine.motionSource.interpolator.SetData(p);
        machine.GetJetInfo(machine.task.headPositions, machine.task.nozzleRanges);
        machine.task.rowStep = machine.GetJetPt();
    }

    // Hands out packs until one more block is complete; empty when the jet data has ended.
    JetBytes NextBlock()
    {
        uint8_t pack[300];
        for (int n; (n = machine.GetNextStrJet(pack, sizeof pack)) > 0;) {
            pending.insert(pending.end(), pack, pack + n);
            size_t used = 0;
            std::vector<JetBytes> blocks = SplitJetBlocks(pending, &used);
            if (!blocks.empty()) {
                pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(used));
                return blocks.front();
            }
        }
        return {};
    }

    NET_Machine machine;
    JetBytes pending;
};

// The dots of the heads' output row i of a band read from the raster: head j sees raster row
// i + its position, its nozzles the columns of its range, inverted; blank outside the raster.
std::string OutputRow(const NET_Machine& m, int64_t i)
{
    std::string row;
    for (int j = 0; j < 4; ++j) {
        const int start = j == 0 ? 0 : m.task.nozzleRanges[j - 1];
        for (int b = start; b < m.task.nozzleRanges[j]; ++b) {
            const int bit = m.raster.GetBit(b, static_cast<int>(i + m.task.headPositions[j]));
            row += bit == 0 ? '1' : '0';
        }
    }
    return row;
}

// The dots a band block must unpack to: offset rows, the rows read from the raster, then
// zeros up to a block of 32768 rows, or 5 rows of zeros (tailRows 5).
std::string ExpectedBand(const NET_Machine& m, int64_t offsetRows, int64_t tailRows)
{
    std::string dots(static_cast<size_t>(offsetRows * kWidth), '0');
    for (int64_t i = 0; i < m.raster.Height() + kSpread; ++i) dots += OutputRow(m, i);
    const size_t total = tailRows == 5 ? dots.size() + 5 * kWidth : static_cast<size_t>(32768 * kWidth);
    dots.resize(std::max(total, dots.size()), '0');
    return dots;
}

// Output row r of a block's dots after its offset.
std::string RowOf(const std::string& dots, int64_t r, int64_t offsetRows = kOffsetRows)
{
    return dots.substr(static_cast<size_t>((offsetRows + r) * kWidth), static_cast<size_t>(kWidth));
}

// The rows (after the offset) holding a printed dot at nozzle n.
std::vector<int64_t> RowsWithDot(const std::string& dots, int n, int64_t offsetRows = kOffsetRows)
{
    std::vector<int64_t> rows;
    for (int64_t r = 0; (offsetRows + r + 1) * kWidth <= static_cast<int64_t>(dots.size()); ++r)
        if (RowOf(dots, r, offsetRows)[static_cast<size_t>(n)] == '1') rows.push_back(r);
    return rows;
}

TEST(JetRaster, BitmapCopiesAnswerOutsideTheirBoundsWithNothing)
{
    CMyBitmap raster;
    EXPECT_EQ(raster.Attach(nullptr), 0);
    CBitmap undefined;
    EXPECT_EQ(raster.Attach(&undefined), 0);
    CBitmap first, second;
    const uint8_t rows[] = {0x80, 0x00, 0xFF, 0xFF};
    ASSERT_EQ(first.CreateBitmap(12, 2, 1, 1, rows), TRUE);
    ASSERT_EQ(second.CreateBitmap(30, 5, 1, 1, nullptr), TRUE);
    ASSERT_EQ(raster.Attach(&first), 1);
    EXPECT_EQ(raster.Width(), 12);
    EXPECT_EQ(raster.GetWidthBytes(), 2);
    EXPECT_EQ(raster.GetBit(0, 0), 1);
    EXPECT_EQ(raster.GetBit(1, 0), 0);
    EXPECT_EQ(raster.GetBit(11, 1), 1);
    EXPECT_EQ(raster.GetBit(-1, 0), -1);
    EXPECT_EQ(raster.GetBit(12, 0), -1);
    EXPECT_EQ(raster.GetLine(2), nullptr);
    EXPECT_EQ(raster.GetLine(-1), nullptr);
    // Attached again without Detach: the first rows are freed (the leak check sees it).
    ASSERT_EQ(raster.Attach(&second), 1);
    EXPECT_EQ(raster.Height(), 5);
    EXPECT_EQ(raster.GetBit(29, 4), 0);
    EXPECT_EQ(raster.Attach(&undefined), 0);
    EXPECT_EQ(raster.Width(), 0) << "a failed attach holds nothing";
    EXPECT_EQ(raster.GetBit(0, 0), -1);
}

TEST(JetRaster, DefaultHeadsGiveTheirGeometry)
{
    NET_Machine m;
    EXPECT_EQ(m.GetJetWidth(), 171);
    EXPECT_EQ(m.GetJetPt(), 300);
    int32_t positions[5], ranges[4];
    m.GetJetInfo(positions, ranges);
    EXPECT_EQ(std::vector<int32_t>(positions, positions + 5), (std::vector<int32_t>{0, -171, -171, -171, 171}));
    EXPECT_EQ(std::vector<int32_t>(ranges, ranges + 4), (std::vector<int32_t>{150, 300, 300, 300}));
}

TEST(JetRaster, RoundTripsWarmUpAndBandsThroughThePacker)
{
    JetMachine jm(TwoLines());
    const JetBytes warmUp = jm.NextBlock();
    const std::string warm = UnpackJet(warmUp);
    ASSERT_EQ(warm.size(), static_cast<size_t>(32768 * kWidth));
    EXPECT_EQ(warm.find('1'), static_cast<size_t>(kOffsetRows * kWidth)) << "offset rows first";
    EXPECT_EQ(RowsWithDot(warm, 0), (std::vector<int64_t>{0, 1, 2, 3, 118, 119, 120, 121}));
    EXPECT_EQ(RowsWithDot(warm, 149), RowsWithDot(warm, 0));
    EXPECT_EQ(RowsWithDot(warm, 150), (std::vector<int64_t>{171, 172, 173, 174, 289, 290, 291, 292}));
    EXPECT_EQ(RowOf(warm, 0), std::string(150, '1') + std::string(150, '0'));

    const JetBytes band1 = jm.NextBlock();
    ASSERT_EQ(jm.machine.raster.Width(), 300);
    ASSERT_EQ(jm.machine.raster.Height(), 183);
    EXPECT_EQ(jm.machine.raster.GetWidthBytes(), 38);
    const std::string dots1 = UnpackJet(band1);
    EXPECT_EQ(dots1, ExpectedBand(jm.machine, kOffsetRows, 32768));
    EXPECT_EQ(RowOf(dots1, 70), std::string(140, '0') + std::string(10, '1') + std::string(150, '0'));
    EXPECT_EQ(RowOf(dots1, 241), std::string(150, '0') + std::string(10, '1') + std::string(140, '0'));

    const std::string dots2 = UnpackJet(jm.NextBlock());
    EXPECT_EQ(dots2, ExpectedBand(jm.machine, kOffsetRows, 32768));
    EXPECT_EQ(RowOf(dots2, 321), std::string(290, '0') + std::string(10, '1'));
    EXPECT_EQ(dots2.find('1'), static_cast<size_t>((kOffsetRows + 321) * kWidth + 290)) << "nothing else printed";

    EXPECT_TRUE(jm.NextBlock().empty()) << "the third band starts at the right edge";
    EXPECT_EQ(jm.machine.Plt2Map(), 0);
    EXPECT_EQ(jm.machine.raster.Width(), 0);
    uint8_t pack[300];
    EXPECT_EQ(jm.machine.GetNextStrJet(pack, 300), -1);
}

TEST(JetRaster, BandsAfterTheSecondEndFiveRowsLater)
{
    // A job of three bands and a bit: the fourth band (marker 3) ends its block with 5 rows.
    JetMachine jm({Line(10, 10, 20, 10), Line(930, 30, 950, 30)});
    jm.NextBlock();
    for (int band = 1; band <= 3; ++band) {
        const std::string dots = UnpackJet(jm.NextBlock());
        EXPECT_EQ(dots, ExpectedBand(jm.machine, kOffsetRows, band > 2 ? 5 : 32768)) << "band " << band;
    }
    const std::string last = UnpackJet(jm.NextBlock());
    EXPECT_EQ(last, ExpectedBand(jm.machine, kOffsetRows, 5));
    EXPECT_EQ(last.size(), static_cast<size_t>((kOffsetRows + jm.machine.raster.Height() + kSpread + 5) * kWidth));
    EXPECT_TRUE(jm.NextBlock().empty());
}

TEST(JetRaster, ALastBandBeyondTheRightEdgeMovesBackAndBlanksWhatItRepeats)
{
    JetMachine jm({Line(140, 20, 160, 20), Line(300, 100, 450, 100)});
    jm.NextBlock();
    jm.NextBlock();
    const std::string dots = UnpackJet(jm.NextBlock());
    EXPECT_EQ(dots, ExpectedBand(jm.machine, kOffsetRows, 32768));
    const CMyBitmap& raster = jm.machine.raster;
    // Band 2 starts at 151: columns 0-148 repeat band 1's 151-299 and stay white, even where
    // the first line (x 140-159) reaches.
    for (int c = 0; c < 149; ++c) EXPECT_EQ(raster.GetBit(c, 70), 1) << "column " << c;
    for (int c = 0; c < 149; ++c) ASSERT_EQ(raster.GetBit(c, 150), 1) << "column " << c;
    EXPECT_EQ(raster.GetBit(149, 150), 0) << "x 300 is column 149";
    EXPECT_EQ(raster.GetBit(298, 150), 0);
    EXPECT_EQ(raster.GetBit(299, 150), 1) << "the line's end pixel";
}

TEST(JetRaster, WarmUpLinesLimitThePattern)
{
    struct Case {
        int lines;
        std::vector<int64_t> head1Rows;
    };
    const Case cases[] = {
        {0, {0, 1, 2, 3, 118, 119, 120, 121}},
        {1, {0, 1, 2, 3}},
        {-1, {}},
    };
    for (const Case& c : cases) {
        SetWarmUpLines(c.lines);
        JetMachine jm(TwoLines());
        EXPECT_EQ(RowsWithDot(UnpackJet(jm.NextBlock()), 5), c.head1Rows) << "warm-up lines " << c.lines;
    }
    SetWarmUpLines(0);
}

TEST(JetRaster, OddBandsStretchTheirTopAndBottomBands)
{
    JetMachine jm({Line(0, 20, 600, 20), Line(0, 90, 100, 90), Line(590, 100, 600, 100)});
    int16_t* values = jm.machine.speedLevels[0].headValues;
    values[2] = 1, values[3] = 8, values[4] = 2, values[5] = 10;  // margins 40 + 80 reach h: 50 each
    jm.NextBlock();
    jm.NextBlock();
    EXPECT_EQ(jm.machine.raster.GetBit(5, 76), 0) << "y 20 on band 1";
    EXPECT_EQ(jm.machine.raster.GetBit(5, 70), 1);
    EXPECT_EQ(jm.machine.raster.GetBit(5, 146), 0) << "y 90 on band 1";
    jm.NextBlock();
    EXPECT_EQ(jm.machine.raster.GetBit(5, 70), 0) << "y 20 on band 2 is not stretched";
    EXPECT_EQ(jm.machine.raster.GetBit(5, 76), 1);
}

TEST(JetRaster, TheBidirectionalOffsetShiftsOneDirection)
{
    for (int16_t bidi : {6, -6}) {
        JetMachine jm(TwoLines());
        jm.machine.speedLevels[0].bidiOffset = bidi;
        jm.NextBlock();
        const std::string band1 = UnpackJet(jm.NextBlock());
        EXPECT_EQ(band1, ExpectedBand(jm.machine, bidi < 0 ? 806 : 800, 32768)) << "bidi " << bidi;
        const std::string band2 = UnpackJet(jm.NextBlock());
        EXPECT_EQ(band2, ExpectedBand(jm.machine, bidi > 0 ? 806 : 800, 32768)) << "bidi " << bidi;
    }
}

TEST(JetRasterLimits, NoPositiveRowStepGivesNoJetData)
{
    for (int32_t step : {0, -300}) {
        JetMachine jm(TwoLines());
        jm.machine.task.rowStep = step;
        uint8_t pack[300];
        EXPECT_EQ(jm.machine.GetNextStrJet(pack, 300), -1) << "row step " << step;
        jm.machine.jetEndMarker = 1;
        EXPECT_EQ(jm.machine.Plt2Map(), 0);
        EXPECT_EQ(jm.machine.GetNextStrJet(pack, 300), -1);
    }
    JetMachine empty({});
    uint8_t pack[300];
    EXPECT_EQ(empty.machine.GetNextStrJet(pack, 300), -1) << "no shapes: no warm-up";
}

TEST(JetRasterLimits, NozzlesBeyondTheBandWidthPrintNothing)
{
    JetMachine jm({Line(0, 132, 200, 132)});
    jm.machine.task.rowStep = 200;  // narrower than the 300 nozzles
    jm.NextBlock();
    const std::string dots = UnpackJet(jm.NextBlock());
    ASSERT_EQ(jm.machine.raster.Width(), 200);
    const int64_t offset = 200LL * kOffsetRows;
    // Output row 182 + 171: head 2 reads raster row 182 (y 132), nozzles 150-299 = columns
    // 150-199 and then nothing.
    const std::string row = dots.substr(static_cast<size_t>(offset + (182 + kSpread) * 300), 300);
    EXPECT_EQ(row, std::string(150, '0') + std::string(50, '1') + std::string(100, '0'));
}

TEST(JetRasterLimits, AListFarBelowZeroRendersNoBandAndKeepsNoStaleRaster)
{
    JetMachine jm(TwoLines());
    jm.machine.jetEndMarker = 1;
    ASSERT_EQ(jm.machine.Plt2Map(), 1);
    ASSERT_GT(jm.machine.raster.Width(), 0);
    PARAM_SetData p;
    p.firstList = NewJob({Line(0, -200, 600, -83)});
    p.secondList = new PlotShapeCutList;
    jm.machine.motionSource.interpolator.SetData(p);
    jm.machine.jetEndMarker = 1;
    EXPECT_EQ(jm.machine.Plt2Map(), 0) << "box top -83: a bitmap of no rows";
    EXPECT_EQ(jm.machine.raster.Width(), 0);
    EXPECT_EQ(jm.machine.jetEndMarker, 1);
    uint8_t pack[300];
    EXPECT_EQ(jm.machine.GetNextStrJet(pack, 300), -1);
}

TEST(JetRasterLimits, BlocksLongerThanTheMachinesLengthKeepAllTheirRows)
{
    JetMachine jm({Line(10, 0, 20, 0), Line(10, 33000, 20, 33000), Line(290, 10, 300, 10)});
    const int64_t rows = 33000 + 83 + kSpread;  // output rows of the warm-up and of a band
    const std::string warm = UnpackJet(jm.NextBlock());
    EXPECT_EQ(warm.size(), static_cast<size_t>((kOffsetRows + rows) * kWidth)) << "no tail, no lost dots";
    const std::string band = UnpackJet(jm.NextBlock());
    EXPECT_EQ(band.size(), static_cast<size_t>((kOffsetRows + rows) * kWidth));
    EXPECT_EQ(RowOf(band, 33050).substr(0, 20), std::string(10, '0') + std::string(10, '1'))
        << "the top line, read by head 1";
    EXPECT_EQ(RowOf(band, 50 + kSpread).substr(150, 20), std::string(20, '0')) << "columns 10-19 are head 1's";
}

}  // namespace
}  // namespace corvane_test
