// QtFileDialogs: choosing files and folders with QFileDialog over the active window.
#include "ui/qt_file_dialogs.h"

#include "ui/qt_text.h"

#include <QApplication>
#include <QFileDialog>

bool QtFileDialogs::OpenFiles(const CString& title, const CString& filter, std::vector<CString>& paths)
{
    const QStringList chosen =
        QFileDialog::getOpenFileNames(QApplication::activeWindow(), ToQString(title), QString(), ToQString(filter));
    if (chosen.isEmpty()) return false;
    paths.clear();
    for (const QString& path : chosen) paths.push_back(ToCString(path));
    return true;
}

bool QtFileDialogs::SaveFile(const CString& title, const CString& filter, const CString& suggested, CString& path)
{
    const QString chosen = QFileDialog::getSaveFileName(QApplication::activeWindow(), ToQString(title),
                                                        ToQString(suggested), ToQString(filter));
    if (chosen.isEmpty()) return false;
    path = ToCString(chosen);
    return true;
}

bool QtFileDialogs::BrowseForFolder(const CString& title, CString& path)
{
    // Qt's own dialog, so the title, label and button texts are ours on every desktop.
    QFileDialog browser(QApplication::activeWindow(), ResText(StringId::kBrowseFolderCaption), ToQString(path));
    browser.setObjectName(QStringLiteral("folderBrowser"));
    browser.setOption(QFileDialog::DontUseNativeDialog);
    browser.setOption(QFileDialog::ShowDirsOnly);
    browser.setFileMode(QFileDialog::Directory);
    browser.setLabelText(QFileDialog::LookIn, ToQString(title));
    browser.setLabelText(QFileDialog::Accept, ResText(StringId::kOk));
    browser.setLabelText(QFileDialog::Reject, ResText(StringId::kCancel));
    if (browser.exec() != QDialog::Accepted) return false;
    const QStringList chosen = browser.selectedFiles();
    path = chosen.isEmpty() ? CString() : ToCString(chosen.front());
    return true;
}
