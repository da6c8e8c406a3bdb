// The upload client: parsing of received messages, writing of uploads, and the paced send buffer.
#include "uploadserver/tcp_client1.h"

#include "platform/byte_order.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "uploadserver/tcp_server1.h"
#include "uploadserver/upload_file.h"
#include "uploadserver/upload_messages.h"
#include "uploadserver/upload_refusal.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace {

// Units of a posted message copy that hold the sender pointer after the terminating 0.
constexpr int32_t kSenderUnits = static_cast<int32_t>((sizeof(CTCPClient1*) + 1) / sizeof(char16_t));

// Frees a posted command copy that its window never got (the window went away first).
void ReleaseCommandCopy(WPARAM wParam, LPARAM) { CTCPClient1::DeleteBuf(reinterpret_cast<char16_t*>(wParam)); }

// The 16-bit unit at byte offset i of the little-endian stream.
char16_t UnitAt(const char* data, int32_t i) { return LoadLE16(reinterpret_cast<const uint8_t*>(data + i)); }

// Byte offset of the first unit equal to c in [from, end), both even distances apart; -1 if none.
int32_t FindUnit(const char* data, int32_t from, int32_t end, char16_t c)
{
    for (int32_t i = from; i + 1 < end; i += 2)
        if (UnitAt(data, i) == c) return i;
    return -1;
}

bool HasTag(const char16_t* message, int32_t characters, std::u16string_view tag)
{
    return characters >= 5 && std::u16string_view(message + 1, 4) == tag;
}

// True when the fields at 5, 6, 7 read ",L:" (FHED and FSEG).
bool HasLengthField(const char16_t* m, int32_t characters)
{
    return characters >= 8 && m[5] == u',' && m[6] == u'L' && m[7] == u':';
}

// Appends text as UTF-16LE units.
void PutUtf16(ByteWriter& out, std::u16string_view text)
{
    for (char16_t c : text) out.PutU16(c);
}

}  // namespace

CTCPClient1::CTCPClient1() = default;

// Leaves the client list, keeps an unfinished upload under its "-" name, frees the shapes.
CTCPClient1::~CTCPClient1()
{
    int32_t index = FindClient(this);
    if (index >= 0) CTCPServer1::s_clients.RemoveAt(index);
    AbandonUpload();
    delete m_pShapeList;
    FreeSpace();
}

int CTCPClient1::Create1()
{
    return Create(0, SOCK_STREAM, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) ? 1 : 0;
}

// Reads into the free end of the receive buffer and keeps what ProcData did not use.
void CTCPClient1::OnReceive(int)
{
    if (m_bDropping) {
        delete this;
        return;
    }
    int n = Receive(m_RecvBuf + m_nRecvFilled_bytes, kReceiveBuffer_bytes - m_nRecvFilled_bytes);
    if (n <= 0) return;
    m_nRecvFilled_bytes += n;
    int32_t used = ProcData(m_RecvBuf, m_nRecvFilled_bytes);
    std::memmove(m_RecvBuf, m_RecvBuf + used, static_cast<size_t>(m_nRecvFilled_bytes - used));
    m_nRecvFilled_bytes -= used;
    // What is left is one message from its "<" on; when it fills the whole buffer its ">"
    // can never arrive, so the connection is closed rather than left stalled for ever.
    if (m_nRecvFilled_bytes == kReceiveBuffer_bytes) delete this;
}

