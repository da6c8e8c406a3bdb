// Fuzzes the machine side of the link: sequences of machine datagrams fed to
// NET_Machine::ProcMcuMsg, interleaved with poll passes, clock steps, user-interface commands
// and job hand-over, with a recording sender and a test clock (no sockets).
//
// Input: a list of records, each an operation byte and its bytes:
//   0 poll pass (ProTimeout)        1 n: clock moves on n x 10 ms
//   2: a small job is handed over   3 n bytes: a user-interface command of n bytes
//   otherwise n bytes: a machine datagram of n bytes (n = the byte after the operation).
#include "fuzz_support.h"

#include "support/fake_clock.h"
#include "support/recording_datagram_sender.h"

#include "machinelink/net_machine.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "plotmodel/plot_shape.h"

#include <arpa/inet.h>

namespace {

// A cut list of one knife shape: a square and a diagonal.
PlotShapeCutList* SmallJob()
{
    auto* list = new PlotShapeCutList;
    auto* shape = new PlotShape;
    const float points[][2] = {{0, 0}, {4000, 0}, {4000, 4000}, {0, 0}};
    for (size_t i = 0; i < 4; ++i) shape->AddPoint(points[i][0], points[i][1], i == 0 ? 1 : 0);
    shape->CalArea();
    shape->SetMauIndex(2);
    list->AddTail(shape);
    return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    corvane_test::FakeClock clock;
    corvane_test::RecordingDatagramSender sender;
    const uint8_t id[12] = {'F', 'U', 'Z', 'Z'};
    NET_Machine machine(inet_addr("127.0.0.9"), id);
    fuzz_support::InputReader in(data, size);
    for (int steps = 0; !in.AtEnd() && steps < 4096; ++steps) {
        const uint8_t operation = in.Byte();
        size_t count = 0;
        switch (operation) {
        case 0: machine.ProTimeout(sender); break;
        case 1: clock.Advance(10 * static_cast<TickMs>(in.Byte())); break;
        case 2: {
            // A refused hand-over leaves the lists with the caller.
            auto* first = new PlotShapeCutList;
            PlotShapeCutList* second = SmallJob();
            if (!machine.task.SetData(first, 1, second)) {
                delete first;
                delete second;
            }
            break;
        }
        case 3: {
            const uint8_t* message = in.Take(in.Byte(), count);
            machine.ProcPCMsg(sender, message, static_cast<int>(count));
            break;
        }
        default: {
            const uint8_t* datagram = in.Take(in.Byte(), count);
            machine.ProcMcuMsg(sender, datagram, static_cast<int>(count));
            break;
        }
        }
        CString report;
        machine.TakeRefusalReport(report);
        sender.Take();
    }
    fuzz_support::DrainPosted();
    return 0;
}
