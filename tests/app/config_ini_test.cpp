// Reading "Config.ini": keys, numbers, scales, the editor path, code-page text and a missing file.
#include "app/config_ini.h"

#include "app/config_globals.h"
#include "machinelink/machine_globals.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

namespace {

class ConfigIni : public ::testing::Test {
protected:
    // The settings start from their defaults in every test.
    void SetUp() override
    {
        FB_REPT_StartNextFile = 0;
        WarmUpLine = -1;
        AllPagesHaveWarmupLine = 0;
        FB_bTipWhenHasNextPage = 0;
        AddDirectionLine = 0;
        FB_FeedForLastPage = 0;
        EditSoftPath.Empty();
        Fixed_XSCALE = 1.0045203f;
        Fixed_YSCALE = 1.0411245f;
        Y_RelSCALE = 10;
        SetWarmUpLines(0);
    }
    void TearDown() override { SetUp(); }

    // Writes text as "Config.ini" and loads it; returns LoadConfigIni's result.
    int Load(const std::string& text)
    {
        EXPECT_TRUE(corvane_test::WriteFile(corvane_test::ProgramDir() + "Config.ini", text));
        return LoadConfigIni(language_, fontLibType_);
    }

    int32_t language_ = 1;
    int32_t fontLibType_ = 0;
};

TEST_F(ConfigIni, AMissingFileIsCreatedWithTheLanguage)
{
    language_ = 1;
    EXPECT_EQ(LoadConfigIni(language_, fontLibType_), 0);
    EXPECT_EQ(corvane_test::ReadFile(corvane_test::ProgramDir() + "Config.ini"), "language=1;\r\n");
    EXPECT_EQ(LoadConfigIni(language_, fontLibType_), 1);
    EXPECT_EQ(language_, 1);
    ASSERT_EQ(SaveLanguageToConfigIni(2), 1);
    EXPECT_EQ(corvane_test::ReadFile(corvane_test::ProgramDir() + "Config.ini"), "language=2;\r\n");
}

TEST_F(ConfigIni, ReadsEveryKeyWithoutCaseInCrLfOrLfLines)
{
    ASSERT_EQ(Load("LANGUAGE=5;\r\nglFontLibType=2;\nFB_REPT_StartNextFile=1;\r\nWarmUpLine=5;\r\n"
                   "AllPagesHaveWarmupLine=1;\r\nfb_btipwhenhasnextpage=1;\r\nAddDirectionLine=1;\r\n"
                   "FB_FeedForLastPage=1;\r\nPB_Y_RelSCALE=8;\r\nunknown=3;\r\nno equals sign\r\n"
                   "EditSoftPath=/opt/pe/ed;"),
              1);
    EXPECT_EQ(language_, 5);
    EXPECT_EQ(fontLibType_, 2);
    EXPECT_EQ(FB_REPT_StartNextFile, 1);
    EXPECT_EQ(WarmUpLine, 5);
    EXPECT_EQ(GetWarmUpLines(), 5);
    EXPECT_EQ(AllPagesHaveWarmupLine, 1);
    EXPECT_EQ(FB_bTipWhenHasNextPage, 1);
    EXPECT_EQ(AddDirectionLine, 1);
    EXPECT_EQ(FB_FeedForLastPage, 1);
    EXPECT_EQ(Y_RelSCALE, 8);
    EXPECT_EQ(EditSoftPath, CString(u"/opt/pe/ed"));

    // The key is the whole text before "=": a leading blank makes another key.
    ASSERT_EQ(Load(" language=2;\r\nWarmUpLine=-1;\r\n"), 1);
    EXPECT_EQ(language_, 5);
    EXPECT_EQ(WarmUpLine, -1);
    EXPECT_EQ(GetWarmUpLines(), 5);  // a negative count is not passed on
}

TEST_F(ConfigIni, EditorPathEndsAtTheLastSemicolonAndKeepsItsCodePageText)
{
    ASSERT_EQ(Load("EditSoftPath=/opt/pe/ed\r\n"), 1);
    EXPECT_TRUE(EditSoftPath.IsEmpty());
    // "/opt/编辑器;v2/ed" in CP936.
    ASSERT_EQ(Load("EditSoftPath=/opt/\xB1\xE0\xBC\xAD\xC6\xF7;v2/ed;\r\n"), 1);
    EXPECT_EQ(EditSoftPath, CString(u"/opt/编辑器;v2/ed"));
    // A line of any length is one line: a long path is neither cut nor read as another key.
    const std::string longPath = "/" + std::string(600, 'p') + "/language=9";
    ASSERT_EQ(Load("EditSoftPath=" + longPath + ";\r\n"), 1);
    EXPECT_EQ(EditSoftPath.ToUtf8(), longPath);
    EXPECT_EQ(language_, 1);
}

TEST_F(ConfigIni, ScalesNeedBothFiniteNonzeroValues)
{
    struct Case {
        const char* name;
        const char* text;
        float x, y;
        int bandFactor;
    };
    const Case cases[] = {
        {"real alone", "FB_LReal=500;\r\n", 1.0045203f, 1.0411245f, 10},
        {"both, in any order", "FB_LIdeal=1001;\r\nFB_LReal=500;\r\n", 1001.0f / 500.0f, 1.0411245f, 10},
        {"width", "FB_WReal=400;\r\nFB_WIdeal=401;\r\n", 1.0045203f, 401.0f / 400.0f, 10},
        {"zero", "FB_LReal=0;\r\nFB_LIdeal=1001;\r\n", 1.0045203f, 1.0411245f, 10},
        {"nan", "FB_LReal=nan;\r\nFB_LIdeal=1001;\r\n", 1.0045203f, 1.0411245f, 10},
        {"inf", "FB_WReal=500;\r\nFB_WIdeal=inf;\r\n", 1.0045203f, 1.0411245f, 10},
        {"overflowing quotient", "FB_LReal=1e-30;\r\nFB_LIdeal=1e30;\r\n", 1.0045203f, 1.0411245f, 10},
        {"band factor 0", "PB_Y_RelSCALE=0;\r\n", 1.0045203f, 1.0411245f, 10},
        {"band factor negative", "PB_Y_RelSCALE=-3;\r\n", 1.0045203f, 1.0411245f, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ASSERT_EQ(Load(c.text), 1);
        EXPECT_FLOAT_EQ(Fixed_XSCALE, c.x);
        EXPECT_FLOAT_EQ(Fixed_YSCALE, c.y);
        EXPECT_EQ(Y_RelSCALE, c.bandFactor);
    }
}

TEST_F(ConfigIni, AFileThatCannotBeReadIsLeftAlone)
{
    const std::string path = corvane_test::ProgramDir() + "Config.ini";
    // A folder in the file's place cannot be read and must not be replaced.
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    EXPECT_EQ(LoadConfigIni(language_, fontLibType_), 0);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

}  // namespace
