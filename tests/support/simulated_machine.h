// A simulated plotter for tests: the machine side of the link protocol over real UDP sockets
// on a loopback address of its own, recording everything it received.
//
// The machine lives on 127.0.0.N (N >= 2: datagrams from 127.0.0.1 are the controller's own
// command frames) and binds the fixed machine ports on that address only, so machines on
// different addresses never meet. It behaves as a plotter does towards the controller:
// - a discovery datagram ("PQC2") teaches it the controller's address and port; until the
//   controller has answered its announce it answers with an announce ("PQCC"), afterwards
//   with an acknowledgement that keeps it heard;
// - every pack 'Q', sequence, type, payload is taken when its sequence is the one expected
//   on its queue (a repeat is only acknowledged again); data and jet packs are answered with
//   a queue reply ("QGJR") that asks for more, command and panel packs with a cumulative
//   acknowledgement ("QGJA");
// - a status poll (command pack type 20) is answered with the machine parameters ("PQCN"),
//   type 21 with the extra block ("PQCE"); type 15, the job's total pulse count, is kept;
// - the command text "f2;" makes it ask for the job (a start request); once the job's last
//   motion pack ("D100;" or "A100;") and a "b100," command text (the jet side's end) have both
//   arrived it sends the end report with the pulses it moved (moves and tool-depth moves of
//   the motion text);
// - the current job's jet packs are decoded into packed blocks; the number of complete blocks
//   is reported as the jet rows printed in every acknowledgement and queue reply;
// - requests ("QGJQ") are numbered and sent again every kRequestResendMs until the
//   controller answers them on the request-answer port.
// It takes packs as a go-back-N receiver does: only the next expected sequence of a queue;
// packs ahead of it are dropped and answered with the sequence it still waits for. Chosen
// datagrams are lost by a drop rate or a deterministic loss rule.
// Timing (request resends, delays) runs on MonotonicMs, so a test that installs a FakeClock
// drives it; the machine's lifetime is bounded in real time and it stops by itself.
#pragma once

#include "support/simulated_lan_responder.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace corvane_test {

// The fixed UDP ports of a machine.
inline constexpr uint16_t kMachineDiscoveryPort = 41200;
inline constexpr uint16_t kMachineRefusalPort = 41202;
inline constexpr uint16_t kMachineAnnounceReplyPort = 41203;
inline constexpr uint16_t kMachineDataPort = 41204;
inline constexpr uint16_t kMachineCommandPort = 41205;
inline constexpr uint16_t kMachinePanelPort = 41206;
inline constexpr uint16_t kMachineRequestAnswerPort = 41207;
inline constexpr uint16_t kMachineJetPort = 41209;
inline constexpr uint16_t kMachineServerDiscoveryPort = 41211;

// Bytes of the machine's settings block carried by its announce.
inline constexpr size_t kSimSettingsBlockBytes = 180;
// A request not answered within this many ms is sent again.
inline constexpr int64_t kRequestResendMs = 100;

// The machine's four queues, in the order of the announce's sequence bytes.
enum class SimQueue { Data = 0, Panel = 1, Command = 2, Jet = 3 };

// The settings block of a plotter with the factory values of the controller's defaults.
std::vector<uint8_t> DefaultSimSettingsBlock();

