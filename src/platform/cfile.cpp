// CFile over the C library's streams.
#include "platform/cfile.h"

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
