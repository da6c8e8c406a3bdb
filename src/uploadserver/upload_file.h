// The file an upload is written to: created under a temporary name, moved to its final name.
#pragma once

#include <string>
#include <string_view>

class UploadFile {
public:
    // Creates the file at path for writing, only when no file of that name exists: an
    // existing file is never opened, let alone emptied. IsOpen tells whether that worked,
    // OpenError why not (the system's error number). A symbolic link at path is not followed.
    explicit UploadFile(const std::string& path);
    // Closes the file if still open; the file keeps its name.
    ~UploadFile();
    UploadFile(const UploadFile&) = delete;
    UploadFile& operator=(const UploadFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int OpenError() const { return openError_; }
    // Writes all bytes; false when the system took fewer.
    bool Write(std::string_view bytes);
    // Closes the file; false when the system reported an error (the data may be incomplete).
    bool Close();

    // Moves from to to; false, and nothing moved, when to exists already or the move fails.
    static bool Rename(const std::string& from, const std::string& to);

private:
    int fd_ = -1;
    int openError_ = 0;
};
