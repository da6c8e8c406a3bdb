// PlotFontLib and PlotFontLibArray: the sorted glyph tables, text layout and the globals.
#include "fonts/plot_font_lib.h"

#include "fonts/shx_explainer.h"
#include "fonts/tamsel_font.h"
#include "geometry/module_utilities.h"

#include <algorithm>

namespace {

constexpr uint16_t kLetterA = 'a';

// Loads one font file of the program directory into font (emptied when it is missing).
void LoadProgramFont(CTamselFont& font, const char16_t* name)
{
    CString path = GetExeModulePath() + name;
    font.LoadFont(path.GetString());
}

}  // namespace

// ---- PlotFontLib ----

PlotFontLib::PlotFontLib()
{
    asciiTable_[' '] = FullWidthSpace;
    for (int b = '!'; b <= '~'; ++b) asciiTable_[b] = static_cast<uint16_t>(FullWidthFirst + (b - '!'));
}

PlotFontLib::PlotFontLib(const PlotFontLib& other) : box_(other.box_)
{
    std::copy(std::begin(other.asciiTable_), std::end(other.asciiTable_), asciiTable_);
    CopyGlyphs(other);
}

PlotFontLib& PlotFontLib::operator=(const PlotFontLib& other)
{
    if (this != &other) {
        Destroy();
        box_ = other.box_;
        std::copy(std::begin(other.asciiTable_), std::end(other.asciiTable_), asciiTable_);
        CopyGlyphs(other);
    }
    return *this;
}

PlotFontLib::~PlotFontLib() { Destroy(); }

void PlotFontLib::CopyGlyphs(const PlotFontLib& other)
{
    if (other.capacity_ <= 0) return;
    glyphs_ = Alloc(other.capacity_);
    capacity_ = other.capacity_;
    for (int32_t i = 0; i < other.count_; ++i) glyphs_[i] = new PlotChar(*other.glyphs_[i]);
    count_ = other.count_;
}

PlotChar** PlotFontLib::Alloc(int32_t n) { return n > 0 ? new PlotChar*[static_cast<size_t>(n)]() : nullptr; }

void PlotFontLib::Destroy()
{
    for (int32_t i = 0; i < count_; ++i) delete glyphs_[i];
    delete[] glyphs_;
    glyphs_ = nullptr;
    capacity_ = 0;
    count_ = 0;
    box_.Initialize();
}

int32_t PlotFontLib::FindInsertPos(uint16_t code) const
{
    if (count_ >= capacity_) return -2;
    if (count_ == 0 || code < glyphs_[0]->GetChar()) return 0;
    if (code > glyphs_[count_ - 1]->GetChar()) return count_;
    int32_t low = 0;
    int32_t high = count_ - 1;
    while (low <= high) {
        int32_t mid = low + (high - low) / 2;
        uint16_t at = glyphs_[mid]->GetChar();
        if (at == code) return -1;
        if (at < code) low = mid + 1;
        else high = mid - 1;
    }
    return low;
}

void PlotFontLib::MemBack1(int32_t pos)
{
    for (int32_t i = count_; i > pos; --i) glyphs_[i] = glyphs_[i - 1];
}

int PlotFontLib::InsertChar(PlotChar* glyph, int32_t pos)
{
    if (pos < 0 || pos > count_ || count_ >= capacity_) return 0;
    MemBack1(pos);
    glyphs_[pos] = glyph;
    ++count_;
    return 1;
}

int PlotFontLib::Create(CTamselFont& font)
{
    Destroy();
    int32_t shapes = font.GetExactNum();
    if (shapes <= 0) return 0;
    glyphs_ = Alloc(shapes);
    capacity_ = shapes;
    ShxExplainer explainer(font);
    int length = 0;
    uint16_t number = 0;
    // Points are bounded per table as well as per glyph, so that a small damaged or hostile
    // font cannot expand into hundreds of megabytes; its glyphs within the bounds load.
    int32_t pointsLeft = MaxPointsPerFont;
    for (const char* code = font.GetFirstShape(length, number); code; code = font.GetNextShape(length, number)) {
        auto* glyph = new PlotChar;
        explainer.Attach(code, length, number);
        explainer.Explain(*glyph, pointsLeft);
        pointsLeft -= glyph->GetTolPtNum();
        glyph->SetChar(number);
        glyph->CalArea();
        glyph->FreeUsedSpace();
        if (!InsertChar(glyph, FindInsertPos(number))) delete glyph;
    }
    CalArea();
    return 1;
}

const PlotChar* PlotFontLib::FindPlotChar(uint16_t code) const
{
    int32_t low = 0;
    int32_t high = count_ - 1;
    while (low <= high) {
        int32_t mid = low + (high - low) / 2;
        uint16_t at = glyphs_[mid]->GetChar();
        if (at == code) return glyphs_[mid];
        if (at < code) low = mid + 1;
        else high = mid - 1;
    }
    return nullptr;
}

