// Auto-print and merge scanning: the directory settings, the open entry, the auto and merge
// directory scans with their file ages, and merging files onto one sheet.
#include "doc_fixture.h"

#include "app/app_globals.h"
#include "app/print_task.h"
#include "machinelink/net_machine.h"
#include "platform/file_dialog.h"
#include "platform/file_system.h"
#include "platform/settings_store.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "support/test_environment.h"

#include <filesystem>
#include <limits>
#include <memory>

namespace corvane_test {
namespace {

constexpr int64_t kNow = 2000000000;  // the test's wall clock, seconds
constexpr int64_t kNsPerSecond = 1000000000;

// HPGL of a closed rectangle of w x h mm from (0, 0).
std::string Rectangle(int w, int h)
{
    const int x = w * 40, y = h * 40;
    return "IN;PU0,0;PD" + std::to_string(x) + ",0," + std::to_string(x) + "," + std::to_string(y) + ",0," +
           std::to_string(y) + ",0,0;";
}

class DocAutoPrint : public DocFixture {
protected:
    void SetUp() override
    {
        DocFixture::SetUp();
        SetTime64ForTesting(kNow);
    }
    void TearDown() override { SetTime64ForTesting(std::nullopt); }

    // Writes a plot file dated ageSeconds before the test's clock.
    std::string WriteAged(const std::string& name, int64_t ageSeconds, const std::string& hpgl = "IN;PU0,0;PD400,0;")
    {
        const std::string path = WritePlot(name, hpgl);
        EXPECT_TRUE(SetFileTimeNs(CString::FromUtf8(path), (kNow - ageSeconds) * kNsPerSecond));
        return path;
    }
    static CString Dir(const std::string& name) { return CString::FromUtf8(ScratchDir() + name); }
    static bool Exists(const std::string& name) { return std::filesystem::exists(ScratchDir() + name); }

    // Loaded jobs of rectangles w x h mm, owned by the test.
    std::vector<CPrintTask*> LoadRectangles(const std::vector<std::pair<int, int>>& sizes)
    {
        std::vector<CPrintTask*> jobs;
        for (size_t i = 0; i < sizes.size(); ++i) {
            const std::string path = WritePlot("r" + std::to_string(i) + ".plt", Rectangle(sizes[i].first, sizes[i].second));
            owned_.push_back(std::make_unique<CPrintTask>(CString::FromUtf8(path).GetString()));
            EXPECT_EQ(owned_.back()->LoadPrintTaskFile(), 1);
            jobs.push_back(owned_.back().get());
        }
        return jobs;
    }
    // The lower-left corners of the merged shapes in mm.
    static std::vector<std::pair<double, double>> CornersMm(const CPrintTask& merged)
    {
        std::vector<std::pair<double, double>> corners;
        const PlotShapeCutList* list = merged.GetCutList();
        for (PlotShape* s = list->HeadShape(); s; s = list->ShapeAfter(s))
            corners.emplace_back(s->GetArea().xmin / 40.0, s->GetArea().ymin / 40.0);
        return corners;
    }

