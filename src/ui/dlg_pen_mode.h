// CDlgPenMode: the pen-mode dialog "刀笔模式": the tool of each of the 12 pens, the tool of
// recognised contours and recognition on opening, with the pen and mode colours as swatches.
#pragma once

#include "plotmodel/pen_mode_settings.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QPainter;
class QWidget;

class CDlgPenMode : public QDialog {
    Q_OBJECT
public:
    // Opens on a copy of settings: modes outside the list show (and become) their defaults.
    explicit CDlgPenMode(const PenModeSettings& settings, QWidget* parent = nullptr);

    // The record as edited; every list or check box writes its value here at once.
    PenModeSettings m_penMode;
    // Set by any edit; the caller takes the record back only when it is set.
    bool m_bChanged = false;

private:
    void PaintSwatches(QPainter& painter) const;

    std::array<QComboBox*, kPenModePenCount> penLists_{};
    std::array<QLabel*, kPenModeRoleCount> modeLabels_{};
};

// Runs the pen-mode dialog on settings; true when the operator changed something (settings
// then hold the edited values), false with settings untouched otherwise.
bool RunPenModeDialog(PenModeSettings& settings, QWidget* parent = nullptr);
