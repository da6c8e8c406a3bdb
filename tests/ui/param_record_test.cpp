// ParamRecord text forms and the rows of the other-parameters block.
#include "ui/param_record.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <cmath>
#include <limits>

namespace {

ParamRecord Record(int32_t type)
{
    ParamRecord r;
    r.type = type;
    return r;
}

TEST(ParamRecord, FormatsEachType)
{
    ParamRecord f = Record(kParamFloat);
    f.value.f = 2.5f;
    EXPECT_EQ(FormatParamValue(f), CString(u"2.5"));
    f.value.f = 3.0f;
    EXPECT_EQ(FormatParamValue(f), CString(u"3"));
    f.value.f = 100.0f;
    EXPECT_EQ(FormatParamValue(f), CString(u"100"));
    ParamRecord d = Record(kParamDouble);
    d.value.d = 0.1234567;
    EXPECT_EQ(FormatParamValue(d), CString(u"0.123457"));
    ParamRecord b = Record(kParamBool);
    b.value.u32 = 7;
    EXPECT_EQ(FormatParamValue(b), CString(u"是"));
    b.value.u32 = 0;
    EXPECT_EQ(FormatParamValue(b), CString(u"否"));
    ParamRecord i = Record(kParamI16);
    i.value.i16 = -12;
    EXPECT_EQ(FormatParamValue(i), CString(u"-12"));
    ParamRecord u = Record(kParamU32);
    u.value.u32 = 4000000000u;
    EXPECT_EQ(FormatParamValue(u), CString(u"4000000000"));
    ParamRecord c = Record(kParamChar);
    c.value.ch = u'K';
    EXPECT_EQ(FormatParamValue(c), CString(u"K"));
    ParamRecord s = Record(kParamText);
    s.text = u"abc";
    EXPECT_EQ(FormatParamValue(s), CString(u"abc"));
}

TEST(ParamRecord, ParsesBooleans)
{
    struct Case {
        const char16_t* text;
        uint32_t value;
    };
    const Case cases[] = {{u"false", 0}, {u"FALSE", 0}, {u"True", 1}, {u"5", 1}, {u"0", 0}, {u"-3", 0}, {u"yes", 0}};
    for (const Case& c : cases) {
        ParamRecord b = Record(kParamBool);
        b.value.u32 = 9;
        ASSERT_TRUE(ParseParamValue(b, CString(c.text)));
        EXPECT_EQ(b.value.u32, c.value) << CString(c.text).ToUtf8();
    }
    ParamRecord b = Record(kParamBool);
    b.value.u32 = 1;
    ASSERT_TRUE(ParseParamValue(b, CString(u"false")));
    EXPECT_EQ(FormatParamValue(b), CString(u"否"));
}

TEST(ParamRecord, RefusesIntegersOutsideTheirTypeAndKeepsTheOldValue)
{
    struct Case {
        int32_t type;
        const char16_t* text;
        bool accepted;
    };
    const Case cases[] = {
        {kParamU8, u"255", true},          {kParamU8, u"256", false},         {kParamU8, u"-1", false},
        {kParamI16, u"-32768", true},      {kParamI16, u"32768", false},      {kParamU16, u"65535", true},
        {kParamU16, u"70000", false},      {kParamI32, u"-2147483648", true}, {kParamI32, u"2147483648", false},
        {kParamU32, u"4294967295", true},  {kParamU32, u"4294967296", false}, {kParamU32, u"-1", false},
        {kParamU16, u"abc", true},
    };
    for (const Case& c : cases) {
        ParamRecord r = Record(c.type);
        r.value.raw = 42;
        const ParamValue before = r.value;
        EXPECT_EQ(ParseParamValue(r, CString(c.text)), c.accepted) << c.type << " " << CString(c.text).ToUtf8();
        if (!c.accepted) {
            EXPECT_EQ(r.value.raw, before.raw);
        }
    }
    ParamRecord r = Record(kParamU16);
    ASSERT_TRUE(ParseParamValue(r, CString(u"abc")));
    EXPECT_EQ(r.value.u16, 0) << "text without a number reads as 0";
}

TEST(ParamRecord, RefusesNumbersThatAreNotFinite)
{
    for (const char16_t* text : {u"nan", u"inf", u"-inf", u"1e39"}) {
        ParamRecord f = Record(kParamFloat);
        f.value.f = 1.5f;
        EXPECT_FALSE(ParseParamValue(f, CString(text))) << CString(text).ToUtf8();
        EXPECT_EQ(f.value.f, 1.5f);
    }
    ParamRecord d = Record(kParamDouble);
    EXPECT_TRUE(ParseParamValue(d, CString(u"1e39")));
    EXPECT_EQ(d.value.d, 1e39);
    EXPECT_FALSE(ParseParamValue(d, CString(u"1e400")));
}

// A block with distinct bytes everywhere, so any byte written out of place shows.
std::array<uint8_t, kOtherParamsBlockBytes> PatternBlock()
{
    std::array<uint8_t, kOtherParamsBlockBytes> block{};
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 7 + 3);
    return block;
}

