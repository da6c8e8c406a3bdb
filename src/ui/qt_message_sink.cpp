// QtMessageSink: message boxes on the GUI thread.
#include "ui/qt_message_sink.h"

#include "ui/qt_text.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QThread>

namespace {

// Shows the box modally over the active window; answers the button chosen.
int ShowBox(const QString& text, const QString& caption, UINT type)
{
    const bool yesNo = (type & 0xF) == MB_YESNO;
    const QMessageBox::Icon icon = (type & 0xF0) == MB_ICONWARNING ? QMessageBox::Warning : QMessageBox::NoIcon;
    QMessageBox box(icon, caption, text, yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    if (yesNo) {
        box.button(QMessageBox::Yes)->setText(ResText(StringId::kYes));
        box.button(QMessageBox::No)->setText(ResText(StringId::kNo));
        box.setDefaultButton((type & 0xF00) == MB_DEFBUTTON2 ? QMessageBox::No : QMessageBox::Yes);
    } else {
        box.button(QMessageBox::Ok)->setText(ResText(StringId::kOk));
    }
    const int chosen = box.exec();
    if (!yesNo) return IDOK;
    return chosen == QMessageBox::Yes ? IDYES : IDNO;
}

}  // namespace

int QtMessageSink::Show(const CString& text, const CString& caption, UINT type)
{
    const QString qtext = ToQString(text);
    const QString qcaption = ToQString(caption);
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread()) return ShowBox(qtext, qcaption, type);
    if (app) QMetaObject::invokeMethod(app, [qtext, qcaption, type] { ShowBox(qtext, qcaption, type); }, Qt::QueuedConnection);
    return IDOK;
}
