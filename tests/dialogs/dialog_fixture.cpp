// The fixture of the dialog tests.
#include "dialog_fixture.h"

#include "support/widget_application.h"
#include "ui/dlg_mach_info.h"
#include "ui/property_sheet.h"

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

bool DialogTest::RunSheetOf(const char* button, const std::function<void(CPropertySheet&)>& act)
{
    CDlgMachInfo dialog(Server(), &machine_, nullptr);
    dialog.show();
    bool closed = false;
    WhenModal([&](QWidget& widget) {
        auto& sheet = dynamic_cast<CPropertySheet&>(widget);
        act(sheet);
        closed = !sheet.isVisible();
        // A sheet left open is cancelled: the ink-jet sheet ignores a close.
        if (!closed) sheet.reject();
    });
    Click(dialog, button);
    return closed;
}

}  // namespace corvane_test
