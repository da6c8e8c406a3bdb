// The monotonic millisecond tick that every time-out, resend threshold and stamp is measured on.
//
// The tick comes from the steady clock (never from CPU time), so it advances at wall-clock
// rate and never jumps back. It is 64-bit, so differences of two ticks never wrap. Tests
// install a TickSource of their own and drive time by hand instead of sleeping.
#pragma once

#include <cstdint>

using TickMs = int64_t;

// A replacement source of ticks for tests.
class TickSource {
public:
    virtual ~TickSource() = default;
    virtual TickMs NowMs() const = 0;
};

// Milliseconds on the monotonic clock (or on the installed test source).
TickMs MonotonicMs();

// The 32-bit millisecond tick of the Windows API: the low 32 bits of MonotonicMs (it wraps).
inline uint32_t GetTickCount() { return static_cast<uint32_t>(MonotonicMs()); }

// Makes MonotonicMs read source; null returns to the steady clock. For tests only: the source
// must outlive its installation.
void SetTickSourceForTesting(const TickSource* source);
// True while a test source is installed: its ticks do not pass with real time, so a wait for
// a tick to come cannot be measured in real time.
bool IsTickSourceReplaced();
