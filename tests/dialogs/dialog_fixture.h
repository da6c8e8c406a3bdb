// The fixture of the dialog tests: a widget application, a link manager that records the
// posted command frames, a machine of the tests' own and a recorded message sink.
#pragma once

#include "machinelink/net_machine.h"
#include "support/command_frame_recorder.h"
#include "support/link_ports_lock.h"
#include "support/modal_driver.h"
#include "support/recording_message_sink.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class CPropertySheet;

namespace corvane_test {

class DialogTest : public ::testing::Test {
protected:
    DialogTest();
    ~DialogTest() override;

    // The codes posted since the last call, in order.
    std::vector<uint8_t> PostedCodes() { return recorder_->TakeCodes(); }
    std::vector<RecordedCommandFrame> Posted() { return recorder_->Take(); }
    CUDPServer& Server() { return *recorder_; }
    // The texts of the messages shown so far.
    std::vector<std::u16string> Messages() const;
    // Opens the settings dialog on the machine, clicks its button named button and lets act
    // work on the sheet that opens; true when the sheet closed (one left open is cancelled).
    bool RunSheetOf(const char* button, const std::function<void(CPropertySheet&)>& act);

    LinkPortsLock portsLock_;
    RecordingMessageSink messages_;
    std::unique_ptr<CommandFrameRecorder> recorder_;
    NET_Machine machine_;
};

}  // namespace corvane_test
