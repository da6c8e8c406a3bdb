// CDlgRecgniseLoop: the contour-recognition dialog "轮廓识别": the SP pens to search, the SP
// numbers given to outer and inner contours and the smallest contour area.
#pragma once

#include "ui/job_dialog_values.h"
#include "ui/job_dialog_widgets.h"

#include <QDialog>

#include <array>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPainter;
struct PenModeSettings;

class CDlgRecgniseLoop : public QDialog {
    Q_OBJECT
public:
    // Opens on the stored options, the SP boxes beside the colours of pens 0..7 of penModes.
    explicit CDlgRecgniseLoop(const PenModeSettings& penModes, QWidget* parent = nullptr);

    // After OK: the options chosen (also written to the settings where they changed).
    RecgniseLoopValues m_values;

private:
    void OnOK();
    void PaintSwatches(QPainter& painter) const;

    RecgniseLoopValues opened_;
    SpSwatchColours swatchColours_{};
    std::array<QAbstractButton*, kSpCount> spBoxes_{};
    QComboBox* outerList_;
    QComboBox* innerList_;
    QLineEdit* minAreaEdit_;
};
