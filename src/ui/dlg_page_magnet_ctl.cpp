// CDlgPageMagnetCtl: the knife pressures and timings, tool offsets and extensions.
#include "ui/dlg_page_magnet_ctl.h"

#include "app/udp_server.h"
#include "platform/critical_section.h"
#include "ui/form_fields.h"
#include "ui/qt_text.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>

namespace {

constexpr int kBlockOrder[kShownToolOffsets] = {0, 1, 2, 3, 4};

}  // namespace

CDlgPageMagnetCtl::CDlgPageMagnetCtl(CUDPServer& server, NET_Machine* machine) : CCuttingPage(server, machine) {}

void CDlgPageMagnetCtl::OnInitDialog()
{
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        values_ = LoadMagnetPage(*machine_);
    }
    auto* layout = new QHBoxLayout(this);
    auto* magnet = new QGroupBox(ResText(StringId::kMagnetGroup), this);
    auto* other = new QGroupBox(ResText(StringId::kOtherGroup), this);
    layout->addWidget(magnet);
    layout->addWidget(other);
    auto* magnetForm = new QFormLayout(magnet);
    for (int i = 0; i < kKnifeValues; ++i) {
        knifeEdits_[i] = AddEditField(magnetForm, ResText(StringId::kKnifeLabels + i), QStringLiteral("knife%1").arg(i));
        SetFieldText(knifeEdits_[i], FormatInteger(values_.knife[i]));
    }
    AddToolFields(new QFormLayout(other), kBlockOrder, values_.toolOffsets, values_.extensions);
}

bool CDlgPageMagnetCtl::OnKillActive()
{
    // A knife value outside 16 signed bits is refused instead of keeping only its low bits.
    FieldReaders fields;
    for (int i = 0; i < kKnifeValues; ++i) fields.Integer(knifeEdits_[i], values_.knife[i]);
    ReadToolFields(fields, values_.toolOffsets, values_.extensions);
    return fields.ReadAll();
}

void CDlgPageMagnetCtl::OnOK()
{
    MachineParamCodes codes;
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        codes = StoreMagnetPage(*machine_, values_);
    }
    Post(codes);
}
