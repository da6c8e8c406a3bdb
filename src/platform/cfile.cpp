// CFile over POSIX: the status query of a named file.
#include "platform/cfile.h"

#include "platform/cstring.h"

#include <sys/stat.h>

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
