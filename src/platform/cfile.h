// The file stand-in: CFile, a binary file opened by its path for writing, and the status
// query of a named file.
#pragma once

#include "platform/cstring.h"
#include "platform/win_types.h"

#include <cstdint>
#include <cstdio>

// What the file system says of a file: its modification time and size.
struct CFileStatus {
    int64_t m_mtime = 0;  // modification time, seconds since 1970 (UTC)
    uint64_t m_size = 0;  // bytes
};

class CFile {
public:
    // Open flags: modeCreate makes the file (emptied when it exists), modeWrite writes it.
    static constexpr UINT modeWrite = 0x0001;
    static constexpr UINT modeCreate = 0x1000;

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    // Closes the file when it is open.
    virtual ~CFile();

    // Opens path (a UTF-8 name on disk); 0 when it cannot be opened, when a file is already
    // open, or when the flags do not ask for writing.
    BOOL Open(const CString& path, UINT flags);
    // Writes count bytes of data; nothing when the file is not open.
    void Write(const void* data, UINT count);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // Fills status from the file named path (UTF-16); FALSE, and status zeroed, when the file
    // cannot be queried.
    static BOOL GetStatus(const char16_t* path, CFileStatus& status);

private:
    std::FILE* file_ = nullptr;
};
