// The QApplication of widget tests: it must exist before anything makes a QCoreApplication.
#pragma once

namespace corvane_test {

// Creates the process's QApplication once (offscreen in the tests' environment); it lives
// until the process ends. Fails the test when a plain QCoreApplication came first.
void EnsureWidgetApplication();

}  // namespace corvane_test
