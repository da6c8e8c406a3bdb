// CDlgPlotSetting: the ink-jet sheet's first page "基础设置": the plot settings and the
// length/width calibration. Posts code 20 itself; reports the change that needs command 8.
#pragma once

#include "ui/plot_page_values.h"
#include "ui/property_sheet.h"

class CUDPServer;
class NET_Machine;
class QCheckBox;
class QComboBox;
class QLineEdit;

class CDlgPlotSetting : public CPropertyPage {
    Q_OBJECT
public:
    // Edits machine's record; without a machine the calibration shows 500 and OK stores nothing.
    CDlgPlotSetting(CUDPServer& server, NET_Machine* machine);

    // True when the last OK changed what the plot settings command carries.
    bool IsChanged() const { return changed_; }

    void OnInitDialog() override;
    bool OnKillActive() override;
    void OnOK() override;

private:
    CUDPServer& server_;
    NET_Machine* machine_;
    PlotPageValues values_;
    bool changed_ = false;
    QLineEdit* origin_ = nullptr;
    QLineEdit* sections_ = nullptr;
    QLineEdit* width_ = nullptr;
    QLineEdit* length_ = nullptr;
    QComboBox* rotation_ = nullptr;
    QCheckBox* mirror_ = nullptr;
    QLineEdit* calibration_[kCalibrationValues] = {};
};
