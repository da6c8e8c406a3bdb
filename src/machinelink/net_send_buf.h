// NET_SendPack and NET_SendBuf: the numbered packs of one machine channel and the queue that
// keeps them until the machine acknowledges them.
//
// Method: every datagram to a machine channel is a pack 'Q', sequence, type, payload. The
// queue numbers its packs with an 8-bit sequence number that wraps from 255 to 0 and keeps
// them in sending order. The machine acknowledges by naming the sequence number it expects
// next, which releases every older pack; an acknowledgement that names no pack in flight
// (stale, duplicated or corrupt) is ignored. Packs not yet acknowledged are sent again, all of
// them in order, once more than a caller's threshold has passed since the queue last sent.
// Acknowledged packs with room for a full data pack stay in the list as spares and are reused
// oldest first, so the bulk channels do not allocate per pack.
//
// Units: times are milliseconds of MonotonicMs; sizes are bytes. The queue has no lock and no
// timer: the machine-link thread drives it.
#pragma once

#include "geometry/ol_list.h"
#include "machinelink/datagram_sender.h"
#include "platform/tick_clock.h"

#include <netinet/in.h>

#include <cstdint>

// Largest payload of a data pack (types 0 and 1): longer payloads are cut to it.
constexpr int32_t kPackDataMax = 300;
// Bytes of the pack header: 'Q', sequence, type.
constexpr int32_t kPackHeaderBytes = 3;
// Largest UDP payload over IPv4: no pack may be longer, or it could never be sent.
constexpr int32_t kLargestDatagramBytes = 65507;

class NET_SendPack : public OL_Object {
public:
    // Allocates a datagram buffer of capacity bytes (16 when capacity is not above 0).
    explicit NET_SendPack(int capacity);
    ~NET_SendPack() override;

    // Builds 'Q', sequence, type and the payload (types 0 and 1 cut to 300 bytes). Returns
    // the datagram length minus 2, or -1 when size is 0, the datagram would be longer than
    // a UDP datagram can be, or the buffer cannot grow; on -1 the pack is unchanged.
    int Create(uint8_t sequence, uint16_t port, const uint8_t* payload, uint16_t size, uint8_t type);
    // Builds the 4-byte datagram 'Q', sequence, type, value. Returns 1, or -1 when the buffer
    // cannot grow.
    int Create(uint8_t sequence, uint16_t port, uint8_t type, uint8_t value);
    // Withdraws the payload: the pack keeps its header (and so its sequence number) and
    // carries a space as its only payload byte, sent as the 3 header bytes.
    void ClearData();
    // Marks the pack empty (a spare).
    void Clear() { length_ = 0; }
    // Gives a built pack another sequence number (byte 1 of its datagram too).
    void SetSequence(uint8_t sequence);

    bool HasBuffer() const { return data_ != nullptr; }
    uint16_t GetPort() const { return port_; }
    uint8_t GetType() const { return type_; }
    uint8_t GetSequence() const { return sequence_; }
    const uint8_t* GetData() const { return data_; }
    uint16_t GetLength() const { return length_; }
    uint16_t GetCapacity() const { return capacity_; }

private:
    // Makes the buffer hold at least n bytes; false when it cannot.
    bool Reserve(int32_t n);

    uint16_t port_ = 1200;  // destination UDP port, host order
    uint8_t type_ = 0;
    uint8_t sequence_ = 0;
    uint8_t* data_ = nullptr;
    uint16_t length_ = 0;    // bytes of data_ to send
    uint16_t capacity_ = 0;  // bytes allocated
};

class NET_SendBuf : public OL_List {
public:
    // The pack buffers that are kept for reuse hold at least this many bytes.
    static constexpr int32_t kSpareCapacity = 300;
    // At most this many packs are in flight: an 8-bit sequence number cannot tell more apart.
    static constexpr int32_t kMostOutstanding = 255;
    // Resend thresholds of the machine link: the poll tick, an acknowledgement that frees
    // room, a reply that asks for more data, and a reply of the panel and command channels
    // (also the fixed threshold of Resend).
    static constexpr int32_t kPollResendMs = 150;
    static constexpr int32_t kRoomFreedResendMs = 200;
    static constexpr int32_t kMoreDataResendMs = 100;
    static constexpr int32_t kReplyResendMs = 30;

