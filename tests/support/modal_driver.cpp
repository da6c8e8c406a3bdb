// Widget driving for tests: edits, buttons and the next modal dialog.
#include "support/modal_driver.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

namespace corvane_test {
namespace {

// A modal widget opens long before this.
constexpr int kModalWaitTries = 2000;

void PollForModal(std::function<void(QWidget&)> act, QWidget* before, int tries)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == before) {
        if (tries <= 0) {
            ADD_FAILURE() << "no modal widget opened";
            return;
        }
        QTimer::singleShot(1, [act = std::move(act), before, tries] { PollForModal(act, before, tries - 1); });
        return;
    }
    act(*modal);
    if (QApplication::activeModalWidget() == modal) modal->close();
}

}  // namespace

QLineEdit* Edit(QWidget& parent, const char* name)
{
    auto* edit = parent.findChild<QLineEdit*>(QString::fromLatin1(name));
    EXPECT_NE(edit, nullptr) << name;
    return edit;
}

void Type(QWidget& parent, const char* name, const QString& text)
{
    if (QLineEdit* edit = Edit(parent, name)) edit->setText(text);
}

void Click(QWidget& parent, const char* name)
{
    auto* button = parent.findChild<QAbstractButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

void WhenModal(std::function<void(QWidget&)> act)
{
    QWidget* before = QApplication::activeModalWidget();
    QTimer::singleShot(0, [act = std::move(act), before] { PollForModal(act, before, kModalWaitTries); });
}

}  // namespace corvane_test
