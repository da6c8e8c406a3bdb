// The job-row commands: copies never below the copies done, rows trading jobs with their
// neighbours, nothing without a selection or beyond the list's ends.
#include "app/job_row_commands.h"

#include "app/list_lines.h"
#include "app/print_task.h"
#include "support/test_views.h"

#include <gtest/gtest.h>

#include <memory>

namespace corvane_test {
namespace {

class JobRowCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (auto* job : {&first_, &second_}) rows_.InsertJobRow(-1, job->path, job);
    }

    CPrintTask first_{u"/jobs/a.plt"};
    CPrintTask second_{u"/jobs/b.plt"};
    TestJobRows rows_;
};

TEST_F(JobRowCommands, CopiesChangeOnTheSelectedJobButNeverBelowTheCopiesDone)
{
    EXPECT_EQ(JobCopiesUp(rows_), 0);  // nothing selected
    rows_.SelectRow(1);
    EXPECT_EQ(JobCopiesUp(rows_), 1);
    EXPECT_EQ(second_.copies, 2);
    EXPECT_EQ(rows_.formatted.back(), std::make_pair(1, JobColumn::kCopies));
    second_.copiesDone = 2;
    EXPECT_EQ(JobCopiesDown(rows_), 0);
    EXPECT_EQ(second_.copies, 2);
    second_.copiesDone = 1;
    EXPECT_EQ(JobCopiesDown(rows_), 1);
    EXPECT_EQ(second_.copies, 1);
    EXPECT_EQ(first_.copies, 1);
}

TEST_F(JobRowCommands, MovingTradesJobsWithTheNeighbourWhichBecomesSelected)
{
    rows_.SelectRow(0);
    EXPECT_EQ(JobMoveUp(rows_), 0);  // the first row
    EXPECT_EQ(JobMoveDown(rows_), 1);
    EXPECT_EQ(rows_.GetRowJob(0), &second_);
    EXPECT_EQ(rows_.GetRowJob(1), &first_);
    EXPECT_EQ(rows_.GetSelectedIndex(), 1);
    EXPECT_EQ(rows_.rows[1].texts[JobColumn::kFile], first_.path);
    EXPECT_EQ(JobMoveDown(rows_), 0);  // the last row
    EXPECT_EQ(JobMoveUp(rows_), 1);
    EXPECT_EQ(rows_.GetRowJob(0), &first_);
    EXPECT_EQ(rows_.GetSelectedIndex(), 0);
}

}  // namespace
}  // namespace corvane_test
