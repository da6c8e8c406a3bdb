// CDocCorvane's job list: listing jobs with their rows, and finding them by path and reference.
#include "app/doc_corvane.h"
#include "app/print_task.h"
#include "app/udp_server.h"
#include "machinelink/net_machine.h"
#include "platform/settings_store.h"
#include "support/test_environment.h"
#include "support/test_views.h"

#include <gtest/gtest.h>

namespace {

class DocJobList : public ::testing::Test {
protected:
    void SetUp() override { doc.SetListRows(&jobRows, &machineRows); }

    // A job of a file written into the scratch folder (not loaded).
    CPrintTask* NewJob(const std::string& name)
    {
        const std::string path = corvane_test::ScratchDir() + name;
        EXPECT_TRUE(corvane_test::WriteFile(path, "IN;PU0,0;PD400,0;"));
        return new CPrintTask(CString::FromUtf8(path).GetString());
    }

    CUDPServer server;
    CDocCorvane doc{server};
    corvane_test::TestJobRows jobRows;
    corvane_test::TestMachineRows machineRows;
};

TEST_F(DocJobList, AddsRowsAtTheirPlaceAndAssignsTheCurrentMachine)
{
    const uint8_t id[12] = {1};
    NET_Machine current(0x0100007Fu, id);
    machineRows.rows = {{nullptr, 0}, {&current, 1}};
    CPrintTask* first = NewJob("a.plt");
    CPrintTask* second = NewJob("b.plt");
    CPrintTask* third = NewJob("c.plt");
    ASSERT_EQ(doc.AddJobToList(first, -1), 1);
    ASSERT_EQ(doc.AddJobToList(second, 7), 1);
    ASSERT_EQ(doc.AddJobToList(third, 0), 1);
    ASSERT_EQ(jobRows.GetRowCount(), 3);
    EXPECT_EQ(jobRows.GetRowJob(0), third);
    EXPECT_EQ(jobRows.GetRowJob(1), first);
    EXPECT_EQ(jobRows.GetRowJob(2), second);
    EXPECT_EQ(jobRows.rows[0].texts[JobColumn::kFile], third->path);
    EXPECT_EQ(first->machine, current.ip);
    EXPECT_GT(first->fileStatus.m_size, 0u);
    // Every new row is refreshed whole.
    EXPECT_EQ(jobRows.formatted.back(), std::make_pair(0, -1));
    EXPECT_EQ(doc.GetJobList().Count(), 3);
}

TEST_F(DocJobList, RefusesNullJobsAndMissingFiles)
{
    EXPECT_EQ(doc.AddJobToList(nullptr, -1), 0);
    auto missing = std::make_unique<CPrintTask>(u"/nonexistent/job.plt");
    EXPECT_EQ(doc.AddJobToList(missing.get(), -1), 0);
    EXPECT_EQ(jobRows.GetRowCount(), 0);
    EXPECT_EQ(doc.GetJobList().Count(), 0);
}

TEST_F(DocJobList, FindsJobsByExactPathAndByLiveReference)
{
    CPrintTask* job = NewJob("Job.plt");
    ASSERT_EQ(doc.AddJobToList(job, -1), 1);
    EXPECT_EQ(doc.FindJobByPath(job->path), job);
    CString otherCase = job->path;
    otherCase.str().replace(otherCase.str().size() - 7, 1, u"j");
    EXPECT_EQ(doc.FindJobByPath(otherCase), nullptr);

    ASSERT_EQ(job->LoadPrintTaskFile(), 1);
    ASSERT_NE(job->jobRef, 0u);
    EXPECT_EQ(doc.FindJobByReference(job->jobRef), job);
    EXPECT_EQ(doc.FindJobByReference(0), nullptr);
    EXPECT_EQ(doc.FindJobByReference(job->jobRef + 1), nullptr);
    EXPECT_TRUE(doc.IsJobListed(job));
    CPrintTask unlisted;
    EXPECT_FALSE(doc.IsJobListed(&unlisted));
}

TEST(DocSettings, SortCutsComesFromTheSettingsStore)
{
    CUDPServer server;
    EXPECT_EQ(CDocCorvane(server).sortCuts, 1);
    WriteProfileInt(u"FileSetting", u"SortCut", 0);
    EXPECT_EQ(CDocCorvane(server).sortCuts, 0);
}

}  // namespace
