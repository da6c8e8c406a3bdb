// Runs the Qt event loop of the test thread, bounded in time.
#include "support/event_loop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>

namespace corvane_test {

void EnsureEventLoop()
{
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "corvane-test";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);  // reachable through qApp until the process ends
}

bool RunEventLoopUntil(const std::function<bool()>& done, int timeoutMs)
{
    EnsureEventLoop();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    QTimer heartbeat;  // wakes the wait below so done() is looked at again
    heartbeat.start(2);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace corvane_test
