// The deadline wait over select.
#include "machinelink/socket_wait.h"

#include <sys/select.h>

#include <cerrno>

bool WaitReadableUntil(int fd, TickMs deadlineMs)
{
    for (;;) {
        const TickMs left = deadlineMs - MonotonicMs();
        if (left <= 0) return false;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        timeval timeout{static_cast<time_t>(left / 1000), static_cast<suseconds_t>((left % 1000) * 1000)};
        const int ready = select(fd + 1, &readable, nullptr, nullptr, &timeout);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}
