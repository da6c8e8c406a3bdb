// The simulated plotter: socket set-up, the answering thread and the machine's protocol side.
#include "support/simulated_machine.h"

#include "platform/byte_order.h"
#include "platform/tick_clock.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <chrono>
#include <cstring>
#include <memory>

namespace corvane_test {
namespace {

// The ports bound, in the order of the socket array.
constexpr std::array<uint16_t, 9> kBoundPorts = {
    kMachineDiscoveryPort, kMachineRefusalPort,       kMachineAnnounceReplyPort,
    kMachineDataPort,      kMachineCommandPort,       kMachinePanelPort,
    kMachineRequestAnswerPort, kMachineJetPort,       kMachineServerDiscoveryPort};

// Free space the machine reports: enough for the controller to go on sending.
constexpr uint16_t kDataRoomBytes = 4000;
constexpr uint16_t kPanelRoomBytes = 200;
constexpr uint16_t kJetRoomBytes = 4000;

// Queue-reply codes of the data and jet queues.
constexpr uint8_t kDataReplyCode = 0xF4;
constexpr uint8_t kJetReplyCode = 0xF9;

// Request kinds.
constexpr uint8_t kEndReport = 2;
constexpr uint8_t kStartRequest = 3;

// Command pack types the machine acts on.
constexpr uint8_t kCommandText = 2;
constexpr uint8_t kTotalPulses = 15;
constexpr uint8_t kPollParameters = 20;
constexpr uint8_t kPollExtraBlock = 21;

// The controller's speed sets in machine units (the controller multiplies them by 40).
constexpr std::array<float, 11> kSpeedSetMachineUnits = {4000, 4000, 1500, 1500, 30, 30,
                                                         40000, 5000, 5000, 3000, 3000};

bool StartsWith(const uint8_t* data, size_t size, const char* magic)
{
    size_t n = std::strlen(magic);
    return size >= n && std::memcmp(data, magic, n) == 0;
}

void PutText(std::vector<uint8_t>& out, const char* text)
{
    out.insert(out.end(), text, text + std::strlen(text));
}

bool IsEndOfMotion(const std::vector<uint8_t>& payload)
{
    std::string text(payload.begin(), payload.end());
    return text == "D100;" || text == "A100;";
}

// The pulses the machine moves for motion text: a move "Pdx,dy;" takes max(|dx|, |dy|), a
// tool-depth move "Bn,dz;" takes |dz|; every other command moves nothing.
uint32_t PulsesOf(const std::string& text)
{
    uint64_t pulses = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        const std::string command = text.substr(start, end - start);
        start = end + 1;
        const size_t comma = command.find(',');
        if (command.empty() || comma == std::string::npos) continue;
        const long long first = std::atoll(command.c_str() + 1);
        const long long second = std::atoll(command.c_str() + comma + 1);
        if (command[0] == 'P')
            pulses += static_cast<uint64_t>(std::max(std::llabs(first), std::llabs(second)));
        else if (command[0] == 'B')
            pulses += static_cast<uint64_t>(std::llabs(second));
    }
    return static_cast<uint32_t>(pulses);
}

}  // namespace

