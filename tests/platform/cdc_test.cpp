// CDC and CPen: selection hand-back, positions, window origin, and pixels painted on images.
#include "platform/cdc.h"
#include "platform/cdc_painter.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <vector>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

TEST(ColorRef, PacksRedInTheLowByte)
{
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x00563412u);
    EXPECT_EQ(GetRValue(0x00563412u), 0x12);
    EXPECT_EQ(GetGValue(0x00563412u), 0x34);
    EXPECT_EQ(GetBValue(0x00563412u), 0x56);
}

TEST(CDCState, SelectionHandsBackThePreviousPenAndPositionsTheirPredecessors)
{
    CDC dc;
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    CPen* stock = dc.SelectObject(&red);
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(stock->GetColor(), kBlack);
    EXPECT_EQ(stock->GetStyle(), PS_SOLID);
    EXPECT_EQ(dc.SelectObject(stock), &red);

    CPen undefined;
    EXPECT_EQ(dc.SelectObject(&undefined), nullptr);
    EXPECT_EQ(dc.SelectObject(static_cast<CPen*>(nullptr)), nullptr);
    EXPECT_EQ(dc.SelectObject(&red), stock) << "refused selections change nothing";

    EXPECT_EQ(dc.MoveTo(5, 6), CPoint(0, 0));
    EXPECT_EQ(dc.LineTo(7, 8), TRUE);
    EXPECT_EQ(dc.GetCurrentPosition(), CPoint(7, 8));
    EXPECT_EQ(dc.MoveTo(CPoint(1, 1)), CPoint(7, 8));
    EXPECT_EQ(dc.SetWindowOrg(3, 4), CPoint(0, 0));
    EXPECT_EQ(dc.SetWindowOrg(0, 0), CPoint(3, 4));
    EXPECT_EQ(dc.GetPixel(0, 0), CLR_INVALID) << "a DC without a device has no pixels";

    EXPECT_EQ(red.CreatePen(PS_DOT, 1, kBlack), FALSE) << "an existing pen is not redefined";
    EXPECT_EQ(red.DeleteObject(), TRUE);
    EXPECT_EQ(red.DeleteObject(), FALSE);
    EXPECT_EQ(undefined.CreatePen(9, 1, kBlack), FALSE);
}

TEST(CDCImage, LinesPaintTheirPixelsButTheEndInThePenColour)
{
    CImageDC dc(20, 10);
    EXPECT_EQ(dc.GetPixel(0, 0), kWhite);
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    dc.SelectObject(&red);
    dc.MoveTo(2, 3);
    dc.LineTo(12, 3);
    for (int x = 2; x < 12; ++x) EXPECT_EQ(dc.GetPixel(x, 3), RGB(255, 0, 0)) << "x " << x;
    EXPECT_EQ(dc.GetPixel(1, 3), kWhite);
    EXPECT_EQ(dc.GetPixel(12, 3), kWhite) << "the end pixel is left out";
    EXPECT_EQ(dc.GetPixel(5, 4), kWhite);
    EXPECT_EQ(dc.GetPixel(20, 0), CLR_INVALID);
    EXPECT_EQ(dc.GetPixel(-1, 0), CLR_INVALID);

    // Logical (10, 10) is put at the device's top-left.
    dc.SetWindowOrg(10, 10);
    dc.MoveTo(10, 15);
    dc.LineTo(10, 19);
    EXPECT_EQ(dc.GetPixel(10, 17), RGB(255, 0, 0));
    EXPECT_EQ(dc.GetPixel(12, 13), RGB(255, 0, 0)) << "device (2, 3) seen through the origin";
    EXPECT_EQ(dc.GetPixel(9, 9), CLR_INVALID);
}

TEST(CDCImage, APolylinePaintsWhatItsLinesDoAndLeavesThePositionAlone)
{
    // A zigzag through the window origin, with steep, flat and diagonal legs.
    const CPoint points[] = {{12, 14}, {40, 14}, {25, 35}, {25, 18}, {5, 30}, {44, 29}};
    const int count = static_cast<int>(std::size(points));
    CImageDC lines(50, 40), batch(50, 40);
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    lines.SelectObject(&red);
    batch.SelectObject(&red);
    lines.SetWindowOrg(3, 4);
    batch.SetWindowOrg(3, 4);
    lines.MoveTo(points[0]);
    for (int i = 1; i < count; ++i) lines.LineTo(points[i]);
    batch.MoveTo(7, 8);
    EXPECT_TRUE(batch.Polyline(points, count));
    EXPECT_EQ(batch.GetCurrentPosition(), CPoint(7, 8));
    for (int y = 4; y < 44; ++y)
        for (int x = 3; x < 53; ++x) {
            bool innerJoin = false;
            for (int i = 1; i + 1 < count; ++i) innerJoin |= points[i] == CPoint(x, y);
            if (innerJoin) continue;
            ASSERT_EQ(batch.GetPixel(x, y), lines.GetPixel(x, y)) << x << "," << y;
        }
    EXPECT_EQ(batch.GetPixel(44, 29), kWhite) << "the last end pixel is left out";

    EXPECT_FALSE(batch.Polyline(nullptr, 2));
    EXPECT_FALSE(batch.Polyline(points, -1));
    EXPECT_TRUE(batch.Polyline(points, 1)) << "one point draws nothing";
}

