// P_DataBuf: stream storage, group fetch, control codes and the jet run-length packer.
#include "motion/p_data_buf.h"

#include "platform/byte_order.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

namespace {

// The low n bits set (n in 0..8).
constexpr uint8_t Mask(int64_t n) { return static_cast<uint8_t>((1u << n) - 1u); }

// Longest run each multi-byte code can carry: 27 bits of n - 1 for zeros, 26 for ones.
constexpr int64_t kLongestZeroRun = int64_t{1} << 27;
constexpr int64_t kLongestOneRun = int64_t{1} << 26;

}  // namespace

P_DataBuf::~P_DataBuf() { std::free(data_); }

void P_DataBuf::Destroy()
{
    std::free(data_);
    data_ = nullptr;
    capacity_ = count_ = readPos_ = 0;
    bitCount_ = 0;
}

void P_DataBuf::Initialize()
{
    count_ = readPos_ = 0;
    bitCount_ = 0;
}

void P_DataBuf::SetData(uint8_t* buffer, int32_t size)
{
    // The stream's own buffer handed back is kept, not freed and then adopted: its first
    // `size` bytes (at most what it holds) become the whole stream, unread.
    if (buffer && buffer == data_) {
        count_ = std::clamp<int32_t>(size, 0, capacity_);
        readPos_ = 0;
        bitCount_ = 0;
        Grow(int64_t{count_} + 1);
        return;
    }
    Destroy();
    if (!buffer) return;
    data_ = buffer;
    count_ = capacity_ = std::max<int32_t>(size, 0);
    // The adopted buffer holds exactly its bytes; the spare byte behind them is added here,
    // so a terminating zero written later stays inside the allocation.
    Grow(int64_t{count_} + 1);
}

void P_DataBuf::CheckSpace(int32_t n)
{
    if (n <= 0) return;
    Grow(int64_t{count_} + n + 1);
}

// Grows the buffer so that it holds at least `needed` bytes. The size at least doubles, so a
// stream written a few bytes at a time costs linear time however long it gets.
void P_DataBuf::Grow(int64_t needed)
{
    if (needed <= capacity_) return;
    if (needed > INT32_MAX) throw std::length_error("machine data stream above 2 GiB");
    int64_t wanted = std::max<int64_t>(needed + 2048, int64_t{capacity_} * 2);
    wanted = std::min<int64_t>(wanted, INT32_MAX);
    auto* grown = static_cast<uint8_t*>(std::realloc(data_, static_cast<size_t>(wanted)));
    if (!grown) throw std::bad_alloc();
    data_ = grown;
    capacity_ = static_cast<int32_t>(wanted);
}

void P_DataBuf::AppendByte(uint8_t value)
{
    CheckSpace(1);
    data_[count_++] = value;
}

void P_DataBuf::AppendByte(uint8_t value, int32_t n)
{
    if (n <= 0) return;
    CheckSpace(n);
    std::memset(data_ + count_, value, static_cast<size_t>(n));
    count_ += n;
}

void P_DataBuf::AppendString(const CStringA& text)
{
    AppendData(text.GetLength(), reinterpret_cast<const uint8_t*>(text.GetString()));
}

void P_DataBuf::AppendData(int32_t n, const uint8_t* data)
{
    if (n <= 0 || !data) return;
    CheckSpace(n);
    std::memcpy(data_ + count_, data, static_cast<size_t>(n));
    count_ += n;
}

void P_DataBuf::TerminateText()
{
    Grow(int64_t{count_} + 1);
    data_[count_] = 0;
}

uint8_t P_DataBuf::GetAt(int32_t i) const { return i >= 0 && i < count_ ? data_[i] : 0; }

uint8_t P_DataBuf::GetAtReverse(int32_t i) const
{
    const int64_t j = int64_t{count_} - 1 - i;
    return j >= 0 && j < count_ ? data_[j] : 0;
}

