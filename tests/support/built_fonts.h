// Puts the font files the build made into the test's program directory and loads the global
// font tables from them; skips the test when the build could make none. A test folder that
// includes it defines CORVANE_BUILT_FONT_DIR, CORVANE_FONTS_MADE and
// CORVANE_CHINESE_FONTS_MADE and depends on the target corvane_font_files.
#pragma once

#include "fonts/plot_font_lib.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace corvane_test {

// Copies the font files the build made ("txt.shx", "fshz.fnt" and, when it made the Chinese
// glyphs, "chineset.shx") and loads both global tables; on leaving, removes them and loads
// again, so that no later test sees the fonts.
class BuiltFonts : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!CORVANE_FONTS_MADE) GTEST_SKIP() << "no Hershey font (Debian package hershey-fonts-data) was found when "
                                                 "the build was configured, so it made no font files";
        for (const char* name : kFiles) {
            if (name == kBigFont && !CORVANE_CHINESE_FONTS_MADE) continue;
            std::string bytes = corvane_test::ReadFile(std::string(CORVANE_BUILT_FONT_DIR) + name);
            ASSERT_FALSE(bytes.empty()) << "the build made no " << name;
            ASSERT_TRUE(corvane_test::WriteFile(corvane_test::ProgramDir() + name, bytes));
        }
        PlotFontLib::LoadGlobalFontLib();
        PlotFontLibArray::GetGlobalFontLib()->LoadGlobalFontLib();
    }
    void TearDown() override
    {
        for (const char* name : kFiles) std::remove((corvane_test::ProgramDir() + name).c_str());
        PlotFontLib::LoadGlobalFontLib();
        PlotFontLibArray::GetGlobalFontLib()->LoadGlobalFontLib();
    }
    const PlotFontLib& Labels() const { return *PlotFontLib::GetGlobalFontLib(); }
    const PlotFontLib& Shapes() const { return PlotFontLibArray::GetGlobalFontLib()->GetShapesLib(); }
    const PlotFontLib& Big() const { return PlotFontLibArray::GetGlobalFontLib()->GetBigFontLib(); }

private:
    static constexpr const char* kBigFont = "chineset.shx";
    static constexpr const char* kFiles[] = {"txt.shx", "fshz.fnt", kBigFont};
};

// The fixture of the tests that need the Chinese glyphs: skips when the build made none.
class BuiltChineseFonts : public BuiltFonts {
protected:
    void SetUp() override
    {
        if (!CORVANE_CHINESE_FONTS_MADE)
            GTEST_SKIP() << "no Chinese outline font (Debian package fonts-wqy-zenhei) or no FreeType was found when "
                            "the build was configured, so it made no Chinese glyphs";
        BuiltFonts::SetUp();
    }
};

}  // namespace corvane_test