TEST(CDCImage, RepeatedPolylinePointsPaintAsTheirLinesDo)
{
    // Short lines that land on one pixel: the batch leaves the empty ones out.
    const std::vector<std::vector<CPoint>> cases{
        {{5, 5}, {5, 5}, {9, 6}, {9, 6}, {9, 6}, {12, 12}, {12, 12}},
        {{20, 20}, {20, 20}, {20, 20}},
    };
    for (const std::vector<CPoint>& points : cases) {
        CImageDC lines(30, 30), batch(30, 30);
        CPen red(PS_SOLID, 1, RGB(255, 0, 0));
        lines.SelectObject(&red);
        batch.SelectObject(&red);
        lines.MoveTo(points[0]);
        for (size_t i = 1; i < points.size(); ++i) lines.LineTo(points[i]);
        EXPECT_TRUE(batch.Polyline(points.data(), static_cast<int>(points.size())));
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 30; ++x) {
                bool innerJoin = false;
                for (size_t i = 1; i + 1 < points.size(); ++i) innerJoin |= points[i] == CPoint(x, y);
                if (innerJoin) continue;
                ASSERT_EQ(batch.GetPixel(x, y), lines.GetPixel(x, y)) << x << "," << y;
            }
        EXPECT_EQ(batch.GetPixel(points.back().x, points.back().y), kWhite) << "the last end pixel is left out";
    }
}

TEST(CDCImage, AClosedThinOutlineLightsEveryCorner)
{
    // Its end is its start: no line follows to light that pixel, so the outline does.
    const CPoint square[] = {{5, 5}, {15, 5}, {15, 12}, {5, 12}, {5, 5}};
    CImageDC dc(20, 20);
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    dc.SelectObject(&red);
    EXPECT_TRUE(dc.Polyline(square, static_cast<int>(std::size(square))));
    for (const CPoint& corner : square) EXPECT_EQ(dc.GetPixel(corner.x, corner.y), RGB(255, 0, 0)) << corner.x << "," << corner.y;
    // Every pixel of the outline, and nothing inside it.
    for (int x = 5; x <= 15; ++x) EXPECT_EQ(dc.GetPixel(x, 5), RGB(255, 0, 0)) << x;
    for (int y = 5; y <= 12; ++y) EXPECT_EQ(dc.GetPixel(5, y), RGB(255, 0, 0)) << y;
    EXPECT_EQ(dc.GetPixel(10, 8), kWhite);
}

TEST(CDCImage, DottedPensLeaveGapsAndNullPensPaintNothing)
{
    CImageDC dc(40, 4);
    CPen dotted(PS_DOT, 1, kBlack), none(PS_NULL, 1, kBlack);
    dc.SelectObject(&dotted);
    dc.MoveTo(0, 1);
    dc.LineTo(39, 1);
    int black = 0;
    for (int x = 0; x < 40; ++x) black += dc.GetPixel(x, 1) == kBlack;
    EXPECT_GT(black, 5);
    EXPECT_LT(black, 35);

    dc.SelectObject(&none);
    dc.MoveTo(0, 3);
    dc.LineTo(39, 3);
    for (int x = 0; x < 40; ++x) EXPECT_EQ(dc.GetPixel(x, 3), kWhite);
}

TEST(CDCImage, APenEndingWhileSelectedIsNeverReadAgain)
{
    CImageDC dc(10, 10);
    {
        CPen shortLived(PS_SOLID, 1, RGB(0, 0, 255));
        dc.SelectObject(&shortLived);
    }
    dc.MoveTo(0, 0);
    dc.LineTo(5, 0);
    EXPECT_EQ(dc.GetPixel(3, 0), RGB(0, 0, 255));

    CImageDC empty(0, -3);
    empty.LineTo(5, 5);
    EXPECT_EQ(empty.GetPixel(0, 0), CLR_INVALID);
}

