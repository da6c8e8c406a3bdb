// The user interface's resources by number: tool-bar layouts and bitmaps.
#pragma once

#include <QImage>

#include <optional>
#include <vector>

// A tool bar's button layout: command ids in order, 0 for a separator.
using ToolBarLayout = std::vector<int>;
inline constexpr int kToolBarSeparator = 0;

// The main window's tool bar and its normal, hot and disabled bitmaps.
inline constexpr int kMainToolBarResource = 128;
inline constexpr int kMainToolBarBitmap = 128;
inline constexpr int kMainToolBarHotBitmap = 250;
inline constexpr int kMainToolBarDisabledBitmap = 251;
inline constexpr int kMainToolBarButtonWidth = 32;
// The preview's tool bar and its bitmap.
inline constexpr int kPreviewToolBarResource = 248;
inline constexpr int kPreviewToolBarBitmap = 249;

// The layout of tool-bar resource id, or nothing when there is none.
std::optional<ToolBarLayout> LoadToolBarResource(int id);
// Bitmap resource id; a null image when there is none.
QImage LoadBitmapResource(int id);
