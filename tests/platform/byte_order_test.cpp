// Little-endian field helpers: byte order, sign and float bits, and reads that never pass the end.
#include "platform/byte_order.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(ByteOrder, WritesLeastSignificantByteFirst)
{
    ByteWriter w;
    w.PutU8(0xAB);
    w.PutU16(0x1234);
    w.PutI16(-2);
    w.PutU32(0x89ABCDEF);
    w.PutI32(-300);
    w.PutFloat(1.0f);
    const std::vector<uint8_t> expected = {0xAB, 0x34, 0x12, 0xFE, 0xFF, 0xEF, 0xCD, 0xAB, 0x89,
                                           0xD4, 0xFE, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F};
    EXPECT_EQ(w.Bytes(), expected);

    uint8_t raw[4];
    StoreLE16(raw, 0xBEEF);
    EXPECT_EQ(raw[0], 0xEF);
    EXPECT_EQ(LoadLE16(raw), 0xBEEF);
    StoreLE32(raw, 0x01020304);
    EXPECT_EQ(raw[0], 0x04);
    EXPECT_EQ(LoadLE32(raw), 0x01020304u);
    StoreLEFloat(raw, -1000.5f);
    EXPECT_EQ(LoadLEFloat(raw), -1000.5f);
}

TEST(ByteOrder, ReaderReadsBackAndRefusesFieldsPastTheEnd)
{
    ByteWriter w;
    w.PutU16(0xFFFE);
    w.PutI32(-123456);
    w.PutFloat(std::numeric_limits<float>::infinity());
    ByteReader r(w.Data(), w.Size());
    EXPECT_EQ(r.U16At(0), 0xFFFE);
    EXPECT_EQ(r.I16At(0), -2);
    EXPECT_EQ(r.I32At(2), -123456);
    EXPECT_EQ(r.U8At(2), 0xC0);
    EXPECT_EQ(r.I8At(4), int8_t(0xFE));
    EXPECT_TRUE(std::isinf(*r.FloatAt(6)));

    EXPECT_FALSE(r.U8At(10));
    EXPECT_FALSE(r.U16At(9)) << "straddles the end";
    EXPECT_FALSE(r.U32At(7));
    EXPECT_FALSE(r.FloatAt(SIZE_MAX - 1)) << "an offset near the top of the range does not wrap";
    EXPECT_TRUE(r.Has(10, 0));
    EXPECT_FALSE(r.Has(11, 0));

    ByteReader empty(nullptr, 8);
    EXPECT_EQ(empty.Size(), 0u);
    EXPECT_FALSE(empty.U8At(0));
}

}  // namespace
