// The password prompt: a masked edit with OK and Cancel.
#include "ui/dlg_input_password.h"

#include "platform/message_box.h"
#include "ui/qt_text.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDlgInputPassword::CDlgInputPassword(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(ResText(StringId::kPasswordCaption));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(ResText(StringId::kPasswordPrompt), this));
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("password"));
    edit_->setEchoMode(QLineEdit::Password);
    layout->addWidget(edit_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(ResText(StringId::kOk), QDialogButtonBox::AcceptRole);
    buttons->addButton(ResText(StringId::kCancel), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        m_strPassword = ToCString(edit_->text());
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

int CDlgInputPassword::DoModal() { return exec() == QDialog::Accepted ? IDOK : IDCANCEL; }

bool AskForPassword(const CString& expected, QWidget* parent)
{
    CDlgInputPassword prompt(parent);
    return prompt.DoModal() == IDOK && prompt.m_strPassword == expected;
}
