// The upload file over POSIX calls: an exclusive create, and a rename that never replaces a
// file already there.
#include "uploadserver/upload_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

UploadFile::UploadFile(const std::string& path)
{
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd_ < 0) openError_ = errno;
}

UploadFile::~UploadFile() { Close(); }

bool UploadFile::Write(std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool UploadFile::Close()
{
    if (fd_ < 0) return true;
    int result = ::close(fd_);
    fd_ = -1;
    return result == 0;
}

// Never replaces an existing file: a job of that name in the auto directory may be queued or
// printing while a client uploads another one under the same name.
bool UploadFile::Rename(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without RENAME_NOREPLACE: a hard link fails just as well when to exists.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}
