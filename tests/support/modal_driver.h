// Drives widgets from tests: finds and fills edits, clicks buttons, and acts on the next
// modal dialog while the test itself runs it.
#pragma once

#include <QLineEdit>
#include <QString>
#include <QWidget>

#include <functional>

namespace corvane_test {

// The edit named name in parent; fails the test when there is none.
QLineEdit* Edit(QWidget& parent, const char* name);
// Replaces the text of the edit named name.
void Type(QWidget& parent, const char* name, const QString& text);
// Clicks the button named name in parent.
void Click(QWidget& parent, const char* name);
// Runs act on the next modal widget that opens (other than the one active now), from the event loop, while the caller runs a
// modal dialog; the widget is closed if act leaves it open.
void WhenModal(std::function<void(QWidget&)> act);

}  // namespace corvane_test
