// ParseJhf: reading the records of a Hershey ".jhf" font.
#include "hershey/hershey_font.h"

#include <cctype>

namespace hershey {
namespace {

constexpr size_t kNumberWidth = 5;
constexpr size_t kCountWidth = 3;
constexpr int32_t kOrigin = 'R';

// Reads a right-aligned number of width characters at at; false when it holds no digit or
// anything but spaces before the digits.
bool ReadField(const std::string& line, size_t at, size_t width, int32_t& value)
{
    if (at + width > line.size()) return false;
    value = 0;
    bool digits = false;
    for (size_t i = at; i < at + width; ++i) {
        auto c = static_cast<unsigned char>(line[i]);
        if (std::isdigit(c)) {
            value = value * 10 + (c - '0');
            digits = true;
        } else if (c != ' ' || digits) {
            return false;
        }
    }
    return digits;
}

// Splits the text into lines without their line ends.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Turns the vertex pairs of one record into a glyph.
HersheyGlyph GlyphOf(int32_t number, const std::string& pairs)
{
    HersheyGlyph glyph;
    glyph.number = number;
    glyph.left = pairs[0] - kOrigin;
    glyph.right = pairs[1] - kOrigin;
    std::vector<HersheyPoint> stroke;
    auto endStroke = [&] {
        if (stroke.size() >= 2) glyph.strokes.push_back(stroke);
        stroke.clear();
    };
    for (size_t i = 2; i + 1 < pairs.size(); i += 2) {
        if (pairs[i] == ' ' && pairs[i + 1] == 'R') {
            endStroke();
            continue;
        }
        stroke.push_back({pairs[i] - kOrigin, pairs[i + 1] - kOrigin});
    }
    endStroke();
    return glyph;
}

}  // namespace

bool ParseJhf(const std::string& text, std::vector<HersheyGlyph>& glyphs, std::string& error)
{
    glyphs.clear();
    std::vector<std::string> lines = Lines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find_first_not_of(' ') == std::string::npos) continue;
        int32_t number = 0;
        int32_t count = 0;
        if (!ReadField(lines[i], 0, kNumberWidth, number) || !ReadField(lines[i], kNumberWidth, kCountWidth, count) ||
            count < 1) {
            error = "line " + std::to_string(i + 1) + ": no glyph number and vertex count";
            return false;
        }
        auto needed = static_cast<size_t>(2 * count);
        std::string pairs = lines[i].substr(kNumberWidth + kCountWidth);
        // A long record runs on over the following lines.
        while (pairs.size() < needed && i + 1 < lines.size()) pairs += lines[++i];
        if (pairs.size() < needed) {
            error = "glyph " + std::to_string(number) + ": the text ends inside its vertices";
            return false;
        }
        glyphs.push_back(GlyphOf(number, pairs.substr(0, needed)));
    }
    return true;
}

}  // namespace hershey
