// CUDPServer: the machine-link manager with its machine table, link sockets, discovery and
// the command frames by which the GUI thread commands machines, and its global gUDPServer.
//
// One link thread (MachineLinkThread) does all socket traffic with the machines: it binds the
// LAN socket to the first free port from 13001, waits on it until a datagram arrives or the
// next discovery or time-out pass is due, hands command frames from 127.0.0.1 and machine
// datagrams to the machine objects, broadcasts discovery every 1000 ms and runs every
// machine's time-out handling (with its resends) every 200 ms. The GUI thread never
// sends to a machine: it posts a command frame (machine key, command code, payload) to the
// link thread through the loop-back socket. Machines are keyed by their IPv4 address as it
// arrives (network byte order held in a uint32).
//
// The machine table and every machine's fields are guarded by the manager's one re-entrant
// lock (GetLock): the link thread holds it per datagram and per poll pass, other threads hold
// it while they read or write a machine.
#pragma once

#include "platform/carray.h"
#include "platform/critical_section.h"
#include "platform/tick_clock.h"
#include "platform/win_types.h"

#include <atomic>
#include <cstdint>
#include <thread>

// The LAN socket binds to the first free port of this range.
inline constexpr uint16_t kLinkFirstPort = 13001;
inline constexpr int32_t kLinkPortCount = 499;
// While a test clock drives time, the link thread looks at it this often (real ms).
inline constexpr int32_t kLinkTestClockWaitMs = 1;
// Longest datagram the link thread reads; a command frame is never longer.
inline constexpr int32_t kLinkDatagramBytes = 256;

// Ports of the discovery protocol on the machines.
inline constexpr uint16_t kDiscoveryPort = 41200;
inline constexpr uint16_t kServerDiscoveryPort = 41211;
inline constexpr uint16_t kAnnounceReplyPort = 41203;
inline constexpr uint16_t kRefusalPort = 41202;

// Discovery is broadcast at most this often; the machines' time-out pass runs at most this often.
inline constexpr TickMs kDiscoveryIntervalMs = 1000;
inline constexpr TickMs kPollIntervalMs = 200;

// Datagram sizes of the discovery protocol.
inline constexpr int32_t kDiscoveryBytes = 14;
inline constexpr int32_t kAnnounceFixedBytes = 29;  // an announce up to its settings block
inline constexpr int32_t kAnnounceReplyBytes = 12;
inline constexpr int32_t kRefusalBytes = 16;

// Where discovery goes unless the settings store says otherwise: 192.168.1.255.
inline constexpr const char* kDefaultDiscoveryAddress = "192.168.1.255";

// Results of opening the link sockets.
inline constexpr int32_t kLinkOpened = 1;
inline constexpr int32_t kLinkNetError = 0;   // a socket could not be made: "Net Error!"
inline constexpr int32_t kLinkBindError = -1; // no port of the range was free: "Bind Error!"

// The loop-back datagram by which the GUI thread commands one machine: bytes 0-3 the machine
// key as held (network order), byte 4 the command code, then the payload.
class MachineCommandFrame {
public:
    static constexpr int32_t kHeaderBytes = 5;
    static constexpr int32_t kMaxPayloadBytes = kLinkDatagramBytes - kHeaderBytes;

    // Writes the frame into out (at least kHeaderBytes + length bytes); returns its length.
    static int32_t Encode(uint32_t key, uint8_t code, const uint8_t* payload, int32_t length, uint8_t* out);
    // The machine key in bytes 0-3 of a frame of at least 4 bytes.
    static uint32_t KeyOf(const uint8_t* frame);
};

// The five bytes "EXIT" and NUL that end the link thread.
inline constexpr uint8_t kLinkExitFrame[5] = {'E', 'X', 'I', 'T', 0};

class ByteWriter;
class NET_Machine;
using MachineTable = CArray<NET_Machine*>;

class CUDPServer {
public:
    CUDPServer();
    // Ends the link thread, closes the link sockets and deletes every machine.
    ~CUDPServer();
    CUDPServer(const CUDPServer&) = delete;
    CUDPServer& operator=(const CUDPServer&) = delete;

    // The lock of the machine table and of every machine's fields.
    CCriticalSection& GetLock() { return lock_; }

    // The machines, sorted ascending by key; read and change it only while holding GetLock.
    MachineTable& GetMachineTable() { return machines_; }
    // Inserts machine at its place by key; 1 when inserted, 0 (and the caller keeps it) when
    // a machine with that key is already in the table.
    int AddMachineSorted(NET_Machine* machine);
    // The machine of key, or null.
    NET_Machine* FindMachineByKey(uint32_t key);
    // Table index of the machine with this key, ID (12 bytes) or MAC (6 bytes); -1 when none.
    int FindMachineIndexByKey(uint32_t key);
    int FindMachineIndexById(const uint8_t id[12]);
    int FindMachineIndexByMac(const uint8_t mac[6]);

    // Sets both discovery addresses from the settings store ("NET_SET"/"BroadCastIP" and
    // "ServBroadCastIP", each 192.168.1.255 unless stored).
    void ReadDiscoveryAddresses();
    // Sets the destinations of the discovery to ports 41200 and 41211 (network order).
    void SetDiscoveryAddresses(uint32_t first, uint32_t second);
    uint32_t GetDiscoveryAddress() const { return discoveryAddress_.load(); }
    uint32_t GetServerDiscoveryAddress() const { return serverDiscoveryAddress_.load(); }
    uint32_t GetInstanceStamp() const { return instanceStamp_; }

