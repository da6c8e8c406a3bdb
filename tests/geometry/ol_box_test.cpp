// Integer and double boxes: the invalid sentinel, merging, scaling and segment tests.
#include "geometry/ol_box.h"

#include <gtest/gtest.h>

namespace {

TEST(CArea, InvalidBoxMergesIntoExactlyTheOther)
{
    CArea box;
    EXPECT_EQ(box, CArea(0, 0, 0, 0)) << "a new box is the zero box";
    box.MakeInvalid();
    EXPECT_EQ(box.xmin, 2147483647);
    EXPECT_EQ(box.xmax, -2147483647);
    EXPECT_TRUE(box.IsInvalid());
    CArea other;
    other.MakeInvalid();
    box.Merge(other);
    EXPECT_TRUE(box.IsInvalid()) << "two invalid boxes stay invalid";
    box.Merge(CArea(3, -4, 10, 8));
    EXPECT_EQ(box, CArea(3, -4, 10, 8));
    box.Merge(CArea(-1, 0, 2, 20));
    EXPECT_EQ(box, CArea(-1, -4, 10, 20));
}

TEST(CArea, AreaScaleAndContainment)
{
    EXPECT_DOUBLE_EQ(CArea(0, 0, 400, 800).Area(), 200.0);
    EXPECT_DOUBLE_EQ(CArea().Area(), 0.0);
    CArea box(3, 3, 5, 5);
    box.MoveAndScale(0, 0, 0.5f, 0.5f);
    EXPECT_EQ(box, CArea(1, 1, 2, 2));
    box = CArea(-3, 0, 3, 1);
    box.MoveAndScale(1, 1, 0.5f, 1.0f);
    EXPECT_EQ(box, CArea(-1, 1, 2, 2)) << "truncation toward zero";
    box.EnalageOneUnit();
    EXPECT_EQ(box, CArea(-2, 0, 3, 3));
    EXPECT_EQ(CArea(0, 0, 1, 1).IsInBox(box), 1);
    EXPECT_EQ(box.IsIntersect(CArea(3, 3, 9, 9)), 1) << "touching counts";
    EXPECT_EQ(box.IsIntersect(CArea(4, 3, 9, 9)), 0);
    EXPECT_EQ(box.PtIsIn(CPoint(3, 0)), 1);
}

// Boxes around coordinates held at the ends of the 32-bit range (a wild coordinate saturates)
// and the invalid box have sides more than 2^31 apart: their measures must not overflow.
TEST(CArea, MeasuresOfBoxesAsWideAsTheRangeStayDefined)
{
    CArea wide(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    EXPECT_EQ(wide.Width(), INT32_MAX);
    EXPECT_EQ(wide.Height(), INT32_MAX);
    EXPECT_DOUBLE_EQ(wide.Area(), (4294967295.0 / 40.0) * (4294967295.0 / 40.0));
    wide.EnalageOneUnit();
    EXPECT_EQ(wide, CArea(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX)) << "held at the range's ends";

    CArea invalid;
    invalid.MakeInvalid();
    EXPECT_EQ(invalid.Width(), INT32_MIN);
    EXPECT_LT(invalid.Height(), 0) << "still recognisably not a box";
    invalid.EnalageOneUnit();
    EXPECT_TRUE(invalid.IsInvalid());

    // A segment between the range's corners meets the box's left side at its own height.
    CArea box(0, 0, 10, 10);
    CPoint a(INT32_MIN, INT32_MIN), b(INT32_MAX, INT32_MAX), out;
    ASSERT_EQ(box.IntersectWithLine(a, b, out), 1);
    EXPECT_EQ(out, CPoint(0, 0));
}

TEST(CArea, SegmentsAgainstTheBox)
{
    CArea box(0, 0, 10, 10);
    EXPECT_EQ(box.IsIntersectWith(CFloatPoint(-5, 1), CFloatPoint(-1, 9)), 0) << "both ends left";
    EXPECT_EQ(box.IsIntersectWith(CFloatPoint(5, -5), CFloatPoint(5, 15)), 1) << "vertical crossing";
    EXPECT_EQ(box.IsIntersectWith(CFloatPoint(-5, -5), CFloatPoint(15, 15)), 1);
    EXPECT_EQ(box.IsIntersectWith(CFloatPoint(-5, 20), CFloatPoint(15, 11)), 0);

    CPoint a(-5, 5), b(15, 5), out;
    ASSERT_EQ(box.IntersectWithLine(a, b, out), 1);
    EXPECT_EQ(out, CPoint(0, 5)) << "the left side comes first";
    a = CPoint(5, 20);
    b = CPoint(5, -20);
    ASSERT_EQ(box.IntersectWithLine(a, b, out), 1);
    EXPECT_EQ(out, CPoint(5, 0));
    a = CPoint(2, 5);
    b = CPoint(12, 15);
    ASSERT_EQ(box.IntersectWithLine(a, b, out), 1);
    EXPECT_EQ(out, CPoint(7, 10)) << "the top side";
    a = CPoint(20, 5);
    b = CPoint(30, 5);
    EXPECT_EQ(box.IntersectWithLine(a, b, out), 0) << "a horizontal segment that stops short of the box";
}

TEST(OL_Box, ValidityAndMergeRules)
{
    EXPECT_EQ(OL_Box().IsValid(), 0);
    EXPECT_EQ(OL_Box(2, 2, 2, 2).IsValid(), 0) << "a box of one point";
    EXPECT_EQ(OL_Box(0, 5, 10, 5).IsValid(), 1) << "a horizontal line";
    OL_Box sorted(10, 8, -2, 1);
    EXPECT_EQ(sorted.xmin, -2);
    EXPECT_EQ(sorted.ymax, 8);

    OL_Box zero;
    zero.MergePoint(5, 5);
    EXPECT_EQ(zero.xmax, 0) << "a point does not grow an invalid box";
    zero.Merge(OL_Box(1, 1, 3, 4));
    EXPECT_EQ(zero.xmin, 1);
    EXPECT_EQ(zero.ymax, 4);
    zero.Merge(OL_Box());
    EXPECT_EQ(zero.xmin, 1) << "an invalid box merges as nothing";
    zero.MergePoint(-1, 9);
    EXPECT_EQ(zero.xmin, -1);
    EXPECT_EQ(zero.ymax, 9);
    EXPECT_EQ(zero.Center().x, 1);

    OL_Box r;
    r = CRect(5, 6, 1, 2);
    EXPECT_EQ(r.xmin, 1);
    EXPECT_EQ(r.IsInRect(CRect(0, 0, 5, 6)), 1);
    EXPECT_EQ(r.IsIntersectWith(OL_Box(5, 6, 8, 8)), 1);
    EXPECT_EQ(r.IsIntersectWith(OL_Box(5.1, 6, 8, 8)), 0);
    EXPECT_EQ(OL_Box(CArea(1, 2, 3, 4)).ymax, 4);
}

}  // namespace
