// ParamRecord text forms and the rows of the other-parameters block.
#include "ui/param_record.h"

#include "app/string_table.h"
#include "platform/byte_order.h"
#include "platform/number_parse.h"
#include "ui/value_change.h"

#include <cmath>
#include <limits>

namespace {

constexpr uint32_t kDelayDescription = StringId::kParamDelayHelp;
constexpr double kBlockFloatTolerance = 0.01;

// Reads the leading decimal integer as atoi does (blanks, sign, digits; 0 without digits),
// saturating at the 64-bit limits.
int64_t LeadingInteger(const std::u16string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    constexpr int64_t kLimit = std::numeric_limits<int64_t>::max() / 10;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (value > kLimit) return negative ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
        value = value * 10 + (text[i] - u'0');
    }
    return negative ? -value : value;
}

// The range of the integer types 1 to 5.
bool IntegerTypeRange(int32_t type, int64_t& low, int64_t& high)
{
    switch (type) {
    case kParamU8: low = 0; high = UINT8_MAX; return true;
    case kParamI16: low = INT16_MIN; high = INT16_MAX; return true;
    case kParamU16: low = 0; high = UINT16_MAX; return true;
    case kParamI32: low = INT32_MIN; high = INT32_MAX; return true;
    case kParamU32: low = 0; high = UINT32_MAX; return true;
    default: return false;
    }
}

// Sets the slot of an integer type to value, which lies in the type's range.
void SetInteger(ParamValue& slot, int32_t type, int64_t value)
{
    slot.raw = 0;
    switch (type) {
    case kParamU8: slot.u8 = static_cast<uint8_t>(value); break;
    case kParamI16: slot.i16 = static_cast<int16_t>(value); break;
    case kParamU16: slot.u16 = static_cast<uint16_t>(value); break;
    case kParamI32: slot.i32 = static_cast<int32_t>(value); break;
    default: slot.u32 = static_cast<uint32_t>(value); break;
    }
}

// Formats value with decimals, then drops trailing zeros and a trailing point.
CString TrimmedDecimals(double value, int decimals)
{
    CString text;
    text.Format(decimals == 4 ? u"%.4f" : u"%.6f", value);
    if (text.Find(u'.') >= 0) {
        text.TrimRight(u'0');
        text.TrimRight(u'.');
    }
    return text;
}

// The record's value read from the block as the row says.
void ReadRowValue(const ParamBlockRow& row, const uint8_t* bytes, ParamValue& slot)
{
    slot.raw = 0;
    switch (row.type) {
    case kParamU8: slot.u8 = bytes[0]; break;
    case kParamU16: slot.u16 = LoadLE16(bytes); break;
    case kParamFloat: slot.f = LoadLEFloat(bytes); break;
    // The block's booleans are single bytes.
    case kParamBool: slot.u32 = row.widthBytes == 1 ? bytes[0] : LoadLE32(bytes); break;
    default: break;
    }
}

// Writes the record's value into the row's bytes, and only those.
void WriteRowValue(const ParamBlockRow& row, const ParamValue& slot, uint8_t* bytes)
{
    switch (row.type) {
    case kParamU8: bytes[0] = slot.u8; break;
    case kParamU16: StoreLE16(bytes, slot.u16); break;
    case kParamFloat: StoreLEFloat(bytes, slot.f); break;
    // A one-byte boolean keeps to its byte: four bytes would overwrite the rows after it.
    case kParamBool:
        if (row.widthBytes == 1) bytes[0] = static_cast<uint8_t>(slot.u32 > UINT8_MAX ? 1 : slot.u32);
        else StoreLE32(bytes, slot.u32);
        break;
    default: break;
    }
}

// True when the record's value differs from the block's under the block's change rule.
bool RowChanged(const ParamBlockRow& row, const ParamValue& now, const ParamValue& before)
{
    switch (row.type) {
    case kParamU8: return now.u8 != before.u8;
    case kParamU16: return now.u16 != before.u16;
    case kParamFloat: return DiffersBeyond(now.f, before.f, kBlockFloatTolerance);
    case kParamBool: return now.u32 != before.u32;
    default: return false;
    }
}

}  // namespace

