// CDlgPageSpeedCtl1: the page of one speed set of the cutting motion, shown in millimetres.
#include "ui/dlg_page_speed_ctl1.h"

#include "platform/critical_section.h"
#include "ui/form_fields.h"
#include "ui/qt_text.h"

#include <QFormLayout>

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
        edits_[i] = AddEditField(form, ResText(StringId::kSpeedFieldLabels + i), QStringLiteral("speed%1").arg(i));
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
