// The sheets of the machine's parameter pages, with their localised buttons and tab captions.
#include "ui/my_property_sheet.h"

#include "ui/qt_text.h"

#include <QCloseEvent>

CLocalisedSheet::CLocalisedSheet(const QString& caption, const QStringList& tabCaptions, QWidget* parent)
    : CPropertySheet(caption, parent)
{
    SetTabCaptions(tabCaptions);
}

CMyPropertySheet::CMyPropertySheet(const QString& caption, QWidget* parent)
    : CLocalisedSheet(caption, {ResText(StringId::kSpeedLevelTabs + 0), ResText(StringId::kSpeedLevelTabs + 1), ResText(StringId::kSpeedLevelTabs + 2),
                                 ResText(StringId::kZAxisTab)}, parent)
{
}

CDlgSheetSpeedCtl1::CDlgSheetSpeedCtl1(const QString& caption, QWidget* parent)
    : CLocalisedSheet(caption, {ResText(StringId::kBasicSettingsTab), ResText(StringId::kSpeedTab), ResText(StringId::kJetHeadTab)}, parent)
{
}

void CDlgSheetSpeedCtl1::closeEvent(QCloseEvent* event) { event->ignore(); }
