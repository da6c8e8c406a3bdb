// QtFileDialogs: the program's file and folder pickers, as QFileDialogs.
#pragma once

#include "platform/file_dialog.h"

class QtFileDialogs : public FileDialogs {
public:
    bool OpenFiles(const CString& title, const CString& filter, std::vector<CString>& paths) override;
    bool SaveFile(const CString& title, const CString& filter, const CString& suggested, CString& path) override;
    // A folder browser "浏览文件夹": folders only, with an edit, title as its label, buttons
    // OK and Cancel. It never changes the working directory.
    bool BrowseForFolder(const CString& title, CString& path) override;
};
