// The missing-font notice: at start-up when a font file gave nothing, and once in a run when
// a loaded job holds labels the missing label font cannot draw.
#include "app/font_notice.h"

#include "app/print_task.h"
#include "fonts/plot_font_lib.h"
#include "support/recording_message_sink.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

namespace corvane_test {
namespace {

int LoadJob(const std::string& name, const std::string& hpgl)
{
    EXPECT_TRUE(WriteFile(ScratchDir() + name, hpgl));
    CPrintTask task;
    return task.LoadFromPath(CString::FromUtf8(ScratchDir() + name));
}

TEST(FontNotice, NamesTheMissingFilesAtStartUp)
{
    PlotFontLib::LoadGlobalFontLib();  // from the test's empty program directory
    PlotFontLibArray::GetGlobalFontLib()->LoadGlobalFontLib();
    RecordingMessageSink sink;
    EXPECT_EQ(ReportMissingFontFiles(), 1);
    ASSERT_EQ(sink.Shown().size(), 1u);
    EXPECT_EQ(sink.Shown()[0].text, u"找不到字体文件 fshz.fnt, txt.shx，文字标注将不会被绘制。");
    EXPECT_EQ(sink.Shown()[0].caption, u"Corvane");
}

TEST(FontNotice, AJobWithLabelsTellsOnceInARunWhenTheLabelFontIsMissing)
{
    PlotFontLib::LoadGlobalFontLib();
    ResetMissingFontForLabelsNotice();
    RecordingMessageSink sink;
    ASSERT_EQ(LoadJob("lines.plt", "IN;PU0,0;PD400,0;"), 1);
    EXPECT_TRUE(sink.Shown().empty());
    ASSERT_EQ(LoadJob("label.plt", "IN;PU0,0;PD400,0;LBABC\x03"), 1);
    ASSERT_EQ(sink.Shown().size(), 1u);
    EXPECT_NE(sink.Shown()[0].text.find(u"fshz.fnt"), std::u16string::npos);
    ASSERT_EQ(LoadJob("label2.plt", "IN;PU0,0;PD400,0;LBDEF\x03"), 1);
    EXPECT_EQ(sink.Shown().size(), 1u);
    ResetMissingFontForLabelsNotice();
}

}  // namespace
}  // namespace corvane_test
