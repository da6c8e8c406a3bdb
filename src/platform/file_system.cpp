// Files and folders over POSIX calls: folders, times, atomic replace, copy, deletion, the
// folder search and _time64.
#include "platform/file_system.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int64_t kNsPerSecond = 1000000000;

std::atomic<bool> timeOverridden{false};
std::atomic<int64_t> overrideSeconds{0};
// Tells the temporary files of one process apart.
std::atomic<uint32_t> temporaryCounter{0};

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Writes all bytes, going on after interrupted and partial writes.
bool WriteAll(int fd, const uint8_t* data, size_t bytes)
{
    while (bytes > 0) {
        ssize_t n = write(fd, data, bytes);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        bytes -= static_cast<size_t>(n);
    }
    return true;
}

timespec ToTimespec(int64_t ns)
{
    int64_t seconds = ns / kNsPerSecond;
    int64_t rest = ns % kNsPerSecond;
    if (rest < 0) {
        rest += kNsPerSecond;
        --seconds;
    }
    timespec t{};
    t.tv_sec = static_cast<time_t>(seconds);
    t.tv_nsec = static_cast<long>(rest);
    return t;
}

// Flushes the folder's entries to disk, so a rename inside it survives a power loss.
bool SyncFolder(const std::string& folder)
{
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

}  // namespace

bool FolderExists(const CString& path) { return IsFolder(path.ToUtf8()); }

bool CreateFolder(const CString& path)
{
    const std::string full = path.ToUtf8();
    if (full.empty()) return false;
    // Each folder from the top down; one that exists already is passed over.
    for (size_t end = full.find('/', 1);; end = full.find('/', end + 1)) {
        const std::string part = full.substr(0, end);
        if (!part.empty() && mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
        if (end == std::string::npos) break;
    }
    return IsFolder(full);
}

bool GetFileTimeNs(const CString& path, int64_t& modifiedNs)
{
    struct stat st {};
    if (stat(path.ToUtf8().c_str(), &st) != 0) return false;
    modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * kNsPerSecond + st.st_mtim.tv_nsec;
    return true;
}

bool SetFileTimeNs(const CString& path, int64_t modifiedNs)
{
    timespec times[2] = {{0, UTIME_OMIT}, ToTimespec(modifiedNs)};
    return utimensat(AT_FDCWD, path.ToUtf8().c_str(), times, 0) == 0;
}

int64_t WallClockNs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * kNsPerSecond + now.tv_nsec;
}

bool ReplaceFileAtomically(const CString& path, const void* data, size_t bytes, std::optional<int64_t> modifiedNs)
{
    return ReplaceFileAtomically(
        path, [data, bytes](const FileChunkSink& write) { return write(data, bytes); }, modifiedNs);
}

bool ReplaceFileAtomically(const CString& path, const std::function<bool(const FileChunkSink&)>& produce,
                           std::optional<int64_t> modifiedNs)
{
    const std::string target = path.ToUtf8();
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty()) return false;

    // A name of its own per attempt, so two writers never share a temporary file.
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = (slash == std::string::npos ? std::string() : folder) + "." + name + ".tmp" +
                    std::to_string(getpid()) + "-" + std::to_string(temporaryCounter.fetch_add(1));
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    bool written = true;
    const FileChunkSink write = [fd, &written](const void* data, size_t bytes) {
        written = written && WriteAll(fd, static_cast<const uint8_t*>(data), bytes);
        return written;
    };
    bool ok = produce(write) && written && fsync(fd) == 0;
    if (ok && modifiedNs) {
        timespec times[2] = {{0, UTIME_OMIT}, ToTimespec(*modifiedNs)};
        ok = futimens(fd, times) == 0;
    }
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    return SyncFolder(folder);
}

