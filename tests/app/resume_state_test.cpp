// The resume state files: their bytes, readers of every line end, the newest-state rule, the
// resume decisions, page files, damaged files and writers killed mid-write.
#include "app/resume_state.h"
#include "app/string_table.h"

#include "machinelink/net_machine.h"
#include "platform/file_system.h"
#include "plotmodel/plot_page.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "support/recording_message_sink.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

namespace {

using corvane_test::ReadFile;
using corvane_test::WriteFile;

class ResumeState : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = corvane_test::ScratchDir() + "Pages/0123456789ABCDEF01234567";
        ASSERT_TRUE(CreateFolder(Folder()));
    }
    CString Folder() const { return CString::FromUtf8(folder_); }
    std::string FilePath(const char16_t* name) const { return folder_ + "/" + CString(name).ToUtf8(); }
    CString FileName(const char16_t* name) const { return CString::FromUtf8(FilePath(name)); }
    void Date(const char16_t* name, int64_t ns) const { ASSERT_TRUE(SetFileTimeNs(FileName(name), ns)); }

    std::string folder_;
};

// A UTF-16LE state file with a byte-order mark, each line ended by lineEnd.
std::string Utf16File(const std::vector<std::u16string>& lines, const std::u16string& lineEnd, bool finalEnd = true)
{
    std::string bytes = "\xFF\xFE";
    for (size_t i = 0; i < lines.size(); ++i) {
        std::u16string text = lines[i];
        if (finalEnd || i + 1 < lines.size()) text += lineEnd;
        for (char16_t u : text) {
            bytes += static_cast<char>(u & 0xFF);
            bytes += static_cast<char>(u >> 8);
        }
    }
    return bytes;
}

