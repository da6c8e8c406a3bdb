// The fixture of the dialog tests: a widget application, a link manager that records the
// posted command frames, a machine of the tests' own and a recorded message sink.
#pragma once

#include "machinelink/net_machine.h"
#include "support/command_frame_recorder.h"
#include "support/link_ports_lock.h"
#include "support/recording_message_sink.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QWidget>

#include <functional>
#include <memory>

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

    LinkPortsLock portsLock_;
    RecordingMessageSink messages_;
    std::unique_ptr<CommandFrameRecorder> recorder_;
    NET_Machine machine_;
};

// The edit named name in parent; fails the test when there is none.
QLineEdit* Edit(QWidget& parent, const char* name);
// Replaces the text of the edit named name.
void Type(QWidget& parent, const char* name, const QString& text);
// Clicks the button named name in parent.
void Click(QWidget& parent, const char* name);
// Runs act on the next modal widget that opens (other than the one active now), from the event loop, while the caller runs a
// modal dialog; the widget is closed if act leaves it open.
void WhenModal(std::function<void(QWidget&)> act);

}  // namespace corvane_test
