// CDlgPageOtherCtl: the Z-axis motor values, tool offsets and extensions of a cutting-type
// machine; posts codes 12, 17 and 15.
#pragma once

#include "ui/cutting_page.h"
#include "ui/other_page_values.h"

class CDlgPageOtherCtl : public CCuttingPage {
    Q_OBJECT
public:
    CDlgPageOtherCtl(CUDPServer& server, NET_Machine* machine);

    void OnInitDialog() override;
    bool OnKillActive() override;
    void OnOK() override;

private:
    OtherPageValues values_;
    QLineEdit* minSpeed_ = nullptr;
    QLineEdit* maxSpeed_ = nullptr;
    QLineEdit* acceleration_ = nullptr;
    QLineEdit* jerk_ = nullptr;
    QLineEdit* fullCut_ = nullptr;
    QLineEdit* halfCut_ = nullptr;
    QLineEdit* resetBuffer_ = nullptr;
};
