// CDlgPageSpeedCtl1: the page of one speed set of the cutting motion, shown in millimetres.
#pragma once

#include "motion/speed_layout.h"
#include "ui/property_sheet.h"
#include "ui/speed_page_values.h"

class CCriticalSection;
class QLineEdit;

class CDlgPageSpeedCtl1 : public CPropertyPage {
    Q_OBJECT
public:
    // Works on a copy of speeds (one of the machine's three sets), taken under recordLock.
    CDlgPageSpeedCtl1(CCriticalSection& recordLock, SpeedConfig* speeds);

    // The level the page edits; 3 or more counts as 0.
    void SetLevel(int level) { level_ = level >= 0 && level < 3 ? level : 0; }
    int Level() const { return level_; }
    // True when the last OK stored a value that differs.
    bool IsChanged() const { return changed_; }
    void ClearChanged() { changed_ = false; }

    void OnInitDialog() override;
    bool OnKillActive() override;
    // Stores every value x 40 and copies the set back into the machine record.
    void OnOK() override;

private:
    CCriticalSection& recordLock_;
    SpeedConfig* speeds_;
    SpeedConfig copy_;
    SpeedPageValues values_;
    int level_ = 0;
    bool changed_ = false;
    QLineEdit* edits_[kSpeedFieldCount] = {};
};
