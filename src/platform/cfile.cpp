// CFile over the C library's streams, and the status query over stat.
#include "platform/cfile.h"

#include <sys/stat.h>

CFile::~CFile() { Close(); }

BOOL CFile::Open(const CString& path, UINT flags)
{
    if (file_ || !(flags & modeWrite)) return FALSE;
    // Without modeCreate an existing file is written from its start and kept beyond that.
    file_ = std::fopen(path.ToUtf8().c_str(), (flags & modeCreate) ? "wb" : "r+b");
    return file_ ? TRUE : FALSE;
}

void CFile::Write(const void* data, UINT count)
{
    if (file_ && data && count > 0) std::fwrite(data, 1, count, file_);
}

void CFile::Close()
{
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

BOOL CFile::GetStatus(const char16_t* path, CFileStatus& status)
{
    status = CFileStatus{};
    if (!path) return FALSE;
    struct stat st {};
    if (stat(CString(path).ToUtf8().c_str(), &st) != 0) return FALSE;
    status.m_mtime = static_cast<int64_t>(st.st_mtime);
    status.m_size = static_cast<uint64_t>(st.st_size);
    return TRUE;
}
