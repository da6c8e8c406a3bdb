// The sheets of the machine's parameter pages, with their localised buttons and tab captions.
#include "ui/my_property_sheet.h"

#include <QCloseEvent>

CLocalisedSheet::CLocalisedSheet(const QString& caption, const QStringList& tabCaptions, QWidget* parent)
    : CPropertySheet(caption, parent)
{
    SetButtonTexts(QStringLiteral("确定"), QStringLiteral("取消"));
    SetTabCaptions(tabCaptions);
}

CMyPropertySheet::CMyPropertySheet(const QString& caption, QWidget* parent)
    : CLocalisedSheet(caption, {QStringLiteral("低速"), QStringLiteral("中速"), QStringLiteral("高速"), QStringLiteral("Z轴控制")}, parent)
{
}

CDlgSheetSpeedCtl1::CDlgSheetSpeedCtl1(const QString& caption, QWidget* parent)
    : CLocalisedSheet(caption, {QStringLiteral("基础设置"), QStringLiteral("速度"), QStringLiteral("喷头")}, parent)
{
}

void CDlgSheetSpeedCtl1::closeEvent(QCloseEvent* event) { event->ignore(); }
