// Tool-bar strips cut into button images, mask colours and captions.
#include "ui/tool_bar_strip.h"

#include <gtest/gtest.h>

namespace {

// A strip of width × 15 in the mask colour with one red pixel per button at (1, 1).
QImage Strip(int width, QRgb mask, int buttonWidth)
{
    QImage strip(width, 15, QImage::Format_RGB32);
    strip.fill(mask);
    for (int x = 1; x < width; x += buttonWidth) strip.setPixel(x, 1, qRgb(255, 0, 0));
    return strip;
}

TEST(ToolBarStrip, CutsButtonsAndMakesTheMaskTransparent)
{
    const QImage strip = Strip(320, qRgb(0, 128, 128), 32);
    ASSERT_EQ(StripMaskColour(strip), std::optional<QRgb>(qRgb(0, 128, 128)));
    const std::vector<QImage> images = SplitToolBarStrip(strip, 32, qRgb(0, 128, 128));
    ASSERT_EQ(images.size(), 10u);
    EXPECT_EQ(images[9].size(), QSize(32, 15));
    EXPECT_EQ(qAlpha(images[9].pixel(0, 0)), 0);
    EXPECT_EQ(images[9].pixel(1, 1), qRgb(255, 0, 0));
}

TEST(ToolBarStrip, WidthsOfZeroEmptyOrNarrowStripsFail)
{
    const QImage strip = Strip(20, qRgb(192, 192, 192), 32);
    EXPECT_TRUE(SplitToolBarStrip(strip, 0, kToolBarExMaskColour).empty());
    EXPECT_TRUE(SplitToolBarStrip(strip, -4, kToolBarExMaskColour).empty());
    EXPECT_TRUE(SplitToolBarStrip(strip, 32, kToolBarExMaskColour).empty()) << "narrower than a button";
    EXPECT_TRUE(SplitToolBarStrip(QImage(), 16, kToolBarExMaskColour).empty());
    EXPECT_FALSE(StripMaskColour(QImage()).has_value());

    ToolBarImageLists lists;
    const QImage good = Strip(64, qRgb(1, 2, 3), 32);
    EXPECT_FALSE(BuildToolBarImageLists(32, good, &strip, nullptr, lists)) << "a bad hot strip fails the load";
    EXPECT_TRUE(lists.normal.empty());
}

TEST(ToolBarStrip, WithoutHotAndDisabledOnlyTheNormalListIsSet)
{
    ToolBarImageLists lists;
    const QImage strip = Strip(64, qRgb(1, 2, 3), 32);
    ASSERT_TRUE(BuildToolBarImageLists(32, strip, nullptr, nullptr, lists));
    EXPECT_EQ(lists.normal.size(), 2u);
    EXPECT_TRUE(lists.hot.empty());
    EXPECT_TRUE(lists.disabled.empty());
    ASSERT_TRUE(BuildToolBarImageLists(32, strip, &strip, &strip, lists));
    EXPECT_EQ(lists.hot.size(), 2u);
    EXPECT_EQ(lists.disabled.size(), 2u);
}

TEST(ToolBarStrip, ImageSizeAndCaptions)
{
    EXPECT_EQ(ToolBarImageSize(std::nullopt), QSize(16, 15));
    EXPECT_EQ(ToolBarImageSize(QSize(24, 22)), QSize(24, 22));
    EXPECT_EQ(ToolBarCaption(QStringLiteral("Fit the job\nFit")), std::optional<QString>(QStringLiteral("Fit")));
    EXPECT_EQ(ToolBarCaption(QStringLiteral("Fit")), std::optional<QString>(QStringLiteral("Fit")));
    EXPECT_EQ(ToolBarCaption(QStringLiteral("Fit the job\n")), std::nullopt);
    EXPECT_EQ(ToolBarCaption(QStringLiteral("a\nb\nc")), std::optional<QString>(QStringLiteral("b\nc")));
}

}  // namespace
