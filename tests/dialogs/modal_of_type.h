// Acting on modal dialogs of one type while another modal dialog runs: a poller that lives as
// long as its context object, so a dialog that must not open is closed (and counted) rather
// than left blocking the test.
#pragma once

#include <QApplication>
#include <QObject>
#include <QTimer>

#include <functional>

namespace corvane_test {

// Runs act on every modal dialog of type T that opens while context lives; the dialog is
// closed if act leaves it open.
template <class T>
void OnModalOfType(QObject* context, std::function<void(T&)> act)
{
    auto* timer = new QTimer(context);
    timer->setInterval(1);
    QObject::connect(timer, &QTimer::timeout, context, [act = std::move(act)] {
        auto* dialog = dynamic_cast<T*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        act(*dialog);
        if (QApplication::activeModalWidget() == dialog) dialog->close();
    });
    timer->start();
}

}  // namespace corvane_test
