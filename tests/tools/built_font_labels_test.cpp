// HPGL labels drawn in the font files the build made: where their boxes sit and how large
// they are, for both explainers.
#include "support/built_fonts.h"

#include "hpgl/hpgl_explainer.h"
#include "hpgl/hpgl_stream_explainer.h"

#include <string>
#include <vector>

namespace {

using corvane_test::BuiltFonts;

// Two labels of "HH" in the default character size (SI 0.8 x 1.0 cm): one upright at
// (1000, 2000), one turned a quarter left (DI0,1) at (5000, 1000).
const char kLabels[] = "IN;PU1000,2000;LBHH\x03" "DI0,1;PU5000,1000;LBHH\x03";

std::string WritePlotFile()
{
    std::string path = corvane_test::ScratchDir() + "labels.plt";
    EXPECT_TRUE(corvane_test::WriteFile(path, kLabels));
    return path;
}

std::vector<CArea> BoxesOf(const PlotShapeList& list)
{
    std::vector<CArea> boxes;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) boxes.push_back(s->GetArea());
    return boxes;
}

// The boxes the label rules give: "HH" laid out at the pitch A, raised by the single-byte
// rise, turned by the direction, scaled so that the font's box becomes one character cell
// (0.8 x 1.0 cm, 400 units a centimetre) and moved to the pen.
std::vector<CArea> ExpectedBoxes(const PlotFontLib& font)
{
    const ShxBox& cellBox = font.GetArea();
    const double sx = 0.8 * 400 / (cellBox.xmax - cellBox.xmin);
    const double sy = 1.0 * 400 / (cellBox.ymax - cellBox.ymin);
    const ShxBox& h = font.FindPlotChar(PlotFontLib::FullWidthFirst + ('H' - '!'))->GetArea();
    const double left = h.xmin;
    const double right = cellBox.xmax + h.xmax;
    const double bottom = h.ymin + PlotFontLib::SingleByteRise;
    const double top = h.ymax + PlotFontLib::SingleByteRise;
    auto box = [](double x0, double y0, double x1, double y1) {
        return CArea(static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1), static_cast<int32_t>(y1));
    };
    return {box(1000 + left * sx, 2000 + bottom * sy, 1000 + right * sx, 2000 + top * sy),
            box(5000 - top * sx, 1000 + left * sy, 5000 - bottom * sx, 1000 + right * sy)};
}

void ExpectNear(const std::vector<CArea>& boxes, const std::vector<CArea>& expected, const char* explainer)
{
    ASSERT_EQ(boxes.size(), expected.size()) << explainer;
    for (size_t i = 0; i < boxes.size(); ++i) {
        // Points are truncated to whole units one by one, so a side may differ by one.
        EXPECT_NEAR(boxes[i].xmin, expected[i].xmin, 1) << explainer << " label " << i;
        EXPECT_NEAR(boxes[i].ymin, expected[i].ymin, 1) << explainer << " label " << i;
        EXPECT_NEAR(boxes[i].xmax, expected[i].xmax, 1) << explainer << " label " << i;
        EXPECT_NEAR(boxes[i].ymax, expected[i].ymax, 1) << explainer << " label " << i;
    }
}

}  // namespace

TEST_F(BuiltFonts, LabelBoxesSitAtTheirPositionsInTheirCells)
{
    const std::string path = WritePlotFile();
    const std::vector<CArea> expected = ExpectedBoxes(Labels());

    HpglStreamExplainer stream;
    ASSERT_EQ(stream.LoadHpglFile(CString::FromUtf8(path).GetString()), HpglAnalyzer::kLoadOk);
    PlotShapeList streamShapes;
    stream.Transform(streamShapes);
    ExpectNear(BoxesOf(streamShapes), expected, "stream explainer");

    HpglAnalyzer analyzer;
    ASSERT_EQ(analyzer.LoadHpglFile(CString::FromUtf8(path).GetString()), HpglAnalyzer::kLoadOk);
    HpglExplainer second(analyzer);
    PlotShapeList secondShapes;
    second.Transform(secondShapes);
    ExpectNear(BoxesOf(secondShapes), expected, "second explainer");

    // The label font puts the baseline at the pen: capitals stand on it, right of it, and
    // stay lower than the character height.
    const CArea upright = BoxesOf(streamShapes).at(0);
    EXPECT_EQ(upright.ymin, 2000);
    EXPECT_GT(upright.xmin, 1000);
    EXPECT_LT(upright.ymax, 2000 + 400);
    const CArea turned = BoxesOf(streamShapes).at(1);
    EXPECT_EQ(turned.xmax, 5000);
}
