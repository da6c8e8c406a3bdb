// CPrintTask: loading HPGL and DXF jobs, pen remapping, dashes, placement and PLT export.
#include "dxf_fixture.h"

#include "app/app_globals.h"
#include "app/print_task.h"
#include "app/string_table.h"
#include "support/comma_locale.h"
#include "support/recording_message_sink.h"

using namespace dxf_test;

namespace {

std::string Scratch(const std::string& name) { return corvane_test::ScratchDir() + name; }

// A task loaded from a scratch file holding bytes; LoadFromPath's result in *result.
std::unique_ptr<CPrintTask> LoadTask(const std::string& name, const std::string& bytes, int* result = nullptr)
{
    EXPECT_TRUE(corvane_test::WriteFile(Scratch(name), bytes));
    auto task = std::make_unique<CPrintTask>();
    int r = task->LoadFromPath(CString::FromUtf8(Scratch(name)));
    if (result) *result = r;
    return task;
}

std::string ExportText(const CPrintTask& task)
{
    EXPECT_EQ(task.ExportPlt(CString::FromUtf8(Scratch("out.plt"))), 1);
    return corvane_test::ReadFile(Scratch("out.plt"));
}

const std::string kLineDxf = Write({.entities = [](DxfWriter& w) { Line(w, 0, 0, 10, 5, 3); }}).Ascii();

TEST(PrintTask, TheNameChoosesTheReader)
{
    int result = 0;
    auto dxf = LoadTask("job.DXF", kLineDxf, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(dxf->GetCutList()->GetArea().xmin, 1);
    // HPGL text in a ".dxf.plt" file is read as HPGL; DXF bytes there make no shape.
    LoadTask("job.dxf.plt", "IN;PU0,0;PD400,200;", &result);
    EXPECT_EQ(result, 1);
    auto task = LoadTask("other.dxf.plt", kLineDxf, &result);
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(task->IsTaskLoaded());
    EXPECT_EQ(task->GetPath(), CString());
}

TEST(PrintTask, HxFilesRemapPensToCutModesAndRecognitionIndexes)
{
    auto task = LoadTask("hx.plt", "HX;SP22;PU0,0;PD40,0;SP61;PU0,40;PD40,40;SP40;PU0,80;PD40,80;SP9;PU0,120;PD40,120;");
    ASSERT_TRUE(task->IsTaskLoaded());
    EXPECT_TRUE(task->hxFile);
    auto shapes = ShapesOf(*task->GetCutList());
    ASSERT_EQ(shapes.size(), 4u);
    EXPECT_EQ(shapes[0]->GetMauIndex(), 3);
    EXPECT_EQ(shapes[1]->GetRecIndex(), 2);
    EXPECT_EQ(shapes[2]->GetPenIndex(), 1);
    EXPECT_EQ(shapes[3]->GetPenIndex(), 9);
}

TEST(PrintTask, PatternedLinesBecomeDashesKeepingTheirCutMode)
{
    auto task = LoadTask("dash.plt", "HX;SP21;LT3;PU0,0;PD4000,0,4000,4000,0,4000,0,0;");
    ASSERT_TRUE(task->IsTaskLoaded());
    // One dashed shape per side, broken at the corners; the rectangle itself is gone.
    auto shapes = ShapesOf(*task->GetCutList());
    ASSERT_EQ(shapes.size(), 4u);
    for (PlotShape* s : shapes) {
        EXPECT_GT(s->GetPlNum(), 10);
        EXPECT_EQ(s->GetLineType(), 1);
        EXPECT_EQ(s->GetMauIndex(), 2);
    }
}

TEST(PrintTask, JobsArePlacedAtOneOneAndMeasuredInMillimetres)
{
    struct Case {
        const char* name;
        const char* file;
        std::string bytes;
        int32_t xmin, ymin, widthMm;
    } cases[] = {
        {"negative corner", "a.plt", "IN;PU-200,35;PD3799,35,3799,435;", 1, 1, 99},
        {"corner at zero", "b.plt", "IN;PU0,0;PD3999,0,3999,400;", 0, 0, 99},
        {"DXF", "c.dxf", kLineDxf, 1, 1, 10},
    };
    for (const Case& c : cases) {
        auto task = LoadTask(c.file, c.bytes);
        ASSERT_TRUE(task->IsTaskLoaded()) << c.name;
        EXPECT_EQ(task->GetCutList()->GetArea().xmin, c.xmin) << c.name;
        EXPECT_EQ(task->GetCutList()->GetArea().ymin, c.ymin) << c.name;
        EXPECT_EQ(task->widthMm, c.widthMm) << c.name;
        EXPECT_NE(task->jobRef, 0u) << c.name;
    }
    // A corner at the end of the 32-bit range moves as far as an offset can go.
    auto far = LoadTask("far.plt", "IN;PU-3000000000,0;PD0,400;");
    ASSERT_TRUE(far->IsTaskLoaded());
    EXPECT_GT(far->GetCutList()->GetArea().xmin, INT32_MIN);
}

TEST(PrintTask, JobReferencesAreNeverGivenTwice)
{
    auto a = LoadTask("a.dxf", kLineDxf);
    auto b = LoadTask("b.dxf", kLineDxf);
    EXPECT_NE(a->jobRef, 0u);
    EXPECT_NE(a->jobRef, b->jobRef);
    uint32_t first = a->jobRef;
    a->Reset();
    EXPECT_EQ(a->jobRef, 0u);
    a->LoadFromPath(CString::FromUtf8(Scratch("a.dxf")));
    EXPECT_NE(a->jobRef, first);
}

TEST(PrintTask, ExportWritesPensOnlyWhenTheyChange)
{
    auto task = LoadTask("hx.plt", "HX;SP3;PU0,0;PD400,200;SP21;PU0,0;PD0,400;");
    ASSERT_TRUE(task->IsTaskLoaded());
    EXPECT_EQ(ExportText(*task), "HX;IN;SP3PU0,0;PD400,200;SP10PU0,0;PD0,400;");
    CPrintTask empty;
    EXPECT_EQ(ExportText(empty), "HX;IN;");
}

TEST(PrintTask, AnExportThatCannotBeWrittenTellsTheOperator)
{
    corvane_test::RecordingMessageSink sink;
    auto task = LoadTask("a.dxf", kLineDxf);
    EXPECT_EQ(task->ExportPlt(CString::FromUtf8(corvane_test::ScratchDir())), 0);
    EXPECT_EQ(task->ExportPlt(CString(u"/dev/full")), 0);
    ASSERT_EQ(sink.Shown().size(), 2u);
    EXPECT_EQ(sink.Shown()[0].text, u"文件打开错误!");
}

TEST(PrintTask, ADrawingLoadsExportsAndReloadsWithTheSameBounds)
{
    corvane_test::ScopedCommaDecimalLocale comma;
    auto task = LoadTask("e2e.dxf", Write({.entities = [](DxfWriter& w) {
                                               Line(w, -5, 2, 10, 5, 3);
                                               Circle(w, 20, 20, 5, 7);
                                           }}).Ascii());
    ASSERT_TRUE(task->IsTaskLoaded());
    EXPECT_EQ(task->widthMm, 30);
    EXPECT_EQ(task->heightMm, 23);
    std::string plt = ExportText(*task);
    EXPECT_EQ(plt.rfind("HX;IN;SP3PU1,1;PD601,121;SP7PU1201,721;PD", 0), 0u) << plt;
    auto again = LoadTask("e2e.plt", plt);
    ASSERT_TRUE(again->IsTaskLoaded());
    const CArea& a = task->GetCutList()->GetArea();
    const CArea& b = again->GetCutList()->GetArea();
    EXPECT_EQ(a.xmin, b.xmin);
    EXPECT_EQ(a.ymin, b.ymin);
    EXPECT_EQ(a.xmax, b.xmax);
    EXPECT_EQ(a.ymax, b.ymax);
}

TEST(PrintTask, FailedLoadsLeaveTheTaskUnloaded)
{
    for (const std::string& bytes : {std::string(), std::string("garbage"),
                                     Write({.entities = [](DxfWriter& w) { w.Text(0, "POINT").Text(8, "0").Number(10, 1).Number(20, 1); }}).Ascii()}) {
        EXPECT_TRUE(corvane_test::WriteFile(Scratch("bad.dxf"), bytes));
        CPrintTask task(CString::FromUtf8(Scratch("bad.dxf")).GetString());
        // A second try replaces the list the first one left.
        EXPECT_EQ(task.LoadPrintTaskFile(), 0);
        EXPECT_EQ(task.LoadPrintTaskFile(), 0);
        EXPECT_FALSE(task.IsTaskLoaded());
    }
    int result = 1;
    LoadTask("empty.plt", "IN;", &result);
    EXPECT_EQ(result, 0);
}

TEST(PrintTask, AFileOverThePointBudgetIsRefusedWithItsReason)
{
    corvane_test::RecordingMessageSink sink;
    // Each full circle of this radius makes 65 537 points; 600 of them pass the budget.
    std::string plt = "IN;PU0,0;";
    for (int i = 0; i < 600; ++i) plt += "CI100000000;";
    int result = 1;
    auto task = LoadTask("huge.plt", plt, &result);
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(task->IsTaskLoaded());
    EXPECT_EQ(task->loadRefusal, DispatchRefusal::kOverPointBudget);
    // The loader tells no one: its caller reports the failure once.
    EXPECT_TRUE(sink.Shown().empty());
}

}  // namespace

namespace {

// A sheet of two pieces: each outline drawn as loose strokes that meet end to end, each with a
// closed hole inside.
const std::string kTwoPieceSheet =
    "IN;SP3;"
    "PU0,0;PD4000,0;PU4000,0;PD4000,4000;PU4000,4000;PD0,4000;PU0,4000;PD0,0;"
    "PU1000,1000;PD2000,1000,2000,2000,1000,2000,1000,1000;"
    "PU6000,0;PD10000,0,10000,4000;PU10000,4000;PD6000,4000,6000,0;"
    "PU7000,1000;PD8000,1000,8000,2000,7000,2000,7000,1000;";

struct PieceCount {
    int outlines = 0;  // rec index 4
    int inside = 0;    // mau index 1
    int others = 0;
};

PieceCount CountPieces(const CPrintTask& task)
{
    PieceCount count;
    const PlotShapeCutList* list = task.GetCutList();
    for (PlotShape* s = list->HeadShape(); s; s = list->ShapeAfter(s)) {
        if (s->GetRecIndex() == 4)
            ++count.outlines;
        else if (s->GetMauIndex() == 1)
            ++count.inside;
        else
            ++count.others;
    }
    return count;
}

}  // namespace

TEST(PrintTask, RecognitionOnOpenTurnsASheetOfTwoPiecesIntoTwoPieces)
{
    const int32_t saved = glRecogniseContourWhenFileOpen;
    for (const char* name : {"sheet.plt", "sheet.dxf"}) {
        SCOPED_TRACE(name);
        const bool dxf = std::string(name).ends_with(".dxf");
        // The same sheet as DXF: the strokes as lines, the holes as closed polylines (mm).
        const std::string bytes =
            dxf ? Write({.entities =
                             [](DxfWriter& w) {
                                 Line(w, 0, 0, 100, 0, 3);
                                 Line(w, 100, 0, 100, 100, 3);
                                 Line(w, 100, 100, 0, 100, 3);
                                 Line(w, 0, 100, 0, 0, 3);
                                 Line(w, 150, 0, 250, 0, 3);
                                 Line(w, 250, 0, 250, 100, 3);
                                 Line(w, 250, 100, 150, 100, 3);
                                 Line(w, 150, 100, 150, 0, 3);
                                 for (double x : {25.0, 175.0}) {
                                     Line(w, x, 25, x + 25, 25, 3);
                                     Line(w, x + 25, 25, x + 25, 50, 3);
                                     Line(w, x + 25, 50, x, 50, 3);
                                     Line(w, x, 50, x, 25, 3);
                                 }
                             }})
                      .Ascii()
                : kTwoPieceSheet;
        glRecogniseContourWhenFileOpen = 0;
        auto plain = LoadTask(name, bytes);
        ASSERT_TRUE(plain->IsTaskLoaded());
        EXPECT_EQ(CountPieces(*plain).outlines, 0);

        glRecogniseContourWhenFileOpen = 1;
        auto recognised = LoadTask(name, bytes);
        ASSERT_TRUE(recognised->IsTaskLoaded());
        const PieceCount count = CountPieces(*recognised);
        EXPECT_EQ(count.outlines, 2);
        EXPECT_EQ(count.inside, 2);
        EXPECT_EQ(count.others, 0);
        // The pieces keep the sheet's size.
        EXPECT_EQ(recognised->widthMm, plain->widthMm);
        EXPECT_EQ(recognised->heightMm, plain->heightMm);
    }
    glRecogniseContourWhenFileOpen = saved;
}
