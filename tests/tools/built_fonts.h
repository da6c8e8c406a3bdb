// Puts the font files the build made into the test's program directory and loads the global
// font tables from them; skips the test when the build could make none.
#pragma once

#include "fonts/plot_font_lib.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tools_test {

// Copies "txt.shx" and "fshz.fnt" from the build and loads both global tables; on leaving,
// removes them and loads again, so that no later test sees the fonts.
class BuiltFonts : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!CORVANE_FONTS_MADE) GTEST_SKIP() << "no Hershey font (Debian package hershey-fonts-data) was found when "
                                                 "the build was configured, so it made no font files";
        for (const char* name : {"txt.shx", "fshz.fnt"}) {
            std::string bytes = corvane_test::ReadFile(std::string(CORVANE_BUILT_FONT_DIR) + name);
            ASSERT_FALSE(bytes.empty()) << "the build made no " << name;
            ASSERT_TRUE(corvane_test::WriteFile(corvane_test::ProgramDir() + name, bytes));
        }
        PlotFontLib::LoadGlobalFontLib();
        PlotFontLibArray::GetGlobalFontLib()->LoadGlobalFontLib();
    }
    void TearDown() override
    {
        for (const char* name : {"txt.shx", "fshz.fnt"}) std::remove((corvane_test::ProgramDir() + name).c_str());
        PlotFontLib::LoadGlobalFontLib();
        PlotFontLibArray::GetGlobalFontLib()->LoadGlobalFontLib();
    }
    const PlotFontLib& Labels() const { return *PlotFontLib::GetGlobalFontLib(); }
    const PlotFontLib& Shapes() const { return PlotFontLibArray::GetGlobalFontLib()->GetShapesLib(); }
};

}  // namespace tools_test
