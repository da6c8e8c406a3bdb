// The fixture of the dialog tests.
#include "dialog_fixture.h"

#include "support/widget_application.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

#include <arpa/inet.h>

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

DialogTest::DialogTest()
{
    EnsureWidgetApplication();
    EXPECT_TRUE(portsLock_.Held());
    recorder_ = std::make_unique<CommandFrameRecorder>();
    EXPECT_TRUE(recorder_->Opened());
    machine_.ip = inet_addr("127.0.0.9");
    machine_.online = 1;
}

DialogTest::~DialogTest() = default;

std::vector<std::u16string> DialogTest::Messages() const
{
    std::vector<std::u16string> texts;
    for (const ShownMessage& message : messages_.Shown()) texts.push_back(message.text);
    return texts;
}

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