    std::vector<std::unique_ptr<CPrintTask>> owned_;
};

TEST_F(DocAutoPrint, LoadsTheDirectorySettingsAndSavesTheExtraOnes)
{
    WriteProfileString(u"AutoPrint Settings", u"Auto Directory", u"/data/auto/");
    WriteProfileString(u"AutoPrint Settings", u"Merge Directory2", u"/data/merge2//");
    WriteProfileString(u"AutoPrint Settings", u"Auto Dir xscale1", u"nan");
    WriteProfileString(u"AutoPrint Settings", u"Auto Dir yscale1", u"-2");
    WriteProfileString(u"AutoPrint Settings", u"Auto Dir xscale3", u"1.5");
    WriteProfileInt(u"FileSetting", u"bRecogniseContourWhenFileOpen", 1);
    WriteProfileInt(u"FileSetting", u"SortCut", 0);
    glRecogniseContourWhenFileOpen = 0;
    doc.LoadDirectorySettings();
    EXPECT_EQ(doc.autoDirectory, CString(u"/data/auto"));
    EXPECT_EQ(doc.extraMergeDirectories[2], CString(u"/data/merge2"));
    EXPECT_EQ(doc.extraXScale[1], 1.0f);
    EXPECT_EQ(doc.extraYScale[1], 1.0f);
    EXPECT_EQ(doc.extraXScale[3], 1.5f);
    EXPECT_EQ(doc.penToolSettings.recogniseOnOpen, 1);
    EXPECT_EQ(glRecogniseContourWhenFileOpen, 1);
    EXPECT_EQ(doc.sortCuts, 0);
    glRecogniseContourWhenFileOpen = 0;

    doc.extraAutoDirectories[0] = u"/x";
    doc.extraYScale[0] = 2.5f;
    doc.SaveAutoDirectorySettings();
    CUDPServer other;
    CDocCorvane reloaded(other);
    reloaded.LoadAutoDirectorySettings();
    EXPECT_EQ(reloaded.extraAutoDirectories[0], CString(u"/x"));
    EXPECT_EQ(reloaded.extraYScale[0], 2.5f);
    EXPECT_EQ(reloaded.extraXScale[3], 1.5f);
}

TEST_F(DocAutoPrint, ScalesJobsOfTheExtraDirectoriesByTheirIndex)
{
    doc.extraAutoDirectories[2] = u"/data/Third/";
    doc.extraMergeDirectories[2] = u"/data/merge";
    doc.extraXScale[2] = 2.0f;
    doc.extraYScale[2] = 3.0f;
    // The size (plotter units) of a 10 x 10 mm drawing scaled as if it came from path.
    const auto scaledSize = [&](const char16_t* path) {
        std::vector<CPrintTask*> jobs = LoadRectangles({{10, 10}});
        PlotShapeList* list = jobs[0]->GetCutList();
        doc.ApplyAutoDirScale(path, list);
        const CArea box = list->CalArea(1);
        return std::make_pair(box.Width(), box.Height());
    };
    EXPECT_EQ(scaledSize(u"/data/third/x.plt"), std::make_pair(800, 1200));
    EXPECT_EQ(scaledSize(u"Merge:/data/MERGE/x.plt"), std::make_pair(800, 1200));
    EXPECT_EQ(scaledSize(u"/data/merge/x.plt"), std::make_pair(400, 400));
    EXPECT_EQ(scaledSize(u"Merge:/x.plt"), std::make_pair(400, 400));  // unset directories name nothing
    EXPECT_EQ(scaledSize(u"x.plt"), std::make_pair(400, 400));
}

TEST_F(DocAutoPrint, NewFilesBecomeJobsAndChangedOnesAreTakenAgainWhenSettled)
{
    doc.autoDirectory = Dir("auto");
    WriteAged("auto/new.plt", 0);
    WriteAged("auto/notes.txt", 100);
    WriteAged("auto/upload.plt-", 100);
    doc.ScanAutoDirectories(doc.autoDirectory);
    ASSERT_EQ(RowNames(), (std::vector<std::string>{"new.plt"}));
    const CPrintTask* first = jobRows.GetRowJob(0);
    EXPECT_EQ(first->checked, 1);
    EXPECT_EQ(first->listed, 1);
    // A listed job is told by the file time it was listed with (it has no job reference until
    // it is loaded): a replacement carries the new file's time, and may lie at the deleted
    // job's address.
    const auto listedTime = [&] { return jobRows.GetRowJob(0)->fileStatus.m_mtime; };
    EXPECT_EQ(listedTime(), kNow);

    doc.ScanAutoDirectories(doc.autoDirectory);  // unchanged: the same job
    EXPECT_EQ(listedTime(), kNow);

    WriteAged("auto/new.plt", 1);  // rewritten 1 s ago: not yet
    doc.ScanAutoDirectories(doc.autoDirectory);
    EXPECT_EQ(listedTime(), kNow);
    WriteAged("auto/new.plt", 3);  // 3 s old: taken again
    doc.ScanAutoDirectories(doc.autoDirectory);
    ASSERT_EQ(jobRows.GetRowCount(), 1);
    EXPECT_EQ(listedTime(), kNow - 3);
    EXPECT_EQ(doc.GetJobList().Count(), 1);

    // A name that differs only in case is a file of its own.
    WriteAged("auto/NEW.plt", 10);
    doc.ScanAutoDirectories(doc.autoDirectory);
    doc.ScanAutoDirectories(doc.autoDirectory);
    EXPECT_EQ(jobRows.GetRowCount(), 2);
}

TEST_F(DocAutoPrint, TheCopyDirectoryTakesEverySecondNewFile)
{
    doc.autoDirectory = Dir("auto");
    doc.copyDirectory = Dir("copy");
    std::filesystem::create_directories(ScratchDir() + "copy");
    WriteAged("auto/1.plt", 10), WriteAged("auto/2.plt", 10), WriteAged("auto/3.plt", 10);
    doc.ScanAutoDirectories(doc.autoDirectory);
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"1.plt", "3.plt"}));
    EXPECT_FALSE(Exists("auto/2.plt"));
    EXPECT_TRUE(Exists("copy/2.plt"));

    // A copy that fails because the copy directory is gone: no later file is copied.
    std::filesystem::remove_all(ScratchDir() + "copy");
    WriteAged("auto/4.plt", 10), WriteAged("auto/5.plt", 10);
    doc.ScanAutoDirectories(doc.autoDirectory);
    EXPECT_EQ(doc.copyDirectory, CString());
    EXPECT_EQ(jobRows.GetRowCount(), 4);
    EXPECT_TRUE(Exists("auto/4.plt"));
}

