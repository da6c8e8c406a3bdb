// A Qt event loop for tests of code that lives on the GUI thread (sockets, posted messages).
#pragma once

#include <functional>

namespace corvane_test {

// Creates the process's QCoreApplication once; it lives until the process ends.
void EnsureEventLoop();

// Runs the event loop until done() holds or timeoutMs passed; returns done(). The time-out
// only bounds a failing test: passing tests end as soon as done() holds.
bool RunEventLoopUntil(const std::function<bool()>& done, int timeoutMs = 5000);

}  // namespace corvane_test
