// CDlgMachInfo: the per-machine settings dialog "机器设置" and the parameter sheets it opens.
#pragma once

#include "ui/mach_info_values.h"

#include <QDialog>

class CDocCorvane;
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
    // The ink-jet sheet "喷墨设置": plot settings, jet speeds and jet heads; sends commands 5
    // and 8 the pages need while the machine is online.
    void OnJetSettings();
    // The pen-tool sheet "刀笔配置": the SP roles (code 13).
    void OnSpSettings();
    // The other-parameters list "其它配置" (code 23); nothing before the machine reported the
    // block.
    void OnOtherParams();

private:
    void ShowValues();
    void ShowToolValues();
    bool TakeValues(MachInfoValues& values);
    void Post(const MachineParamCodes& codes);

    CUDPServer& server_;
    NET_Machine* machine_;
    const PenModeSettings* penModes_;
    QString ipText_;  // the machine key, dotted; the sheets' caption
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

// Runs the machine settings dialog for machine, in the colours of doc's pens.
void RunMachineSetupDialog(CDocCorvane& doc, NET_Machine& machine, QWidget* parent);