// The lines of a file written with CR CR LF ends, after its byte-order mark.
std::vector<std::u16string> Utf16Lines(const std::string& bytes)
{
    std::vector<std::u16string> lines;
    if (bytes.size() < 2 || bytes.substr(0, 2) != "\xFF\xFE") return lines;
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(u"\r\r\n", start);
        if (end == std::u16string::npos) {
            lines.push_back(u"unended: " + text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 3;
    }
    return lines;
}

TEST_F(ResumeState, WritesTheFilesByteForByte)
{
    ASSERT_EQ(WriteCutState(Folder(), 1), 1);
    // The file written depends on the process-wide turn: whichever it was holds the state.
    std::string bytes = ReadFile(FilePath(kCutStateNames[0]));
    if (bytes.empty()) bytes = ReadFile(FilePath(kCutStateNames[1]));
    const std::string expected("\xFF\xFE" "C\0u\0t\0E\0n\0d\0=\0" "1\0;\0\r\0\r\0\n\0", 26);
    EXPECT_EQ(bytes, expected);

    ASSERT_EQ(WritePrintFileInfo(Folder(), u"/jobs/任务 1.plt", 3, 0, 0, 0), 1);
    EXPECT_EQ(Utf16Lines(ReadFile(FilePath(kPrintFileInfoName))),
              (std::vector<std::u16string>{u"filename=/jobs/任务 1.plt;", u"pagenum=3;", u"origintype=0;", u"x=0;", u"y=0;"}));
    ASSERT_EQ(WriteTaskStartInfo(Folder(), 2, 0, 0, 0, 0), 1);
    EXPECT_EQ(Utf16Lines(ReadFile(FilePath(kTaskStartInfoName))),
              (std::vector<std::u16string>{u"pageIndex=2;", u"CutCrvNums=0;", u"jetCrvNums=0;", u"JetTolPt=0;",
                                           u"JetPtALine=0;"}));

    // A folder that does not exist takes no file.
    const CString missing = CString::FromUtf8(folder_ + "/none");
    EXPECT_EQ(WriteCutState(missing, 0), 0);
    EXPECT_EQ(WriteTaskStartInfo(missing, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(WritePrintFileInfo(missing, u"/a", 1, 0, 0, 0), 0);
}

TEST_F(ResumeState, ReadersTakeEveryLineEnd)
{
    const std::vector<std::u16string> lines = {u"filename=/j/a;b.plt;", u"PAGENUM=4;", u"origintype=0;", u"x=7;",
                                               u"y=-2"};
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::string noMark = Utf16File(lines, u"\r\n").substr(2);
    const Case cases[] = {
        {"CR CR LF", Utf16File(lines, u"\r\r\n")},
        {"CR LF", Utf16File(lines, u"\r\n")},
        {"LF", Utf16File(lines, u"\n")},
        {"no final end", Utf16File(lines, u"\r\r\n", false)},
        {"no byte-order mark", noMark},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFile(FilePath(kPrintFileInfoName), c.bytes));
        CString path;
        int32_t pagenum = 0, origintype = 9, x = 0, y = 0;
        ASSERT_EQ(ReadPrintFileInfo(Folder(), path, pagenum, origintype, x, y), 1);
        EXPECT_EQ(path, CString(u"/j/a;b.plt"));
        EXPECT_EQ(pagenum, 4);
        EXPECT_EQ(origintype, 0);
        EXPECT_EQ(x, 7);
        EXPECT_EQ(y, -2);
    }

    // A line longer than any fixed buffer, and numbers beyond 32 bits (saturated).
    const std::u16string longPath = u"/" + std::u16string(3000, u'p');
    ASSERT_TRUE(WriteFile(FilePath(kPrintFileInfoName),
                          Utf16File({u"filename=" + longPath + u";", u"pagenum=99999999999;", u"origintype=0;", u"x=0;",
                                     u"y=-99999999999;"},
                                    u"\r\r\n")));
    CString path;
    int32_t pagenum = 0, origintype = 0, x = 0, y = 0;
    ASSERT_EQ(ReadPrintFileInfo(Folder(), path, pagenum, origintype, x, y), 1);
    EXPECT_EQ(path.str(), longPath);
    EXPECT_EQ(pagenum, INT32_MAX);
    EXPECT_EQ(y, INT32_MIN);
}

TEST_F(ResumeState, DamagedFilesReadAsNothing)
{
    const std::string whole = Utf16File({u"pageIndex=1;", u"CutCrvNums=0;", u"jetCrvNums=0;", u"JetTolPt=0;",
                                         u"JetPtALine=0;"},
                                        u"\r\r\n");
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"cut short", whole.substr(0, whole.size() / 2)},
        {"odd length", whole + "x"},
        {"no keys", Utf16File({u"hello", u"world"}, u"\r\n")},
        {"empty", ""},
        {"a line without = stops the reading",
         Utf16File({u"pageIndex=1;", u"CutCrvNums=0;", u"=0;", u"jetCrvNums=0;", u"JetTolPt=0;", u"JetPtALine=0;"},
                   u"\r\n")},
        {"8-bit text", "pageIndex=1;\r\nCutCrvNums=0;\r\njetCrvNums=0;\r\nJetTolPt=0;\r\nJetPtALine=00;\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFile(FilePath(kTaskStartInfoName), c.bytes));
        int32_t v[5] = {};
        EXPECT_EQ(ReadTaskStartInfo(Folder(), v[0], v[1], v[2], v[3], v[4]), 0);
    }
    ASSERT_TRUE(WriteFile(FilePath(kCutStateNames[0]), std::string(100 * 1024, 'x')));
    int32_t cutEnd = 0;
    EXPECT_EQ(ReadCutState(FileName(kCutStateNames[0]), cutEnd), 0);
    EXPECT_EQ(ReadCutState(FileName(u"missing.txt"), cutEnd), 0);
}

// The newest-state rule on dated files: which CutState counts against TaskStartInfo.
TEST_F(ResumeState, NewestCutStateIsNeverOlderThanThePageStart)
{
    const int64_t t = 1700000000000000000;
    struct Case {
        const char* name;
        int64_t t0, t1, tT;  // 0: file absent
        std::string state0, state1;
        int expectedResult;
        int32_t expectedCutEnd;
    };
    const std::string end0 = Utf16File({u"CutEnd=0;"}, u"\r\r\n");
    const std::string end1 = Utf16File({u"CutEnd=1;"}, u"\r\r\n");
    const std::string broken = "\xFF\xFE" "x";
    const Case cases[] = {
        {"file 0 newest", t + 2, t + 1, t, end1, end0, 1, 1},
        {"file 1 newest", t + 1, t + 2, t, end1, end0, 1, 0},
        {"tie with the page start counts", t, t - 5, t, end1, end0, 1, 1},
        {"both older than the page start", t - 1, t - 2, t, end1, end1, 0, 0},
        {"newest damaged: the other if newer than the start", t + 2, t + 1, t, broken, end1, 1, 1},
        {"newest damaged: the other at the start does not count", t + 2, t, t, broken, end1, 0, 0},
        {"only file 1", 0, t + 1, t, "", end1, 1, 1},
        {"only file 0, older", t - 1, 0, t, end1, "", 0, 0},
        {"no page start", t + 1, t + 2, 0, end1, end1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char16_t* name : {kCutStateNames[0], kCutStateNames[1], kTaskStartInfoName}) DeleteFile(FileName(name));
        if (c.t0) {
            ASSERT_TRUE(WriteFile(FilePath(kCutStateNames[0]), c.state0));
            Date(kCutStateNames[0], c.t0);
        }
        if (c.t1) {
            ASSERT_TRUE(WriteFile(FilePath(kCutStateNames[1]), c.state1));
            Date(kCutStateNames[1], c.t1);
        }
        if (c.tT) {
            ASSERT_EQ(WriteTaskStartInfo(Folder(), 0, 0, 0, 0, 0), 1);
            Date(kTaskStartInfoName, c.tT);
        }
        int32_t cutEnd = -7;
        EXPECT_EQ(ReadNewestCutState(Folder(), cutEnd), c.expectedResult);
        if (c.expectedResult) {
            EXPECT_EQ(cutEnd, c.expectedCutEnd);
        }
    }
}

TEST_F(ResumeState, EachWriterDatesItsFileAfterTheOtherTwo)
{
    // The page end, then the next page's start, written back to back as one handler does.
    ASSERT_EQ(WriteCutState(Folder(), 1), 1);
    ASSERT_EQ(WriteTaskStartInfo(Folder(), 1, 0, 0, 0, 0), 1);
    ASSERT_EQ(WriteCutState(Folder(), 0), 1);
    int64_t t0 = 0, t1 = 0, tT = 0;
    ASSERT_TRUE(GetFileTimeNs(FileName(kCutStateNames[0]), t0));
    ASSERT_TRUE(GetFileTimeNs(FileName(kCutStateNames[1]), t1));
    ASSERT_TRUE(GetFileTimeNs(FileName(kTaskStartInfoName), tT));
    EXPECT_GT(std::max(t0, t1), tT);
    EXPECT_LT(std::min(t0, t1), tT);
    int32_t cutEnd = -1;
    ASSERT_EQ(ReadNewestCutState(Folder(), cutEnd), 1);
    EXPECT_EQ(cutEnd, 0);

    // Files dated in the future (the clock was set back) still come before the next write.
    const int64_t future = WallClockNs() + int64_t{3600} * 1000000000;
    Date(kCutStateNames[0], future);
    Date(kCutStateNames[1], future + 5);
    ASSERT_EQ(WriteTaskStartInfo(Folder(), 2, 0, 0, 0, 0), 1);
    ASSERT_TRUE(GetFileTimeNs(FileName(kTaskStartInfoName), tT));
    EXPECT_EQ(tT, future + 6);
    EXPECT_EQ(ReadNewestCutState(Folder(), cutEnd), 0);
}

// Sets up a folder of a job of pageCount pages last started at pageIndex, with cutEnd as its
// newest state (none when negative).
void WriteJobState(const CString& folder, const CString& job, int32_t pageCount, int32_t pageIndex, int32_t cutEnd)
{
    ASSERT_EQ(WritePrintFileInfo(folder, job, pageCount, 0, 0, 0), 1);
    ASSERT_EQ(WriteTaskStartInfo(folder, pageIndex, 0, 0, 0, 0), 1);
    if (cutEnd >= 0) {
        ASSERT_EQ(WriteCutState(folder, cutEnd), 1);
    }
}

TEST_F(ResumeState, ResumesAtTheStartedOrTheNextPage)
{
    const CString job = u"/jobs/Job.plt";
    struct Case {
        const char* name;
        int32_t pageCount, pageIndex, cutEnd;
        CString asked;
        int expected;
        int32_t page;
    };
    const Case cases[] = {
        {"started page finished: the next", 5, 2, 1, job, 1, 3},
        {"started page not finished: itself", 5, 2, 0, job, 1, 2},
        {"no state: the started page", 5, 2, -1, job, 1, 2},
        {"last page finished: nothing to resume", 3, 2, 1, job, 0, 0},
        {"a path differing only in case is another job", 5, 2, 0, u"/jobs/job.plt", 0, 0},
        {"largest index, finished: no overflow", INT32_MAX, INT32_MAX, 1, job, 0, 0},
        {"negative index", 5, -1, 0, job, 0, 0},
        {"no pages", -1, 0, 0, job, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteJobState(Folder(), job, c.pageCount, c.pageIndex, c.cutEnd);
        if (c.cutEnd < 0) {
            DeleteFile(FileName(kCutStateNames[0]));
            DeleteFile(FileName(kCutStateNames[1]));
        }
        int32_t page = -5, pageCount = -5;
        ASSERT_EQ(FindResumePage(Folder(), c.asked, page, pageCount), c.expected);
        if (c.expected) {
            EXPECT_EQ(page, c.page);
            EXPECT_EQ(pageCount, c.pageCount);
        }
    }

    // Without TaskStartInfo nothing resumes, but a chosen page still loads.
    WriteJobState(Folder(), job, 5, 2, 0);
    DeleteFile(FileName(kTaskStartInfoName));
    int32_t page = 0, pageCount = 0;
    EXPECT_EQ(FindResumePage(Folder(), job, page, pageCount), 0);
    EXPECT_EQ(CheckJobPage(Folder(), job, 2, pageCount), 1);
    EXPECT_EQ(pageCount, 5);
    EXPECT_EQ(CheckJobPage(Folder(), job, 5, pageCount), 0);
    EXPECT_EQ(CheckJobPage(Folder(), job, -1, pageCount), 0);

    // A machine seen for the first time gets its folder.
    const CString fresh = CString::FromUtf8(folder_ + "X");
    EXPECT_EQ(FindResumePage(fresh, job, page, pageCount), 0);
    EXPECT_TRUE(FolderExists(fresh));
}

TEST_F(ResumeState, FindsTheInterruptedJobUnlessItsLastPageWasFinished)
{
    const CString job = u"/jobs/a.plt";
    CString path;
    int32_t page = -1, pageCount = 0;
    EXPECT_EQ(FindInterruptedJob(Folder(), path, page, pageCount), 0);  // empty folder

    WriteJobState(Folder(), job, 3, 1, 1);
    ASSERT_EQ(FindInterruptedJob(Folder(), path, page, pageCount), 1);
    EXPECT_EQ(path, job);
    EXPECT_EQ(page, 2);
    EXPECT_EQ(pageCount, 3);

    WriteJobState(Folder(), job, 3, 2, 1);
    EXPECT_EQ(FindInterruptedJob(Folder(), path, page, pageCount), 0);

    // Paginated but never started: page 0.
    DeleteFile(FileName(kTaskStartInfoName));
    ASSERT_EQ(FindInterruptedJob(Folder(), path, page, pageCount), 1);
    EXPECT_EQ(page, 0);
}

PlotShape* Line(float x0, float y0, float x1, float y1, int pen, unsigned char mau, unsigned char rec)
{
    auto* s = new PlotShape;
    s->AddPoint(x0, y0, 1);
    s->AddPoint(x1, y1, 0);
    s->SetPenIndex(pen);
    s->SetMauIndex(mau);
    s->SetRecIndex(rec);
    s->CalArea();
    return s;
}

TEST_F(ResumeState, PageFilesCarryCutModesAndRecIndexesInTheirPens)
{
    PlotPage page;
    page.DrawList().AddTail(Line(0, 0, 100, 0, 3, 127, 127));
    page.DrawList().AddTail(Line(0, 10, 100, 10, 25, 127, 127));  // an own pen a reader would take for mau 6
    page.CutList().AddTail(Line(0, 20, 100, 20, 1, 2, 127));
    page.CutList().AddTail(Line(0, 30, 100, 30, 1, 2, 127));
    page.CutList().AddTail(Line(16400, 0, 16400, 400, 1, 8, 127));  // the feed line
    page.CutList().AddTail(Line(0, 40, 100, 40, 1, 127, 5));
    const CString path = GetPageFilePath(Folder(), 0);
    EXPECT_EQ(path.ToUtf8(), folder_ + "/page0.plt");
    ASSERT_EQ(WritePageFile(path, page), 1);
    EXPECT_EQ(ReadFile(folder_ + "/page0.plt"),
              "HX;IN;SP3;PU0,0;PD100,0;SP0;PU0,10;PD100,10;SP21;PU0,20;PD100,20;PU0,30;PD100,30;"
              "SP27;PU16400,0;PD16400,400;SP64;PU0,40;PD100,40;");

    PlotShapeList list;
    ASSERT_EQ(ReadPageFile(path, list), 1);
    struct Expected {
        int pen, mau, rec;
    };
    const Expected expected[] = {{3, 127, 127}, {0, 127, 127}, {1, 2, 127}, {1, 2, 127}, {1, 8, 127}, {1, 127, 5}};
    ASSERT_EQ(list.Count(), 6);
    int i = 0;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s), ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(s->GetPenIndex(), expected[i].pen);
        EXPECT_EQ(s->GetMauIndex(), expected[i].mau);
        EXPECT_EQ(s->GetRecIndex(), expected[i].rec);
    }
    EXPECT_EQ(list.GetArea(), CArea(0, 0, 16400, 400));
}

