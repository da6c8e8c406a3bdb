// The one QApplication of a test program that shows widgets, on the offscreen platform.
#pragma once

namespace corvane_test {

// Makes the program's QApplication on the offscreen platform unless one exists; later calls
// return at once.
void EnsureWidgetApplication();

}  // namespace corvane_test