uint8_t* P_DataBuf::GetNextGroupData(int& n)
{
    int32_t left = count_ - readPos_;
    if (left <= 0 || n <= 0) {
        n = 0;
        return nullptr;
    }
    n = std::min(n, left);
    uint8_t* group = data_ + readPos_;
    readPos_ += n;
    return group;
}

void P_DataBuf::MoveDataFrom(P_DataBuf& other)
{
    if (&other == this) {
        readPos_ = 0;
        return;
    }
    std::swap(data_, other.data_);
    std::swap(capacity_, other.capacity_);
    count_ = other.count_;
    readPos_ = 0;
    other.Initialize();
}

void P_DataBuf::Swap(P_DataBuf& other)
{
    std::swap(data_, other.data_);
    std::swap(capacity_, other.capacity_);
    std::swap(count_, other.count_);
    std::swap(readPos_, other.readPos_);
}

void P_DataBuf::AppendCodeTimerHInit(uint16_t value)
{
    uint8_t code[3] = {0x02, 0, 0};
    StoreLE16(code + 1, value);
    AppendData(3, code);
}

void P_DataBuf::AppendCodeTimerLInit(uint16_t value)
{
    uint8_t code[3] = {0x05, 0, 0};
    StoreLE16(code + 1, value);
    AppendData(3, code);
}

void P_DataBuf::AppendCodeAuxCtl(uint8_t value)
{
    AppendByte(0x06);
    AppendByte(value);
}

void P_DataBuf::AppendCodeStartDelay(uint16_t value, uint16_t n)
{
    AppendCodeTimerLInit(value);
    AppendByte(0x06);
    AppendByte(0x04);
    AppendByte(0x03, n);
}

void P_DataBuf::AppendCodeDelay(uint16_t value, uint16_t n)
{
    AppendCodeTimerLInit(value);
    AppendByte(0x03, n);
}

void P_DataBuf::AppendCodePWMDuty(int flag, uint8_t value)
{
    AppendByte(flag ? 0x07 : 0x04);
    AppendByte(static_cast<uint8_t>(255 - value));
}

void P_DataBuf::AppendSpeedCtlCode(uint16_t from, uint16_t to)
{
    int e = int{to} - int{from};
    if (e >= 256 || e <= -256) {
        AppendCodeTimerLInit(to);
    } else if (e >= 12) {
        AppendByte(0x1F);
        AppendByte(static_cast<uint8_t>(e));
    } else if (e >= 1) {
        AppendByte(static_cast<uint8_t>(e + 19));
    } else if (e <= -12) {
        AppendByte(0x13);
        AppendByte(static_cast<uint8_t>(-e));
    } else if (e <= -1) {
        AppendByte(static_cast<uint8_t>(7 - e));
    }
}

void P_DataBuf::Append7Bits(uint8_t value)
{
    bitCount_ += 7;
    AppendByte(value & 0x7F);
}

void P_DataBuf::AppendBits(int value, int64_t n)
{
    if (n <= 0) return;
    bitCount_ += n;
    const bool ones = value != 0;
    const uint8_t base[4] = {static_cast<uint8_t>(ones ? 0xC0 : 0x80), static_cast<uint8_t>(ones ? 0xE0 : 0xA0),
                             static_cast<uint8_t>(ones ? 0xF0 : 0xB0), static_cast<uint8_t>(ones ? 0xF8 : 0xB8)};
    // A run longer than the longest code is written as several codes of the same value, so
    // no run length is ever cut off.
    const int64_t longest = ones ? kLongestOneRun : kLongestZeroRun;
    while (n > 0) {
        const int64_t run = std::min(n, longest);
        n -= run;
        const uint32_t m = static_cast<uint32_t>(run - 1);
        if (run <= 32) {
            AppendByte(static_cast<uint8_t>(base[0] + m));
        } else if (run <= 4096) {
            AppendByte(static_cast<uint8_t>(base[1] | (m >> 8)));
            AppendByte(static_cast<uint8_t>(m));
        } else if (run <= 524288) {
            AppendByte(static_cast<uint8_t>(base[2] | (m >> 16)));
            AppendByte(static_cast<uint8_t>(m >> 8));
            AppendByte(static_cast<uint8_t>(m));
        } else {
            AppendByte(static_cast<uint8_t>(base[3] | (m >> 24)));
            AppendByte(static_cast<uint8_t>(m >> 16));
            AppendByte(static_cast<uint8_t>(m >> 8));
            AppendByte(static_cast<uint8_t>(m));
        }
    }
}