TEST(CPainterDC, PaintsOnTheCallersDevice)
{
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        CPainterDC dc(&painter);
        dc.MoveTo(1, 1);
        dc.LineTo(8, 1);
        EXPECT_EQ(dc.GetPixel(1, 1), CLR_INVALID) << "a widget's pixels are not read back";
    }
    EXPECT_EQ(image.pixel(4, 1), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(4, 2), qRgb(255, 255, 255));

    CPainterDC inactive(nullptr);
    inactive.LineTo(3, 3);
    EXPECT_EQ(inactive.GetCurrentPosition(), CPoint(3, 3));
}

// Counts the pixels that are not white in a rectangle of device pixels.
int InkedPixels(const CImageDC& dc, int width, int height)
{
    int inked = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) inked += dc.GetPixel(x, y) != kWhite ? 1 : 0;
    return inked;
}

TEST(CDCImage, TextNeedsTheWindowingSystemAndKeepsThePosition)
{
    CImageDC before(40, 20);
    EXPECT_EQ(before.TextOut(0, 0, CString(u"18")), FALSE) << "no GUI application yet";
    EXPECT_EQ(InkedPixels(before, 40, 20), 0);

    int argc = 1;
    char name[] = "test_platform";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    CImageDC dc(40, 20);
    dc.MoveTo(3, 4);
    dc.SetWindowOrg(-10, 0);
    EXPECT_EQ(dc.TextOut(0, 0, CString(u"18")), TRUE);
    EXPECT_EQ(dc.GetCurrentPosition(), CPoint(3, 4));
    int inked = InkedPixels(dc, 30, 20);
    EXPECT_GT(inked, 5);
    int leftOfOrigin = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = -10; x < 0; ++x) leftOfOrigin += dc.GetPixel(x, y) != kWhite ? 1 : 0;
    EXPECT_EQ(leftOfOrigin, 0) << "the text starts at the logical point";
}

}  // namespace

namespace {

// The Windows-layout rows of a bitmap.
std::vector<uint8_t> Bits(const CBitmap& bitmap)
{
    BITMAP header;
    EXPECT_NE(bitmap.GetBitmap(&header), 0);
    std::vector<uint8_t> bits(static_cast<size_t>(header.bmWidthBytes * header.bmHeight), 0x5A);
    EXPECT_EQ(bitmap.GetBitmapBits(static_cast<LONG>(bits.size()), bits.data()), static_cast<LONG>(bits.size()));
    return bits;
}

TEST(CBitmapLayout, RowsArePaddedTo16BitsWithOnesAndBlackIsZero)
{
    CBitmap bitmap;
    EXPECT_EQ(bitmap.CreateBitmap(20, 3, 1, 8, nullptr), FALSE) << "only 1 plane of 1 bit";
    EXPECT_EQ(bitmap.CreateBitmap(0, 3, 1, 1, nullptr), FALSE);
    ASSERT_EQ(bitmap.CreateBitmap(20, 3, 1, 1, nullptr), TRUE);
    EXPECT_EQ(bitmap.CreateBitmap(20, 3, 1, 1, nullptr), FALSE) << "an existing bitmap is not redefined";
    BITMAP header;
    ASSERT_NE(bitmap.GetBitmap(&header), 0);
    EXPECT_EQ(header.bmWidth, 20);
    EXPECT_EQ(header.bmHeight, 3);
    EXPECT_EQ(header.bmWidthBytes, 4) << "2 x ceil(20 / 16)";
    EXPECT_EQ(header.bmPlanes, 1);
    EXPECT_EQ(header.bmBitsPixel, 1);
    // Black when created: pixels 0, the 12 padding bits of each row 1.
    EXPECT_EQ(Bits(bitmap), (std::vector<uint8_t>{0, 0, 0x0F, 0xFF, 0, 0, 0x0F, 0xFF, 0, 0, 0x0F, 0xFF}));
    uint8_t few[5];
    EXPECT_EQ(bitmap.GetBitmapBits(5, few), 5) << "a short count copies only that much";

    // Bits handed in come back the same, in 16-bit rows whatever the image pads to.
    const uint8_t rows[] = {0x81, 0x42, 0xF0, 0xFF, 0x00, 0xFF, 0xA0, 0xFF};
    CBitmap given;
    ASSERT_EQ(given.CreateBitmap(20, 2, 1, 1, rows), TRUE);
    EXPECT_EQ(Bits(given), (std::vector<uint8_t>{0x81, 0x42, 0xFF, 0xFF, 0x00, 0xFF, 0xAF, 0xFF}));
    EXPECT_EQ(given.DeleteObject(), TRUE);
    EXPECT_EQ(given.GetBitmap(&header), 0);
    EXPECT_EQ(given.GetBitmapBits(8, few), 0);
}

TEST(CMemoryDC, PaintsOnTheSelectedBitmapAliasedAndRectanglesLeaveOutRightAndBottom)
{
    CDC dc;
    CBitmap bitmap;
    ASSERT_EQ(bitmap.CreateBitmap(16, 6, 1, 1, nullptr), TRUE);
    EXPECT_EQ(dc.SelectObject(&bitmap), nullptr) << "not a memory DC yet";
    ASSERT_EQ(dc.CreateCompatibleDC(nullptr), TRUE);
    EXPECT_EQ(dc.CreateCompatibleDC(nullptr), FALSE);
    EXPECT_EQ(dc.SelectObject(&bitmap), nullptr) << "nothing selected before";
    CBrush white(kWhite);
    ASSERT_NE(dc.SelectObject(&white), nullptr);
    // White inside, outlined in black from (2, 1) to (9, 4): right and bottom edges excluded.
    dc.Rectangle(2, 1, 10, 5);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool outline = x >= 2 && x <= 9 && y >= 1 && y <= 4 && (x == 2 || x == 9 || y == 1 || y == 4);
            const bool inside = x > 2 && x < 9 && y > 1 && y < 4;
            EXPECT_EQ(dc.GetPixel(x, y), outline ? kBlack : inside ? kWhite : kBlack) << x << "," << y;
        }
    // A pen deleted while selected leaves the DC drawing as before; so does the bitmap.
    CBrush* stock = dc.SelectObject(&white);
    EXPECT_EQ(stock, &white);
    {
        CPen pen(PS_NULL, 1, kBlack);
        dc.SelectObject(&pen);
    }
    dc.Rectangle(0, 0, 16, 6);
    bitmap.DeleteObject();
    EXPECT_EQ(dc.GetPixel(0, 0), kWhite) << "the null pen outlines nothing";
    EXPECT_EQ(dc.GetPixel(15, 5), kWhite);
    EXPECT_EQ(dc.DeleteDC(), TRUE);
    EXPECT_EQ(dc.GetPixel(0, 0), CLR_INVALID);
    EXPECT_EQ(dc.DeleteDC(), FALSE);
}

