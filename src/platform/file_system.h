// Files and folders: folder tests and creation, modification times in nanoseconds, the
// atomic replace of a whole file, copying, deletion, the search of a folder's regular files
// (CFileFind) and the wall-clock seconds of _time64.
//
// Paths are CStrings (UTF-16) opened through their UTF-8 names; names compare exactly, as
// Linux file names are case-sensitive.
#pragma once

#include "platform/cstring.h"
#include "platform/win_types.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// True when path names an existing folder.
bool FolderExists(const CString& path);
// Creates the folder path and any missing folder above it; true when it exists afterwards.
bool CreateFolder(const CString& path);

// The file's modification time, nanoseconds since 1970-01-01 UTC; false when the file cannot
// be examined.
bool GetFileTimeNs(const CString& path, int64_t& modifiedNs);
// Sets the file's modification time (its access time stays); false on failure.
bool SetFileTimeNs(const CString& path, int64_t modifiedNs);
// The wall clock now, nanoseconds since 1970-01-01 UTC.
int64_t WallClockNs();

// Replaces the file at path by the given bytes so that a reader, or the file after a crash,
// holds either the old contents or the new ones, never a part: the bytes go to a temporary
// file in the same folder, which is flushed to disk, dated (modifiedNs when given), renamed
// over path, and the folder is flushed. False on any failure: path is then untouched, unless
// only the last flush of the folder failed (the new contents are in place but may not survive
// a power loss).
bool ReplaceFileAtomically(const CString& path, const void* data, size_t bytes,
                           std::optional<int64_t> modifiedNs = std::nullopt);
// Where a producer hands the bytes of a file in parts, in order; false once writing failed.
using FileChunkSink = std::function<bool(const void* data, size_t bytes)>;
// The same replace of a file whose bytes produce hands to its sink in parts, so that a large
// file is never whole in memory. produce returns false to give the write up (or when the sink
// failed): path is then untouched and the result false.
bool ReplaceFileAtomically(const CString& path, const std::function<bool(const FileChunkSink&)>& produce,
                           std::optional<int64_t> modifiedNs = std::nullopt);

// The name ReplaceFileAtomically gives the temporary file of a write of name by process pid:
// "." + name + ".tmp" + pid + "-" + a counter.
bool IsAtomicReplaceTemporaryName(const std::string& fileName, long* pid = nullptr);
// Deletes the temporary files that writes interrupted by the end of their process left in
// folder, and with subFolders in its sub-folders too (one level): regular files of the
// temporary name whose process no longer runs. Every other file stays. Returns how many were
// deleted.
int RemoveInterruptedWriteTemporaries(const CString& folder, bool subFolders = false);

// Reads the whole regular file at path into bytes; false when it cannot be opened or read, is
// no regular file or is longer than maxBytes. errorCode, when given, receives the errno of a
// failed open (ENOENT: no such file), else 0.
bool ReadWholeFile(const CString& path, std::string& bytes, size_t maxBytes = SIZE_MAX, int* errorCode = nullptr);

// Deletes the file; FALSE when it cannot be deleted.
BOOL DeleteFile(const CString& path);

// Copies the regular file from to the path to; with failIfExists an existing target is left
// alone and the copy fails. FALSE on any failure (a partial target is removed).
BOOL CopyFile(const CString& from, const CString& to, BOOL failIfExists);

// The regular files of one folder that match a pattern, as the framework's file search
// walks them: FindFile starts a search, each FindNextFile steps to the next entry and
// answers whether more follow it. The pattern is a folder, "/", and a name with "*" and "?"
// wildcards; "*.*" matches every name, as on Windows. Entries come in name order; folders
// and other non-regular entries are not listed.
class CFileFind {
public:
    // Lists the matching files; FALSE when there is none (or the folder cannot be read).
    BOOL FindFile(const CString& pattern);
    // Steps to the next entry: TRUE while another entry follows this one.
    BOOL FindNextFile();
    // The full path and the name of the current entry.
    CString GetFilePath() const;
    CString GetFileName() const;
    // Ends the search.
    void Close();

private:
    CString folder_;
    std::vector<CString> names_;
    size_t next_ = 0;  // one past the current entry
};

// The wall-clock time in seconds since 1970-01-01 UTC, also stored in *timer when given.
int64_t _time64(int64_t* timer);
// Makes _time64 answer seconds; std::nullopt returns to the real clock. For tests only.
void SetTime64ForTesting(std::optional<int64_t> seconds);