std::vector<uint8_t> DefaultSimSettingsBlock()
{
    std::vector<uint8_t> b(kSimSettingsBlockBytes, 0);
    uint8_t* p = b.data();
    StoreLE32(p + 0, 10000);    // move speed
    StoreLE32(p + 4, 50000);    // move acceleration
    StoreLE16(p + 8, 1000);     // limit length
    StoreLE16(p + 10, 1000);    // reset speed
    StoreLE32(p + 12, 80000);   // X range
    StoreLE32(p + 16, 80000);   // Y range
    StoreLE32(p + 20, 1500000); // jerk
    StoreLE16(p + 24, 1000);    // start speed
    p[26] = 2, p[27] = 2;       // nozzle starts of heads 1 and 2
    p[30] = 152, p[31] = 152;   // nozzle ends of heads 1 and 2
    StoreLE16(p + 35, static_cast<uint16_t>(-171));  // offset of head 2
    p[41] = 23;                                      // margin
    StoreLE16(p + 42, static_cast<uint16_t>(-1000)); // first jet value
    p[44] = 2, p[45] = 4;                            // the two jet bytes
    StoreLE16(p + 47, 100);                          // band base
    for (int level = 0; level < 3; ++level) {
        uint8_t* record = p + 77 + 12 * level;
        StoreLE16(record + 0, static_cast<uint16_t>(2000 * (level + 1)));
        StoreLE16(record + 2, static_cast<uint16_t>(1000 + 500 * level));
    }
    p[174] = 100;              // plot value 3
    StoreLE16(p + 176, 1000);  // knife compensation 1
    return b;
}

SimulatedMachine::SimulatedMachine(SimulatedMachineOptions options) : options_(std::move(options))
{
    sockets_.fill(-1);
    expected_ = options_.expectedSequence;
    nextRequest_ = options_.nextRequestSequence;
}

SimulatedMachine::~SimulatedMachine() { Stop(); }

uint32_t SimulatedMachine::Key() const { return htonl((127u << 24) | options_.hostOctet); }

bool SimulatedMachine::Start(std::string* error)
{
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        Stop();
        return false;
    };
    if (running_) return true;
    if (options_.hostOctet < 2 || options_.hostOctet > 254)
        return fail("a simulated machine needs 127.0.0.N with N in 2..254");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = Key();
    for (size_t i = 0; i < kBoundPorts.size(); ++i) {
        int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) return fail(std::string("socket: ") + std::strerror(errno));
        sockets_[i] = fd;
        address.sin_port = htons(kBoundPorts[i]);
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return fail("bind 127.0.0." + std::to_string(options_.hostOctet) + ":" +
                        std::to_string(kBoundPorts[i]) + ": " + std::strerror(errno));
    }
    sendSocket_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    address.sin_port = 0;
    if (sendSocket_ < 0 || bind(sendSocket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return fail(std::string("send socket: ") + std::strerror(errno));
    {
        std::lock_guard<std::mutex> guard(lock_);
        stop_ = false;
    }
    running_ = true;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void SimulatedMachine::Stop()
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        stop_ = true;
    }
    activity_.notify_all();
    if (thread_.joinable()) thread_.join();
    running_ = false;
    for (int& fd : sockets_) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
    if (sendSocket_ >= 0) close(sendSocket_);
    sendSocket_ = -1;
}

// Answers datagrams until stopped or until the lifetime has passed.
void SimulatedMachine::Run()
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options_.lifetimeMs);
    std::array<pollfd, 9> fds{};
    for (size_t i = 0; i < fds.size(); ++i) fds[i] = pollfd{sockets_[i], POLLIN, 0};
    uint8_t buffer[2048];
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (stop_ || std::chrono::steady_clock::now() >= deadline) {
                stop_ = true;
                break;
            }
            int64_t now = MonotonicMs();
            PumpOutgoing(now);
            PumpRequests(now);
        }
        if (poll(fds.data(), fds.size(), 1) <= 0) continue;
        for (size_t i = 0; i < fds.size(); ++i) {
            if (!(fds[i].revents & POLLIN)) continue;
            for (;;) {
                sockaddr_in from{};
                socklen_t fromSize = sizeof from;
                ssize_t n = recvfrom(fds[i].fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
                if (n < 0) break;
                std::lock_guard<std::mutex> guard(lock_);
                if (Drop(dropArriving_)) continue;
                if (LostByRule(SimDirection::Arriving, kBoundPorts[i], std::vector<uint8_t>(buffer, buffer + n))) continue;
                HandleDatagram(kBoundPorts[i], from.sin_addr.s_addr, buffer, static_cast<size_t>(n));
            }
        }
        activity_.notify_all();
    }
    activity_.notify_all();
}

