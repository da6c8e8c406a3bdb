// COLORREF (0x00BBGGRR) to QColor, for the widgets that paint the program's colours.
#pragma once

#include "platform/colorref.h"

#include <QColor>

inline QColor ToQColor(COLORREF colour) { return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)); }
