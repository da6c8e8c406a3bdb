// FileDialogs: the file and folder pickers (open several, save one, a folder), behind one
// replaceable interface.
//
// The program installs pickers that show dialogs (ui/qt_file_dialogs.h); tests install
// scripted ones. Until one is installed every picker answers as cancelled.
// A filter is a list of name filters separated by ";;", each a description followed by its
// patterns in brackets: "HPGL (*.plt *.hpgl);;All files (*.*)".
#pragma once

#include "platform/cstring.h"

#include <vector>

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Lets the operator choose existing files; false when cancelled (paths then untouched).
    virtual bool OpenFiles(const CString& title, const CString& filter, std::vector<CString>& paths);
    // Lets the operator choose where to save, starting at suggested; false when cancelled.
    virtual bool SaveFile(const CString& title, const CString& filter, const CString& suggested, CString& path);
    // Lets the operator choose a folder under the label title, starting at path; false when
    // cancelled (path then untouched). The chosen text is the caller's to check.
    virtual bool BrowseForFolder(const CString& title, CString& path);
};

// Installs pickers for every later call; null returns to the cancelling default. The pickers
// must outlive their installation.
void SetFileDialogs(FileDialogs* dialogs);
// The installed pickers, or the cancelling default.
FileDialogs& GetFileDialogs();
