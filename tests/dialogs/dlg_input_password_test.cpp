// The password prompt: the text is compared exactly, and Cancel never grants.
#include "ui/dlg_input_password.h"

#include "support/modal_driver.h"
#include "support/widget_application.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QPushButton>

namespace corvane_test {
namespace {

// Types text into the prompt and presses the button whose caption is button.
void Answer(const QString& text, const QString& button)
{
    WhenModal([text, button](QWidget& prompt) {
        QLineEdit* edit = Edit(prompt, "password");
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
        edit->setText(text);
        for (QPushButton* b : prompt.findChildren<QPushButton*>())
            if (b->text() == button) b->click();
    });
}

TEST(PasswordPrompt, GrantsOnlyTheExactTextConfirmedWithOk)
{
    EnsureWidgetApplication();
    struct Case {
        QString typed;
        QString button;
        bool granted;
    };
    const Case cases[] = {
        {"qj", "确定", true},  {"qj ", "确定", false}, {"QJ", "确定", false},
        {"", "确定", false},   {"qj", "取消", false},
    };
    for (const Case& c : cases) {
        Answer(c.typed, c.button);
        EXPECT_EQ(AskForPassword(u"qj"), c.granted) << c.typed.toStdString() << " " << c.button.toStdString();
    }
}

}  // namespace
}  // namespace corvane_test
