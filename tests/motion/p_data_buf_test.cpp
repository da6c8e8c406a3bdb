// The machine data stream: group fetch, growth, control codes and the jet packer's format,
// checked against an unpacker written from the code table.
#include "motion/p_data_buf.h"
#include "support/jet_unpacker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using corvane_test::UnpackJet;
using Bytes = std::vector<uint8_t>;

Bytes Contents(const P_DataBuf& b) { return Bytes(b.GetData(), b.GetData() + b.GetDataNum()); }

std::string BitsOf(uint8_t byte, int n = 8)
{
    std::string s;
    for (int k = 7; k > 7 - n; --k) s += (byte >> k) & 1 ? '1' : '0';
    return s;
}

TEST(P_DataBuf, GroupsHandOutTheStreamFrontToBack)
{
    P_DataBuf b;
    Bytes data(700);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
    b.AppendData(700, data.data());
    std::vector<int> sizes;
    int n = 300;
    while (uint8_t* group = b.GetNextGroupData(n)) {
        EXPECT_EQ(group[0], static_cast<uint8_t>(sizes.size() * 300));
        sizes.push_back(n);
        n = 300;
    }
    EXPECT_EQ(sizes, (std::vector<int>{300, 300, 100}));
    EXPECT_EQ(n, 0);
    EXPECT_EQ(b.GetLeavingDataNum(), 0);

    b.Initialize();
    b.AppendString("P1,2;");
    int none = 0, negative = -5;
    EXPECT_EQ(b.GetNextGroupData(none), nullptr);
    EXPECT_EQ(b.GetNextGroupData(negative), nullptr);
    EXPECT_EQ(negative, 0);
    EXPECT_EQ(b.GetLeavingDataNum(), 5) << "asking for nothing consumes nothing";

    b.TerminateText();
    EXPECT_STREQ(reinterpret_cast<const char*>(b.GetData()), "P1,2;");
    EXPECT_EQ(b.GetDataNum(), 5);
    EXPECT_EQ(b.GetAt(0), 'P');
    EXPECT_EQ(b.GetAt(5), 0);
    EXPECT_EQ(b.GetAt(-1), 0);
    EXPECT_EQ(b.GetAtReverse(0), ';');
    EXPECT_EQ(b.GetAtReverse(4), 'P');
    EXPECT_EQ(b.GetAtReverse(5), 0);
    EXPECT_EQ(b.GetAtReverse(INT32_MIN), 0);
}

TEST(P_DataBuf, AdoptingItsOwnBufferKeepsIt)
{
    // Under the sanitizer, freeing the buffer before adopting it would be a use after free.
    P_DataBuf s;
    s.AppendString("abcd");
    int n = 1;
    s.GetNextGroupData(n);
    s.SetData(s.GetData(), 2);
    EXPECT_EQ(Contents(s), (Bytes{'a', 'b'}));
    EXPECT_EQ(s.GetReadPos(), 0);
    s.TerminateText();
    EXPECT_STREQ(reinterpret_cast<const char*>(s.GetData()), "ab");
}

TEST(P_DataBuf, AdoptingMovingAndSwapping)
{
    // An adopted buffer holds exactly its bytes: the stream still finds room for the
    // terminating zero (the sanitizer catches a write past the allocation).
    auto* raw = static_cast<uint8_t*>(std::malloc(3));
    std::memcpy(raw, "abc", 3);
    P_DataBuf a;
    a.SetData(raw, 3);
    a.TerminateText();
    EXPECT_STREQ(reinterpret_cast<const char*>(a.GetData()), "abc");

    P_DataBuf b;
    b.AppendString("xy");
    int n = 1;
    b.GetNextGroupData(n);
    b.MoveDataFrom(a);
    EXPECT_EQ(Contents(b), (Bytes{'a', 'b', 'c'}));
    EXPECT_EQ(b.GetReadPos(), 0);
    EXPECT_EQ(a.GetDataNum(), 0);
    EXPECT_NE(a.GetData(), nullptr) << "the other stream keeps a buffer to reuse";

    a.AppendString("q");
    n = 2;
    b.GetNextGroupData(n);
    a.Swap(b);
    EXPECT_EQ(Contents(a), (Bytes{'a', 'b', 'c'}));
    EXPECT_EQ(a.GetReadPos(), 2);
    EXPECT_EQ(Contents(b), (Bytes{'q'}));
    a.Destroy();
    EXPECT_EQ(a.GetData(), nullptr);
    EXPECT_EQ(a.GetCapacity(), 0);
}