TEST(CMemoryDC, WidePensEndRoundAndThinOnesStayOnePixel)
{
    CDC dc;
    CBitmap bitmap;
    ASSERT_EQ(bitmap.CreateBitmap(40, 20, 1, 1, nullptr), TRUE);
    ASSERT_EQ(dc.CreateCompatibleDC(nullptr), TRUE);
    dc.SelectObject(&bitmap);
    CBrush white(kWhite);
    dc.SelectObject(&white);
    dc.Rectangle(-1, -1, 41, 21);
    CPen wide(PS_SOLID, 6, kBlack);
    dc.SelectObject(&wide);
    dc.MoveTo(10, 10);
    dc.LineTo(20, 10);
    EXPECT_EQ(dc.GetPixel(15, 8), kBlack);
    EXPECT_EQ(dc.GetPixel(15, 12), kBlack);
    EXPECT_EQ(dc.GetPixel(8, 10), kBlack) << "the round end reaches past the start";
    EXPECT_EQ(dc.GetPixel(22, 10), kBlack) << "and past the end";
    EXPECT_EQ(dc.GetPixel(7, 7), kWhite) << "but not into the square corner";
    EXPECT_EQ(dc.GetPixel(15, 5), kWhite);

    CPen thin(PS_SOLID, 1, kBlack);
    dc.SelectObject(&thin);
    dc.MoveTo(5, 2);
    dc.LineTo(30, 2);
    EXPECT_EQ(dc.GetPixel(5, 2), kBlack);
    EXPECT_EQ(dc.GetPixel(29, 2), kBlack);
    EXPECT_EQ(dc.GetPixel(30, 2), kWhite);
    EXPECT_EQ(dc.GetPixel(17, 1), kWhite);
    EXPECT_EQ(dc.GetPixel(17, 3), kWhite);
}

TEST(CMemoryDC, PaintsBitmapsTallerThanThePainterReaches)
{
    CDC dc;
    CBitmap bitmap;
    ASSERT_EQ(bitmap.CreateBitmap(8, 40000, 1, 1, nullptr), TRUE);
    ASSERT_EQ(dc.CreateCompatibleDC(nullptr), TRUE);
    dc.SelectObject(&bitmap);
    CBrush white(kWhite);
    dc.SelectObject(&white);
    dc.Rectangle(-1, -1, 9, 40001);
    EXPECT_EQ(dc.GetPixel(3, 39999), kWhite);
    dc.MoveTo(3, 10);
    dc.LineTo(3, 39990);  // across both row strips
    for (int y : {10, 16383, 16384, 32767, 32768, 39989}) EXPECT_EQ(dc.GetPixel(3, y), kBlack) << "row " << y;
    EXPECT_EQ(dc.GetPixel(3, 39990), kWhite);
    EXPECT_EQ(dc.GetPixel(4, 20000), kWhite);
}

}  // namespace