TEST_F(DocAutoPrint, EmptyDirectoryNamesScanNothing)
{
    WriteAged("auto/a.plt", 10);
    doc.copyDirectory = Dir("copy");
    doc.ScanAutoDirectories(CString());
    doc.ScanMergeDirectories(CString());
    doc.RunAutoPrintTick();  // every directory unset
    EXPECT_EQ(jobRows.GetRowCount(), 0);
    EXPECT_EQ(doc.GetJobList().Count(), 0);
    EXPECT_TRUE(Exists("auto/a.plt"));
}

TEST_F(DocAutoPrint, TheTickEndsWithTheWorkWaitingPassWhileDirectoryPrintingIsOff)
{
    NET_Machine* machine = AddMachine(32, true, 0);
    machine->workWaiting = 1;
    doc.RunAutoPrintTick();
    EXPECT_EQ(machine->workWaiting, 0);
    const std::vector<Frame> frames = TakeFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].code, 19);
}

TEST_F(DocAutoPrint, MergesTwoDrawingsOneAboveTheOtherWithTheBlank)
{
    NET_Machine* current = AddMachine(31, true, 0);
    machineRows.rows[0].checked = 1;
    ListJob("listed.plt");
    SelectRows({});
    const std::string a = WriteAged("merge/a.plt", 5, Rectangle(100, 50));
    WriteAged("merge/b.plt", 5, Rectangle(100, 50));
    WriteAged("merge/empty.plt", 5, "IN;");
    doc.mergeDirectory = Dir("merge");
    doc.RunAutoPrintTick();

    ASSERT_EQ(jobRows.GetRowCount(), 2);
    CPrintTask* merged = jobRows.GetRowJob(1);
    EXPECT_EQ(merged->path, CString(u"Merge:") + CString::FromUtf8(a));
    EXPECT_EQ(merged->widthMm, 100);
    EXPECT_EQ(merged->heightMm, 102);
    EXPECT_EQ(merged->loaded, 1);
    EXPECT_EQ(merged->checked, 1);
    EXPECT_NE(merged->jobRef, 0u);
    EXPECT_EQ(merged->machine, current->ip);
    EXPECT_TRUE(doc.IsJobListed(merged));
    EXPECT_EQ(CornersMm(*merged), (std::vector<std::pair<double, double>>{{0, 0}, {0, 52}}));
    EXPECT_EQ(jobRows.GetSelectedIndex(), 0);
    EXPECT_EQ(preview.shown, merged);
    EXPECT_EQ(preview.fits, 1);
    // Every file of the directory is gone, the one without shapes too.
    EXPECT_TRUE(std::filesystem::is_empty(ScratchDir() + "merge"));
}

