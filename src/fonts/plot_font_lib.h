// PlotFontLib and PlotFontLibArray: glyph tables built from vector-font files, and the
// layout of 8-bit text into glyph polylines.
//
// Text is 8-bit: a byte of 0x80 or more starts a double-byte code with the byte after it.
// The tables know nothing of text encodings: a glyph's code is its shape number, and the
// caller hands over text in the encoding its font is numbered in (the single-font table
// is numbered in GB2312 codes, the bigfont of the multi-font table in code page 950).
#pragma once

#include "fonts/plot_char.h"
#include "platform/cstring.h"

#include <cstdint>

class CTamselFont;

// The glyphs of one font file, sorted by ascending code without duplicates.
class PlotFontLib {
public:
    // Font file of the global library, in the program directory.
    static constexpr const char16_t* GlobalFontFile = u"fshz.fnt";
    // The double-byte codes single bytes are looked up under: the full-width space, and the
    // full-width form of "!", followed by those of "\"" to "~" in order.
    static constexpr uint16_t FullWidthSpace = 0xA1A1;
    static constexpr uint16_t FullWidthFirst = 0xA3A1;
    // Single-byte glyphs are laid out this many font units above double-byte ones.
    static constexpr float SingleByteRise = 15.0f;

    PlotFontLib();
    // Copies are deep: each library owns its glyphs, so that no two tables free one glyph.
    PlotFontLib(const PlotFontLib& other);
    PlotFontLib& operator=(const PlotFontLib& other);
    virtual ~PlotFontLib();

    // Points all glyphs of one table hold together at the most (32 MiB of points; a full
    // double-byte font needs a few million at the most).
    static constexpr int32_t MaxPointsPerFont = 1 << 22;

    // Rebuilds the table from every shape of a loaded font: 0 (and an empty table) when the
    // font has no shapes, else 1. Of shapes sharing a number the first is kept. A glyph over
    // the glyph bound (ShxExplainer::MaxPointsPerGlyph), or one that would take the table past
    // MaxPointsPerFont, is kept empty.
    int Create(CTamselFont& font);
    // The glyph of a code, or null.
    const PlotChar* FindPlotChar(uint16_t code) const;
    // Appends the glyphs of text to out, the k-th placed glyph moved right by k times the
    // table box's x maximum; single bytes take their full-width double-byte form and are
    // raised by 15 units. Codes without a glyph take no place. Returns 1.
    int FindPlotString(const CStringA& text, PlotChar& out) const;
    // The points FindPlotString would append for text, counted without laying it out.
    int64_t PlotStringPointCount(const CStringA& text) const;
    // Recomputes the merged box of all glyphs.
    const ShxBox& CalArea();
    const ShxBox& GetArea() const { return box_; }
    int32_t GetCount() const { return count_; }

    // Builds the global library from its font file in the program directory; a missing
    // file leaves it empty, without a message.
    static void LoadGlobalFontLib();
    static PlotFontLib* GetGlobalFontLib();

private:
    // Calls visit(glyph, rise) for each glyph text places, in order.
    template <class Visit>
    void ForEachGlyph(const CStringA& text, Visit visit) const;
    static PlotChar** Alloc(int32_t n);
    // Where a code goes: -2 when the table is full, -1 when the code is there already,
    // else the index of the first glyph with a larger code (count when none is larger).
    int32_t FindInsertPos(uint16_t code) const;
    // Moves the glyphs from pos on up by one slot.
    void MemBack1(int32_t pos);
    int InsertChar(PlotChar* glyph, int32_t pos);
    void Destroy();
    void CopyGlyphs(const PlotFontLib& other);

    PlotChar** glyphs_ = nullptr;  // owned
    int32_t capacity_ = 0;
    int32_t count_ = 0;
    ShxBox box_;
    // Full-width double-byte codes of the printable ASCII bytes (0 where there is none).
    uint16_t asciiTable_[256] = {};
};

// A double-byte (bigfont) table and an ASCII (shapes) table laying out mixed text.
class PlotFontLibArray {
public:
    static constexpr const char16_t* ShapesFontFile = u"txt.shx";
    static constexpr const char16_t* BigFontFile = u"chineset.shx";
    // Shapes-font glyphs are drawn this many times their size next to bigfont glyphs.
    static constexpr float ShapesGlyphScale = 6.0f;
    // Stands in for a double-byte code the bigfont lacks.
    static constexpr uint16_t MissingGlyphCode = '|';

    // Fills the shapes table from its font file in the program directory, then the bigfont
    // table from its file; a missing file leaves its table empty, without a message.
    void LoadGlobalFontLib();
    static PlotFontLibArray* GetGlobalFontLib();

    // Appends the glyphs of text to out, each placed right of the one before with one unit
    // between them. Returns 1.
    int FindPlotString(const CStringA& text, PlotChar& out) const;
    // The points FindPlotString would append for text, counted without laying it out.
    int64_t PlotStringPointCount(const CStringA& text) const;

    const PlotFontLib& GetBigFontLib() const { return bigFont_; }
    const PlotFontLib& GetShapesLib() const { return shapes_; }

private:
    // Calls visit(glyph, fromShapes) for each glyph text places, in order: null for a space,
    // fromShapes true for a glyph of the shapes table drawn ShapesGlyphScale times larger.
    template <class Visit>
    void ForEachGlyph(const CStringA& text, Visit visit) const;
    // The advance of a space: the width of "a" of the shapes table at its drawn size.
    int64_t SpaceWidth() const;

    PlotFontLib bigFont_;
    PlotFontLib shapes_;
};