void SimulatedMachine::HandleDatagram(uint16_t port, uint32_t fromAddress, const uint8_t* data, size_t size)
{
    received_.push_back(SimDatagram{port, std::vector<uint8_t>(data, data + size), MonotonicMs()});
    switch (port) {
    case kMachineDiscoveryPort:
    case kMachineServerDiscoveryPort:
        if (size < 14 || !StartsWith(data, size, "PQC2")) return;
        ++discoveries_;
        // The discovery names the controller: its address, and its link port in bytes 4-5.
        controllerAddress_ = fromAddress;
        controllerPort_ = static_cast<uint16_t>((data[4] << 8) | data[5]);
        if (port != kMachineDiscoveryPort || !options_.answerDiscovery) return;
        if (admitted_)
            SendAcknowledge();
        else
            SendAnnounce(0, CurrentSequences());
        return;
    case kMachineAnnounceReplyPort:
        if (!StartsWith(data, size, "PQCC")) return;
        replies_.emplace_back(data, data + size);
        admitted_ = true;
        return;
    case kMachineRefusalPort:
        refusals_.emplace_back(data, data + size);
        return;
    case kMachineRequestAnswerPort:
        if (size >= 3 && data[0] == 'Q' && data[1] == 1 && !requests_.empty() && requests_.front().sent &&
            requests_.front().bytes[4] == data[2])
            requests_.pop_front();
        return;
    case kMachineDataPort: return HandlePack(SimQueue::Data, data, size);
    case kMachinePanelPort: return HandlePack(SimQueue::Panel, data, size);
    case kMachineCommandPort: return HandlePack(SimQueue::Command, data, size);
    case kMachineJetPort: return HandlePack(SimQueue::Jet, data, size);
    default: return;
    }
}

// Takes a pack when it is the next one of its queue, then answers it (a repeat too).
void SimulatedMachine::HandlePack(SimQueue queue, const uint8_t* data, size_t size)
{
    if (size < 3 || data[0] != 'Q') return;
    size_t q = static_cast<size_t>(queue);
    std::optional<SimPack> fresh;
    if (data[1] == expected_[q]) {
        ++expected_[q];
        fresh = SimPack{data[1], data[2], std::vector<uint8_t>(data + 3, data + size), MonotonicMs()};
        taken_[q].push_back(*fresh);
    }
    if (queue == SimQueue::Data && fresh && jobRunning_ && IsEndOfMotion(fresh->payload)) {
        // The end report goes before the acknowledgement, so the controller closes the job
        // before it could think of sending more.
        motionEnded_ = true;
        ReportEndWhenDue();
    }
    if (queue == SimQueue::Jet && fresh && jobRunning_) TakeJetPayload(fresh->payload);
    if (queue == SimQueue::Data && !endReported_)
        SendQueueReply(kDataReplyCode, expected_[q]);
    else if (queue == SimQueue::Jet)
        SendQueueReply(kJetReplyCode, expected_[q]);
    else
        SendAcknowledge();
    if (fresh && queue == SimQueue::Command) ActOnCommand(*fresh);
}

void SimulatedMachine::ActOnCommand(const SimPack& pack)
{
    if (pack.type == kCommandText) {
        std::string text(pack.payload.begin(), pack.payload.end());
        if (text == "f2;" && options_.askForJobOnF2) {
            jobRunning_ = true;
            endReported_ = false;
            jobFinished_ = false;
            motionStart_ = taken_[static_cast<size_t>(SimQueue::Data)].size();
            StartJobJet();
            ByteWriter body;
            body.PutU8(1);
            body.PutU32(options_.startPulseCount);
            body.PutU32(0), body.PutU32(0), body.PutU32(0);  // head x, y and depth to start from
            for (int i = 0; i < 5; ++i) body.PutU8(0);
            body.PutU32(0);  // jet row to start from
            body.PutU32(0);
            QueueRequest(kStartRequest, body.Bytes());
        } else if (text.rfind("b100,", 0) == 0 && jobRunning_) {
            jetEndCommand_ = true;
            ReportEndWhenDue();
        } else if ((text == "f4;" || text == "f5;") && endReported_) {
            jobRunning_ = false;
            jobFinished_ = true;
        }
    } else if (pack.type == kTotalPulses && pack.payload.size() >= 4) {
        totalPulses_ = LoadLE32(pack.payload.data());
    } else if (pack.type == kPollParameters) {
        SendMachineParameters();
    } else if (pack.type == kPollExtraBlock) {
        SendExtraBlock();
    }
}

