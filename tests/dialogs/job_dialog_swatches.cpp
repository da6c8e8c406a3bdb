// Swatch pixels of the job and pen dialogs.
#include "job_dialog_swatches.h"

namespace corvane_test {

PenModeSettings ColouredPenModes()
{
    PenModeSettings settings;
    for (int pen = 0; pen < kPenModePenCount; ++pen)
        settings.penColor[pen] = RGB(static_cast<uint8_t>(20 + 19 * pen), static_cast<uint8_t>(230 - 17 * pen), static_cast<uint8_t>(60 + 5 * pen));
    for (int mode = 0; mode < kPenModeRoleCount; ++mode)
        settings.roleColor[mode] = RGB(static_cast<uint8_t>(240 - 35 * mode), 40, static_cast<uint8_t>(10 + 40 * mode));
    return settings;
}

QColor SwatchLeftOfPixel(const QImage& grab, const QWidget& dialog, const QWidget& control)
{
    const QPoint topLeft = control.mapTo(&dialog, QPoint(0, 0));
    return grab.pixelColor(topLeft.x() - 15 + 6, topLeft.y() + control.height() / 2);
}

QColor SwatchInLabelPixel(const QImage& grab, const QWidget& dialog, const QWidget& label)
{
    const QPoint topLeft = label.mapTo(&dialog, QPoint(0, 0));
    return grab.pixelColor(topLeft.x() + 28 + 10, topLeft.y() + label.height() / 2);
}

QColor Colour(COLORREF colour) { return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)); }

}  // namespace corvane_test
