// CDlgInputPassword: the password prompt "密码输入" that guards the service functions.
#pragma once

#include "platform/cstring.h"

#include <QDialog>

class QLineEdit;

class CDlgInputPassword : public QDialog {
    Q_OBJECT
public:
    explicit CDlgInputPassword(QWidget* parent = nullptr);

    // Runs the prompt modally; IDOK when it closed through OK (the text is then in
    // m_strPassword), IDCANCEL otherwise.
    int DoModal();

    // The text typed, as it stands: callers compare it exactly, case and spaces included.
    CString m_strPassword;

private:
    QLineEdit* edit_;
};

// Asks for the password and tells whether the operator typed exactly expected and pressed OK.
bool AskForPassword(const CString& expected, QWidget* parent = nullptr);
