// Jobs whose files cannot be loaded: one message naming the file and the reason, a failed and
// unchecked row, and the job shown as an empty preview.
#include "doc_fixture.h"

#include "app/dispatch_refusal.h"
#include "app/list_lines.h"
#include "app/print_task.h"
#include "app/string_table.h"
#include "dxf_fixture.h"
#include "support/test_environment.h"

#include <cstdint>
#include <string>

namespace corvane_test {
namespace {

// Bytes of a fixed pseudo-random sequence: the same noise on every run.
std::string Noise(size_t count)
{
    std::string bytes;
    uint32_t state = 0x2545F491u;
    for (size_t i = 0; i < count; ++i) {
        state = state * 1664525u + 1013904223u;
        bytes.push_back(static_cast<char>(state >> 24));
    }
    return bytes;
}

// HPGL whose circles make more points than one load may.
std::string OverBudget()
{
    std::string plt = "IN;PU0,0;";
    for (int i = 0; i < 600; ++i) plt += "CI100000000;";
    return plt;
}

struct BadFile {
    const char* name;
    std::string bytes;
    DispatchRefusal reason;
};

class JobLoadFailure : public DocFixture {};

TEST_F(JobLoadFailure, EachBadFileIsToldOnceWithItsNameAndReasonAndItsRowFailsUnchecked)
{
    const BadFile files[] = {
        {"empty.plt", "", DispatchRefusal::kFileEmpty},
        {"noise.plt", Noise(4096), DispatchRefusal::kNoShapes},
        {"noise.dxf", Noise(4096), DispatchRefusal::kDxfRejected},
        {"point.dxf",
         dxf_test::Write({.entities = [](DxfWriter& w) { w.Text(0, "POINT").Text(8, "0").Number(10, 1).Number(20, 1); }})
             .Ascii(),
         DispatchRefusal::kNoShapes},
        {"huge.plt", OverBudget(), DispatchRefusal::kOverPointBudget},
    };
    for (const BadFile& file : files) {
        SCOPED_TRACE(file.name);
        const CString path = CString::FromUtf8(WritePlot(file.name, file.bytes));
        const size_t before = sink.Shown().size();
        ASSERT_EQ(doc.AddFileToDocument(path), 1);
        CPrintTask* job = jobRows.GetRowJob(0);
        ASSERT_NE(job, nullptr);
        EXPECT_FALSE(job->IsTaskLoaded());
        EXPECT_EQ(job->loadRefusal, file.reason);

        ASSERT_EQ(sink.Shown().size(), before + 1);
        CString expected;
        expected.Format(LoadResString(StringId::kJobLoadFailed).GetString(), path,
                        LoadResString(DispatchRefusalStringId(file.reason)));
        EXPECT_EQ(sink.Shown().back().text, expected.str());
        EXPECT_NE(sink.Shown().back().text.find(path.str()), std::u16string::npos);

        EXPECT_EQ(jobRows.GetRowChecked(0), 0);
        EXPECT_EQ(job->checked, 0);
        const std::u16string state = jobRows.GetRowTexts(0)[JobColumn::kState].str();
        EXPECT_EQ(state.rfind(LoadResString(StringId::kJobLoadFailedState).str(), 0), 0u) << CString(state).ToUtf8();
        // The preview shows the failed job, which has nothing to draw.
        EXPECT_EQ(preview.shown, job);
        EXPECT_TRUE(job->GetCutList() == nullptr || job->GetCutList()->Count() == 0);
    }
}

TEST_F(JobLoadFailure, AFileThatCannotBeReadIsToldAndAGoodOneLoadsSilently)
{
    CPrintTask* listed = ListJob("later.plt");
    ASSERT_EQ(std::remove((ScratchDir() + "later.plt").c_str()), 0);
    EXPECT_EQ(doc.LoadJob(listed), 0);
    EXPECT_EQ(listed->loadRefusal, DispatchRefusal::kFileUnreadable);
    ASSERT_EQ(sink.Shown().size(), 1u);
    EXPECT_NE(sink.Shown()[0].text.find(LoadResString(StringId::kReasonFileUnreadable).str()), std::u16string::npos);

    // Once the file is back, loading it again succeeds without a word, and the row says so.
    WritePlot("later.plt");
    EXPECT_EQ(doc.LoadJob(listed), 1);
    EXPECT_EQ(listed->loadRefusal, DispatchRefusal::kNone);
    EXPECT_EQ(sink.Shown().size(), 1u);
    jobRows.FormatJobRow(0, -1);
    EXPECT_EQ(jobRows.GetRowTexts(0)[JobColumn::kState].str().rfind(LoadResString(StringId::kJobStopped).str(), 0), 0u);
}

}  // namespace
}  // namespace corvane_test
