// CDlgPageMotoCPS: the ink-jet sheet's speed page "速度": the three jet speed levels, the
// carriage and paper-feed level selectors, and the password-guarded machine limits.
#pragma once

#include "ui/jet_speed_page_values.h"
#include "ui/property_sheet.h"

class CAccessDataBase;
class CUDPServer;
class NET_Machine;
class QComboBox;
class QLineEdit;

// Editable fields of one speed level.
inline constexpr int kJetSpeedFields = 9;

class CDlgPageMotoCPS : public CPropertyPage {
    Q_OBJECT
public:
    // Edits machine's levels; database (may be null) keeps the records of old firmware.
    CDlgPageMotoCPS(CUDPServer& server, NET_Machine* machine, CAccessDataBase* database);

    void OnInitDialog() override;
    bool OnKillActive() override;
    // Stores and sends the levels (command 9) and the selectors (command 10) that changed;
    // an offline machine keeps its record and nothing is sent.
    void OnOK() override;
    // "高级设置": after the password, the machine limits; their OK sends them (command 0).
    void OnAdvancedSettings();

private:
    // Checks a field being left against its wider range at once.
    void CheckFieldLeft(QLineEdit* edit, IntegerRange quickRange);

    CUDPServer& server_;
    NET_Machine* machine_;
    CAccessDataBase* database_;
    JetSpeedPageValues values_;
    QLineEdit* edits_[kJetSpeedLevels][kJetSpeedFields] = {};
    QComboBox* carriageLevel_ = nullptr;
    QComboBox* feedLevel_ = nullptr;
    bool checkingField_ = false;
};