int32_t CTCPClient1::ProcData(char* data, int32_t length)
{
    int32_t r = 0;
    while (r < length) {
        // A dropped connection reads nothing more.
        if (m_bDropping) return length;
        if (m_nBodyPending_bytes > 0) {
            int32_t left = length - r;
            if (m_nBodyPending_bytes >= left) {
                WriteBody(data + r, left);
                m_nBodyPending_bytes -= left;
                return length;
            }
            WriteBody(data + r, m_nBodyPending_bytes);
            r += m_nBodyPending_bytes;
            m_nBodyPending_bytes = 0;
            continue;
        }
        // Only whole 16-bit units are looked at; an odd last byte waits for its partner.
        int32_t whole = r + ((length - r) & ~1);
        int32_t open = FindUnit(data, r, whole, u'<');
        // Bytes before a "<" can never become part of a message: they are dropped, so junk
        // cannot fill the buffer and stall the connection.
        if (open < 0) return whole;
        int32_t close = FindUnit(data, open + 2, whole, u'>');
        if (close < 0) return open;

        std::u16string message;
        message.reserve(static_cast<size_t>((close - open) / 2));
        for (int32_t i = open; i < close; i += 2) message.push_back(UnitAt(data, i));
        char16_t* m = message.data();
        int32_t characters = static_cast<int32_t>(message.size());
        if (HasTag(m, characters, u"FHED"))
            ProcFileHead(m, characters);
        else if (HasTag(m, characters, u"FSEG"))
            ProcFileSection(m, characters);
        else if (HasTag(m, characters, u"FEND"))
            ProcFileEnd();
        else if (HasTag(m, characters, u"FILE") || HasTag(m, characters, u"MACH"))
            ProcFileCmd(m, characters);
        r = close + 2;
    }
    return r;
}

int CTCPClient1::ProcFileHead(char16_t* message, int32_t characters)
{
    if (!HasLengthField(message, characters)) return 0;
    std::u16string_view m(message, static_cast<size_t>(characters));
    size_t comma = m.find(u',', 8);  // the size before it is not used
    if (comma == std::u16string_view::npos || m.substr(comma + 1, 2) != u"N:") return 0;
    std::u16string_view name = m.substr(comma + 3);

    AbandonUpload();
    m_strTempPath.Empty();
    m_nBodyPending_bytes = 0;
    // With no auto directory an upload has nowhere to go. The protocol has no line that
    // refuses one, so the client is told by the connection closing, and the reason is logged.
    if (CTCPServer1::s_autoDir.IsEmpty()) {
        m_lastRefusal = UploadRefusal::kNoAutoDirectory;
        std::fprintf(stderr, "Corvane: upload \"%s\" refused, no auto directory is set; closing the client's connection\n",
                     CString(name).ToUtf8().c_str());
        AsyncSelect(kEventsSending);  // the next write event ends the client
        Drop();
        return 0;
    }
    m_lastRefusal = OpenUpload(name);
    return m_lastRefusal == UploadRefusal::kNone ? 1 : 0;
}

UploadRefusal CTCPClient1::OpenUpload(std::u16string_view name)
{
    // Only a plain name is taken, so that no upload can be written outside the auto
    // directory; the body of a refused upload is counted and dropped like a failed one's.
    UploadRefusal refusal = CheckUploadName(name, CTCPServer1::s_autoDir.ToUtf8());
    if (refusal != UploadRefusal::kNone) return refusal;

    CString path = CTCPServer1::s_autoDir;
    if (path.str().back() != u'/') path += u'/';
    path += CString(name);
    path += u'-';
    m_strTempPath = path;
    // The temporary file is created afresh or not at all: an earlier upload's "-" file, one
    // still being written by another client, or a file that only happens to bear the name
    // is never emptied, and two bodies never mix in one file.
    auto file = std::make_unique<UploadFile>(path.ToUtf8());
    if (!file->IsOpen()) {
        if (file->OpenError() == EEXIST) return UploadRefusal::kTemporaryExists;
        return file->OpenError() == ENAMETOOLONG ? UploadRefusal::kNameTooLong : UploadRefusal::kOpenFailed;
    }
    m_pUploadFile = std::move(file);
    return UploadRefusal::kNone;
}

int CTCPClient1::ProcFileSection(char16_t* message, int32_t characters)
{
    if (!HasLengthField(message, characters)) return 0;
    // The count must be plain decimal digits that fit the pending count; anything else is
    // ignored rather than read as some other number of body bytes.
    std::u16string_view digits(message + 8, static_cast<size_t>(characters - 8));
    if (digits.empty() || digits.size() > 10) return 0;
    int64_t count = 0;
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') return 0;
        count = count * 10 + (c - u'0');
    }
    if (count > std::numeric_limits<int32_t>::max()) return 0;
    m_nBodyPending_bytes = static_cast<int32_t>(count);
    return 1;
}