const ParamBlockRow kOtherParamRows[kOtherParamRowCount] = {
    {0, kParamU16, 2, StringId::kOtherParamNames + 0, kDelayDescription},
    {2, kParamU16, 2, StringId::kOtherParamNames + 1, kDelayDescription},
    {4, kParamU16, 2, StringId::kOtherParamNames + 2, kDelayDescription},
    {6, kParamU16, 2, StringId::kOtherParamNames + 3, kDelayDescription},
    {8, kParamU16, 2, StringId::kOtherParamNames + 4, 0},
    {10, kParamBool, 1, StringId::kOtherParamNames + 5, 0},
    {11, kParamU8, 1, StringId::kOtherParamNames + 6, StringId::kParamFeedMethodHelp},
    {12, kParamBool, 1, StringId::kOtherParamNames + 7, 0},
    {13, kParamU8, 1, StringId::kOtherParamNames + 8, StringId::kParamLimitTypeHelp},
    {16, kParamFloat, 4, StringId::kOtherParamNames + 9, 0},
    {20, kParamFloat, 4, StringId::kOtherParamNames + 10, 0},
    {24, kParamFloat, 4, StringId::kOtherParamNames + 11, 0},
    {14, kParamU16, 2, StringId::kOtherParamNames + 12, StringId::kParamPickUpHelp},
};

CString FormatParamValue(const ParamRecord& record)
{
    CString text;
    const ParamValue& v = record.value;
    switch (record.type) {
    case kParamChar: return CString(v.ch);
    case kParamU8: text.Format(u"%u", static_cast<uint32_t>(v.u8)); return text;
    case kParamI16: text.Format(u"%d", static_cast<int32_t>(v.i16)); return text;
    case kParamU16: text.Format(u"%u", static_cast<uint32_t>(v.u16)); return text;
    case kParamI32: text.Format(u"%i", v.i32); return text;
    case kParamU32: text.Format(u"%u", v.u32); return text;
    case kParamFloat: return TrimmedDecimals(v.f, 4);
    case kParamDouble: return TrimmedDecimals(v.d, 6);
    case kParamBool: return LoadResString(v.u32 != 0 ? StringId::kYes : StringId::kNo);
    case kParamString:
    case kParamText: return record.text;
    default: return CString();
    }
}

bool ParseParamValue(ParamRecord& record, const CString& text)
{
    ParamValue& v = record.value;
    int64_t low = 0;
    int64_t high = 0;
    if (IntegerTypeRange(record.type, low, high)) {
        const int64_t value = LeadingInteger(text.str());
        if (value < low || value > high) return false;
        SetInteger(v, record.type, value);
        return true;
    }
    switch (record.type) {
    case kParamChar:
        v.raw = 0;
        v.ch = text.IsEmpty() ? u'\0' : text.GetAt(0);
        return true;
    case kParamFloat:
    case kParamDouble: {
        const double value = CLocaleAtof(text.str());
        if (!std::isfinite(value)) return false;
        if (record.type == kParamFloat && std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max())) {
            return false;
        }
        v.raw = 0;
        if (record.type == kParamFloat) v.f = static_cast<float>(value);
        else v.d = value;
        return true;
    }
    case kParamBool: {
        uint32_t flag = 0;
        if (text.CompareNoCase(u"TRUE") == 0) flag = 1;
        else if (text.CompareNoCase(u"FALSE") == 0) flag = 0;
        else flag = LeadingInteger(text.str()) > 0 ? 1 : 0;
        v.raw = 0;
        v.u32 = flag;
        return true;
    }
    case kParamString:
    case kParamText: record.text = text; return true;
    default: return false;
    }
}

void LoadOtherParamRecords(std::span<const uint8_t, kOtherParamsBlockBytes> block,
                           std::span<ParamRecord, kOtherParamRowCount> records)
{
    for (int i = 0; i < kOtherParamRowCount; ++i) {
        const ParamBlockRow& row = kOtherParamRows[i];
        ParamRecord& record = records[static_cast<size_t>(i)];
        record.name = LoadResString(row.nameId);
        record.type = row.type;
        record.description = row.descriptionId != 0 ? LoadResString(row.descriptionId) : CString();
        record.text.Empty();
        ReadRowValue(row, block.data() + row.offsetBytes, record.value);
    }
}

bool StoreOtherParamRecords(std::span<const ParamRecord, kOtherParamRowCount> records,
                            std::span<uint8_t, kOtherParamsBlockBytes> block)
{
    bool changed = false;
    for (int i = 0; i < kOtherParamRowCount; ++i) {
        const ParamBlockRow& row = kOtherParamRows[i];
        uint8_t* bytes = block.data() + row.offsetBytes;
        ParamValue before{};
        ReadRowValue(row, bytes, before);
        const ParamValue& now = records[static_cast<size_t>(i)].value;
        if (!RowChanged(row, now, before)) continue;
        WriteRowValue(row, now, bytes);
        changed = true;
    }
    return changed;
}
