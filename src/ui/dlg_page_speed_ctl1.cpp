// CDlgPageSpeedCtl1: the page of one speed set of the cutting motion, shown in millimetres.
#include "ui/dlg_page_speed_ctl1.h"

#include "platform/critical_section.h"
#include "ui/form_fields.h"

#include <QFormLayout>

namespace {

const char16_t* const kSpeedLabels[kSpeedFieldCount] = {
    u"X轴直线加速度", u"Y轴直线加速度", u"X轴最高速度",   u"Y轴最高速度",   u"X轴起步速度",   u"Y轴起步速度",
    u"线加加速度",    u"X轴曲线加速度", u"Y轴曲线加速度", u"X轴急弯加速度", u"Y轴急弯加速度",
};

}  // namespace

CDlgPageSpeedCtl1::CDlgPageSpeedCtl1(CCriticalSection& recordLock, SpeedConfig* speeds)
    : CPropertyPage(QString()), recordLock_(recordLock), speeds_(speeds)
{
    CSingleLock guard(&recordLock_, TRUE);
    copy_ = *speeds_;
}

void CDlgPageSpeedCtl1::OnInitDialog()
{
    auto* form = new QFormLayout(this);
    values_ = LoadSpeedPage(copy_);
    for (int i = 0; i < kSpeedFieldCount; ++i) {
        edits_[i] = AddEditField(form, QString::fromUtf16(kSpeedLabels[i]), QStringLiteral("speed%1").arg(i));
        SetFieldText(edits_[i], FormatNumber(values_.shownMm[i]));
    }
}

bool CDlgPageSpeedCtl1::OnKillActive()
{
    FieldReaders fields;
    for (int i = 0; i < kSpeedFieldCount; ++i) fields.Number(edits_[i], values_.shownMm[i], kSpeedFieldRanges[i]);
    return fields.ReadAll();
}

void CDlgPageSpeedCtl1::OnOK()
{
    changed_ = StoreSpeedPage(copy_, values_);
    CSingleLock guard(&recordLock_, TRUE);
    *speeds_ = copy_;
}
