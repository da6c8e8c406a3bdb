// The upload server's listening socket and the library's globals: the clients and the auto directory.
#include "uploadserver/tcp_server1.h"

#include "uploadserver/tcp_client1.h"
#include "uploadserver/upload_messages.h"

CArray<CTCPClient1*> CTCPServer1::s_clients;
CString CTCPServer1::s_autoDir;

CTCPServer1* CTCPServer1::GetGlobalServer()
{
    // Never destroyed: posted messages and clients may refer to it until the process ends.
    static CTCPServer1* server = new CTCPServer1;
    return server;
}

int CTCPServer1::Create1(unsigned port, const char16_t* address)
{
    if (!Create(port, SOCK_STREAM, FD_ACCEPT, address)) return 0;
    if (!Listen(kListenBacklog)) {
        Close();
        return 0;
    }
    return 1;
}

void CTCPServer1::SetAutoDir(const CString& dir) { s_autoDir = dir; }

void CTCPServer1::SendToAllClientW(CString& text, int32_t length)
{
    // AddToSendBufW never removes a client from the list (a client is dropped from the event
    // loop), so the list stays as it is during this walk.
    int32_t characters = length < text.GetLength() ? length : text.GetLength();
    for (CTCPClient1* client : s_clients) client->AddToSendBufW(text.GetString(), characters);
}

void CTCPServer1::OnAccept(int)
{
    auto* client = new CTCPClient1;
    if (!Accept(*client)) {
        delete client;
        return;
    }
    s_clients.Add(client);
    PostMainMessage(WM_TCP_CLIENT_ACCEPTED, reinterpret_cast<WPARAM>(client), 0);
}