TEST_F(DocAutoPrint, AFileOfTheCurrentSecondHoldsTheWholeMergeBack)
{
    doc.mergeDirectory = Dir("merge");
    WriteAged("merge/old.plt", 30, Rectangle(10, 10));
    WriteAged("merge/new.plt", 0, Rectangle(10, 10));
    doc.ScanMergeDirectories(doc.mergeDirectory);
    EXPECT_TRUE(Exists("merge/old.plt"));
    EXPECT_TRUE(Exists("merge/new.plt"));
    EXPECT_EQ(doc.GetJobList().Count(), 0);
    SetTime64ForTesting(kNow + 2);
    doc.ScanMergeDirectories(doc.mergeDirectory);
    EXPECT_EQ(doc.GetJobList().Count(), 1);
    EXPECT_FALSE(Exists("merge/new.plt"));
}

TEST_F(DocAutoPrint, AMergeOfFilesWithoutShapesDeletesThemAndMakesNoJob)
{
    doc.mergeDirectory = Dir("merge");
    WriteAged("merge/a.plt", 5, "IN;");
    WriteAged("merge/b.plt", 5, "not hpgl at all");
    doc.ScanMergeDirectories(doc.mergeDirectory);
    EXPECT_EQ(doc.GetJobList().Count(), 0);
    EXPECT_EQ(jobRows.GetRowCount(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(ScratchDir() + "merge"));
}

TEST_F(DocAutoPrint, FourFilesArePackedWidestFirstOnTheSkyline)
{
    WriteProfileString(u"AutoPrint Settings", u"MergeWidth", u"100");
    WriteProfileString(u"AutoPrint Settings", u"MergeBlank", u"0");
    std::vector<CPrintTask*> jobs = LoadRectangles({{125, 50}, {125, 25}, {50, 75}, {125, 50}});
    auto* merged = new CPrintTask;
    doc.MergeFilesByGa(jobs.data(), 4, merged);
    EXPECT_EQ(CornersMm(*merged), (std::vector<std::pair<double, double>>{{0, 0}, {0, 50}, {125, 0}, {250, 0}}));
    EXPECT_EQ(merged->widthMm, 300);
    EXPECT_EQ(merged->heightMm, 75);
    for (CPrintTask* job : jobs) EXPECT_EQ(job->GetCutList()->Count(), 0);
    EXPECT_EQ(doc.GetJobList().GetTail(), merged);
}

TEST_F(DocAutoPrint, FiveFilesGoThroughTheGeneticSearch)
{
    WriteProfileString(u"AutoPrint Settings", u"MergeWidth", u"100");
    WriteProfileString(u"AutoPrint Settings", u"MergeBlank", u"0");
    std::vector<CPrintTask*> jobs = LoadRectangles({{125, 50}, {125, 25}, {50, 75}, {125, 50}, {75, 75}});
    auto* merged = new CPrintTask;
    doc.MergeFilesByGa(jobs.data(), 5, merged);
    EXPECT_EQ(merged->widthMm, 250);
    EXPECT_EQ(merged->heightMm, 100);
}

TEST_F(DocAutoPrint, DamagedMergeSettingsTakeTheirDefaults)
{
    WriteProfileString(u"AutoPrint Settings", u"MergeWidth", u"-5");
    WriteProfileString(u"AutoPrint Settings", u"MergeBlank", u"inf");
    std::vector<CPrintTask*> jobs = LoadRectangles({{100, 50}, {100, 50}});
    auto* merged = new CPrintTask;
    doc.MergeFilesByGa(jobs.data(), 2, merged);
    EXPECT_EQ(merged->widthMm, 100);
    EXPECT_EQ(merged->heightMm, 102);
}

class ScriptedPicker : public FileDialogs {
public:
    ScriptedPicker() { SetFileDialogs(this); }
    ~ScriptedPicker() override { SetFileDialogs(nullptr); }
    bool OpenFiles(const CString& title, const CString&, std::vector<CString>& chosen) override
    {
        EXPECT_EQ(title, CString(u"Open"));
        chosen = paths;
        return !paths.empty();
    }
    std::vector<CString> paths;
};

TEST_F(DocAutoPrint, TheMergeCommandKeepsTheChosenFiles)
{
    doc.OnMergeFiles();  // no picker: cancelled
    ScriptedPicker picker;
    doc.OnMergeFiles();  // nothing chosen
    const std::string a = WritePlot("a.plt", Rectangle(100, 50));
    const std::string empty = WritePlot("empty.plt", "IN;");
    const std::string b = WritePlot("b.plt", Rectangle(100, 50));
    picker.paths = {CString::FromUtf8(a), CString::FromUtf8(empty), CString::FromUtf8(b)};
    doc.OnMergeFiles();
    ASSERT_EQ(jobRows.GetRowCount(), 1);
    EXPECT_EQ(jobRows.GetRowJob(0)->path, CString(u"Merge:") + CString::FromUtf8(a));
    EXPECT_EQ(jobRows.GetRowJob(0)->heightMm, 102);
    EXPECT_TRUE(std::filesystem::exists(a));
    EXPECT_TRUE(std::filesystem::exists(b));

    picker.paths = {CString::FromUtf8(empty)};
    doc.OnMergeFiles();
    EXPECT_EQ(jobRows.GetRowCount(), 1);
}

TEST_F(DocAutoPrint, OpeningAListedFileAsksBeforeReplacingIt)
{
    const CString path = CString::FromUtf8(WritePlot("a.plt"));
    ASSERT_EQ(doc.OnOpenDocument(path), 1);
    const CPrintTask* first = jobRows.GetRowJob(0);
    EXPECT_EQ(first->loaded, 1);
    EXPECT_EQ(preview.shown, first);
    EXPECT_EQ(jobRows.GetSelectedIndex(), 0);
    const uint32_t firstRef = first->jobRef;  // the job's identity once it may be deleted
    ASSERT_NE(firstRef, 0u);

    EXPECT_EQ(doc.OnOpenDocumentAsJob(path), 0);  // no answer is No
    EXPECT_EQ(jobRows.GetRowJob(0)->jobRef, firstRef);
    ASSERT_EQ(sink.Shown().size(), 1u);
    EXPECT_EQ(sink.Shown()[0].text, u"文件:" + path.str() + u"已经打开，是否覆盖！");
    EXPECT_EQ(sink.Shown()[0].type, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);

    sink.ScriptAnswer(IDYES);
    ASSERT_EQ(doc.OnOpenDocumentAsJob(path), 1);
    ASSERT_EQ(jobRows.GetRowCount(), 1);
    EXPECT_NE(jobRows.GetRowJob(0)->jobRef, firstRef);

    ASSERT_EQ(doc.AddFileToDocument(path), 1);  // replaced without asking
    EXPECT_EQ(sink.Shown().size(), 2u);
    EXPECT_EQ(jobRows.GetRowCount(), 1);

    // A file that is gone is not listed; one of the auto directory is deleted with it.
    EXPECT_EQ(doc.AddFileToDocument(CString::FromUtf8(ScratchDir() + "gone.plt")), 0);
    EXPECT_EQ(jobRows.GetRowCount(), 1);
}

}  // namespace
}  // namespace corvane_test