TEST_F(ResumeState, APageFileLargerThanOnePartIsWrittenWhole)
{
    // About 4.5 MB of text, made in parts a batch at a time: pen changes and runs of one pen
    // fall across the ends of parts and of batches, so a part must tell its first pen itself.
    PlotPage page;
    std::string expected = "HX;IN;";
    const int lines = 200000;
    for (int i = 0; i < lines; ++i) {
        const int pen = (i / 10007) % 2 == 0 ? 3 : 4;
        page.CutList().AddTail(Line(0, static_cast<float>(i), 100, static_cast<float>(i), pen, 127, 127));
        if (i % 10007 == 0) expected += "SP" + std::to_string(pen) + ";";
        expected += "PU0," + std::to_string(i) + ";PD100," + std::to_string(i) + ";";
    }
    ASSERT_GT(expected.size(), 4u << 20);
    const CString path = GetPageFilePath(Folder(), 0);
    ASSERT_EQ(WritePageFile(path, page), 1);
    EXPECT_TRUE(ReadFile(folder_ + "/page0.plt") == expected) << "the file differs from the page's text";
}

TEST_F(ResumeState, PageFilesOfEveryPageAndTheirDashesReadBack)
{
    PlotPageList pages;
    for (int p = 0; p < 3; ++p) {
        auto* page = new PlotPage;
        page->CutList().AddTail(Line(0, 0, 100.0f * (p + 1), 0, 1, 2, 127));
        pages.AddTail(page);
    }
    ASSERT_EQ(WritePageFiles(Folder(), pages), 1);
    for (int p = 0; p < 3; ++p) {
        PlotShapeList list;
        ASSERT_EQ(ReadPageFile(GetPageFilePath(Folder(), p), list), 1);
        EXPECT_EQ(list.GetArea().xmax, 100 * (p + 1));
    }

    // A patterned cut comes back as dashes of line type 1 that keep its cut mode.
    const std::string dashed = folder_ + "/dashed.plt";
    ASSERT_TRUE(WriteFile(dashed, "HX;IN;SP21;LT2;PU0,0;PD4000,0;"));
    PlotShapeList list;
    ASSERT_EQ(ReadPageFile(CString::FromUtf8(dashed), list), 1);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_GT(list.HeadShape()->GetPlNum(), 20);
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) {
        EXPECT_EQ(s->GetLineType(), 1);
        EXPECT_EQ(s->GetMauIndex(), 2);
        EXPECT_EQ(s->GetPenIndex(), 1);
        EXPECT_LE(s->GetArea().xmax, 4000);
    }
    // 3 mm dashes, 1 mm gaps: about three quarters of the line is cut.
    EXPECT_GE(list.GetArea().xmax, 3800);

    // Files without the page mark keep their pens; files without shapes are no page.
    ASSERT_TRUE(WriteFile(dashed, "IN;SP25;PU0,0;PD400,0;"));
    PlotShapeList plain;
    ASSERT_EQ(ReadPageFile(CString::FromUtf8(dashed), plain), 1);
    EXPECT_EQ(plain.HeadShape()->GetPenIndex(), 25);
    EXPECT_EQ(plain.HeadShape()->GetMauIndex(), 127);
    ASSERT_TRUE(WriteFile(dashed, "HX;IN;SP1;"));
    EXPECT_EQ(ReadPageFile(CString::FromUtf8(dashed), plain), 0);
    EXPECT_EQ(ReadPageFile(CString::FromUtf8(folder_ + "/page9.plt"), plain), 0);
    EXPECT_EQ(plain.Count(), 1);

    // A page whose dashes would pass the load's point budget gives nothing, and the operator
    // is told: twenty lines of 3.75 km with 3 mm dashes make 37 M points.
    std::string huge = "HX;IN;SP1;LT2;";
    for (int i = 0; i < 20; ++i) huge += "PU0,0;PD150000000,0;";
    ASSERT_TRUE(WriteFile(dashed, huge));
    corvane_test::RecordingMessageSink sink;
    EXPECT_EQ(ReadPageFile(CString::FromUtf8(dashed), plain), 0);
    EXPECT_EQ(plain.Count(), 1);
    ASSERT_EQ(sink.Shown().size(), 1u);
    EXPECT_EQ(sink.Shown()[0].text, LoadResString(StringId::kJobOverPointBudget));
}

