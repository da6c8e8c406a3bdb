// Waiting for a socket to become readable until a deadline on the monotonic tick.
#pragma once

#include "platform/tick_clock.h"

// Waits until fd is readable or deadlineMs (MonotonicMs) has passed; false when the deadline
// came first or the wait failed. A signal only shortens one wait: what is left is measured again.
bool WaitReadableUntil(int fd, TickMs deadlineMs);