void CTCPClient1::ProcFileEnd()
{
    if (!m_pUploadFile) return;
    bool complete = m_pUploadFile->Close();
    m_pUploadFile.reset();
    // A file whose last bytes may be missing keeps its "-" name, so it is never printed.
    if (!complete) return;
    std::string temp = m_strTempPath.ToUtf8();
    UploadFile::Rename(temp, temp.substr(0, temp.size() - 1));
}

void CTCPClient1::WriteBody(const char* data, int32_t bytes)
{
    if (!m_pUploadFile || bytes <= 0) return;
    if (!m_pUploadFile->Write(std::string_view(data, static_cast<size_t>(bytes)))) AbandonUpload();
}

void CTCPClient1::AbandonUpload() { m_pUploadFile.reset(); }

int CTCPClient1::ProcFileCmd(char16_t* message, int32_t characters)
{
    UINT kind = HasTag(message, characters, u"FILE")   ? WM_TCP_FILE_COMMAND
                : HasTag(message, characters, u"MACH") ? WM_TCP_MACHINE_COMMAND
                                                       : 0;
    if (kind == 0) return 0;
    // The copy: the message, a 0 unit, then the sender, stored pointer-wide.
    auto* copy = new char16_t[static_cast<size_t>(characters + 1 + kSenderUnits)]();
    std::memcpy(copy, message, static_cast<size_t>(characters) * sizeof(char16_t));
    CTCPClient1* sender = this;
    std::memcpy(copy + characters + 1, &sender, sizeof sender);
    if (!PostMainMessage(kind, reinterpret_cast<WPARAM>(copy), characters, ReleaseCommandCopy)) {
        DeleteBuf(copy);
        return 0;
    }
    return 1;
}

void CTCPClient1::DeleteBuf(char16_t* buf) { delete[] buf; }

CTCPClient1* CTCPClient1::GetBufSender(const char16_t* buf, int32_t characters)
{
    CTCPClient1* sender = nullptr;
    std::memcpy(&sender, buf + characters + 1, sizeof sender);
    return sender;
}

int32_t CTCPClient1::FindClient(CTCPClient1* client)
{
    const CArray<CTCPClient1*>& clients = CTCPServer1::s_clients;
    for (int32_t i = 0; i < clients.GetSize(); ++i)
        if (clients[i] == client) return i;
    return -1;
}

int CTCPClient1::AddToSendBuf(const char* data, int32_t bytes)
{
    AsyncSelect(kEventsSending);
    if (bytes <= 0 || m_bDropping) return 0;
    if (m_nWritePos_bytes - m_nReadPos_bytes > kUnsentLimit_bytes) {
        // The client has stopped reading: rather than buffer without end, it is closed.
        Drop();
        return 0;
    }
    if (!ApplySpace(bytes)) return 0;
    std::memcpy(m_pSendData + m_nWritePos_bytes, data, static_cast<size_t>(bytes));
    m_nWritePos_bytes += bytes;
    return bytes;
}

int CTCPClient1::AddToSendBufW(const char16_t* text, int32_t characters)
{
    if (characters <= 0 || characters > std::numeric_limits<int32_t>::max() / 2) {
        AsyncSelect(kEventsSending);
        return 0;
    }
    ByteWriter bytes;
    PutUtf16(bytes, std::u16string_view(text, static_cast<size_t>(characters)));
    return AddToSendBuf(reinterpret_cast<const char*>(bytes.Data()), static_cast<int32_t>(bytes.Size()));
}

int CTCPClient1::ApplySpace(int32_t bytes)
{
    if (bytes <= 0) return 0;
    if (!m_pSendData) {
        m_pSendData = static_cast<char*>(std::malloc(static_cast<size_t>(bytes)));
        if (!m_pSendData) return 0;
        m_nSendCapacity_bytes = bytes;
        m_nWritePos_bytes = m_nReadPos_bytes = 0;
        return 1;
    }
    if (static_cast<int64_t>(m_nWritePos_bytes) + bytes > m_nSendCapacity_bytes) {
        int32_t unsent = m_nWritePos_bytes - m_nReadPos_bytes;
        std::memmove(m_pSendData, m_pSendData + m_nReadPos_bytes, static_cast<size_t>(unsent));
        m_nWritePos_bytes = unsent;
        m_nReadPos_bytes = 0;
    }
    int64_t needed = static_cast<int64_t>(m_nWritePos_bytes) + bytes;
    if (needed > m_nSendCapacity_bytes) {
        int64_t capacity = needed + kSendGrowth_bytes;
        if (capacity > std::numeric_limits<int32_t>::max()) return 0;
        void* grown = std::realloc(m_pSendData, static_cast<size_t>(capacity));
        if (!grown) return 0;
        m_pSendData = static_cast<char*>(grown);
        m_nSendCapacity_bytes = static_cast<int32_t>(capacity);
    }
    return 1;
}