// Page-file coordinates are written in their shortest form, and every float reads back as
// itself; files of the older fixed six-decimal form still read to the same shapes.
TEST_F(ResumeState, PageFileCoordinatesAreShortestAndReadBackExactly)
{
    const float values[] = {0.0f,  1.0f,       -0.0f,      -40.0f,      0.1f,         12.5f,      1.0f / 3.0f,
                            1e-7f, 123456.79f, 16777216.0f, -8388607.5f, 0.30000001f, 1234.5677f, 2.0e9f};
    PlotPage page;
    auto* shape = new PlotShape;
    for (float v : values) shape->AddPoint(v, -v, shape->GetPlNum() == 0 ? 1 : 0);
    shape->SetMauIndex(2);
    page.CutList().AddTail(shape);
    const CString path = GetPageFilePath(Folder(), 0);
    ASSERT_EQ(WritePageFile(path, page), 1);
    const std::string text = ReadFile(folder_ + "/page0.plt");
    EXPECT_EQ(text.substr(0, 25), "HX;IN;SP21;PU0,0;PD1,-1,0");
    EXPECT_NE(text.find(",0.1,-0.1,12.5,-12.5,"), std::string::npos) << text;
    EXPECT_EQ(text.find("e"), std::string::npos) << "no exponent form: " << text;
    PlotShapeList list;
    ASSERT_EQ(ReadPageFile(path, list), 1);
    ASSERT_EQ(list.Count(), 1);
    ASSERT_EQ(list.HeadShape()->GetTolPtNum(), static_cast<int>(std::size(values)));
    for (size_t i = 0; i < std::size(values); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list.HeadShape()->Point(static_cast<int>(i)).x, values[i]);
        EXPECT_EQ(list.HeadShape()->Point(static_cast<int>(i)).y, -values[i]);
    }

    // The older form of the same kind of page.
    const std::string old = folder_ + "/page1.plt";
    ASSERT_TRUE(WriteFile(old, "HX;IN;SP3;PU0.000000,0.000000;PD100.500000,-0.250000;"
                               "SP21;PU0.000000,20.000000;PD100.000000,20.000000,16400.000000,400.000000;"));
    PlotShapeList read;
    ASSERT_EQ(ReadPageFile(CString::FromUtf8(old), read), 1);
    ASSERT_EQ(read.Count(), 2);
    EXPECT_EQ(read.HeadShape()->GetPenIndex(), 3);
    EXPECT_EQ(read.HeadShape()->End().x, 100.5f);
    EXPECT_EQ(read.HeadShape()->End().y, -0.25f);
    PlotShape* cut = read.ShapeAfter(read.HeadShape());
    EXPECT_EQ(cut->GetMauIndex(), 2);
    EXPECT_EQ(cut->GetTolPtNum(), 3);
    EXPECT_EQ(read.GetArea(), CArea(0, 0, 16400, 400));
}

