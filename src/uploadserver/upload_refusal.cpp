// The name rules of an upload: plain, not ending in "-", and room for the "-" of its temporary name.
#include "uploadserver/upload_refusal.h"

#include "platform/cstring.h"

#include <climits>
#include <unistd.h>

namespace {

// A name that can only mean a file directly inside the auto directory.
bool IsPlainFileName(std::u16string_view name)
{
    if (name.empty() || name == u"." || name.find(u"..") != std::u16string_view::npos) return false;
    for (char16_t c : name)
        if (c == u'/' || c == u'\\' || c < 0x20 || c == 0x7F) return false;
    return true;
}

// The longest file name of dir's file system, in bytes.
long LongestFileName(const std::string& dir)
{
    long longest = ::pathconf(dir.c_str(), _PC_NAME_MAX);
    return longest > 0 ? longest : NAME_MAX;
}

}  // namespace

UploadRefusal CheckUploadName(std::u16string_view name, const std::string& dir)
{
    if (!IsPlainFileName(name)) return UploadRefusal::kNotPlainName;
    // The auto-print scan takes a name ending in "-" for an upload still being written.
    if (name.back() == u'-') return UploadRefusal::kEndsInDash;
    const size_t bytes = CString(name).ToUtf8().size();
    if (static_cast<long long>(bytes) + 1 > LongestFileName(dir)) return UploadRefusal::kNameTooLong;
    return UploadRefusal::kNone;
}
