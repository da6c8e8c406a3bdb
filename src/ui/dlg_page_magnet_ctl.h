// CDlgPageMagnetCtl: the knife (electromagnet) pressures and timings, tool offsets and
// extensions of a machine that is not of the cutting type; posts codes 11, 12 and 15.
#pragma once

#include "ui/cutting_page.h"
#include "ui/magnet_page_values.h"

class CDlgPageMagnetCtl : public CCuttingPage {
    Q_OBJECT
public:
    CDlgPageMagnetCtl(CUDPServer& server, NET_Machine* machine);

    void OnInitDialog() override;
    bool OnKillActive() override;
    void OnOK() override;

private:
    MagnetPageValues values_;
    QLineEdit* knifeEdits_[kKnifeValues] = {};
};
