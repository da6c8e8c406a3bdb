// Why the upload server refuses an upload, and the rules of the names it takes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class UploadRefusal : uint8_t {
    kNone = 0,
    // No auto directory is set.
    kNoAutoDirectory,
    // Not a plain file name: empty, ".", a separator, "..", NUL or another control character.
    kNotPlainName,
    // The name ends in "-", the mark of an unfinished upload.
    kEndsInDash,
    // The name with its "-" is longer than the file system takes.
    kNameTooLong,
    // A file of the temporary name exists already (an unfinished upload, or one being written).
    kTemporaryExists,
    // The temporary file could not be created for another reason.
    kOpenFailed,
};

// The refusal of an upload named name into the auto directory dir (UTF-8) by its name alone:
// kNone when the name is plain, does not end in "-", and its temporary name (name + "-")
// fits the longest file name of dir's file system.
UploadRefusal CheckUploadName(std::u16string_view name, const std::string& dir);
