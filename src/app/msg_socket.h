// CMsgSocket: the UDP socket of short "{key=value}" text messages exchanged with local
// companion programs (the pattern editor), and the parser of those messages.
//
// A message is UTF-16LE text of groups "{", key, "=", value, "}" without a terminator; one
// datagram may hold several groups. "UpdateFile" adds its value as a file to the job list;
// every other key is ignored.
#pragma once

#include "platform/async_socket.h"
#include "platform/cstring.h"

#include <functional>
#include <vector>

// The port and address the pattern editor listens on for "OpenFile".
inline constexpr UINT kPatternEditorPort = 30202;
inline constexpr const char16_t* kPatternEditorAddress = u"127.0.0.1";
// The longest message read.
inline constexpr int kMsgSocketDatagramBytes = 4096;

struct KeyValueGroup {
    CString key;
    CString value;
};

// The groups of a datagram in order: from each "{" the text up to the next "=" is the key,
// up to the "}" after it the value; parsing ends silently where one of the three is missing.
// An odd last byte is no whole UTF-16 unit and is not read.
std::vector<KeyValueGroup> ParseKeyValueGroups(const uint8_t* bytes, int length);

// The files a datagram from sender (dotted IPv4) asks to add: the values of its "UpdateFile"
// groups (key compared with case). Only a sender on 127.0.0.0/8 is heeded: the port is meant
// for companion programs of this computer, and a message from the LAN would make the program
// load any local file as a job.
std::vector<CString> UpdateFileRequests(const uint8_t* bytes, int length, const CString& sender);

// True for a dotted IPv4 address on 127.0.0.0/8.
bool IsLoopbackSender(const CString& address);

class CMsgSocket : public CAsyncSocket {
public:
    // Called for each file an "UpdateFile" message adds, then the window is brought forward.
    using AddFileHandler = std::function<void(const CString& path)>;
    using RaiseHandler = std::function<void()>;

    CMsgSocket(AddFileHandler addFile, RaiseHandler raiseWindow);

    // Makes the UDP socket on a port the system chooses, reading every datagram.
    BOOL CreateMessageSocket();
    // Sends "{key=value}" as UTF-16LE (twice the text length in bytes) to address:port;
    // the bytes sent, or SOCKET_ERROR.
    int SendKeyValueDatagram(const CString& key, const CString& value, const CString& address, UINT port);

protected:
    // Reads one datagram and acts on its "UpdateFile" groups.
    void OnReceive(int errorCode) override;

private:
    AddFileHandler addFile_;
    RaiseHandler raiseWindow_;
};

// The program's message socket while it is open (the application owns it), or null; the job
// list view sends "OpenFile" through it.
CMsgSocket* GetMsgSocket();
void SetMsgSocket(CMsgSocket* socket);