struct SimulatedMachineOptions {
    uint8_t hostOctet = 2;  // the machine's address is 127.0.0.hostOctet, 2..254
    uint8_t firmware = 12;
    uint8_t kind = 0x02;  // machine kind of "PQCN": bit 0x02 = cutting machine
    std::array<uint8_t, 6> mac{0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
    std::array<uint8_t, 12> id{'S', 'I', 'M', '-', 'M', 'A', 'C', 'H', 'I', 'N', 'E', '1'};
    // Next sequence the machine expects on the data, panel, command and jet queue.
    std::array<uint8_t, 4> expectedSequence{0, 0, 0, 0};
    uint8_t nextRequestSequence = 0;
    // The settings block of the announce; empty sends an announce of the fixed part only.
    std::vector<uint8_t> settingsBlock = DefaultSimSettingsBlock();
    bool answerDiscovery = true;
    bool askForJobOnF2 = true;
    uint32_t startPulseCount = 0;  // pulse count the machine reports when a job starts
    int lifetimeMs = 20000;        // real time after which the machine stops by itself
    SimLanOptions lan;             // LAN search answers, once StartLan was called
};

// Which way a datagram goes, for a loss rule.
enum class SimDirection { Arriving, Leaving };

// Decides whether one datagram is lost: called for every datagram in the order it arrives or
// leaves, with the machine port it arrived on (0 when leaving) and its bytes. A rule that
// decides from what it is shown and its own counters loses the same datagrams on every run.
using SimLossRule = std::function<bool(SimDirection direction, uint16_t port, const std::vector<uint8_t>& bytes)>;

// A rule that loses each datagram with probability rate in either direction, from a fixed
// seed; a loss starts a burst that also takes the next burstLength - 1 datagrams of its
// direction.
SimLossRule SeededLoss(double rate, uint32_t seed, int burstLength = 1);

struct SimDatagram {
    uint16_t port = 0;  // machine port it arrived on
    std::vector<uint8_t> bytes;
    int64_t receivedMs = 0;  // MonotonicMs when it arrived
};

struct SimPack {
    uint8_t sequence = 0;
    uint8_t type = 0;
    std::vector<uint8_t> payload;
    int64_t takenMs = 0;  // MonotonicMs when the machine took it
};

class SimulatedMachine {
public:
    explicit SimulatedMachine(SimulatedMachineOptions options = {});
    ~SimulatedMachine();
    SimulatedMachine(const SimulatedMachine&) = delete;
    SimulatedMachine& operator=(const SimulatedMachine&) = delete;

    // Binds the machine ports on its address and starts answering; false with the reason in
    // error when an address is not loopback or a port is taken.
    bool Start(std::string* error = nullptr);
    // Stops answering and closes the sockets (also done by the destructor and the lifetime).
    void Stop();

    // The machine's address as the controller keys it (network byte order).
    uint32_t Key() const;
    // Where the machine sends to, when no discovery has told it yet.
    void SetController(uint32_t addressNetworkOrder, uint16_t port);
    bool KnowsController() const;

    // Sends an announce now. keep is byte 8 (nonzero: a known machine keeps its counters);
    // with keep 0 the machine itself also starts over at the announced sequence numbers.
    // announced overrides the data, panel, command, request and jet bytes of the announce.
    void Announce(uint8_t keep, std::optional<std::array<uint8_t, 5>> announced = std::nullopt);
    // The announce the machine would send now with keep as byte 8 (for tests that cut or
    // change it before sending it with SendRaw).
    std::vector<uint8_t> AnnounceBytes(uint8_t keep) const;
    // Changes the MAC and ID that later announces carry.
    void SetIdentity(const std::array<uint8_t, 6>& mac, const std::array<uint8_t, 12>& id);
    // Sends raw bytes to the controller from the machine's address.
    void SendRaw(const std::vector<uint8_t>& bytes);
    // Queues a request (kind and the bytes from 6 on); it is numbered and resent until answered.
    void Request(uint8_t kind, const std::vector<uint8_t>& body);

    // Drops each datagram with the given probability, arriving and leaving, from a fixed seed.
    void SetDropRate(double arriving, double leaving, uint32_t seed = 1);
    // Loses the datagrams rule chooses (in addition to the drop rate); an empty rule loses none.
    void SetLossRule(SimLossRule rule);
    // Holds every datagram the machine sends for delayMs of MonotonicMs.
    void SetSendDelayMs(int64_t delayMs);

    // Everything that arrived (not dropped), oldest first.
    std::vector<SimDatagram> Received() const;
    // The packs taken in order on a queue (repeats left out).
    std::vector<SimPack> Taken(SimQueue queue) const;
    // The payloads of the current job's data packs, joined up to the job's last motion pack:
    // the motion text as the machine ran it.
    std::string MotionText() const;
    // The complete packed jet blocks of the current job, each up to and including its end code.
    std::vector<std::vector<uint8_t>> JetBlocks() const;
    // The command texts (command pack type 2) taken, oldest first.
    std::vector<std::string> CommandTexts() const;
    // Announce replies and refusals that arrived, oldest first.
    std::vector<std::vector<uint8_t>> AnnounceReplies() const;
    std::vector<std::vector<uint8_t>> Refusals() const;
    int DiscoveriesReceived() const;
    // True once the end report of a job was answered and the controller sent "f4;" or "f5;".
    bool JobFinished() const;
    // The total pulse count the controller announced for the current job (pack type 15).
    uint32_t AnnouncedTotalPulses() const;
    // True while a request waits for its answer.
    bool RequestPending() const;
    int Dropped() const;

