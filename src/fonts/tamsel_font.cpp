// CTamselFont: reading a vector-font file, its header, index and font information.
//
// Layout (little-endian; E is the offset of the header's end mark 13 10 26):
//   shapes:  u16 first number at E+3, u16 last at E+5, u16 entry count N at E+7, N entries
//            (u16 number, u16 length) from E+9, the definitions back to back after the index.
//   bigfont: u16 entry count N at E+5, u16 range count R at E+7, R ranges (u16, u16) from
//            E+9, then N entries (u16 number, u16 length, u32 absolute offset).
//   unifont: u32 shape count N at E+3, u16 length L of the font information at E+7, the
//            information at E+9, then N records (u16 number, u16 length, definition).
#include "fonts/tamsel_font.h"

#include "platform/cdc.h"
#include "plotmodel/plot_units.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace {

// Where the header names the kind and where its end mark may lie.
constexpr int64_t kKindWindow = 200;
constexpr int64_t kEndMarkWindow = 500;
constexpr std::string_view kEndMark("\r\n\x1a", 3);

constexpr int64_t kShapesEntryBytes = 4;
constexpr int64_t kBigfontEntryBytes = 8;
constexpr int64_t kUnifontRecordHead = 4;

}  // namespace

int CTamselFont::LoadFont(const char16_t* path)
{
    Clear();
    if (!path) return 0;
    std::string file = CString(path).ToUtf8();
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) return 0;
    int64_t length = -1;
    if (fseeko(f, 0, SEEK_END) == 0) length = ftello(f);
    // Offsets inside a font are 32-bit: a file of 2 GiB or more cannot be one, and is not
    // read into memory.
    if (length <= 0 || length >= MaxFileBytes || fseeko(f, 0, SEEK_SET) != 0) {
        std::fclose(f);
        return 0;
    }
    bytes_.resize(static_cast<size_t>(length));
    size_t got = std::fread(bytes_.data(), 1, bytes_.size(), f);
    std::fclose(f);
    if (got != bytes_.size()) {
        Clear();
        return 0;
    }
    size_ = static_cast<int32_t>(length);
    GetFontInfo();
    path_ = path;
    hasPath_ = true;
    return 1;
}

bool CTamselFont::ReadU16(int64_t offset, uint16_t& value) const
{
    if (offset < 0 || offset + 2 > size_) return false;
    value = static_cast<uint16_t>(bytes_[static_cast<size_t>(offset)] | bytes_[static_cast<size_t>(offset) + 1] << 8);
    return true;
}

bool CTamselFont::ReadU32(int64_t offset, uint32_t& value) const
{
    uint16_t low = 0;
    uint16_t high = 0;
    if (!ReadU16(offset, low) || !ReadU16(offset + 2, high)) return false;
    value = static_cast<uint32_t>(low) | static_cast<uint32_t>(high) << 16;
    return true;
}

FONTYPE CTamselFont::RecogniseKind() const
{
    std::string_view head(reinterpret_cast<const char*>(bytes_.data()),
                          static_cast<size_t>(std::min<int64_t>(size_, kKindWindow)));
    if (head.find("shapes") != std::string_view::npos) return FONTYPE_SHAPES;
    if (head.find("bigfont") != std::string_view::npos) return FONTYPE_BIGFONT;
    if (head.find("unifont") != std::string_view::npos) return FONTYPE_UNIFONT;
    return FONTYPE_UNKNOWN;
}

int CTamselFont::GetFontInfo()
{
    if (size_ <= 0) return 0;
    kind_ = RecogniseKind();
    if (kind_ == FONTYPE_UNKNOWN) return 0;
    std::string_view head(reinterpret_cast<const char*>(bytes_.data()),
                          static_cast<size_t>(std::min<int64_t>(size_, kEndMarkWindow)));
    size_t mark = head.find(kEndMark, 1);
    if (mark == std::string_view::npos) return -1;
    int64_t end = static_cast<int64_t>(mark);
    switch (kind_) {
    case FONTYPE_SHAPES: ReadShapesHeader(end); break;
    case FONTYPE_BIGFONT: ReadBigfontHeader(end); break;
    case FONTYPE_UNIFONT: ReadUnifontHeader(end); break;
    case FONTYPE_UNKNOWN: break;
    }
    BuildLookup();
    return 1;
}

