// CFile: the framework's file class; here the status query of a named file.
#pragma once

#include "platform/win_types.h"

#include <cstdint>

// ---- file status ----

// What the file system says of a file: its modification time and size.
struct CFileStatus {
    int64_t m_mtime = 0;  // modification time, seconds since 1970 (UTC)
    uint64_t m_size = 0;  // bytes
};

class CFile {
public:
    // Fills status from the file named path (UTF-16); FALSE, and status zeroed, when the file
    // cannot be queried.
    static BOOL GetStatus(const char16_t* path, CFileStatus& status);
};