    // Sends a command frame to the link thread; callable from any thread. Returns the bytes
    // sent, or -1 when the link is not open or the payload would not fit one frame.
    int PostMachineCommand(uint32_t key, uint8_t code, const uint8_t* payload, int length);
    // Sends the 6-byte frame of key, code and one value byte.
    int PostMachineCommandByte(uint32_t key, uint8_t code, uint8_t value);

    // Frames built from a machine's record (taken under the lock). Each returns what
    // PostMachineCommand returns, or 0 when the command is not sent: a jet range whose e1 is
    // not below e2, the speed-level table and selection below firmware 3.
    // Command 5: the jet heads' nozzle ranges, count (at most 2), offsets and margin.
    int SendJetHeadConfig(NET_Machine* machine);
    // Command 6: the jet motor values of speed level `level` and of the cutting level.
    int SendJetSpeedParams(NET_Machine* machine, int level);
    // Command 7: the jet range e1, e2, low, high.
    int SendJetRangeCommand(NET_Machine* machine, uint16_t e1, uint16_t e2, uint16_t low, uint16_t high);
    // Command 8: the plot settings.
    int SendPlotSettings(NET_Machine* machine);
    // Command 9: the three speed levels.
    int SendSpeedLevelTable(NET_Machine* machine);
    // Command 10: the cutting and jet level indices of the motion source.
    int SendSpeedLevelSelection(NET_Machine* machine);
    // Command 0: the eight machine parameters as "b1,%d;" ... "b8,%d;".
    int SendMachineLimitsText(NET_Machine* machine);
    // Machine parameter command code (11 to 23, app/machine_param_commands.h) with its payload
    // copied from the machine's record; 0 for a code outside that table.
    int SendMachineParamCommand(NET_Machine* machine, uint8_t code);

    // Starts MachineLinkThread once; FALSE when it was started before.
    BOOL StartMachineLinkThread();
    // Ends the link thread (for shut-down) and waits for it.
    void StopMachineLinkThread();
    // True while the link thread runs.
    bool IsLinkThreadRunning() const { return threadRunning_.load(); }
    // Local port of the LAN socket; 0 until it is bound.
    uint16_t GetBoundPort() const { return boundPort_.load(); }
    // The LAN socket; -1 until the link is open.
    int GetLanSocket() const { return lanSocket_.load(); }

    // Makes the loop-back and LAN sockets and binds the LAN socket to the first free port of
    // the range; shows "Net Error!" or "Bind Error!" when that fails. Used by the link thread.
    int32_t OpenLinkSockets();
    // Broadcasts "PQC2" to both discovery addresses. Used by the link thread.
    void SendDiscovery();
    // Answers a machine's announce on port 41203 with its queues' next sequence numbers and
    // this controller's stamp. Used by the link thread.
    void SendAnnounceReply(uint32_t address, NET_Machine* machine);
    // Runs discovery and the machines' time-out pass when they are due. Used by the link thread.
    void PollMachines();
    // The moment the next discovery or time-out pass is due, MonotonicMs.
    TickMs NextPassDueMs() const;
    // Handles one datagram that arrived on the LAN socket; false when it ends the thread.
    bool HandleLinkDatagram(const uint8_t* data, int32_t length, uint32_t fromAddress);
    // The link thread's body: open the sockets, then wait, handle and poll until "EXIT".
    void RunMachineLink();

private:
    // Admits, refreshes, re-keys or refuses the machine of a "PQCC" announce.
    void HandleAnnounce(const uint8_t* announce, int32_t length, uint32_t fromAddress);
    void RefreshAnnouncedMachine(NET_Machine& machine, const uint8_t* announce, int32_t length);
    // Sends a datagram from the LAN socket to address:port (host-order port); errors are left
    // to the protocol, which repeats what is not answered.
    void SendFromLan(const uint8_t* data, int32_t length, uint32_t address, uint16_t port);
    void DeleteAllMachines();
    // Shows each machine's report of a refused command; called without the lock held, so the
    // operator's message never blocks the link while it holds the machines.
    void ShowRefusalReports();
    int PostMachineFrame(uint32_t key, uint8_t code, const ByteWriter& payload);

    CCriticalSection lock_;
    MachineTable machines_;
    std::atomic<int> lanSocket_{-1};
    std::atomic<int> loopbackSocket_{-1};
    std::atomic<uint32_t> discoveryAddress_;
    std::atomic<uint32_t> serverDiscoveryAddress_;
    uint32_t maskValue_;       // network order, sent in every discovery
    TickMs lastDiscoveryMs_ = 0;
    TickMs lastPollMs_ = 0;
    uint32_t instanceStamp_;   // identifies this controller to the machines
    std::atomic<uint16_t> boundPort_{0};

    std::thread linkThread_;
    bool threadStarted_ = false;
    std::atomic<bool> threadRunning_{false};
    std::atomic<bool> stopRequested_{false};
};

// The machine-link thread: runs server's link until "EXIT" arrives.
void MachineLinkThread(CUDPServer* server);

// The program's one machine-link manager.
extern CUDPServer gUDPServer;