void CTamselFont::BuildLookup()
{
    Cursor cursor = StartCursor();
    Entry entry;
    for (Step step; (step = NextEntry(cursor, entry)) != Step::Stop;) {
        if (step == Step::Found) lookup_.push_back(entry);
    }
    // Of entries sharing a number the first in the file is the one found.
    std::stable_sort(lookup_.begin(), lookup_.end(), [](const Entry& a, const Entry& b) { return a.number < b.number; });
    lookup_.erase(std::unique(lookup_.begin(), lookup_.end(), [](const Entry& a, const Entry& b) { return a.number == b.number; }),
                  lookup_.end());
}

void CTamselFont::ReadShapesHeader(int64_t end)
{
    uint16_t first = 0;
    uint16_t last = 0;
    uint16_t count = 0;
    if (!ReadU16(end + 3, first) || !ReadU16(end + 5, last) || !ReadU16(end + 7, count)) return;
    rangeCount_ = 1;
    ranges_[0][0] = first;
    ranges_[0][1] = last;
    int64_t start = end + 9;
    indexStart_ = static_cast<int32_t>(start);
    // Only the index entries that lie inside the file are taken.
    entryCount_ = static_cast<int32_t>(std::clamp<int64_t>((size_ - start) / kShapesEntryBytes, 0, count));
    shapesDataStart_ = start + kShapesEntryBytes * count;
    TakeInformationEntry(false);
}

void CTamselFont::ReadBigfontHeader(int64_t end)
{
    uint16_t count = 0;
    uint16_t rangeCount = 0;
    if (!ReadU16(end + 5, count) || !ReadU16(end + 7, rangeCount)) return;
    int64_t rangesStart = end + 9;
    for (int i = 0; i < rangeCount && i < MaxRanges; ++i) {
        if (!ReadU16(rangesStart + 4 * i, ranges_[i][0]) || !ReadU16(rangesStart + 4 * i + 2, ranges_[i][1])) break;
        rangeCount_ = static_cast<uint16_t>(i + 1);
    }
    int64_t start = rangesStart + 4 * int64_t{rangeCount};
    if (start >= size_) return;
    indexStart_ = static_cast<int32_t>(start);
    entryCount_ = static_cast<int32_t>(std::min<int64_t>(count, (size_ - start) / kBigfontEntryBytes));
    TakeInformationEntry(true);
}

void CTamselFont::TakeInformationEntry(bool nonEmpty)
{
    Cursor cursor = StartCursor();
    Entry entry;
    for (Step step; (step = NextEntry(cursor, entry)) != Step::Stop;) {
        if (step == Step::Found && entry.number == 0 && (!nonEmpty || entry.length > 0)) {
            TakeFontInfo(entry.offset, entry.length, 4);
            return;
        }
    }
}

void CTamselFont::ReadUnifontHeader(int64_t end)
{
    uint32_t count = 0;
    uint16_t infoLength = 0;
    if (!ReadU32(end + 3, count) || !ReadU16(end + 7, infoLength)) return;
    int64_t info = end + 9;
    if (info + infoLength > size_) return;
    TakeFontInfo(info, infoLength, 6);
    indexStart_ = static_cast<int32_t>(info + infoLength);
    // The records are counted once here, so that every later walk stays inside the file
    // whatever count the header claims.
    int64_t at = indexStart_;
    int32_t records = 0;
    for (uint32_t i = 0; i < count; ++i) {
        uint16_t length = 0;
        if (!ReadU16(at + 2, length) || at + kUnifontRecordHead + length > size_) break;
        at += kUnifontRecordHead + length;
        ++records;
    }
    entryCount_ = records;
}

void CTamselFont::TakeFontInfo(int64_t offset, int64_t length, int heightBack)
{
    const uint8_t* def = bytes_.data() + offset;
    // The name is taken only when its terminator lies inside the definition, so that
    // reading it never runs on past the definition.
    if (std::find(def, def + length, 0) != def + length) fontNameOffset_ = static_cast<int32_t>(offset);
    if (length >= heightBack) {
        heightUp_ = def[length - heightBack];
        heightDown_ = def[length - heightBack + 1];
        displayMode_ = def[length - heightBack + 2];
    }
}

CTamselFont::Cursor CTamselFont::StartCursor() const
{
    Cursor cursor;
    cursor.offset = kind_ == FONTYPE_SHAPES ? shapesDataStart_ : indexStart_;
    return cursor;
}

