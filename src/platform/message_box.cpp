// The message-box calls handed to the installed sink, or written to standard error.
#include "platform/message_box.h"

#include <atomic>
#include <cstdio>

namespace {

std::atomic<CMessageSink*> g_sink{nullptr};

}  // namespace

void SetMessageSink(CMessageSink* sink) { g_sink.store(sink, std::memory_order_release); }

int MessageBox(const CString& text, const CString& caption, UINT type)
{
    if (CMessageSink* sink = g_sink.load(std::memory_order_acquire)) return sink->Show(text, caption, type);
    std::string line = cstring_detail::ToUtf8(caption.str()) + ": " + cstring_detail::ToUtf8(text.str()) + "\n";
    std::fputs(line.c_str(), stderr);
    return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
}

int AfxMessageBox(const CString& text, UINT type) { return MessageBox(text, kApplicationCaption, type); }