void SimulatedMachine::SendEndReport()
{
    endReported_ = true;
    ByteWriter body;
    body.PutU32(options_.startPulseCount + PulsesOf(JobMotionText()));
    body.PutU32(0), body.PutU32(0), body.PutU32(0);  // head x, y and depth reached
    body.PutU32(0);                                  // jet rows printed
    QueueRequest(kEndReport, body.Bytes());
}

void SimulatedMachine::SendToController(std::vector<uint8_t> bytes)
{
    if (Drop(dropLeaving_)) return;
    if (LostByRule(SimDirection::Leaving, 0, bytes)) return;
    if (sendDelayMs_ > 0)
        outgoing_.push_back(Outgoing{MonotonicMs() + sendDelayMs_, std::move(bytes)});
    else
        SendNow(bytes);
}

void SimulatedMachine::SendNow(const std::vector<uint8_t>& bytes)
{
    if (sendSocket_ < 0 || controllerPort_ == 0) return;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = controllerAddress_;
    to.sin_port = htons(controllerPort_);
    // Only loopback destinations: a test machine never talks to anything else.
    if ((ntohl(controllerAddress_) >> 24) != 127) return;
    sendto(sendSocket_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
}

void SimulatedMachine::SendAnnounce(uint8_t keep, const std::array<uint8_t, 5>& announced)
{
    SendToController(BuildAnnounce(keep, announced));
}

std::array<uint8_t, 5> SimulatedMachine::CurrentSequences() const
{
    return {expected_[0], expected_[1], expected_[2], nextRequest_, expected_[3]};
}

std::vector<uint8_t> SimulatedMachine::BuildAnnounce(uint8_t keep, const std::array<uint8_t, 5>& announced) const
{
    std::vector<uint8_t> out;
    PutText(out, "PQCC");
    out.push_back(announced[0]);  // data queue
    out.push_back(announced[1]);  // panel queue
    out.push_back(announced[2]);  // command queue
    out.push_back(announced[3]);  // expected request
    out.push_back(keep);
    out.insert(out.end(), options_.mac.begin(), options_.mac.end());
    out.insert(out.end(), options_.id.begin(), options_.id.end());
    out.push_back(options_.firmware);
    out.push_back(announced[4]);  // jet queue
    out.insert(out.end(), options_.settingsBlock.begin(), options_.settingsBlock.end());
    return out;
}

std::vector<uint8_t> SimulatedMachine::AnnounceBytes(uint8_t keep) const
{
    std::lock_guard<std::mutex> guard(lock_);
    return BuildAnnounce(keep, CurrentSequences());
}

// Acknowledges every queue up to what the machine expects next, with room on all of them.
void SimulatedMachine::SendAcknowledge()
{
    ByteWriter w;
    w.PutBytes(reinterpret_cast<const uint8_t*>("QGJA"), 4);
    w.PutU8(expected_[0]);
    w.PutU8(expected_[1]);
    w.PutU8(expected_[2]);
    w.PutU16(kDataRoomBytes);
    w.PutU16(kPanelRoomBytes);
    w.PutU8(expected_[3]);
    w.PutU16(kJetRoomBytes);
    w.PutU32(JetRowsPrinted());
    SendToController(w.Bytes());
}

void SimulatedMachine::SendQueueReply(uint8_t code, uint8_t expected)
{
    ByteWriter w;
    w.PutBytes(reinterpret_cast<const uint8_t*>("QGJR"), 4);
    w.PutU8(code);
    w.PutU8(expected);
    w.PutU8(0);  // buffer not full
    w.PutU16(kDataRoomBytes);
    w.PutU16(kPanelRoomBytes);
    w.PutU16(kJetRoomBytes);
    w.PutU32(JetRowsPrinted());
    SendToController(w.Bytes());
}

void SimulatedMachine::SendMachineParameters()
{
    ByteWriter w;
    w.PutBytes(reinterpret_cast<const uint8_t*>("PQCN"), 4);
    for (int set = 0; set < 3; ++set)
        for (float v : kSpeedSetMachineUnits) w.PutFloat(v);
    w.PutI32(1000000);  // depth jerk
    w.PutI32(100000);   // depth acceleration
    w.PutU16(100), w.PutU16(1000);  // depth start and top speed
    w.PutU16(50), w.PutU16(100);    // depth values A and B
    w.PutU16(0), w.PutU8(0), w.PutU8(0);
    w.PutU8(options_.kind);
    w.PutU8(0);
    for (int i = 0; i < 4; ++i) w.PutFloat(1000.0f);  // calibration ideal and real values
    SendToController(w.Bytes());
}

void SimulatedMachine::SendExtraBlock()
{
    std::vector<uint8_t> out;
    PutText(out, "PQCE");
    out.resize(204, 0);
    SendToController(std::move(out));
}

void SimulatedMachine::QueueRequest(uint8_t kind, const std::vector<uint8_t>& body)
{
    PendingRequest request;
    PutText(request.bytes, "QGJQ");
    request.bytes.push_back(nextRequest_++);
    request.bytes.push_back(kind);
    request.bytes.insert(request.bytes.end(), body.begin(), body.end());
    requests_.push_back(std::move(request));
    PumpRequests(MonotonicMs());
}

// Sends the oldest unanswered request, again when its answer is overdue.
void SimulatedMachine::PumpRequests(int64_t nowMs)
{
    if (requests_.empty()) return;
    PendingRequest& front = requests_.front();
    if (front.sent && nowMs - front.lastSentMs <= kRequestResendMs) return;
    front.sent = true;
    front.lastSentMs = nowMs;
    SendToController(front.bytes);
}

void SimulatedMachine::PumpOutgoing(int64_t nowMs)
{
    while (!outgoing_.empty() && outgoing_.front().dueMs <= nowMs) {
        SendNow(outgoing_.front().bytes);
        outgoing_.pop_front();
    }
}

bool SimulatedMachine::Drop(double rate)
{
    if (rate <= 0) return false;
    if (std::uniform_real_distribution<double>(0.0, 1.0)(random_) >= rate) return false;
    ++dropped_;
    return true;
}

bool SimulatedMachine::LostByRule(SimDirection direction, uint16_t port, const std::vector<uint8_t>& bytes)
{
    if (!lossRule_ || !lossRule_(direction, port, bytes)) return false;
    ++dropped_;
    return true;
}

void SimulatedMachine::SetLossRule(SimLossRule rule)
{
    std::lock_guard<std::mutex> guard(lock_);
    lossRule_ = std::move(rule);
}

SimLossRule SeededLoss(double rate, uint32_t seed, int burstLength)
{
    struct State {
        std::mt19937 random;
        std::array<int, 2> burstLeft{0, 0};  // datagrams still to lose, arriving and leaving
    };
    auto state = std::make_shared<State>();
    state->random.seed(seed);
    return [state, rate, burstLength](SimDirection direction, uint16_t, const std::vector<uint8_t>&) {
        int& left = state->burstLeft[direction == SimDirection::Arriving ? 0 : 1];
        if (left > 0) {
            --left;
            return true;
        }
        if (std::uniform_real_distribution<double>(0.0, 1.0)(state->random) >= rate) return false;
        left = burstLength - 1;
        return true;
    };
}

void SimulatedMachine::SetController(uint32_t addressNetworkOrder, uint16_t port)
{
    std::lock_guard<std::mutex> guard(lock_);
    controllerAddress_ = addressNetworkOrder;
    controllerPort_ = port;
}

bool SimulatedMachine::KnowsController() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return controllerPort_ != 0;
}

