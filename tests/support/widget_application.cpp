// The process's QApplication for widget tests.
#include "support/widget_application.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace corvane_test {

void EnsureWidgetApplication()
{
    if (QCoreApplication::instance()) {
        EXPECT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr)
            << "a QCoreApplication was made before the widget tests' QApplication";
        return;
    }
    static int argc = 1;
    static char name[] = "corvane-widget-test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // reachable through qApp until the process ends
    QApplication::setQuitOnLastWindowClosed(false);
}

}  // namespace corvane_test
