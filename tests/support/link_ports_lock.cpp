// The host-wide link-ports lock over flock on one fixed file.
#include "support/link_ports_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace corvane_test {
namespace {

// One path for every build on the host, whatever TMPDIR each run sets.
constexpr const char* kLockPath = "/tmp/corvane-link-ports.lock";

}  // namespace

LinkPortsLock::LinkPortsLock(int timeoutMs)
{
    fd_ = open(kLockPath, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!(held_ = flock(fd_, LOCK_EX | LOCK_NB) == 0)) {
        if (std::chrono::steady_clock::now() >= deadline) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

LinkPortsLock::~LinkPortsLock()
{
    if (fd_ >= 0) close(fd_);  // releases the lock
}

}  // namespace corvane_test
