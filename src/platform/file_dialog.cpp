// The cancelling default of the file and folder pickers and the installed pickers.
#include "platform/file_dialog.h"

#include <atomic>

namespace {

std::atomic<FileDialogs*> g_dialogs{nullptr};

}  // namespace

bool FileDialogs::OpenFiles(const CString&, const CString&, std::vector<CString>&) { return false; }
bool FileDialogs::SaveFile(const CString&, const CString&, const CString&, CString&) { return false; }
bool FileDialogs::BrowseForFolder(const CString&, CString&) { return false; }

void SetFileDialogs(FileDialogs* dialogs) { g_dialogs.store(dialogs, std::memory_order_release); }

FileDialogs& GetFileDialogs()
{
    static FileDialogs cancelling;
    FileDialogs* dialogs = g_dialogs.load(std::memory_order_acquire);
    return dialogs ? *dialogs : cancelling;
}
