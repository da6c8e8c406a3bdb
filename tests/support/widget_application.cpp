// The one QApplication of a test program that shows widgets, on the offscreen platform.
#include "support/widget_application.h"

#include <QApplication>

#include <cstdlib>

namespace corvane_test {

void EnsureWidgetApplication()
{
    if (QApplication::instance() != nullptr) return;
    // Tests never open a window on a display.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "corvane_test";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    (void)application;
}

}  // namespace corvane_test

// The system font library keeps its caches to the end of the program: the leak checker of a
// program that shows widgets leaves them out, whatever options the test runner passes.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\nleak:libdbus-1.so\n"; }
