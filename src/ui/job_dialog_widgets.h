// Widgets shared by the job and pen dialogs: colour swatches beside controls, the row that
// leaves room for one, and the OK and Cancel buttons.
#pragma once

#include "platform/colorref.h"
#include "platform/rect.h"
#include "ui/job_dialog_values.h"
#include "ui/qt_colour.h"

#include <QColor>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QAbstractButton;
class QBoxLayout;
class QDialog;
class QDialogButtonBox;
class QHBoxLayout;
class QPainter;
struct PenModeSettings;

// The colours of the swatches beside the eight SP controls.
using SpSwatchColours = std::array<COLORREF, kSpCount>;

// The pen colours firstPen..firstPen+7 of settings.
SpSwatchColours PenColoursFrom(const PenModeSettings& settings, int firstPen);

// The rectangle of control in the coordinates of the dialog that holds it.
CRect RectInDialog(const QWidget& dialog, const QWidget& control);

// Fills rect with colour.
void PaintSwatch(QPainter& painter, const CRect& rect, COLORREF colour);
// Paints the 12-pixel swatch left of each control in its colour.
void PaintSwatchesLeftOf(QPainter& painter, const QWidget& dialog, const std::array<QAbstractButton*, kSpCount>& controls,
                         const SpSwatchColours& colours);

// The layer on which a dialog paints its swatches, above the dialog's controls: a group box
// fills its inside, so swatches painted by the dialog under it would be hidden. It covers the
// dialog, follows its size and lets every click through; make it after the controls.
class SwatchLayer : public QWidget {
public:
    // paint draws in the dialog's coordinates.
    SwatchLayer(QWidget& dialog, std::function<void(QPainter&)> paint);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(QPainter&)> paint_;
};

// A row holding control after room for the swatch left of it.
QHBoxLayout* RowWithSwatchRoom(QWidget* control);

// Adds OK (named "ok") and Cancel (named "cancel", which rejects) to layout; the caller
// connects the box's accepted signal.
QDialogButtonBox* AddOkCancelButtons(QDialog& dialog, QBoxLayout* layout);
