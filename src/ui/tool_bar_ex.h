// CToolBarEx: a tool bar inside an ordinary child window (the preview's container), whose
// pictures come from one strip with a light-grey background, optionally with captions.
#pragma once

#include "ui/tool_bar.h"

class CToolBarEx : public CToolBar {
    Q_OBJECT
public:
    using CToolBar::CToolBar;

    // Lays the buttons out from tool-bar resource toolBarResource and cuts bitmap resource
    // bitmapResource into pictures of the bar's current image size (16 x 15 without one);
    // with withTexts each button whose command has a string gets the caption of that string.
    // 1 on success, 0 when the layout, the bitmap or its pictures cannot be had.
    int LoadToolBarEx(int toolBarResource, int bitmapResource, bool withTexts);
    // The same from the strip itself.
    int LoadToolBarEx(int toolBarResource, const QImage& bitmap, bool withTexts);
};
