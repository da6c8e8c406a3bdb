// The missing-font notice: at start-up when a font file gave nothing, and once in a run when
// a loaded job holds labels the missing label font cannot draw.
#include "app/font_notice.h"

#include "app/print_task.h"
#include "fonts/plot_font_lib.h"
#include "support/recording_message_sink.h"
#include "support/shx_font_writer.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace corvane_test {
namespace {

int LoadJob(const std::string& name, const std::string& hpgl)
{
    EXPECT_TRUE(WriteFile(ScratchDir() + name, hpgl));
    CPrintTask task;
    return task.LoadFromPath(CString::FromUtf8(ScratchDir() + name));
}

void LoadGlobalFonts()
{
    PlotFontLib::LoadGlobalFontLib();
    PlotFontLibArray::GetGlobalFontLib()->LoadGlobalFontLib();
}

// A font file of one glyph numbered code, as the build's fonts are: a bigfont, or a shapes font
// for "txt.shx".
void WriteFontOf(const char* name, uint16_t code, ShxFontKind kind = ShxFontKind::Bigfont)
{
    ShxFontDef font;
    font.kind = kind;
    font.glyphs.push_back({code, ShxCode({2, 0x14, 1, 0x40}), ""});
    ASSERT_TRUE(WriteShxFont(ProgramDir() + name, font));
}

TEST(FontNotice, NamesTheMissingFilesAndThoseWithoutChineseAtStartUp)
{
    const struct {
        const char* what;
        bool labelAscii, labelHanzi, shapes, bigfont;
        std::u16string text;  // empty: no notice
    } cases[] = {
        {"no font file", false, false, false, false,
         u"找不到字体文件 fshz.fnt, txt.shx，文字标注将不会被绘制。\n字体文件 chineset.shx 中没有汉字，中文文字将不会被绘制。"},
        {"a build without the Chinese outline font", true, false, true, false,
         u"字体文件 fshz.fnt, chineset.shx 中没有汉字，中文文字将不会被绘制。"},
        {"no bigfont", true, true, true, false, u"字体文件 chineset.shx 中没有汉字，中文文字将不会被绘制。"},
        {"every file, with Chinese", true, true, true, true, u""},
    };
    for (const auto& c : cases) {
        for (const char* name : {"fshz.fnt", "txt.shx", "chineset.shx"}) std::remove((ProgramDir() + name).c_str());
        if (c.labelAscii || c.labelHanzi) {
            ShxFontDef labels;
            labels.kind = ShxFontKind::Bigfont;
            if (c.labelAscii) labels.glyphs.push_back({0xA3C1, ShxCode({2, 0x14, 1, 0x40}), ""});
            if (c.labelHanzi) labels.glyphs.push_back({0xD6D0, ShxCode({2, 0x14, 1, 0x40}), ""});
            ASSERT_TRUE(WriteShxFont(ProgramDir() + "fshz.fnt", labels));
        }
        if (c.shapes) WriteFontOf("txt.shx", 'A', ShxFontKind::Shapes);
        if (c.bigfont) WriteFontOf("chineset.shx", 0xA4A4);
        LoadGlobalFonts();
        RecordingMessageSink sink;
        EXPECT_EQ(ReportMissingFontFiles(), c.text.empty() ? 0 : 1) << c.what;
        if (c.text.empty()) {
            EXPECT_TRUE(sink.Shown().empty()) << c.what;
            continue;
        }
        ASSERT_EQ(sink.Shown().size(), 1u) << c.what;
        EXPECT_EQ(sink.Shown()[0].text, c.text) << c.what;
        EXPECT_EQ(sink.Shown()[0].caption, u"Corvane") << c.what;
    }
    for (const char* name : {"fshz.fnt", "txt.shx", "chineset.shx"}) std::remove((ProgramDir() + name).c_str());
    LoadGlobalFonts();
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