    // Starts with four empty spares of 350 bytes.
    NET_SendBuf();
    ~NET_SendBuf() override;

    // Puts a new unacknowledged pack with the next sequence number at the tail. Null, with
    // nothing changed, when size is not above 0 or too long for a datagram, when 255 packs
    // are already in flight, or when memory runs out. The caller sends it with SendPack.
    NET_SendPack* CreatePack(uint16_t port, const uint8_t* payload, int32_t size, uint8_t type);
    // The same for the 4-byte form 'Q', sequence, type, value.
    NET_SendPack* CreatePack(uint16_t port, uint8_t type, uint8_t value);
    // Sends the pack's datagram to the machine's address and the pack's port, and notes the
    // time; the last argument has no effect. Send errors are ignored: a resend repeats it.
    void SendPack(NET_SendPack* pack, in_addr machine, int socketFd, int unused = 200);
    // The same through a sender (the link socket or a test's recorder).
    void SendPack(NET_SendPack* pack, in_addr machine, DatagramSender& sender, int unused = 200);
    // Sends every unacknowledged pack again, in order, when more than thresholdMs passed since
    // the last send; returns the number of packs sent.
    int ResendTimeout(in_addr machine, int socketFd, int thresholdMs);
    int ResendTimeout(in_addr machine, DatagramSender& sender, int thresholdMs);
    // ResendTimeout with the fixed threshold of 30 ms; the first argument has no effect.
    int Resend(uint8_t unused, in_addr machine, int socketFd);
    // Acknowledgement: releases every pack before the one with sequence `expected`, provided
    // that pack lies in the window sent so far (expected = next sequence releases them all).
    // Returns 0.
    int DeleteDataToId(uint8_t expected);
    // Drops every unacknowledged pack; the sequence numbering goes on.
    void DeleteAll();
    // Returns 1 and does nothing else.
    int SendCmd(int socketFd, uint8_t unused);

    uint8_t GetNextSequence() const { return nextSequence_; }
    // Sets the sequence number of the next pack.
    void SetNextSequence(uint8_t sequence) { nextSequence_ = sequence; }
    // Starts the numbering over at sequence, as a machine's announce asks: the unacknowledged
    // packs are renumbered consecutively from it, in order and with their payloads, and the
    // next pack follows them.
    void RestartAt(uint8_t sequence);
    // The sequence number the machine is to take next: the oldest unacknowledged pack's, or
    // the next pack's when none is in flight.
    uint8_t GetExpectedByMachine() const;
    // True when an unacknowledged pack of this type is in flight.
    bool HasUnacknowledgedType(uint8_t type) const;
    // True when kMostOutstanding packs are in flight, so CreatePack refuses.
    bool IsFull() const { return outstanding_ >= kMostOutstanding; }
    // Notes a pack refused because the queue is full; true only for the first refusal since
    // the queue last took a pack, so the operator is told once.
    bool NoteRefusal();
    uint8_t GetBusy() const { return busy_; }
    // Notes whether the machine reported no room for this channel.
    void SetBusy(uint8_t busy) { busy_ = busy; }
    uint8_t GetOutstanding() const { return outstanding_; }
    bool HasUnacknowledged() const { return firstUnacked_ != nullptr; }
    NET_SendPack* GetFirstUnacked() const { return firstUnacked_; }
    TickMs GetLastSendMs() const { return lastSendMs_; }

private:
    // Appends a filled pack as the newest unacknowledged one.
    NET_SendPack* Enqueue(NET_SendPack* pack);
    // Unlinks and returns the oldest spare, or null when the list holds none.
    NET_SendPack* TakeSpare();
    // Gives back a pack that could not be filled: a spare returns to the front of the list, a
    // new pack is deleted.
    void GiveBack(NET_SendPack* pack, bool wasSpare);
    // Turns an acknowledged or dropped pack into a spare, or deletes it when it is small.
    void Retire(NET_SendPack* pack);

    uint8_t nextSequence_ = 0;
    uint8_t busy_ = 0;
    uint8_t outstanding_ = 0;  // packs
    bool refusalNoted_ = false;
    NET_SendPack* firstUnacked_ = nullptr;
    TickMs lastSendMs_ = 0;
};