void SimulatedMachine::Announce(uint8_t keep, std::optional<std::array<uint8_t, 5>> announced)
{
    std::lock_guard<std::mutex> guard(lock_);
    std::array<uint8_t, 5> bytes = announced.value_or(CurrentSequences());
    if (keep == 0) {
        expected_ = {bytes[0], bytes[1], bytes[2], bytes[4]};
        nextRequest_ = bytes[3];
    }
    SendAnnounce(keep, bytes);
}

void SimulatedMachine::SetIdentity(const std::array<uint8_t, 6>& mac, const std::array<uint8_t, 12>& id)
{
    std::lock_guard<std::mutex> guard(lock_);
    options_.mac = mac;
    options_.id = id;
}

void SimulatedMachine::SendRaw(const std::vector<uint8_t>& bytes)
{
    std::lock_guard<std::mutex> guard(lock_);
    SendToController(bytes);
}

void SimulatedMachine::Request(uint8_t kind, const std::vector<uint8_t>& body)
{
    std::lock_guard<std::mutex> guard(lock_);
    QueueRequest(kind, body);
}

void SimulatedMachine::SetDropRate(double arriving, double leaving, uint32_t seed)
{
    std::lock_guard<std::mutex> guard(lock_);
    dropArriving_ = arriving;
    dropLeaving_ = leaving;
    random_.seed(seed);
}

