// NET_SendPack and NET_SendBuf: pack building, spare recycling, acknowledgement and resend.
#include "machinelink/net_send_buf.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

NET_SendPack::NET_SendPack(int capacity)
{
    const int32_t wanted = capacity > 0 ? std::min<int32_t>(capacity, UINT16_MAX) : 16;
    data_ = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(wanted)));
    capacity_ = data_ ? static_cast<uint16_t>(wanted) : 0;
}

NET_SendPack::~NET_SendPack() { std::free(data_); }

bool NET_SendPack::Reserve(int32_t n)
{
    if (n <= capacity_) return true;
    if (n > UINT16_MAX) return false;
    auto* grown = static_cast<uint8_t*>(std::realloc(data_, static_cast<size_t>(n)));
    if (!grown) return false;
    data_ = grown;
    capacity_ = static_cast<uint16_t>(n);
    return true;
}

int NET_SendPack::Create(uint8_t sequence, uint16_t port, const uint8_t* payload, uint16_t size, uint8_t type)
{
    if (size == 0 || !payload) return -1;
    int32_t carried = size;
    if (type <= 1) carried = std::min(carried, kPackDataMax);
    const int32_t length = carried + kPackHeaderBytes;
    // A pack longer than a UDP datagram could never be sent and would be resent for ever.
    if (length > kLargestDatagramBytes) return -1;
    if (!Reserve(length)) return -1;
    data_[0] = 'Q';
    data_[1] = sequence;
    data_[2] = type;
    std::memcpy(data_ + kPackHeaderBytes, payload, static_cast<size_t>(carried));
    port_ = port;
    sequence_ = sequence;
    type_ = type;
    length_ = static_cast<uint16_t>(length);
    return length - 2;
}

int NET_SendPack::Create(uint8_t sequence, uint16_t port, uint8_t type, uint8_t value)
{
    if (!Reserve(4)) return -1;
    data_[0] = 'Q';
    data_[1] = sequence;
    data_[2] = type;
    data_[3] = value;
    port_ = port;
    sequence_ = sequence;
    type_ = type;
    length_ = 4;
    return 1;
}

void NET_SendPack::ClearData()
{
    // Only a built pack has a header to keep; an empty one stays empty.
    if (length_ < kPackHeaderBytes || capacity_ <= kPackHeaderBytes) return;
    data_[kPackHeaderBytes] = ' ';
    length_ = kPackHeaderBytes;
}

void NET_SendPack::SetSequence(uint8_t sequence)
{
    sequence_ = sequence;
    if (length_ >= kPackHeaderBytes) data_[1] = sequence;
}

NET_SendBuf::NET_SendBuf()
{
    for (int i = 0; i < 4; ++i) {
        auto* spare = new NET_SendPack(350);
        AddTail(spare);
    }
}

NET_SendBuf::~NET_SendBuf() { firstUnacked_ = nullptr; }

NET_SendPack* NET_SendBuf::TakeSpare()
{
    auto* head = static_cast<NET_SendPack*>(GetHead());
    if (!head || head == firstUnacked_ || head->GetLength() != 0 || !head->HasBuffer()) return nullptr;
    OL_List::GoOut(head);
    return head;
}

void NET_SendBuf::GiveBack(NET_SendPack* pack, bool wasSpare)
{
    if (wasSpare) AddHead(pack);
    else delete pack;
}

NET_SendPack* NET_SendBuf::Enqueue(NET_SendPack* pack)
{
    ++nextSequence_;
    AddTail(pack);
    if (!firstUnacked_) firstUnacked_ = pack;
    ++outstanding_;
    refusalNoted_ = false;
    return pack;
}

NET_SendPack* NET_SendBuf::CreatePack(uint16_t port, const uint8_t* payload, int32_t size, uint8_t type)
{
    if (size <= 0 || !payload || outstanding_ >= kMostOutstanding) return nullptr;
    // Data packs carry at most 300 bytes whatever was offered; other packs must fit a datagram.
    if (type <= 1) size = std::min(size, kPackDataMax);
    if (size > kLargestDatagramBytes - kPackHeaderBytes) return nullptr;
    NET_SendPack* pack = TakeSpare();
    const bool wasSpare = pack != nullptr;
    if (!pack) {
        pack = new (std::nothrow) NET_SendPack(size + kPackHeaderBytes);
        if (!pack) return nullptr;
        if (!pack->HasBuffer()) {
            delete pack;
            return nullptr;
        }
    }
    if (pack->Create(nextSequence_, port, payload, static_cast<uint16_t>(size), type) < 0) {
        GiveBack(pack, wasSpare);
        return nullptr;
    }
    return Enqueue(pack);
}

