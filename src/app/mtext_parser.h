// MTextParser: reads the formatting codes of an MTEXT text and lays its lines out as shapes.
#pragma once

#include "platform/cstring.h"
#include "plotmodel/plot_shape_list.h"

#include <cstdint>
#include <string>

// The result of one code after a backslash.
struct MTextCode {
    static constexpr int kNothing = 0;
    static constexpr int kLiteral = 1;
    static constexpr int kStacked = 2;
    static constexpr int kParagraph = 3;

    int kind = kNothing;
    // The literal character (kLiteral) or the stack separator (kStacked).
    char character = 0;
    std::string upper;
    std::string lower;
};

class MTextParser {
public:
    // Depth of the saved states of nested braces.
    static constexpr int kMaxDepth = 10;

    // Initialises the state for text (the file's bytes) of the given height (drawing units);
    // its glyphs may make pointRoom points at the most.
    MTextParser(const CStringA& text, double height, int64_t pointRoom);

    // Reads the whole text and lays out its runs into the shapes, one per line. The glyphs
    // of each run are counted before they are laid out; the first run that would pass the
    // point room ends the parse, and PointRoomExceeded answers true.
    void Parse();
    bool PointRoomExceeded() const { return pointRoomExceeded_; }
    // Height x 40 over the height of the global font's box: the scale of the text's
    // glyphs at the end of parsing; 0 without a font box.
    float LayoutHeightScale() const;
    PlotShapeList& Shapes() { return shapes_; }

private:
    // The state that braces save and restore.
    struct State {
        int overline = 0;
        int underline = 0;
        int colour = 0;
        std::string fontName;
        double heightMm = 0.0;
        double heightFactor = 1.0;
        double tracking = 0.0;
        double slant = 0.0;
        double widthFactor = 1.0;
        int alignment = 0;
    };

    // Reads the code whose letter is at pos; returns the bytes it consumed (0: none).
    size_t ReadCode(size_t pos, MTextCode& code);
    // Reads a decimal number at pos (digits, one optional fraction); false without digits.
    bool ReadNumber(size_t& pos, double& value) const;
    // Lays the run out with the current state, then empties it.
    void EmitRun(const MTextCode& code);
    // Height x 40 over the font box height; 0 without a box.
    double HeightScale(double heightMm) const;

    std::string text_;
    State state_;
    State saved_[kMaxDepth];
    int depth_ = 0;
    int newParagraph_ = 0;
    std::string run_;
    PlotShapeList shapes_;
    int64_t pointRoom_;
    bool pointRoomExceeded_ = false;
};
