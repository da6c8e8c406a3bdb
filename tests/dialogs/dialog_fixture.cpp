// The fixture of the dialog tests.
#include "dialog_fixture.h"

#include "support/widget_application.h"

#include <arpa/inet.h>

namespace corvane_test {

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

}  // namespace corvane_test
