// QtFileDialogs: choosing files with QFileDialog over the active window.
#include "ui/qt_file_dialogs.h"

#include <QApplication>
#include <QFileDialog>

namespace {

QString ToQString(const CString& text) { return QString::fromStdU16String(text.str()); }
CString FromQString(const QString& text) { return CString(text.toStdU16String().c_str()); }

}  // namespace

bool QtFileDialogs::OpenFiles(const CString& title, const CString& filter, std::vector<CString>& paths)
{
    const QStringList chosen =
        QFileDialog::getOpenFileNames(QApplication::activeWindow(), ToQString(title), QString(), ToQString(filter));
    if (chosen.isEmpty()) return false;
    paths.clear();
    for (const QString& path : chosen) paths.push_back(FromQString(path));
    return true;
}

bool QtFileDialogs::SaveFile(const CString& title, const CString& filter, const CString& suggested, CString& path)
{
    const QString chosen = QFileDialog::getSaveFileName(QApplication::activeWindow(), ToQString(title),
                                                        ToQString(suggested), ToQString(filter));
    if (chosen.isEmpty()) return false;
    path = FromQString(chosen);
    return true;
}
