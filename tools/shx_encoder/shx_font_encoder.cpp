// Encodes vector-font files of the three kinds.
#include "shx_encoder/shx_font_encoder.h"

#include <algorithm>
#include <cstdlib>

namespace shx_font {
namespace {

void PutU16(std::string& out, uint32_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void PutU32(std::string& out, uint32_t v)
{
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

std::string Header(const char* kind) { return std::string("Corvane ") + kind + " 1.0\r\n\x1a"; }

std::string Definition(const ShxGlyphDef& g) { return g.name + '\0' + g.code + '\0'; }

// The font information: name, then above, below and modes, then (unifont) encoding and
// embedding bytes, then the closing 0.
std::string Information(const ShxFontDef& font)
{
    std::string info = font.name + '\0';
    info += static_cast<char>(font.heightUp);
    info += static_cast<char>(font.heightDown);
    info += static_cast<char>(font.mode);
    if (font.kind == ShxFontKind::Unifont) info += std::string(2, '\0');
    info += '\0';
    return info;
}

// The shapes of the index in file order: the font information first when there is one.
std::vector<ShxGlyphDef> IndexedShapes(const ShxFontDef& font)
{
    std::vector<ShxGlyphDef> shapes;
    if (font.withInfo) shapes.push_back({0, "", ""});
    shapes.insert(shapes.end(), font.glyphs.begin(), font.glyphs.end());
    return shapes;
}

std::string DefinitionOf(const ShxFontDef& font, const ShxGlyphDef& g, size_t i)
{
    return font.withInfo && i == 0 ? Information(font) : Definition(g);
}

std::string ShapesFile(const ShxFontDef& font)
{
    std::vector<ShxGlyphDef> shapes = IndexedShapes(font);
    uint16_t first = 0xFFFF;
    uint16_t last = 0;
    for (const auto& g : shapes) {
        first = std::min(first, g.number);
        last = std::max(last, g.number);
    }
    std::string out = Header("shapes");
    PutU16(out, shapes.empty() ? 0 : first);
    PutU16(out, last);
    PutU16(out, static_cast<uint32_t>(shapes.size()));
    std::string data;
    for (size_t i = 0; i < shapes.size(); ++i) {
        std::string def = DefinitionOf(font, shapes[i], i);
        PutU16(out, shapes[i].number);
        PutU16(out, static_cast<uint32_t>(def.size()));
        data += def;
    }
    return out + data;
}

std::string BigfontFile(const ShxFontDef& font)
{
    std::vector<ShxGlyphDef> shapes = IndexedShapes(font);
    std::string out = Header("bigfont");
    out += static_cast<char>(8);  // entry size
    out += '\0';
    PutU16(out, static_cast<uint32_t>(shapes.size()));
    PutU16(out, static_cast<uint32_t>(font.ranges.size()));
    for (const auto& [firstCode, lastCode] : font.ranges) {
        PutU16(out, firstCode);
        PutU16(out, lastCode);
    }
    size_t dataStart = out.size() + 8 * shapes.size();
    std::string data;
    for (size_t i = 0; i < shapes.size(); ++i) {
        std::string def = DefinitionOf(font, shapes[i], i);
        PutU16(out, shapes[i].number);
        PutU16(out, static_cast<uint32_t>(def.size()));
        PutU32(out, static_cast<uint32_t>(dataStart + data.size()));
        data += def;
    }
    return out + data;
}

std::string UnifontFile(const ShxFontDef& font)
{
    std::string info = font.withInfo ? Information(font) : std::string();
    std::string out = Header("unifont");
    PutU32(out, static_cast<uint32_t>(font.glyphs.size()));
    PutU16(out, static_cast<uint32_t>(info.size()));
    out += info;
    for (const auto& g : font.glyphs) {
        std::string def = Definition(g);
        PutU16(out, g.number);
        PutU16(out, static_cast<uint32_t>(def.size()));
        out += def;
    }
    return out;
}

}  // namespace

std::string ShxCode(std::initializer_list<int> bytes)
{
    std::string out;
    for (int b : bytes) out += static_cast<char>(static_cast<unsigned char>(b & 0xFF));
    return out;
}

std::string ShxFontBytes(const ShxFontDef& font)
{
    switch (font.kind) {
    case ShxFontKind::Shapes: return ShapesFile(font);
    case ShxFontKind::Bigfont: return BigfontFile(font);
    case ShxFontKind::Unifont: return UnifontFile(font);
    }
    return {};
}

int32_t AppendByteStepMove(std::string& code, int32_t dx, int32_t dy, char prefix)
{
    constexpr int32_t kMaxByteMove = 127;
    const int32_t longest = std::max(std::abs(dx), std::abs(dy));
    const int32_t steps = (longest + kMaxByteMove - 1) / kMaxByteMove;
    int32_t doneX = 0;
    int32_t doneY = 0;
    for (int32_t k = 1; k <= steps; ++k) {
        const int32_t toX = static_cast<int32_t>(static_cast<int64_t>(dx) * k / steps);
        const int32_t toY = static_cast<int32_t>(static_cast<int64_t>(dy) * k / steps);
        if (prefix != 0) code += prefix;
        code += static_cast<char>(static_cast<signed char>(toX - doneX));
        code += static_cast<char>(static_cast<signed char>(toY - doneY));
        doneX = toX;
        doneY = toY;
    }
    return steps;
}

}  // namespace shx_font
