// CDlgPageSPsetup: the tool role of the pens SP1..SP8, with the document's pen and role
// colours beside the lists; reports whether code 13 is needed, its sheet posts it.
#pragma once

#include "ui/machine_param_codes.h"
#include "ui/property_sheet.h"
#include "ui/sp_page_values.h"

class CCriticalSection;
class NET_Machine;
class QComboBox;
class QLabel;
class QPainter;
struct PenModeSettings;

inline constexpr int kSpRoleLabels = 4;

class CDlgPageSPsetup : public CPropertyPage {
    Q_OBJECT
public:
    // Edits machine's SP bytes (under recordLock); penModes gives the colours and may be null.
    CDlgPageSPsetup(CCriticalSection& recordLock, NET_Machine* machine, const PenModeSettings* penModes);

    // The codes the last OK needs posted: 13 when a role changed and the machine is online.
    const MachineParamCodes& CodesToPost() const { return codes_; }

    void OnInitDialog() override;
    bool OnKillActive() override;
    void OnOK() override;

private:
    void PaintSwatches(QPainter& painter) const;

    CCriticalSection& recordLock_;
    NET_Machine* machine_;
    const PenModeSettings* penModes_;
    SpPageValues values_;
    MachineParamCodes codes_;
    QComboBox* lists_[kSpPens] = {};
    QLabel* roleLabels_[kSpRoleLabels] = {};
};
