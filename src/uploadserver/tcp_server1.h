// CTCPServer1: the listening socket of the upload server, with the library's client list and auto directory.
#pragma once

#include "platform/async_socket.h"
#include "platform/carray.h"
#include "platform/cstring.h"

#include <cstdint>

class CTCPClient1;

class CTCPServer1 : public CAsyncSocket {
public:
    // Connections waiting to be accepted.
    static constexpr int kListenBacklog = 5;

    // The one server of the program.
    static CTCPServer1* GetGlobalServer();

    // Listens on port (on address, every address when null) for clients; 1 or 0.
    int Create1(unsigned port, const char16_t* address = nullptr);
    // Sets the folder that uploads land in; empty refuses uploads.
    static void SetAutoDir(const CString& dir);
    // Queues length characters of text to every connected client.
    static void SendToAllClientW(CString& text, int32_t length);

protected:
    // Takes a waiting connection as a new client and tells the main window about it.
    void OnAccept(int errorCode) override;

private:
    friend class CTCPClient1;
    static CArray<CTCPClient1*> s_clients;  // in order of acceptance
    static CString s_autoDir;
};
