// CTamselFont: one compiled vector-font file (shapes, bigfont or unifont) held in memory.
//
// The file is read whole. Its header names the kind of font within the first 200 bytes and
// ends with the bytes 13 10 26 within the first 500; the index that follows leads to one
// byte-code definition per shape number. Every offset, length and count taken from the file
// is checked against the file size, so a truncated or damaged file yields the shapes that
// lie wholly inside it and nothing is read outside the buffer.
#pragma once

#include "platform/cstring.h"

#include <cstdint>
#include <vector>

class CDC;

enum FONTYPE : int32_t {
    FONTYPE_UNKNOWN = -1,  // no data, or a header that names no known kind
    FONTYPE_SHAPES = 0,
    FONTYPE_BIGFONT = 1,
    FONTYPE_UNIFONT = 2,
};

class CTamselFont {
public:
    // Bigfont escape ranges kept from the header.
    static constexpr int MaxRanges = 10;
    // Files of this size or more are refused: offsets inside a font are 32-bit.
    static constexpr int64_t MaxFileBytes = int64_t{1} << 31;

    CTamselFont() = default;
    // Copies are deep: each font owns its file bytes, so that no two fonts free one buffer.
    CTamselFont(const CTamselFont&) = default;
    CTamselFont& operator=(const CTamselFont&) = default;
    virtual ~CTamselFont() = default;

    // Drops what is held, then reads the file whole: 0 when the path is null, the file does
    // not open, is empty or is 2 GiB or larger; 1 otherwise, also when the header cannot be
    // read (the font then has no shapes).
    int LoadFont(const char16_t* path);

    // The definition (name and byte code) of a shape number and its length, or null.
    const char* Find(uint16_t number, int& length) const;
    // Iterate over the shapes in file order, leaving out the font information (number 0);
    // null at the end.
    const char* GetFirstShape(int& length, uint16_t& number);
    const char* GetNextShape(int& length, uint16_t& number);
    // How many shapes the iteration yields.
    int32_t GetExactNum() const;

    // The kind of font; with recompute set it is first recognised again from the bytes.
    FONTYPE FontType(int recompute);
    // "shape", "bigfont" or "unifont"; null without a known kind.
    const char16_t* FontTypeName() const;
    uint8_t GetHeightUp() const { return heightUp_; }
    uint8_t GetHeightDn() const { return heightDown_; }
    uint8_t GetDispalyType() const { return displayMode_; }
    // The name of the font-information shape, or null.
    const char* GetFontName() const { return fontNameOffset_ >= 0 ? reinterpret_cast<const char*>(bytes_.data()) + fontNameOffset_ : nullptr; }
    // Escape ranges of a bigfont (lead codes of double-byte text); for a shapes font the one
    // range holds the header's first and last shape numbers. 0 for an index out of range.
    int GetRangeCount() const { return rangeCount_; }
    int GetRange(int i, uint16_t& first, uint16_t& last) const;
    // Draws simplified byte code on dc from (x, y), in device units with y growing downward:
    // codes 1 and 2 put the pen down and up (down at the start), code 8 moves by
    // (dx * scale, -dy * scale), drawing when the pen is down; other bytes are passed over.
    // (x, y) ends at the last position.
    void Display(CDC* dc, int32_t& x, int32_t& y, float scale, const char* code, int length) const;
    // The path given to LoadFont, or null when none is held.
    const char16_t* GetFileName() const { return hasPath_ ? path_.GetString() : nullptr; }

private:
    // Where the walk over the index stands: the entry and, for shapes and unifont files,
    // the byte offset of that entry's definition or record.
    struct Cursor {
        int32_t entry = 0;
        int64_t offset = 0;
    };
    // One index entry whose definition lies wholly inside the file.
    struct Entry {
        uint16_t number = 0;
        uint16_t length = 0;
        int64_t offset = 0;  // of the definition
    };
    enum class Step { Found, Skip, Stop };

    void Clear() { *this = CTamselFont(); }
    // Reads kind, end mark, header and font information: 0 without data or a known kind,
    // -1 without end mark, 1 when read.
    int GetFontInfo();
    FONTYPE RecogniseKind() const;
    void ReadShapesHeader(int64_t end);
    void ReadBigfontHeader(int64_t end);
    void ReadUnifontHeader(int64_t end);
    // Takes the font information from the first index entry numbered 0 (with nonEmpty, the
    // first such entry of non-zero length).
    void TakeInformationEntry(bool nonEmpty);
    // Takes name and heights from a font-information definition; the heights are the
    // bytes heightBack, heightBack - 1 and heightBack - 2 before its end.
    void TakeFontInfo(int64_t offset, int64_t length, int heightBack);
    // Reads the entry under the cursor and moves the cursor past it.
    Step NextEntry(Cursor& cursor, Entry& entry) const;
    Cursor StartCursor() const;
    // Records the first usable entry of every shape number, for lookups by number.
    void BuildLookup();
    const char* NextShape(Cursor& cursor, int& length, uint16_t& number) const;
    bool ReadU16(int64_t offset, uint16_t& value) const;
    bool ReadU32(int64_t offset, uint32_t& value) const;

    CString path_;
    bool hasPath_ = false;
    std::vector<uint8_t> bytes_;  // the whole file
    int32_t size_ = 0;            // file length in bytes
    int32_t indexStart_ = 0;     // first index entry (unifont: first shape record)
    FONTYPE kind_ = FONTYPE_UNKNOWN;
    Cursor iterator_;            // the shape iteration
    int32_t entryCount_ = 0;     // index entries (unifont: shape records) inside the file
    uint8_t heightUp_ = 0;
    uint8_t heightDown_ = 0;
    uint8_t displayMode_ = 0;
    uint16_t rangeCount_ = 0;
    uint16_t ranges_[MaxRanges][2] = {};
    int64_t shapesDataStart_ = 0;  // shapes files: first definition, after the whole index
    int32_t fontNameOffset_ = -1;  // into the file bytes, or -1
    std::vector<Entry> lookup_;    // sorted by number, one entry a number
};
