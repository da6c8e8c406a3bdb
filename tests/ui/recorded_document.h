// The base of window tests on a document over a link manager that records the posted frames,
// with one online machine of the test's own in its machine rows (not selected) and empty job
// rows; the widget application exists.
#pragma once

#include "app/doc_corvane.h"
#include "machinelink/net_machine.h"
#include "support/command_frame_recorder.h"
#include "support/test_views.h"
#include "support/widget_application.h"
#include "ui_fixture.h"

#include <gtest/gtest.h>

namespace corvane_test {

class RecordedDocumentTest : public ::testing::Test {
protected:
    // The machine's key is 127.0.0.machineOctet.
    explicit RecordedDocumentTest(uint8_t machineOctet)
    {
        EnsureWidgetApplication();
        EXPECT_TRUE(recorder_.Opened());
        machine_.ip = LoopbackKey(machineOctet);
        machine_.online = 1;
        machineRows_.rows.push_back({&machine_, 0});
        doc_.SetListRows(&jobRows_, &machineRows_);
    }

    CommandFrameRecorder recorder_;
    CDocCorvane doc_{recorder_};
    NET_Machine machine_;
    TestJobRows jobRows_;
    TestMachineRows machineRows_;
};

}  // namespace corvane_test