void SimulatedMachine::SetSendDelayMs(int64_t delayMs)
{
    std::lock_guard<std::mutex> guard(lock_);
    sendDelayMs_ = delayMs;
}

std::vector<SimDatagram> SimulatedMachine::Received() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return received_;
}

std::vector<SimPack> SimulatedMachine::Taken(SimQueue queue) const
{
    std::lock_guard<std::mutex> guard(lock_);
    return taken_[static_cast<size_t>(queue)];
}

std::string SimulatedMachine::MotionText() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return JobMotionText();
}

std::string SimulatedMachine::JobMotionText() const
{
    const std::vector<SimPack>& data = taken_[static_cast<size_t>(SimQueue::Data)];
    std::string text;
    for (size_t i = motionStart_; i < data.size(); ++i) {
        text.append(data[i].payload.begin(), data[i].payload.end());
        if (IsEndOfMotion(data[i].payload)) break;
    }
    return text;
}

std::vector<std::string> SimulatedMachine::CommandTexts() const
{
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<std::string> texts;
    for (const SimPack& pack : taken_[static_cast<size_t>(SimQueue::Command)])
        if (pack.type == kCommandText) texts.emplace_back(pack.payload.begin(), pack.payload.end());
    return texts;
}

std::vector<std::vector<uint8_t>> SimulatedMachine::AnnounceReplies() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return replies_;
}

std::vector<std::vector<uint8_t>> SimulatedMachine::Refusals() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return refusals_;
}

int SimulatedMachine::DiscoveriesReceived() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return discoveries_;
}

bool SimulatedMachine::JobFinished() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return jobFinished_;
}

uint32_t SimulatedMachine::AnnouncedTotalPulses() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return totalPulses_;
}

bool SimulatedMachine::RequestPending() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return !requests_.empty();
}

int SimulatedMachine::Dropped() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return dropped_;
}

void SimulatedMachine::WaitForActivity(int timeoutMs) const
{
    std::unique_lock<std::mutex> guard(lock_);
    size_t seen = received_.size();
    activity_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return stop_ || received_.size() != seen; });
}

}  // namespace corvane_test
