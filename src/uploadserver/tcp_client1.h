// CTCPClient1: one upload client: the message parser, the upload being written, the paced send buffer.
//
// Messages are UTF-16LE text from "<" to ">". "<FHED,L:size,N:name>" starts an upload into
// the auto directory under name + "-" (a refused one, see UploadRefusal, gets no answer: its
// body is counted and dropped and the connection goes on), "<FSEG,L:n>" announces n raw bytes of file body that
// follow unframed, "<FEND>" moves the finished file to its name. "<FILE...>" and "<MACH...>"
// are posted to the main window. Shapes go back as "<PHED,N:name>", one "<PLOT:...>" record
// per shape (the next one queued only when the send buffer has drained) and "<PEND>".
// Everything runs on the GUI thread, driven by the socket notifications.
#pragma once

#include "platform/async_socket.h"
#include "platform/cstring.h"
#include "uploadserver/upload_refusal.h"

#include <cstdint>
#include <memory>
#include <string_view>

class PlotShape;
class PlotShapeList;
class UploadFile;

class CTCPClient1 : public CAsyncSocket {
public:
    static constexpr int32_t kReceiveBuffer_bytes = 4096;
    // Largest piece handed to the socket at once.
    static constexpr int32_t kSendChunk_bytes = 1500;
    // Extra room taken whenever the send buffer grows.
    static constexpr int32_t kSendGrowth_bytes = 1024;
    // A client with more unsent bytes than this has stopped reading and is closed.
    static constexpr int32_t kUnsentLimit_bytes = 4 * 1024 * 1024;
    // Notification sets: while bytes wait to be sent, and when idle.
    static constexpr int32_t kEventsSending = FD_READ | FD_WRITE | FD_CLOSE;  // 35
    static constexpr int32_t kEventsIdle = FD_READ | FD_CLOSE;                // 33

    CTCPClient1();
    ~CTCPClient1() override;

    // Makes a socket on any port with read, write, connect and close notifications; 1 or 0.
    int Create1();

    // Starts sending the shapes of list under the job name name; the client takes the list.
    // 0 (the list stays the caller's) while an earlier list is still being sent.
    int SendShapeList(PlotShapeList* list, CString name);
    // Queues one shape's PLOT record; 1, or 0 when it could not be queued.
    int SendPlotShape(PlotShape* shape);
    // Queue bytes (characters of UTF-16 text) to send; the count queued, 0 for none.
    int AddToSendBuf(const char* data, int32_t bytes);
    int AddToSendBufW(const char16_t* text, int32_t characters);

    // Handles the received bytes; returns how many were used up (the rest waits for more).
    int32_t ProcData(char* data, int32_t length);
    // Handlers of one message, from its "<" up to (not including) its ">"; 1 when acted on.
    int ProcFileHead(char16_t* message, int32_t characters);
    int ProcFileSection(char16_t* message, int32_t characters);
    int ProcFileCmd(char16_t* message, int32_t characters);
    // Why the last FHED was refused; kNone when its upload was opened.
    UploadRefusal LastUploadRefusal() const { return m_lastRefusal; }

    // Makes room for bytes more in the send buffer; 1 or 0.
    int ApplySpace(int32_t bytes);
    void FreeSpace();

    // Index of client among the connected clients, or -1 when it is gone. Whoever holds a
    // client pointer from a posted message looks it up here before using it.
    static int32_t FindClient(CTCPClient1* client);
    // Frees a message copy posted with WM_TCP_FILE_COMMAND or WM_TCP_MACHINE_COMMAND.
    static void DeleteBuf(char16_t* buf);
    // The client that sent a posted message copy of characters characters.
    static CTCPClient1* GetBufSender(const char16_t* buf, int32_t characters);

protected:
    void OnReceive(int errorCode) override;
    void OnSend(int errorCode) override;
    void OnClose(int errorCode) override;

private:
    // Opens the upload of name under its temporary name, or says why not.
    UploadRefusal OpenUpload(std::u16string_view name);
    // Moves a finished upload to its name; nothing when no upload file is open.
    void ProcFileEnd();
    // Writes file body bytes; a failed write ends the upload, which keeps its "-" name.
    void WriteBody(const char* data, int32_t bytes);
    // Closes an unfinished upload file, which keeps its "-" name.
    void AbandonUpload();
    // Stops serving a client that does not read: the close arrives from the event loop.
    void Drop();

    char* m_pSendData = nullptr;  // malloc'ed; null when nothing is buffered
    int32_t m_nSendCapacity_bytes = 0;
    int32_t m_nWritePos_bytes = 0;
    int32_t m_nReadPos_bytes = 0;
    char m_RecvBuf[kReceiveBuffer_bytes] = {};
    int32_t m_nRecvFilled_bytes = 0;
    int32_t m_nBodyPending_bytes = 0;
    std::unique_ptr<UploadFile> m_pUploadFile;
    CString m_strTempPath;  // UTF-16 path of the upload in progress, ending in "-"
    CString m_strJobName;
    PlotShapeList* m_pShapeList = nullptr;  // owned
    PlotShape* m_pCurShape = nullptr;       // next shape to queue; null when all are queued
    bool m_bDropping = false;
    UploadRefusal m_lastRefusal = UploadRefusal::kNone;
};