TEST(P_DataBuf, GrowthIsGeometric)
{
    P_DataBuf b;
    int reallocations = 0;
    int32_t capacity = b.GetCapacity();
    for (int i = 0; i < 4000000; ++i) {
        b.AppendByte(static_cast<uint8_t>(i));
        if (b.GetCapacity() != capacity) {
            ++reallocations;
            capacity = b.GetCapacity();
        }
        ASSERT_GT(b.GetCapacity(), b.GetDataNum()) << "a spare byte stays behind the data";
    }
    EXPECT_LT(reallocations, 20);
    EXPECT_EQ(b.GetAtReverse(0), static_cast<uint8_t>(3999999));
}

TEST(P_DataBuf, ControlCodes)
{
    struct Case {
        const char* name;
        void (*append)(P_DataBuf&);
        Bytes expected;
    };
    const std::vector<Case> cases = {
        {"timer high", [](P_DataBuf& b) { b.AppendCodeTimerHInit(0x1234); }, {0x02, 0x34, 0x12}},
        {"timer low", [](P_DataBuf& b) { b.AppendCodeTimerLInit(0xABCD); }, {0x05, 0xCD, 0xAB}},
        {"aux", [](P_DataBuf& b) { b.AppendCodeAuxCtl(3); }, {0x06, 0x03}},
        {"start delay", [](P_DataBuf& b) { b.AppendCodeStartDelay(0x0102, 2); }, {0x05, 0x02, 0x01, 0x06, 0x04, 0x03, 0x03}},
        {"delay", [](P_DataBuf& b) { b.AppendCodeDelay(0x0102, 3); }, {0x05, 0x02, 0x01, 0x03, 0x03, 0x03}},
        {"pwm on", [](P_DataBuf& b) { b.AppendCodePWMDuty(1, 5); }, {0x07, 250}},
        {"pwm off", [](P_DataBuf& b) { b.AppendCodePWMDuty(0, 0); }, {0x04, 255}},
        {"speed +5", [](P_DataBuf& b) { b.AppendSpeedCtlCode(1000, 1005); }, {0x18}},
        {"speed -5", [](P_DataBuf& b) { b.AppendSpeedCtlCode(1005, 1000); }, {0x0C}},
        {"speed 0", [](P_DataBuf& b) { b.AppendSpeedCtlCode(1000, 1000); }, {}},
        {"speed +300", [](P_DataBuf& b) { b.AppendSpeedCtlCode(1000, 1300); }, {0x05, 0x14, 0x05}},
        {"speed +1, +11, +12, +255", [](P_DataBuf& b) {
             b.AppendSpeedCtlCode(0, 1); b.AppendSpeedCtlCode(0, 11); b.AppendSpeedCtlCode(0, 12);
             b.AppendSpeedCtlCode(0, 255); b.AppendSpeedCtlCode(0, 256); },
         {0x14, 0x1E, 0x1F, 12, 0x1F, 255, 0x05, 0x00, 0x01}},
        {"speed -1, -11, -12, -255, -256", [](P_DataBuf& b) {
             b.AppendSpeedCtlCode(300, 299); b.AppendSpeedCtlCode(300, 289); b.AppendSpeedCtlCode(300, 288);
             b.AppendSpeedCtlCode(300, 45); b.AppendSpeedCtlCode(300, 44); },
         {0x08, 0x12, 0x13, 12, 0x13, 255, 0x05, 44, 0x00}},
    };
    for (const Case& c : cases) {
        P_DataBuf b;
        c.append(b);
        EXPECT_EQ(Contents(b), c.expected) << c.name;
    }
}

