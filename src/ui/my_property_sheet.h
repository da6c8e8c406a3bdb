// The sheets of the machine's parameter pages, with their own tab captions:
// CMyPropertySheet (the cutting pages) and CDlgSheetSpeedCtl1 (the ink-jet pages).
#pragma once

#include "ui/property_sheet.h"

#include <QStringList>

class QCloseEvent;

// A sheet whose first tabs take the given captions.
class CLocalisedSheet : public CPropertySheet {
    Q_OBJECT
public:
    CLocalisedSheet(const QString& caption, const QStringList& tabCaptions, QWidget* parent = nullptr);
};

// The cutting sheet: tabs of the low, middle and high speed sets and the Z axis.
class CMyPropertySheet : public CLocalisedSheet {
    Q_OBJECT
public:
    explicit CMyPropertySheet(const QString& caption, QWidget* parent = nullptr);
};

// The ink-jet sheet: tabs of the basic settings, the speeds and the heads. Only OK and Cancel end it: the window's
// close command is ignored.
class CDlgSheetSpeedCtl1 : public CLocalisedSheet {
    Q_OBJECT
public:
    explicit CDlgSheetSpeedCtl1(const QString& caption, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;
};
