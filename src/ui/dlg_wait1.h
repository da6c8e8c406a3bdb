// CDlgWait1: the modeless wait box "Wait" shown while a LAN worker runs; only its owner closes it.
#pragma once

#include "ui/lan_search_block.h"

#include <QDialog>

class QLabel;

class CDlgWait1 : public QDialog, public LanWaitBox {
    Q_OBJECT
public:
    explicit CDlgWait1(QWidget* parent = nullptr);

    void SetText(const CString& text) override;
    void Show() override;
    void Hide() override;

    // Enter, Escape and the window's close command do nothing.
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* text_;
};