TEST(P_DataBuf, RunCodes)
{
    struct Case {
        int value;
        int64_t n;
        Bytes expected;
    };
    const std::vector<Case> cases = {
        {0, 1, {0x80}},
        {0, 32, {0x9F}},
        {0, 33, {0xA0, 0x20}},
        {0, 4096, {0xAF, 0xFF}},
        {0, 4097, {0xB0, 0x10, 0x00}},
        {0, 524288, {0xB7, 0xFF, 0xFF}},
        {0, 524289, {0xB8, 0x08, 0x00, 0x00}},
        {0, int64_t{1} << 27, {0xBF, 0xFF, 0xFF, 0xFF}},
        {1, 1, {0xC0}},
        {1, 32, {0xDF}},
        {1, 4096, {0xEF, 0xFF}},
        {1, 4097, {0xF0, 0x10, 0x00}},
        {1, int64_t{1} << 26, {0xFB, 0xFF, 0xFF, 0xFF}},
        // Runs longer than the longest code continue in a second code instead of being cut.
        {1, (int64_t{1} << 26) + 1, {0xFB, 0xFF, 0xFF, 0xFF, 0xC0}},
        {0, (int64_t{1} << 27) + 40, {0xBF, 0xFF, 0xFF, 0xFF, 0xA0, 0x27}},
        {0, 0, {}},
        {1, -3, {}},
    };
    for (const Case& c : cases) {
        P_DataBuf b;
        b.AppendBits(c.value, c.n);
        EXPECT_EQ(Contents(b), c.expected) << c.value << " x " << c.n;
        EXPECT_EQ(b.GetBitCount(), std::max<int64_t>(c.n, 0));
    }
}

// One feed of the packer, with the bits it stands for.
struct Feed {
    enum Kind { Byte, PartialByte, EqualBits } kind;
    uint8_t byte = 0;
    int n = 8;
    int value = 0;

    void Into(P_DataBuf& b, STR_JET_RAR& s) const
    {
        if (kind == Byte) b.JetRar(s, byte);
        else if (kind == PartialByte) b.JetRar(s, byte, n);
        else b.JetRarBits(s, value, n);
    }
    std::string Bits() const
    {
        if (kind == Byte) return BitsOf(byte);
        if (kind == PartialByte) return BitsOf(byte, std::min(n, 8));
        return std::string(static_cast<size_t>(std::max(n, 0)), value ? '1' : '0');
    }
};
Feed B(uint8_t byte) { return {Feed::Byte, byte}; }
Feed Part(uint8_t byte, int n) { return {Feed::PartialByte, byte, n}; }
Feed Same(int value, int n) { return {Feed::EqualBits, 0, n, value}; }