int RowOf(int offset)
{
    for (int i = 0; i < kOtherParamRowCount; ++i) {
        if (kOtherParamRows[i].offsetBytes == offset) return i;
    }
    return -1;
}

TEST(OtherParamRows, UntouchedRecordsChangeNothing)
{
    auto block = PatternBlock();
    const auto original = block;
    std::array<ParamRecord, kOtherParamRowCount> records;
    LoadOtherParamRecords(block, records);
    EXPECT_FALSE(StoreOtherParamRecords(records, block));
    EXPECT_EQ(block, original);
}

TEST(OtherParamRows, StoresAChangedWordAndKeepsTheRest)
{
    auto block = PatternBlock();
    const auto original = block;
    std::array<ParamRecord, kOtherParamRowCount> records;
    LoadOtherParamRecords(block, records);
    EXPECT_EQ(records[0].name, CString(u"开气泵延时"));
    ASSERT_TRUE(ParseParamValue(records[0], CString(u"120")));
    ASSERT_TRUE(StoreOtherParamRecords(records, block));
    EXPECT_EQ(block[0], 0x78);
    EXPECT_EQ(block[1], 0x00);
    EXPECT_TRUE(std::equal(block.begin() + 2, block.end(), original.begin() + 2));
}

TEST(OtherParamRows, OneByteBooleansWriteTheirByteOnly)
{
    for (int offset : {10, 12}) {
        auto block = PatternBlock();
        const auto original = block;
        std::array<ParamRecord, kOtherParamRowCount> records;
        LoadOtherParamRecords(block, records);
        ParamRecord& flag = records[static_cast<size_t>(RowOf(offset))];
        EXPECT_EQ(flag.value.u32, original[static_cast<size_t>(offset)]);
        ASSERT_TRUE(ParseParamValue(flag, CString(u"false")));
        ASSERT_TRUE(StoreOtherParamRecords(records, block));
        for (size_t i = 0; i < block.size(); ++i) {
            EXPECT_EQ(block[i], i == static_cast<size_t>(offset) ? 0 : original[i]) << "offset " << offset << " byte " << i;
        }
    }
}

TEST(OtherParamRows, FloatsChangeBeyondOneHundredth)
{
    std::array<uint8_t, kOtherParamsBlockBytes> block{};
    const float one = 1.0f;
    std::memcpy(block.data() + 16, &one, sizeof one);
    std::array<ParamRecord, kOtherParamRowCount> records;
    LoadOtherParamRecords(block, records);
    ParamRecord& cut = records[static_cast<size_t>(RowOf(16))];
    ASSERT_TRUE(ParseParamValue(cut, CString(u"1.005")));
    EXPECT_FALSE(StoreOtherParamRecords(records, block));
    ASSERT_TRUE(ParseParamValue(cut, CString(u"1.02")));
    EXPECT_TRUE(StoreOtherParamRecords(records, block));
    float stored = 0;
    std::memcpy(&stored, block.data() + 16, sizeof stored);
    EXPECT_EQ(stored, 1.02f);
}

TEST(OtherParamRows, LeaveTheUnshownBytesAlone)
{
    std::array<bool, kOtherParamsBlockBytes> covered{};
    for (const ParamBlockRow& row : kOtherParamRows) {
        for (int i = 0; i < row.widthBytes; ++i) {
            EXPECT_FALSE(covered[static_cast<size_t>(row.offsetBytes + i)]) << "rows overlap at " << row.offsetBytes + i;
            covered[static_cast<size_t>(row.offsetBytes + i)] = true;
        }
    }
    int shown = 0;
    for (bool c : covered) shown += c ? 1 : 0;
    EXPECT_EQ(shown, 28);
}

}  // namespace
