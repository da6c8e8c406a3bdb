// The document fixture: rows, preview, machines in the table and the frames they are sent.
#include "doc_fixture.h"

#include "app/print_task.h"
#include "link_fixture.h"
#include "machinelink/net_machine.h"
#include "support/test_environment.h"

#include <filesystem>

namespace corvane_test {

void DocFixture::SetUp()
{
    ASSERT_EQ(server.OpenLinkSockets(), kLinkOpened);
    doc.SetListRows(&jobRows, &machineRows);
    doc.SetPreview(&preview);
}

std::string DocFixture::WritePlot(const std::string& name, const std::string& hpgl)
{
    const std::string path = ScratchDir() + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    EXPECT_TRUE(WriteFile(path, hpgl));
    return path;
}

CPrintTask* DocFixture::ListJob(const std::string& name)
{
    auto* job = new CPrintTask(CString::FromUtf8(WritePlot(name)).GetString());
    EXPECT_EQ(doc.AddJobToList(job, -1), 1);
    return job;
}

NET_Machine* DocFixture::AddMachine(uint8_t octet, bool online, int32_t jobState, bool withRow)
{
    const uint8_t id[12] = {octet};
    auto* machine = new NET_Machine(LoopbackAddress(octet), id);
    machine->online = online ? 1 : 0;
    machine->jobState = jobState;
    EXPECT_EQ(server.AddMachineSorted(machine), 1);
    if (withRow) machineRows.rows.push_back({machine, 0});
    return machine;
}

std::vector<Frame> DocFixture::TakeFrames()
{
    std::vector<Frame> frames;
    for (;;) {
        const std::vector<uint8_t> bytes = ReceiveWithin(server.GetLanSocket(), 50);
        if (bytes.size() < 5) return frames;
        frames.push_back(Frame{MachineCommandFrame::KeyOf(bytes.data()), bytes[4], std::string(bytes.begin() + 5, bytes.end())});
    }
}

std::vector<std::string> DocFixture::RowNames() const
{
    std::vector<std::string> names;
    for (const auto& row : jobRows.rows)
        names.push_back(std::filesystem::path(row.job->path.ToUtf8()).filename().string());
    return names;
}

void DocFixture::SelectRows(std::initializer_list<int> rows)
{
    for (auto& row : jobRows.rows) row.selected = false;
    for (int row : rows) jobRows.rows[static_cast<size_t>(row)].selected = true;
}

}  // namespace corvane_test