bool IsAtomicReplaceTemporaryName(const std::string& fileName, long* pid)
{
    // "." name ".tmp" digits "-" digits, with a name of at least one character.
    if (fileName.size() < 8 || fileName[0] != '.') return false;
    const size_t dash = fileName.rfind('-');
    const size_t tmp = fileName.rfind(".tmp", dash);
    if (dash == std::string::npos || tmp == std::string::npos || tmp < 2 || dash + 1 >= fileName.size()) return false;
    const auto allDigits = [](const std::string& text) {
        return !text.empty() && text.size() <= 18 &&
               std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    const std::string pidText = fileName.substr(tmp + 4, dash - tmp - 4);
    if (!allDigits(pidText) || !allDigits(fileName.substr(dash + 1))) return false;
    if (pid) *pid = std::stol(pidText);
    return true;
}

int RemoveInterruptedWriteTemporaries(const CString& folder, bool subFolders)
{
    std::string base = folder.ToUtf8();
    if (base.empty()) return 0;
    if (base.back() != '/') base += '/';
    DIR* dir = opendir(base.c_str());
    if (!dir) return 0;
    int removed = 0;
    std::vector<std::string> folders;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        long pid = 0;
        if (subFolders && name != "." && name != "..") {
            struct stat st {};
            if (lstat((base + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) folders.push_back(base + name);
        }
        if (!IsAtomicReplaceTemporaryName(name, &pid)) continue;
        // A writer that still runs (this process, or another one on the same folder) keeps
        // its file: only the leftovers of ended processes go.
        if (pid == static_cast<long>(getpid()) || (pid > 0 && (kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM)))
            continue;
        const std::string path = base + name;
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (unlink(path.c_str()) == 0) ++removed;
    }
    closedir(dir);
    for (const std::string& sub : folders) removed += RemoveInterruptedWriteTemporaries(CString::FromUtf8(sub), false);
    return removed;
}

bool ReadWholeFile(const CString& path, std::string& bytes, size_t maxBytes, int* errorCode)
{
    if (errorCode) *errorCode = 0;
    bytes.clear();
    int fd = open(path.ToUtf8().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errorCode) *errorCode = errno;
        return false;
    }
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char buffer[4096];
    while (ok) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0 && bytes.size() + static_cast<size_t>(n) <= maxBytes;
        if (ok) bytes.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    if (!ok) bytes.clear();
    return ok;
}

BOOL DeleteFile(const CString& path) { return unlink(path.ToUtf8().c_str()) == 0 ? TRUE : FALSE; }

BOOL CopyFile(const CString& from, const CString& to, BOOL failIfExists)
{
    const int in = open(from.ToUtf8().c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return FALSE;
    struct stat st {};
    if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(in);
        return FALSE;
    }
    const std::string target = to.ToUtf8();
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC);
    const int out = open(target.c_str(), flags, 0644);
    if (out < 0) {
        close(in);
        return FALSE;
    }
    bool ok = true;
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(in, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        for (ssize_t done = 0; ok && done < got;) {
            const ssize_t put = write(out, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) ok = false;
            else done += put;
        }
        if (!ok) break;
    }
    if (close(out) != 0) ok = false;
    close(in);
    if (!ok) unlink(target.c_str());
    return ok ? TRUE : FALSE;
}

BOOL CFileFind::FindFile(const CString& pattern)
{
    Close();
    const int slash = pattern.ReverseFind(u'/');
    folder_ = slash >= 0 ? pattern.Left(slash) : CString(u".");
    const std::string wildcard = (slash >= 0 ? pattern.Mid(slash + 1) : pattern).ToUtf8();
    const bool everything = wildcard == "*.*" || wildcard == "*";
    const std::string folder = folder_.ToUtf8();
    DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
    if (dir == nullptr) return FALSE;
    std::vector<std::string> found;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (!everything && fnmatch(wildcard.c_str(), name.c_str(), FNM_PERIOD) != 0) continue;
        struct stat st {};
        if (stat((folder + "/" + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        found.push_back(name);
    }
    closedir(dir);
    std::sort(found.begin(), found.end());
    for (const std::string& name : found) names_.push_back(CString::FromUtf8(name));
    return names_.empty() ? FALSE : TRUE;
}

BOOL CFileFind::FindNextFile()
{
    if (next_ < names_.size()) ++next_;
    return next_ < names_.size() ? TRUE : FALSE;
}

CString CFileFind::GetFilePath() const { return folder_ + u"/" + GetFileName(); }

CString CFileFind::GetFileName() const { return next_ > 0 && next_ <= names_.size() ? names_[next_ - 1] : CString(); }

void CFileFind::Close()
{
    names_.clear();
    next_ = 0;
}

int64_t _time64(int64_t* timer)
{
    const int64_t now = timeOverridden.load() ? overrideSeconds.load() : static_cast<int64_t>(std::time(nullptr));
    if (timer) *timer = now;
    return now;
}

void SetTime64ForTesting(std::optional<int64_t> seconds)
{
    overrideSeconds.store(seconds.value_or(0));
    timeOverridden.store(seconds.has_value());
}
