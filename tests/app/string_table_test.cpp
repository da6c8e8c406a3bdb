// The operator texts: one complete table per language, English for unknown languages.
#include "app/string_entries.h"
#include "app/string_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class StringTable : public ::testing::Test {
protected:
    void TearDown() override { SetStringLanguage(kLanguageChinese); }
};

// True for a Chinese character, CJK punctuation or a full-width form.
bool IsCjk(char16_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF);
}

bool HasCjk(const std::u16string& text)
{
    for (char16_t c : text)
        if (IsCjk(c)) return true;
    return false;
}

bool HasThai(const std::u16string& text)
{
    for (char16_t c : text)
        if (c >= 0x0E00 && c <= 0x0E7F) return true;
    return false;
}

// What a text's callers rely on: its format conversions ("%s", "%.2f", "%1") and line breaks,
// in order.
std::u16string Shape(const std::u16string& text)
{
    std::u16string shape;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n') {
            shape += u'|';
        } else if (text[i] == u'%' && i + 1 < text.size()) {
            size_t end = i + 1;
            while (end < text.size() && (text[end] == u'.' || (text[end] >= u'0' && text[end] <= u'9'))) ++end;
            if (end < text.size() && text[end] >= u'a' && text[end] <= u'z') {
                shape += text.substr(i, end - i + 1);  // a conversion ends with its letter
                i = end;
            } else {
                // "%1" and "%2" are numbered places: their digits alone.
                size_t digits = i + 1;
                while (digits < text.size() && text[digits] >= u'0' && text[digits] <= u'9') ++digits;
                shape += text.substr(i, digits - i);
                i = digits - 1;
            }
        }
    }
    return shape;
}

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
    EXPECT_TRUE(LoadResString(1).IsEmpty());
}

TEST_F(StringTable, EnglishAndThaiHoldEveryNumberWithoutAChineseCharacter)
{
    struct Table {
        int32_t language;
        std::span<const StringEntry> entries;
    };
    ASSERT_FALSE(ChineseStrings().empty());
    for (const Table& table : {Table{kLanguageEnglish, EnglishStrings()}, Table{kLanguageThai, ThaiStrings()}}) {
        ASSERT_EQ(table.entries.size(), ChineseStrings().size()) << table.language;
        for (size_t i = 0; i < ChineseStrings().size(); ++i) {
            const StringEntry& chinese = ChineseStrings()[i];
            ASSERT_EQ(table.entries[i].id, chinese.id) << table.language;
            const std::u16string text = table.entries[i].text;
            SetStringLanguage(table.language);
            EXPECT_EQ(LoadResString(chinese.id).str(), text) << chinese.id;
            EXPECT_FALSE(text.empty()) << table.language << " " << chinese.id;
            EXPECT_FALSE(HasCjk(text)) << table.language << " " << chinese.id;
            EXPECT_EQ(Shape(text), Shape(chinese.text)) << table.language << " " << chinese.id;
        }
    }
}

TEST_F(StringTable, ThaiIsInThaiScriptExceptNamesAndCodesKeptAsInEnglish)
{
    std::vector<uint32_t> untranslated;
    for (size_t i = 0; i < ThaiStrings().size(); ++i) {
        const std::u16string thai = ThaiStrings()[i].text;
        if (!HasThai(thai) && thai != std::u16string(EnglishStrings()[i].text)) untranslated.push_back(ThaiStrings()[i].id);
    }
    EXPECT_TRUE(untranslated.empty()) << untranslated.size() << " Thai texts are neither Thai nor as in English, the first "
                                      << untranslated.front();
}

TEST(StringTableShape, ConversionsAndLineBreaksInOrder)
{
    EXPECT_EQ(Shape(u"文件\"%s\"不能载入：%s"), u"%s%s");
    EXPECT_EQ(Shape(u"Network %s: %d machines found.\nAssign?\n"), u"%s%d||");
    EXPECT_EQ(Shape(u"between %1 and %2."), u"%1%2");
    EXPECT_EQ(Shape(u":%.2f%"), u"%.2f");
    EXPECT_EQ(Shape(u"Unit:%dmm"), u"%d");
}

}  // namespace