const ShxBox& PlotFontLib::CalArea()
{
    box_.Initialize();
    for (int32_t i = 0; i < count_; ++i) box_.Merge(glyphs_[i]->GetArea());
    return box_;
}

template <class Visit>
void PlotFontLib::ForEachGlyph(const CStringA& text, Visit visit) const
{
    const std::string& bytes = text.str();
    for (size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        const PlotChar* glyph = nullptr;
        float rise = 0.0f;
        if (b >= 0x80) {
            if (i + 1 >= bytes.size()) break;  // a lead byte without its second byte ends the text
            glyph = FindPlotChar(static_cast<uint16_t>(b << 8 | static_cast<unsigned char>(bytes[++i])));
        } else {
            if (asciiTable_[b] != 0) glyph = FindPlotChar(asciiTable_[b]);
            rise = SingleByteRise;
        }
        if (glyph) visit(*glyph, rise);
    }
}

int PlotFontLib::FindPlotString(const CStringA& text, PlotChar& out) const
{
    const double advance = box_.xmax;
    int32_t placed = 0;
    ForEachGlyph(text, [&](const PlotChar& glyph, float rise) {
        PlotChar copy(glyph);
        copy.Move(static_cast<float>(placed * advance), rise);
        out.Append(copy);
        ++placed;
    });
    return 1;
}

int64_t PlotFontLib::PlotStringPointCount(const CStringA& text) const
{
    int64_t points = 0;
    ForEachGlyph(text, [&](const PlotChar& glyph, float) { points += glyph.GetTolPtNum(); });
    return points;
}

void PlotFontLib::LoadGlobalFontLib()
{
    CTamselFont font;
    LoadProgramFont(font, GlobalFontFile);
    GetGlobalFontLib()->Create(font);
}

PlotFontLib* PlotFontLib::GetGlobalFontLib()
{
    static PlotFontLib global;
    return &global;
}

// ---- PlotFontLibArray ----

void PlotFontLibArray::LoadGlobalFontLib()
{
    CTamselFont font;
    LoadProgramFont(font, ShapesFontFile);
    shapes_.Create(font);
    LoadProgramFont(font, BigFontFile);
    bigFont_.Create(font);
}

PlotFontLibArray* PlotFontLibArray::GetGlobalFontLib()
{
    static PlotFontLibArray global;
    return &global;
}

int64_t PlotFontLibArray::SpaceWidth() const
{
    if (const PlotChar* a = shapes_.FindPlotChar(kLetterA)) {
        PlotChar copy(*a);
        copy.Scale(ShapesGlyphScale, ShapesGlyphScale);
        return copy.GetArea().Width64();
    }
    // A shapes font without "a" gives the space half the width of its widest glyph, about
    // that of a small letter, so that words stay apart.
    return static_cast<int64_t>(shapes_.GetArea().Width64() * static_cast<double>(ShapesGlyphScale) / 2.0);
}

template <class Visit>
void PlotFontLibArray::ForEachGlyph(const CStringA& text, Visit visit) const
{
    const std::string& bytes = text.str();
    for (size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (b == ' ') {
            visit(nullptr, false);
            continue;
        }
        if (b >= 0x80) {
            if (i + 1 >= bytes.size()) break;  // a lead byte without its second byte ends the text
            auto code = static_cast<uint16_t>(b << 8 | static_cast<unsigned char>(bytes[++i]));
            const PlotChar* glyph = bigFont_.FindPlotChar(code);
            if (!glyph) glyph = shapes_.FindPlotChar(MissingGlyphCode);
            if (glyph) visit(glyph, false);
        } else if (const PlotChar* glyph = shapes_.FindPlotChar(b)) {
            visit(glyph, true);
        }
    }
}

int PlotFontLibArray::FindPlotString(const CStringA& text, PlotChar& out) const
{
    int64_t x = 0;
    ForEachGlyph(text, [&](const PlotChar* glyph, bool shapesGlyph) {
        if (!glyph) {
            x += SpaceWidth();
            return;
        }
        PlotChar copy = *glyph;
        if (shapesGlyph) copy.Scale(ShapesGlyphScale, ShapesGlyphScale);
        copy.CalArea();
        copy.Move(static_cast<float>(x), 0.0f);
        out.Append(copy);
        // A glyph that draws nothing has no box; it counts as zero wide rather than as the
        // difference of an empty box's extreme sides.
        x += copy.GetArea().Width64() + 1;
    });
    return 1;
}

int64_t PlotFontLibArray::PlotStringPointCount(const CStringA& text) const
{
    int64_t points = 0;
    ForEachGlyph(text, [&](const PlotChar* glyph, bool) {
        if (glyph) points += glyph->GetTolPtNum();
    });
    return points;
}
