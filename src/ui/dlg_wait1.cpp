// The wait box: one line of text, no buttons, deaf to Enter, Escape and the close box.
#include "ui/dlg_wait1.h"

#include "ui/qt_text.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

CDlgWait1::CDlgWait1(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(ResText(StringId::kWaitCaption));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    text_ = new QLabel(ResText(StringId::kLanSearchingLocal), this);
    text_->setObjectName(QStringLiteral("waitText"));
    layout->addWidget(text_);
}

void CDlgWait1::SetText(const CString& text) { text_->setText(ToQString(text)); }

void CDlgWait1::Show() { show(); }

void CDlgWait1::Hide() { hide(); }

// Enter and Escape end a dialog through done(): the box stays.
void CDlgWait1::done(int) {}

void CDlgWait1::closeEvent(QCloseEvent* event) { event->ignore(); }
