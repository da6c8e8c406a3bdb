// The directory fields' folder browser: the chosen folder into the edit, or a message that it is not valid.
#include "ui/folder_browse.h"

#include "platform/file_dialog.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "ui/qt_text.h"

#include <QLineEdit>

void BrowseFolderInto(const CString& title, QLineEdit& edit)
{
    CString path = ToCString(edit.text());
    if (!GetFileDialogs().BrowseForFolder(title, path)) return;
    if (path.IsEmpty() || !FolderExists(path)) {
        AfxMessageBox(LoadResString(StringId::kFolderInvalid));
        return;
    }
    edit.setText(ToQString(path));
}