TEST(P_DataBuf, JetPackerFormat)
{
    struct Case {
        const char* name;
        std::vector<Feed> feeds;
        int tail;
        Bytes expected;
    };
    const std::vector<Case> cases = {
        {"white, white, black", {B(0x00), B(0x00), B(0xFF)}, 0, {0x8F, 0xC7, 0xFC, 0x00}},
        {"a literal with one bit left, padded", {B(0x55)}, 10, {0x2A, 0x40, 0x83, 0xFC, 0x00}},
        {"all white row", std::vector<Feed>(100, B(0x00)), 0, {0xA3, 0x1F, 0xFC, 0x00}},
        {"all white row with a blank tail", std::vector<Feed>(4, B(0x00)), 8, {0xA0, 0x27, 0xFC, 0x00}},
        {"all black row", std::vector<Feed>(100, B(0xFF)), 0, {0xE3, 0x1F, 0xFC, 0x00}},
        {"runs across byte boundaries", {B(0x0F), B(0xF0)}, 8, {0x07, 0x7C, 0x00, 0x82, 0xFC, 0x00}},
        {"a zero run ending inside a byte", {B(0x00), B(0x03)}, 7, {0x8D, 0x60, 0x81, 0xFC, 0x00}},
        {"a one run ending one bit into a byte", {B(0xFF), B(0x80)}, 0, {0xC8, 0x86, 0xFC, 0x00}},
        {"partial final byte of black", {B(0xFF), Part(0xE0, 3)}, 0, {0xCA, 0xFC, 0x00}},
        {"partial final byte mixed", {B(0x00), Part(0xA0, 3)}, 9, {0x87, 0x50, 0x84, 0xFC, 0x00}},
        {"equal bits joining pending literal bits", {B(0x01), Same(1, 20)}, 0, {0x00, 0xD4, 0xFC, 0x00}},
        {"seven bits into an idle packer, then a whole byte", {Part(0xFE, 7), B(0x00)}, 0,
         {0xC6, 0x87, 0xFC, 0x00}},
        {"seven mixed bits into an idle packer, then a whole byte", {Part(0xB4, 7), B(0xFF)}, 0,
         {0x5A, 0xC7, 0xFC, 0x00}},
    };
    for (const Case& c : cases) {
        P_DataBuf b;
        STR_JET_RAR s;
        std::string fed;
        for (const Feed& f : c.feeds) {
            f.Into(b, s);
            fed += f.Bits();
        }
        b.JetRarEnd(s, c.tail);
        EXPECT_EQ(Contents(b), c.expected) << c.name;
        EXPECT_EQ(s.mode, STR_JET_RAR::kIdle) << c.name;
        bool ended = false;
        const std::string unpacked = UnpackJet(Contents(b), &ended);
        EXPECT_TRUE(ended) << c.name;
        EXPECT_EQ(unpacked.substr(0, fed.size()), fed) << c.name;
        EXPECT_EQ(unpacked.find('1', fed.size()), std::string::npos) << c.name << ": only blank bits follow";
        EXPECT_EQ(b.GetBitCount(), static_cast<int64_t>(unpacked.size())) << c.name;
    }
}

TEST(P_DataBuf, JetPackerRoundTripsAnyFeed)
{
    std::mt19937 rng(20240611);
    for (int trial = 0; trial < 400; ++trial) {
        P_DataBuf b;
        STR_JET_RAR s;
        std::string fed;
        const int feeds = 1 + static_cast<int>(rng() % 60);
        for (int i = 0; i < feeds; ++i) {
            // Mostly blank and solid bytes, as raster rows are, with mixed bytes between.
            static const uint8_t kTypical[] = {0x00, 0xFF, 0x00, 0xFF, 0x80, 0x7F, 0x01, 0xFE, 0x0F, 0xF0};
            const uint8_t byte = rng() % 3 ? kTypical[rng() % 10] : static_cast<uint8_t>(rng());
            Feed f = B(byte);
            switch (rng() % 4) {
            case 1: f = Part(byte, 1 + static_cast<int>(rng() % 8)); break;
            case 2: f = Same(static_cast<int>(rng() % 2), static_cast<int>(rng() % 40)); break;
            default: break;
            }
            f.Into(b, s);
            fed += f.Bits();
            ASSERT_TRUE(s.mode != STR_JET_RAR::kLiteral || (s.count >= 1 && s.count <= 6))
                << "pending literal bits out of range after trial " << trial << " feed " << i;
        }
        const int tail = 7 + static_cast<int>(rng() % 100);
        b.JetRarEnd(s, tail);
        bool ended = false;
        EXPECT_EQ(UnpackJet(Contents(b), &ended), fed + std::string(static_cast<size_t>(tail), '0')) << "trial " << trial;
        EXPECT_TRUE(ended);
    }
}

}  // namespace
