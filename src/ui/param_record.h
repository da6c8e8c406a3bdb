// ParamRecord: one typed row of a parameter list, its text form, and the rows of the
// machine's other-parameters block (the 200-byte block of code 23).
#pragma once

#include "platform/cstring.h"

#include <cstdint>
#include <span>

// Type codes of a ParamRecord's value.
inline constexpr int32_t kParamChar = 0;
inline constexpr int32_t kParamU8 = 1;
inline constexpr int32_t kParamI16 = 2;
inline constexpr int32_t kParamU16 = 3;
inline constexpr int32_t kParamI32 = 4;
inline constexpr int32_t kParamU32 = 5;
inline constexpr int32_t kParamFloat = 6;
inline constexpr int32_t kParamDouble = 7;
inline constexpr int32_t kParamString = 8;
inline constexpr int32_t kParamBool = 9;  // 32-bit unsigned: 0 false, anything else true
inline constexpr int32_t kParamText = 10;

// The 8-byte value slot, read as the record's type says.
union ParamValue {
    uint64_t raw;
    char16_t ch;
    uint8_t u8;
    int16_t i16;
    uint16_t u16;
    int32_t i32;
    uint32_t u32;
    float f;
    double d;
};

struct ParamRecord {
    CString name;
    ParamValue value{};
    CString text;  // the value of the string types
    int32_t type = kParamChar;
    CString description;
};

// The value as the list shows it: integers in decimal, floats with 4 and doubles with 6
// decimals less trailing zeros, booleans yes / no in the chosen language, strings as they are.
CString FormatParamValue(const ParamRecord& record);

// Reads text into the record's value. Integers read their leading decimal number (0 when
// there is none); booleans take "TRUE" / "FALSE" in any case, else 1 for an integer above 0.
// Returns false and leaves the record unchanged for an integer outside its type's range and
// for a number that is not finite or, for a float, beyond the float range: a value the field
// cannot hold is refused rather than cut to its low bits.
bool ParseParamValue(ParamRecord& record, const CString& text);

// One row of the other-parameters block.
struct ParamBlockRow {
    int32_t offsetBytes;
    int32_t type;
    int32_t widthBytes;  // bytes the value occupies in the block
    uint32_t nameId;         // string id of the row's name
    uint32_t descriptionId;  // string id of its description; 0 for none
};

inline constexpr int kOtherParamsBlockBytes = 200;
inline constexpr int kOtherParamRowCount = 13;
extern const ParamBlockRow kOtherParamRows[kOtherParamRowCount];

// Fills the records of the 13 rows (name, type, description, value) from the block.
void LoadOtherParamRecords(std::span<const uint8_t, kOtherParamsBlockBytes> block,
                           std::span<ParamRecord, kOtherParamRowCount> records);

// Writes each record that changed into its bytes of the block (integers compared exactly,
// floats with a tolerance of 0.01); every other byte stays as it is. True when any changed.
bool StoreOtherParamRecords(std::span<const ParamRecord, kOtherParamRowCount> records,
                            std::span<uint8_t, kOtherParamsBlockBytes> block);