NET_SendPack* NET_SendBuf::CreatePack(uint16_t port, uint8_t type, uint8_t value)
{
    if (outstanding_ >= kMostOutstanding) return nullptr;
    NET_SendPack* pack = TakeSpare();
    const bool wasSpare = pack != nullptr;
    if (!pack) {
        pack = new (std::nothrow) NET_SendPack(10);
        if (!pack) return nullptr;
        if (!pack->HasBuffer()) {
            delete pack;
            return nullptr;
        }
    }
    if (pack->Create(nextSequence_, port, type, value) < 0) {
        GiveBack(pack, wasSpare);
        return nullptr;
    }
    return Enqueue(pack);
}

void NET_SendBuf::SendPack(NET_SendPack* pack, in_addr machine, int socketFd, int unused)
{
    SocketDatagramSender sender(socketFd);
    SendPack(pack, machine, sender, unused);
}

void NET_SendBuf::SendPack(NET_SendPack* pack, in_addr machine, DatagramSender& sender, int)
{
    if (!pack || pack->GetLength() == 0) return;
    sender.SendTo(machine, pack->GetPort(), pack->GetData(), pack->GetLength());
    lastSendMs_ = MonotonicMs();
}

int NET_SendBuf::ResendTimeout(in_addr machine, int socketFd, int thresholdMs)
{
    SocketDatagramSender sender(socketFd);
    return ResendTimeout(machine, sender, thresholdMs);
}

int NET_SendBuf::ResendTimeout(in_addr machine, DatagramSender& sender, int thresholdMs)
{
    if (MonotonicMs() - lastSendMs_ <= thresholdMs) return 0;
    int sent = 0;
    for (OL_Object* e = firstUnacked_; e; e = GetNext(e)) {
        SendPack(static_cast<NET_SendPack*>(e), machine, sender);
        ++sent;
    }
    return sent;
}

int NET_SendBuf::Resend(uint8_t, in_addr machine, int socketFd) { return ResendTimeout(machine, socketFd, kReplyResendMs); }

void NET_SendBuf::Retire(NET_SendPack* pack)
{
    if (pack->GetCapacity() >= kSpareCapacity) {
        pack->Clear();
    } else {
        OL_List::GoOut(pack);
        delete pack;
    }
}

int NET_SendBuf::DeleteDataToId(uint8_t expected)
{
    if (!firstUnacked_) return 0;
    const uint8_t first = firstUnacked_->GetSequence();
    const uint8_t window = static_cast<uint8_t>(nextSequence_ - first);
    const uint8_t reach = static_cast<uint8_t>(expected - first);
    if (reach > window) return 0;
    while (firstUnacked_ && firstUnacked_->GetSequence() != expected) {
        NET_SendPack* done = firstUnacked_;
        firstUnacked_ = static_cast<NET_SendPack*>(GetNext(done));
        Retire(done);
        if (outstanding_ > 0) --outstanding_;
    }
    return 0;
}

void NET_SendBuf::DeleteAll()
{
    while (firstUnacked_) {
        NET_SendPack* done = firstUnacked_;
        firstUnacked_ = static_cast<NET_SendPack*>(GetNext(done));
        Retire(done);
    }
    outstanding_ = 0;
}

int NET_SendBuf::SendCmd(int, uint8_t) { return 1; }

void NET_SendBuf::RestartAt(uint8_t sequence)
{
    // Packs in flight keep the numbers of the machine's old count otherwise: the machine would
    // take none of them, or stale ones under fresh numbers, and its acknowledgements would
    // release packs it never received. Renumbered, they keep the window consecutive.
    uint8_t next = sequence;
    for (OL_Object* e = firstUnacked_; e; e = GetNext(e)) static_cast<NET_SendPack*>(e)->SetSequence(next++);
    nextSequence_ = next;
}

uint8_t NET_SendBuf::GetExpectedByMachine() const
{
    return firstUnacked_ ? firstUnacked_->GetSequence() : nextSequence_;
}

bool NET_SendBuf::HasUnacknowledgedType(uint8_t type) const
{
    for (OL_Object* e = firstUnacked_; e; e = GetNext(e))
        if (static_cast<NET_SendPack*>(e)->GetType() == type) return true;
    return false;
}

bool NET_SendBuf::NoteRefusal()
{
    if (refusalNoted_) return false;
    refusalNoted_ = true;
    return true;
}