// A writer killed at any moment leaves every file as it was before or after, never a part.
TEST_F(ResumeState, AWriterKilledMidWriteLeavesOldOrNewFiles)
{
    const CString jobs[2] = {u"/jobs/a.plt", CString(u"/jobs/") + CString(std::u16string(2000, u'b'))};
    PlotPage pages[2];
    pages[0].CutList().AddTail(Line(0, 0, 400, 0, 1, 2, 127));
    for (int i = 0; i < 200; ++i) pages[1].CutList().AddTail(Line(0, float(i), 800, float(i), 1, 2, 127));
    const CString pagePath = GetPageFilePath(Folder(), 0);
    WriteJobState(Folder(), jobs[0], 1, 0, 0);
    ASSERT_EQ(WriteCutState(Folder(), 0), 1);
    ASSERT_EQ(WritePageFile(pagePath, pages[0]), 1);

    std::mt19937 random(7);
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE(round);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0; i < 100000; ++i) {
                const int v = i % 2;
                WritePrintFileInfo(Folder(), jobs[v], 1 + v, 0, 0, 0);
                WriteTaskStartInfo(Folder(), v, 0, 0, 0, 0);
                WriteCutState(Folder(), v);
                WritePageFile(pagePath, pages[v]);
            }
            _exit(0);
        }
        usleep(1000 + random() % 20000);
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);

        CString path;
        int32_t pagenum = 0, origintype = 0, x = 0, y = 0;
        ASSERT_EQ(ReadPrintFileInfo(Folder(), path, pagenum, origintype, x, y), 1);
        EXPECT_TRUE((path == jobs[0] && pagenum == 1) || (path == jobs[1] && pagenum == 2));
        int32_t v[5] = {-1, -1, -1, -1, -1};
        ASSERT_EQ(ReadTaskStartInfo(Folder(), v[0], v[1], v[2], v[3], v[4]), 1);
        EXPECT_TRUE(v[0] == 0 || v[0] == 1);
        for (const char16_t* name : kCutStateNames) {
            int32_t cutEnd = -1;
            ASSERT_EQ(ReadCutState(FileName(name), cutEnd), 1);
            EXPECT_TRUE(cutEnd == 0 || cutEnd == 1);
        }
        PlotShapeList list;
        ASSERT_EQ(ReadPageFile(pagePath, list), 1);
        EXPECT_TRUE(list.Count() == 1 || list.Count() == 200) << list.Count();
    }
}

TEST(ResumeStateFolders, LieInTheProgramDirectoryByMachineId)
{
    const uint8_t id[12] = {'S', 'I', 'M', '-', 'M', 'A', 'C', 'H', 'I', 'N', 'E', '1'};
    NET_Machine machine(0x0200007F, id);
    EXPECT_EQ(GetPagesFolder().ToUtf8(), corvane_test::ProgramDir() + "Pages");
    EXPECT_EQ(GetMachineStateFolder(machine).ToUtf8(), corvane_test::ProgramDir() + "Pages/53494D2D4D414348494E4531");
}

}  // namespace
