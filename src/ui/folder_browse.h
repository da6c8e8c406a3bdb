// The "..." buttons of the directory fields: the folder browser, its check and the edit it fills.
#pragma once

#include "platform/cstring.h"

class QLineEdit;

// Runs the folder browser under title from edit's folder. A chosen existing folder is written
// into edit; any other choice shows "选择目录无效" and keeps the text; cancel does nothing.
void BrowseFolderInto(const CString& title, QLineEdit& edit);
