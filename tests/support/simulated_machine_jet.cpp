// The simulated plotter's jet side (decoding the job's jet packs into blocks) and the rule
// that ends its job.
#include "support/jet_unpacker.h"
#include "support/simulated_machine.h"

namespace corvane_test {

void SimulatedMachine::StartJobJet()
{
    motionEnded_ = false;
    jetEndCommand_ = false;
    jetPending_.clear();
    jetBlocks_.clear();
}

// Appends a jet pack's bytes and takes every block they complete.
void SimulatedMachine::TakeJetPayload(const std::vector<uint8_t>& payload)
{
    jetPending_.insert(jetPending_.end(), payload.begin(), payload.end());
    size_t used = 0;
    for (JetBytes& block : SplitJetBlocks(jetPending_, &used)) jetBlocks_.push_back(std::move(block));
    jetPending_.erase(jetPending_.begin(), jetPending_.begin() + static_cast<std::ptrdiff_t>(used));
}

uint32_t SimulatedMachine::JetRowsPrinted() const { return static_cast<uint32_t>(jetBlocks_.size()); }

std::vector<std::vector<uint8_t>> SimulatedMachine::JetBlocks() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return jetBlocks_;
}

// A job ends on the machine once its motion has run out and the controller said its jet data
// has ended; a cutting job's "b100,1;" comes just before its last motion pack.
void SimulatedMachine::ReportEndWhenDue()
{
    if (jobRunning_ && !endReported_ && motionEnded_ && jetEndCommand_) SendEndReport();
}

}  // namespace corvane_test