CTamselFont::Step CTamselFont::NextEntry(Cursor& cursor, Entry& entry) const
{
    if (cursor.entry >= entryCount_) return Step::Stop;
    switch (kind_) {
    case FONTYPE_SHAPES: {
        int64_t at = indexStart_ + kShapesEntryBytes * cursor.entry;
        ReadU16(at, entry.number);
        ReadU16(at + 2, entry.length);
        entry.offset = cursor.offset;
        // The definitions lie back to back: one that runs past the end hides all after it.
        if (entry.offset + entry.length > size_) return Step::Stop;
        cursor.offset += entry.length;
        ++cursor.entry;
        return Step::Found;
    }
    case FONTYPE_BIGFONT: {
        int64_t at = indexStart_ + kBigfontEntryBytes * cursor.entry;
        uint32_t offset = 0;
        ReadU16(at, entry.number);
        ReadU16(at + 2, entry.length);
        ReadU32(at + 4, offset);
        entry.offset = offset;
        ++cursor.entry;
        return entry.offset + entry.length > size_ ? Step::Skip : Step::Found;
    }
    case FONTYPE_UNIFONT:
        ReadU16(cursor.offset, entry.number);
        ReadU16(cursor.offset + 2, entry.length);
        entry.offset = cursor.offset + kUnifontRecordHead;
        cursor.offset = entry.offset + entry.length;
        ++cursor.entry;
        return Step::Found;
    case FONTYPE_UNKNOWN: break;
    }
    return Step::Stop;
}

const char* CTamselFont::Find(uint16_t number, int& length) const
{
    length = 0;
    auto at = std::lower_bound(lookup_.begin(), lookup_.end(), number,
                               [](const Entry& e, uint16_t n) { return e.number < n; });
    if (at == lookup_.end() || at->number != number) return nullptr;
    length = at->length;
    return reinterpret_cast<const char*>(bytes_.data()) + at->offset;
}

const char* CTamselFont::NextShape(Cursor& cursor, int& length, uint16_t& number) const
{
    Entry entry;
    for (Step step; (step = NextEntry(cursor, entry)) != Step::Stop;) {
        if (step != Step::Found || entry.number == 0) continue;
        if (kind_ == FONTYPE_BIGFONT && entry.length == 0) continue;
        length = entry.length;
        number = entry.number;
        return reinterpret_cast<const char*>(bytes_.data()) + entry.offset;
    }
    length = 0;
    return nullptr;
}

const char* CTamselFont::GetFirstShape(int& length, uint16_t& number)
{
    iterator_ = StartCursor();
    return NextShape(iterator_, length, number);
}

const char* CTamselFont::GetNextShape(int& length, uint16_t& number) { return NextShape(iterator_, length, number); }

int32_t CTamselFont::GetExactNum() const
{
    Cursor cursor = StartCursor();
    int length = 0;
    uint16_t number = 0;
    int32_t shapes = 0;
    while (NextShape(cursor, length, number)) ++shapes;
    return shapes;
}

FONTYPE CTamselFont::FontType(int recompute)
{
    if (recompute) kind_ = RecogniseKind();
    return kind_;
}

const char16_t* CTamselFont::FontTypeName() const
{
    switch (kind_) {
    case FONTYPE_SHAPES: return u"shape";
    case FONTYPE_BIGFONT: return u"bigfont";
    case FONTYPE_UNIFONT: return u"unifont";
    case FONTYPE_UNKNOWN: break;
    }
    return nullptr;
}

int CTamselFont::GetRange(int i, uint16_t& first, uint16_t& last) const
{
    if (i < 0 || i >= rangeCount_) return 0;
    first = ranges_[i][0];
    last = ranges_[i][1];
    return 1;
}

void CTamselFont::Display(CDC* dc, int32_t& x, int32_t& y, float scale, const char* code, int length) const
{
    if (!dc || !code) return;
    bool penDown = true;
    dc->MoveTo(x, y);
    for (int i = 0; i < length; ++i) {
        switch (static_cast<unsigned char>(code[i])) {
        case 1: penDown = true; break;
        case 2: penDown = false; break;
        case 8: {
            if (i + 2 >= length) return;  // a move cut off by the end of the code
            int dx = static_cast<signed char>(code[i + 1]);
            int dy = static_cast<signed char>(code[i + 2]);
            i += 2;
            x = TruncateToInt32(x + static_cast<double>(dx * scale));
            y = TruncateToInt32(y - static_cast<double>(dy * scale));
            if (penDown) dc->LineTo(x, y);
            else dc->MoveTo(x, y);
            break;
        }
        default: break;
        }
    }
}