void P_DataBuf::StartRun(STR_JET_RAR& state, int value, int64_t n)
{
    state.mode = value ? STR_JET_RAR::kOneRun : STR_JET_RAR::kZeroRun;
    state.bits = 0;
    state.count = n;
}

void P_DataBuf::SettleSeven(STR_JET_RAR& state, uint8_t bits7)
{
    if (bits7 == 0) {
        StartRun(state, 0, 7);
    } else if (bits7 == 0x7F) {
        StartRun(state, 1, 7);
    } else {
        Append7Bits(bits7);
        state = STR_JET_RAR{};
    }
}

void P_DataBuf::SplitByte(STR_JET_RAR& state, uint8_t byte)
{
    Append7Bits(static_cast<uint8_t>(byte >> 1));
    state.mode = STR_JET_RAR::kLiteral;
    state.bits = byte & 1;
    state.count = 1;
}

void P_DataBuf::JetRarBits(STR_JET_RAR& state, int value, int64_t n)
{
    if (n <= 0) return;
    const int v = value ? 1 : 0;
    const uint8_t runMode = v ? STR_JET_RAR::kOneRun : STR_JET_RAR::kZeroRun;
    if (state.mode == STR_JET_RAR::kIdle) {
        StartRun(state, v, n);
    } else if (state.mode == runMode) {
        state.count += n;
    } else if (state.mode != STR_JET_RAR::kLiteral) {
        AppendBits(state.mode == STR_JET_RAR::kOneRun, state.count);
        StartRun(state, v, n);
    } else {
        const int64_t p = state.count;
        if (state.bits == (v ? Mask(p) : 0)) {
            StartRun(state, v, p + n);
            return;
        }
        const int64_t added = std::min<int64_t>(n, 7 - p);
        state.bits = static_cast<uint8_t>((state.bits << added) | (v ? Mask(added) : 0));
        state.count = p + added;
        n -= added;
        if (state.count == 7) {
            Append7Bits(state.bits);
            if (n > 0) StartRun(state, v, n);
            else state = STR_JET_RAR{};
        }
    }
}

void P_DataBuf::ContinueRun(STR_JET_RAR& state, uint8_t byte, int runBit)
{
    const uint8_t same = runBit ? 0xFF : 0x00;
    if (byte == same) {
        state.count += 8;
        return;
    }
    const uint8_t other = static_cast<uint8_t>(~same);
    const int lead = runBit ? std::countl_one(byte) : std::countl_zero(byte);
    AppendBits(runBit, state.count + lead);
    if (lead == 1) {
        // One more bit of the run, then seven: a run of the other value, or a literal.
        if ((byte & 0x7F) == (other & 0x7F)) {
            StartRun(state, !runBit, 7);
        } else {
            Append7Bits(byte);
            state = STR_JET_RAR{};
        }
    } else if (lead >= 2) {
        state.mode = STR_JET_RAR::kLiteral;
        state.bits = byte & Mask(8 - lead);
        state.count = 8 - lead;
    } else if (byte == other) {
        StartRun(state, !runBit, 8);
    } else {
        SplitByte(state, byte);
    }
}

