// A main-window stand-in for tests: it records what is posted to the main window until drained.
#pragma once

#include "platform/posted_message.h"

#include <vector>

namespace corvane_test {

// Registers itself as the main window's target for its lifetime (a target unregisters itself
// when destroyed); nothing is delivered, the test drains the recorded messages by hand.
class RecordingMessageTarget : public CMessageTarget {
public:
    RecordingMessageTarget() : CMessageTarget(Delivery::ByHand) { SetMainMessageTarget(this); }

    // Takes every message posted since the last drain, oldest first.
    std::vector<PostedMessage> Drain() { return TakePosted(); }
};

}  // namespace corvane_test
