// HersheyGlyph and ParseJhf: the glyphs of a Hershey font in the ".jhf" text format.
//
// A record is a 5-character glyph number, a 3-character vertex count and that many vertex
// pairs of characters, each coordinate the character's code minus 'R'; the first pair is
// the glyph's left and right side, the pair " R" lifts the pen. Records may run on over line
// breaks. Hershey coordinates grow rightward and downward.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hershey {

struct HersheyPoint {
    int32_t x = 0;
    int32_t y = 0;  // downward
};

struct HersheyGlyph {
    int32_t number = 0;  // the glyph number of the record
    int32_t left = 0;    // left and right side: the advance is right - left
    int32_t right = 0;
    std::vector<std::vector<HersheyPoint>> strokes;  // pen-down runs of two points or more
};

// Parses every record of a ".jhf" text in order. False with a reason in error when a record
// is malformed (a count that is no number, or a record cut off by the end of the text).
bool ParseJhf(const std::string& text, std::vector<HersheyGlyph>& glyphs, std::string& error);

}  // namespace hershey
