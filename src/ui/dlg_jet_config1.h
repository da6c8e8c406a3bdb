// CDlgJetConfig1: the ink-jet sheet's head page "喷头设置": nozzle ranges of the four heads,
// head spacings, working column and print-line settings, with a sketch of the heads. Reports
// the head flag (command 5) and the plot flag (command 8); its sheet sends them.
#pragma once

#include "ui/jet_page_values.h"
#include "ui/property_sheet.h"

class CCriticalSection;
class NET_Machine;
class QComboBox;
class QLineEdit;

class CDlgJetConfig1 : public CPropertyPage {
    Q_OBJECT
public:
    // Edits machine's jet values under recordLock.
    CDlgJetConfig1(CCriticalSection& recordLock, NET_Machine* machine);

    // The flags of the last OK; both clear until then.
    const JetPageFlags& Flags() const { return flags_; }

    void OnInitDialog() override;
    bool OnKillActive() override;
    void OnOK() override;

private:
    CCriticalSection& recordLock_;
    NET_Machine* machine_;
    JetPageValues values_;
    JetPageFlags flags_;
    QLineEdit* nozzleStart_[kJetHeads] = {};
    QLineEdit* nozzleEnd_[kJetHeads] = {};
    QLineEdit* spacings_[kJetHeads - 1] = {};
    QLineEdit* stepValue_ = nullptr;
    QComboBox* workingColumn_ = nullptr;
    QLineEdit* printLineWidth_ = nullptr;
    QLineEdit* warmUpLineWidth_ = nullptr;
    QLineEdit* columnSpacing_ = nullptr;
    QLineEdit* sheetGap_ = nullptr;
};
