// The sheets of the machine's parameter pages, with their localised buttons and tab captions:
// CMyPropertySheet (the cutting pages) and CDlgSheetSpeedCtl1 (the ink-jet pages).
#pragma once

#include "ui/property_sheet.h"

#include <QStringList>

class QCloseEvent;

// A sheet whose OK and Cancel read "确定" and "取消" and whose first tabs take the given
// captions.
class CLocalisedSheet : public CPropertySheet {
    Q_OBJECT
public:
    CLocalisedSheet(const QString& caption, const QStringList& tabCaptions, QWidget* parent = nullptr);
};

// The cutting sheet: tabs "低速", "中速", "高速", "Z轴控制".
class CMyPropertySheet : public CLocalisedSheet {
    Q_OBJECT
public:
    explicit CMyPropertySheet(const QString& caption, QWidget* parent = nullptr);
};

// The ink-jet sheet: tabs "基础设置", "速度", "喷头". Only OK and Cancel end it: the window's
// close command is ignored.
class CDlgSheetSpeedCtl1 : public CLocalisedSheet {
    Q_OBJECT
public:
    explicit CDlgSheetSpeedCtl1(const QString& caption, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;
};
