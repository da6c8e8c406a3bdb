// CDlgPageMagnetCtl: the knife pressures and timings, tool offsets and extensions.
#include "ui/dlg_page_magnet_ctl.h"

#include "app/udp_server.h"
#include "platform/critical_section.h"
#include "ui/form_fields.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>

namespace {

const char16_t* const kKnifeLabels[kKnifeValues] = {
    u"全切压力：", u"半切压力：", u"移刀压力：",  u"落刀压力：", u"落刀时间：",  u"落刀缓冲:",   u"提刀压力：",
    u"提刀时间:",  u"留空压力：", u"提刀压力A:", u"提刀时间A：", u"落刀压力A：", u"落刀时间A：", u"落刀缓冲A：",
};
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
    auto* magnet = new QGroupBox(QStringLiteral("电磁铁"), this);
    auto* other = new QGroupBox(QStringLiteral("其他"), this);
    layout->addWidget(magnet);
    layout->addWidget(other);
    auto* magnetForm = new QFormLayout(magnet);
    for (int i = 0; i < kKnifeValues; ++i) {
        knifeEdits_[i] = AddEditField(magnetForm, QString::fromUtf16(kKnifeLabels[i]), QStringLiteral("knife%1").arg(i));
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
