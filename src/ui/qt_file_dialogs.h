// QtFileDialogs: the program's file pickers, as QFileDialogs.
#pragma once

#include "platform/file_dialog.h"

class QtFileDialogs : public FileDialogs {
public:
    bool OpenFiles(const CString& title, const CString& filter, std::vector<CString>& paths) override;
    bool SaveFile(const CString& title, const CString& filter, const CString& suggested, CString& path) override;
};