void CTCPClient1::FreeSpace()
{
    std::free(m_pSendData);
    m_pSendData = nullptr;
    m_nSendCapacity_bytes = m_nWritePos_bytes = m_nReadPos_bytes = 0;
}

void CTCPClient1::Drop()
{
    m_bDropping = true;
    FreeSpace();
    ShutDown(both);
}

// Sends what is buffered; once it is all gone, queues the next shape or goes idle.
void CTCPClient1::OnSend(int)
{
    if (m_bDropping) {
        delete this;
        return;
    }
    while (m_nReadPos_bytes < m_nWritePos_bytes) {
        int32_t chunk = m_nWritePos_bytes - m_nReadPos_bytes;
        if (chunk > kSendChunk_bytes) chunk = kSendChunk_bytes;
        int sent = Send(m_pSendData + m_nReadPos_bytes, chunk);
        if (sent == SOCKET_ERROR) return;  // until the socket can take more
        if (sent == 0) {
            AsyncSelect(kEventsSending);
            return;
        }
        m_nReadPos_bytes += sent;
    }
    if (m_pCurShape) {
        PlotShape* shape = m_pCurShape;
        m_pCurShape = m_pShapeList->ShapeAfter(shape);
        SendPlotShape(shape);
        if (!m_pCurShape) AddToSendBufW(u"<PEND>", 6);
        return;
    }
    AsyncSelect(kEventsIdle);
    FreeSpace();
    // The transfer is over once "<PEND>" has left: the list goes, so the client can ask for
    // the shapes of another job.
    delete m_pShapeList;
    m_pShapeList = nullptr;
}

void CTCPClient1::OnClose(int errorCode)
{
    Close();
    CAsyncSocket::OnClose(errorCode);
    delete this;
}

int CTCPClient1::SendShapeList(PlotShapeList* list, CString name)
{
    if (m_pShapeList || !list) return 0;
    m_pShapeList = list;
    m_strJobName = name;
    CString head;
    head.Format(u"<PHED,N:%s", name);
    head += u">";
    AddToSendBufW(head.GetString(), head.GetLength());
    PlotShape* first = list->HeadShape();
    // The first shape is queued here and the cursor moves past it, so that it is sent once;
    // an empty list gets its "<PEND>" at once.
    m_pCurShape = first ? list->ShapeAfter(first) : nullptr;
    if (first) SendPlotShape(first);
    if (!m_pCurShape) AddToSendBufW(u"<PEND>", 6);
    return 1;
}

int CTCPClient1::SendPlotShape(PlotShape* shape)
{
    int32_t polylines = shape->GetPlNum();
    int32_t points = shape->GetTolPtNum();
    int64_t binary = int64_t{4} * polylines + int64_t{8} * points;
    if (binary > std::numeric_limits<int32_t>::max() - 1024) return 0;

    CString head;
    head.Format(u"<PLOT:%f,%d,%d,%u,%u,%d,%d><", shape->GetFloatValue(), shape->GetLineType(),
                shape->GetPenIndex(), shape->GetRecIndex(), shape->GetMauIndex(), polylines, points);
    ByteWriter record;
    PutUtf16(record, head.str());
    for (int32_t i = 0; i < polylines; ++i) record.PutI32(shape->GetPlPtNum(i));
    int32_t count = 0;
    const float* xy = shape->GetPl(0, count);
    for (int32_t i = 0; xy && i < 2 * points; ++i) record.PutFloat(xy[i]);
    PutUtf16(record, u">");
    const auto* bytes = reinterpret_cast<const char*>(record.Data());
    return AddToSendBuf(bytes, static_cast<int32_t>(record.Size())) > 0 ? 1 : 0;
}