    // Waits (real time, at most timeoutMs) until a datagram arrives or the machine stopped.
    void WaitForActivity(int timeoutMs) const;

    // Starts answering LAN search on 41208 (simulated_lan_responder.cpp); Lan() then reports.
    bool StartLan(std::string* error = nullptr);
    SimulatedLanResponder& Lan() { return *lan_; }

private:
    struct Outgoing {
        int64_t dueMs = 0;
        std::vector<uint8_t> bytes;
    };
    struct PendingRequest {
        std::vector<uint8_t> bytes;
        int64_t lastSentMs = 0;
        bool sent = false;
    };

    void Run();
    void HandleDatagram(uint16_t port, uint32_t fromAddress, const uint8_t* data, size_t size);
    void HandlePack(SimQueue queue, const uint8_t* data, size_t size);
    void ActOnCommand(const SimPack& pack);
    void SendToController(std::vector<uint8_t> bytes);
    void SendNow(const std::vector<uint8_t>& bytes);
    void SendAnnounce(uint8_t keep, const std::array<uint8_t, 5>& announced);
    std::vector<uint8_t> BuildAnnounce(uint8_t keep, const std::array<uint8_t, 5>& announced) const;
    std::array<uint8_t, 5> CurrentSequences() const;
    void SendAcknowledge();
    void SendQueueReply(uint8_t code, uint8_t expected);
    void SendMachineParameters();
    void SendExtraBlock();
    void QueueRequest(uint8_t kind, const std::vector<uint8_t>& body);
    void PumpRequests(int64_t nowMs);
    void PumpOutgoing(int64_t nowMs);
    bool Drop(double rate);
    // True when the loss rule loses this datagram (counted as dropped).
    bool LostByRule(SimDirection direction, uint16_t port, const std::vector<uint8_t>& bytes);
    std::string JobMotionText() const;
    // The job's end report, sent once its motion and its jet side have both ended.
    void ReportEndWhenDue();
    void SendEndReport();
    // The jet side of a job (simulated_machine_jet.cpp).
    void StartJobJet();
    void TakeJetPayload(const std::vector<uint8_t>& payload);
    uint32_t JetRowsPrinted() const;

    SimulatedMachineOptions options_;
    std::array<int, 9> sockets_{};
    int sendSocket_ = -1;
    std::thread thread_;
    bool running_ = false;

    mutable std::mutex lock_;
    mutable std::condition_variable activity_;
    bool stop_ = false;
    uint32_t controllerAddress_ = 0;  // network order
    uint16_t controllerPort_ = 0;     // host order
    bool admitted_ = false;
    std::array<uint8_t, 4> expected_{};
    uint8_t nextRequest_ = 0;
    uint32_t totalPulses_ = 0;
    bool jobRunning_ = false;
    bool endReported_ = false;
    bool jobFinished_ = false;
    bool motionEnded_ = false;    // the job's last motion pack arrived
    bool jetEndCommand_ = false;  // a "b100," command text arrived during the job
    std::vector<uint8_t> jetPending_;               // jet bytes of an unfinished block
    std::vector<std::vector<uint8_t>> jetBlocks_;  // complete blocks of the current job
    std::deque<PendingRequest> requests_;
    std::deque<Outgoing> outgoing_;
    int64_t sendDelayMs_ = 0;
    double dropArriving_ = 0;
    double dropLeaving_ = 0;
    std::mt19937 random_{1};
    SimLossRule lossRule_;
    int dropped_ = 0;
    int discoveries_ = 0;
    std::vector<SimDatagram> received_;
    std::array<std::vector<SimPack>, 4> taken_;
    size_t motionStart_ = 0;  // first data pack of the current job
    std::vector<std::vector<uint8_t>> replies_;
    std::vector<std::vector<uint8_t>> refusals_;
    std::unique_ptr<SimulatedLanResponder> lan_;
};

}  // namespace corvane_test
