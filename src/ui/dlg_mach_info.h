// CDlgMachInfo: the per-machine settings dialog "机器设置" and the parameter sheets it opens.
#pragma once

#include "ui/mach_info_values.h"

#include <QDialog>

class CUDPServer;
class NET_Machine;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
struct PenModeSettings;

class CDlgMachInfo : public QDialog {
    Q_OBJECT
public:
    CDlgMachInfo(CUDPServer& server, NET_Machine* machine, const PenModeSettings* penModes, QWidget* parent = nullptr);

    // Runs the dialog modally; IDOK when it closed through OK.
    int DoModal();
    // Validates and stores the fields, posts the codes the change needs and closes; stays
    // open after a field's message.
    void OnOK();
    // The cutting sheet "切割设置": the three speed pages and the knife or Z-axis page.
    void OnCuttingSettings();

private:
    void ShowValues();
    void ShowToolValues();
    bool TakeValues(MachInfoValues& values);
    void Post(const MachineParamCodes& codes);

    CUDPServer& server_;
    NET_Machine* machine_;
    const PenModeSettings* penModes_;
    MachInfoValues values_;
    bool cuttingType_ = false;

    QButtonGroup* cutLevel_;
    QButtonGroup* idleLevel_;
    QCheckBox* autoPaperCut_;
    QCheckBox* autoOutput_;
    QCheckBox* autoSuctionOff_;
    QCheckBox* autoSuctionOn_;
    QLineEdit* dropPressure_;
    QLineEdit* fullCut_;
    QLineEdit* halfCut_;
    QLineEdit* knifePenX_;
    QLineEdit* knifePenY_;
};
