// CMsgSocket: reading and sending "{key=value}" messages.
#include "app/msg_socket.h"

#include <arpa/inet.h>
#include <atomic>

namespace {

std::atomic<CMsgSocket*> g_msgSocket{nullptr};

}  // namespace

std::vector<KeyValueGroup> ParseKeyValueGroups(const uint8_t* bytes, int length)
{
    // Whole units only: a datagram of odd length or one cut at the buffer's end must not make
    // the text run past the bytes that arrived.
    std::u16string text;
    for (int i = 0; i + 1 < length; i += 2)
        text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    std::vector<KeyValueGroup> groups;
    size_t pos = 0;
    for (;;) {
        const size_t open = text.find(u'{', pos);
        if (open == std::u16string::npos) break;
        const size_t equals = text.find(u'=', open + 1);
        if (equals == std::u16string::npos) break;
        const size_t close = text.find(u'}', equals + 1);
        if (close == std::u16string::npos) break;
        groups.push_back({CString(text.substr(open + 1, equals - open - 1).c_str()),
                          CString(text.substr(equals + 1, close - equals - 1).c_str())});
        pos = close + 1;
    }
    return groups;
}

bool IsLoopbackSender(const CString& address)
{
    in_addr a{};
    if (inet_pton(AF_INET, address.ToUtf8().c_str(), &a) != 1) return false;
    return (ntohl(a.s_addr) >> 24) == 127;
}

std::vector<CString> UpdateFileRequests(const uint8_t* bytes, int length, const CString& sender)
{
    std::vector<CString> files;
    if (!IsLoopbackSender(sender)) return files;
    for (const KeyValueGroup& group : ParseKeyValueGroups(bytes, length))
        if (group.key == CString(u"UpdateFile")) files.push_back(group.value);
    return files;
}

CMsgSocket::CMsgSocket(AddFileHandler addFile, RaiseHandler raiseWindow)
    : addFile_(std::move(addFile)), raiseWindow_(std::move(raiseWindow))
{
}

BOOL CMsgSocket::CreateMessageSocket() { return Create(0, SOCK_DGRAM, FD_READ); }

int CMsgSocket::SendKeyValueDatagram(const CString& key, const CString& value, const CString& address, UINT port)
{
    CString text;
    text.Format(u"{%s=%s}", key.GetString(), value.GetString());
    std::vector<uint8_t> bytes;
    for (char16_t unit : text.str()) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return SendTo(bytes.data(), static_cast<int>(bytes.size()), port, address.GetString());
}

void CMsgSocket::OnReceive(int errorCode)
{
    uint8_t buffer[kMsgSocketDatagramBytes];
    CString sender;
    UINT senderPort = 0;
    const int n = ReceiveFrom(buffer, sizeof buffer, sender, senderPort);
    if (n > 0) {
        const std::vector<CString> files = UpdateFileRequests(buffer, n, sender);
        for (const CString& file : files) {
            if (addFile_) addFile_(file);
            if (raiseWindow_) raiseWindow_();
        }
    }
    CAsyncSocket::OnReceive(errorCode);
}

CMsgSocket* GetMsgSocket() { return g_msgSocket.load(); }
void SetMsgSocket(CMsgSocket* socket) { g_msgSocket.store(socket); }
