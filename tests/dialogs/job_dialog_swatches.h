// Colours for the job and pen dialogs' swatches, and the swatches read back from an offscreen grab.
#pragma once

#include "platform/colorref.h"
#include "plotmodel/pen_mode_settings.h"

#include <QColor>
#include <QImage>
#include <QWidget>

namespace corvane_test {

// A pen-mode record whose pens and modes each have a colour of their own.
PenModeSettings ColouredPenModes();

// The colour at the centre of the 12-pixel swatch left of control, in a grab of dialog.
QColor SwatchLeftOfPixel(const QImage& grab, const QWidget& dialog, const QWidget& control);
// The colour at the centre of the 20-pixel swatch 28 pixels into label.
QColor SwatchInLabelPixel(const QImage& grab, const QWidget& dialog, const QWidget& label);
// A colour of the drawing calls as Qt reads it.
QColor Colour(COLORREF colour);

}  // namespace corvane_test
