// CommandText: motion command text collected in a small buffer and appended to a stream in
// one piece; numbers are written as "%d" writes them in the C locale.
#pragma once

#include "motion/p_data_buf.h"

#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <string_view>

// Holds up to kRoom characters; what would pass that is dropped, so callers keep one object
// to a bounded handful of commands (a number takes at most 20 characters).
class CommandText {
public:
    static constexpr int kRoom = 1024;

    void Letter(char c)
    {
        if (size_ < kRoom) text_[size_++] = c;
    }
    void Number(int64_t v)
    {
        auto [end, ec] = std::to_chars(text_ + size_, text_ + kRoom, v);
        if (ec == std::errc()) size_ = static_cast<int>(end - text_);
    }
    void Text(std::string_view s)
    {
        for (char c : s) Letter(c);
    }
    // Writes letter, the values separated by commas, and the closing ';'.
    void Command(char letter, std::initializer_list<int64_t> values)
    {
        Letter(letter);
        bool first = true;
        for (int64_t v : values) {
            if (!first) Letter(',');
            Number(v);
            first = false;
        }
        Letter(';');
    }
    int Size() const { return size_; }
    std::string_view View() const { return {text_, static_cast<size_t>(size_)}; }
    void AppendTo(P_DataBuf& out) const { out.AppendData(size_, reinterpret_cast<const uint8_t*>(text_)); }

private:
    char text_[kRoom];
    int size_ = 0;
};
