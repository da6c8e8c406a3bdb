// The preview's one paint function: the shown list in its pens, the progress line or the
// selection, the sheet frame and the ruler, on any DC (the view's picture, a bench's image).
#pragma once

#include "platform/carray.h"
#include "platform/colorref.h"
#include "ui/preview_geometry.h"

#include <array>

class CDC;
class PlotShape;
class PlotShapeCutList;

// Number of pens the preview draws a list with.
constexpr int kPreviewPenCount = 12;

// What one paint of the preview needs.
struct PreviewPicture {
    const PlotShapeCutList* shownList = nullptr;
    PreviewMapping mapping;
    std::array<COLORREF, kPreviewPenCount> penColours{};
    bool swapped = false;  // the prepared list is shown: progress line and caption
    double progressPercent = 0.0;
    const CArray<PlotShape*>* selection = nullptr;  // drawn thick while not swapped
    bool ruler = false;
    int clientWidth = 0;
};

// Paints picture on dc (nothing without a shown list); the DC's window origin is restored.
void PaintPreview(CDC& dc, const PreviewPicture& picture);

// Draws the ruler with the DC's selected pen for the shown list's box.
void PaintPreviewRuler(CDC& dc, const PreviewMapping& m, const CArea& box, int clientWidth);

// Draws the progress line at percent in the pen colour, with the drawing's mapping.
void PaintProgressLine(CDC& dc, double scalePxPerUnit, const CArea& box, double percent, COLORREF colour);

// The window origin the preview paints with: the plot origin at the client's top-left.
CPoint PreviewWindowOrg(const PreviewMapping& m);