void P_DataBuf::JetRar(STR_JET_RAR& state, uint8_t byte)
{
    switch (state.mode) {
    case STR_JET_RAR::kZeroRun:
        ContinueRun(state, byte, 0);
        return;
    case STR_JET_RAR::kOneRun:
        ContinueRun(state, byte, 1);
        return;
    case STR_JET_RAR::kLiteral: {
        const int64_t p = state.count;
        if (state.bits == Mask(p) && byte == 0xFF) {
            StartRun(state, 1, p + 8);
            return;
        }
        if (state.bits == 0 && byte == 0x00) {
            StartRun(state, 0, p + 8);
            return;
        }
        const int64_t k = 7 - p;
        Append7Bits(static_cast<uint8_t>((state.bits << k) | (byte >> (8 - k))));
        const uint8_t rest = byte & Mask(p + 1);
        if (p + 1 == 7) {
            SettleSeven(state, rest);
        } else {
            state.bits = rest;
            state.count = p + 1;
        }
        return;
    }
    default:
        if (byte == 0x00) StartRun(state, 0, 8);
        else if (byte == 0xFF) StartRun(state, 1, 8);
        else SplitByte(state, byte);
        return;
    }
}

void P_DataBuf::JetRar(STR_JET_RAR& state, uint8_t byte, int n)
{
    if (n <= 0) return;
    if (n > 7) {
        JetRar(state, byte);
        return;
    }
    const uint8_t v = static_cast<uint8_t>(byte >> (8 - n));  // the n bits, first one highest
    switch (state.mode) {
    case STR_JET_RAR::kZeroRun:
    case STR_JET_RAR::kOneRun: {
        const int run = state.mode == STR_JET_RAR::kOneRun;
        const uint8_t asZeros = run ? static_cast<uint8_t>(~v & Mask(n)) : v;  // run bits read as 0
        const int lead = asZeros == 0 ? n : std::countl_zero(asZeros) - (8 - n);
        if (lead == n) {
            state.count += n;
            return;
        }
        AppendBits(run, state.count + lead);
        const int rest = n - lead;
        const uint8_t restBits = v & Mask(rest);
        if (rest == 7) {
            SettleSeven(state, restBits);
        } else {
            state.mode = STR_JET_RAR::kLiteral;
            state.bits = restBits;
            state.count = rest;
        }
        return;
    }
    case STR_JET_RAR::kLiteral: {
        const int64_t p = state.count;
        if (state.bits == Mask(p) && v == Mask(n)) {
            StartRun(state, 1, p + n);
            return;
        }
        if (state.bits == 0 && v == 0) {
            StartRun(state, 0, p + n);
            return;
        }
        const int64_t k = 7 - p;
        if (n > k) {
            Append7Bits(static_cast<uint8_t>((state.bits << k) | (v >> (n - k))));
            state.bits = v & Mask(n - k);
            state.count = n - k;
        } else if (n == k) {
            Append7Bits(static_cast<uint8_t>((state.bits << k) | v));
            state = STR_JET_RAR{};
        } else {
            state.bits = static_cast<uint8_t>((state.bits << n) | v);
            state.count = p + n;
        }
        return;
    }
    default:
        // Seven bits fed into an idle packer are settled at once, as everywhere else that
        // seven bits come together: kept as seven pending literal bits they would overflow
        // the literal when a whole byte follows.
        if (n == 7) {
            SettleSeven(state, v);
        } else {
            state.mode = STR_JET_RAR::kLiteral;
            state.bits = v;
            state.count = n;
        }
        return;
    }
}

void P_DataBuf::JetRarEnd(STR_JET_RAR& state, int64_t tail)
{
    if (state.mode == STR_JET_RAR::kZeroRun) {
        tail += state.count;
    } else if (state.mode == STR_JET_RAR::kOneRun) {
        AppendBits(1, state.count);
    } else if (state.mode == STR_JET_RAR::kLiteral) {
        const int64_t pad = 7 - state.count;
        Append7Bits(static_cast<uint8_t>(state.bits << pad));
        tail -= pad;
    }
    AppendBits(0, tail);
    AppendByte(0xFC);
    AppendByte(0x00);
    state = STR_JET_RAR{};
}
