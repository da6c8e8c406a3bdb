// An operator-message sink for tests: it records every message and answers as scripted.
#pragma once

#include "platform/message_box.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace corvane_test {

struct ShownMessage {
    std::u16string text;
    std::u16string caption;
    UINT type = MB_OK;
};

// Installs itself as the message sink for its lifetime. Messages may come from any thread.
// Each message takes the next scripted answer, or IDOK when none is left.
class RecordingMessageSink : public CMessageSink {
public:
    RecordingMessageSink() { SetMessageSink(this); }
    ~RecordingMessageSink() override { SetMessageSink(nullptr); }
    RecordingMessageSink(const RecordingMessageSink&) = delete;
    RecordingMessageSink& operator=(const RecordingMessageSink&) = delete;

    int Show(const CString& text, const CString& caption, UINT type) override
    {
        std::lock_guard<std::mutex> guard(lock_);
        shown_.push_back(ShownMessage{text.str(), caption.str(), type});
        if (answers_.empty()) return IDOK;
        int answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

    // Queues the answer of a later message.
    void ScriptAnswer(int answer)
    {
        std::lock_guard<std::mutex> guard(lock_);
        answers_.push_back(answer);
    }
    // Every message shown so far, oldest first.
    std::vector<ShownMessage> Shown() const
    {
        std::lock_guard<std::mutex> guard(lock_);
        return shown_;
    }

private:
    mutable std::mutex lock_;
    std::vector<ShownMessage> shown_;
    std::deque<int> answers_;
};

}  // namespace corvane_test
