// Helpers shared by the harnesses: a private scratch folder, draining the main window's posted
// messages, and a reader that takes bytes off the front of a fuzz input.
#pragma once

#include "platform/message_box.h"
#include "platform/posted_message.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace fuzz_support {

// A folder of this process under TMPDIR (or /tmp), made once, with a trailing '/'.
inline const std::string& ScratchDir()
{
    static const std::string dir = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/corvane-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern + "/";
    }();
    return dir;
}

// Writes size bytes of data as the file at path; false when it cannot.
inline bool WriteScratchFile(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

// Takes the operator's messages of a harness: counted, answered with the first button.
class CountingMessageSink : public CMessageSink {
public:
    CountingMessageSink() { SetMessageSink(this); }
    ~CountingMessageSink() override { SetMessageSink(nullptr); }
    int Show(const CString&, const CString&, UINT) override
    {
        ++shown;
        return IDOK;
    }
    int shown = 0;
};

// Stops the run as a finding when a property of the harness does not hold.
inline void Require(bool holds)
{
    if (!holds) std::abort();
}

// Frees every message posted to the main window's stand-in, so a long run does not grow.
inline void DrainPosted()
{
    for (const PostedMessage& m : GetMainMessageTarget()->TakePosted())
        if (m.release) m.release(m.wParam, m.lParam);
}

// Takes bytes off the front of the input; past the end it yields zeros.
class InputReader {
public:
    InputReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool AtEnd() const { return at_ >= size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    // Up to n bytes from the current place; count gets how many there were.
    const uint8_t* Take(size_t n, size_t& count)
    {
        count = std::min(n, size_ - std::min(at_, size_));
        const uint8_t* p = data_ + std::min(at_, size_);
        at_ += count;
        return p;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

}  // namespace fuzz_support
