// File pickers handed to the installed picker; none installed cancels.
#include "platform/file_dialog.h"

#include <atomic>

namespace {
std::atomic<CFilePicker*> g_picker{nullptr};
}  // namespace

void SetFilePicker(CFilePicker* picker) { g_picker.store(picker); }

bool PickOpenFiles(const CString& title, const CString& filter, CArray<CString>& paths)
{
    paths.RemoveAll();
    CFilePicker* picker = g_picker.load();
    return picker != nullptr && picker->PickOpenFiles(title, filter, paths);
}

bool PickSaveFile(const CString& defaultExtension, const CString& filter, CString& path)
{
    CFilePicker* picker = g_picker.load();
    return picker != nullptr && picker->PickSaveFile(defaultExtension, filter, path);
}
