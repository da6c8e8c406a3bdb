// The operator texts: one table per language, a text a table lacks in Chinese.
#include "app/string_table.h"

#include <gtest/gtest.h>

namespace {

class StringTable : public ::testing::Test {
protected:
    void TearDown() override { SetStringLanguage(kLanguageChinese); }
};

TEST_F(StringTable, EachLanguageHasItsTextsAndUnknownLanguagesAreEnglish)
{
    struct Case {
        int32_t language;
        const char16_t* text;
    };
    for (const Case& c : {Case{1, u"程序已经运行！"}, Case{2, u"The program is already running!"},
                          Case{5, u"โปรแกรมกำลังทำงานอยู่แล้ว!"}, Case{3, u"The program is already running!"},
                          Case{0, u"The program is already running!"}}) {
        SetStringLanguage(c.language);
        EXPECT_EQ(LoadResString(StringId::kAlreadyRunning), CString(c.text)) << c.language;
    }
}

TEST_F(StringTable, EveryChineseTextIsInTheOtherTablesAndUnknownNumbersAreEmpty)
{
    for (int32_t language : {2, 5}) {
        for (uint32_t id : {StringId::kAlreadyRunning, StringId::kAskCloseProgram, StringId::kTrayTip,
                            StringId::kOtherControllerRunning, StringId::kFileOpenError, StringId::kAllFilesFilter,
                            StringId::kMissingFontFiles}) {
            SetStringLanguage(kLanguageChinese);
            const CString chinese = LoadResString(id);
            SetStringLanguage(language);
            EXPECT_FALSE(LoadResString(id).IsEmpty()) << id;
            EXPECT_NE(LoadResString(id), chinese) << id;
        }
    }
    EXPECT_TRUE(LoadResString(1).IsEmpty());
}

}  // namespace
