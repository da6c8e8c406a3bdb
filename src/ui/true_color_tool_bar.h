// CTrueColorToolBar: the main window's tool bar with true-colour pictures for the normal, hot
// (under the mouse) and disabled states, each cut from a strip of its own.
#pragma once

#include "ui/tool_bar.h"

class CTrueColorToolBar : public CToolBar {
    Q_OBJECT
public:
    using CToolBar::CToolBar;

    // Builds the normal list from bitmap resource normalBitmap and the hot and disabled lists
    // from theirs (0: none), buttonWidth pixels per picture: 1 on success; 0, with the
    // pictures left as they were, as soon as one list cannot be built.
    int SetToolBarBitmaps(int buttonWidth, int normalBitmap, int hotBitmap = 0, int disabledBitmap = 0);
    // The same from the strips themselves (null: none).
    int SetToolBarBitmaps(int buttonWidth, const QImage& normal, const QImage* hot, const QImage* disabled);
};
