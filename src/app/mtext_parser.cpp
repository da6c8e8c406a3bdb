// MTextParser: MTEXT formatting codes, runs of plain text and their layout into lines.
//
// The text is scanned character by character: a byte of 0x80 or above takes the next byte
// with it, so the trail byte of a double-byte character is never read as a code. Heights are
// in drawing units (mm); the layout is in plotter units (40 per mm) with the global font.
#include "app/mtext_parser.h"

#include "fonts/plot_char.h"
#include "fonts/plot_font_lib.h"
#include "plotmodel/plot_shape.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <memory>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

MTextParser::MTextParser(const CStringA& text, double height, int64_t pointRoom) : text_(text.str()), pointRoom_(pointRoom)
{
    state_.heightMm = height;
}

double MTextParser::HeightScale(double heightMm) const
{
    const PlotFontLib* font = PlotFontLib::GetGlobalFontLib();
    double boxHeight = static_cast<double>(font->GetArea().Height64());
    return boxHeight > 0.0 ? heightMm * 40.0 / boxHeight : 0.0;
}

float MTextParser::LayoutHeightScale() const
{
    double s = HeightScale(state_.heightMm);
    return static_cast<float>(std::clamp(s, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

bool MTextParser::ReadNumber(size_t& pos, double& value) const
{
    // Digits beyond what a double holds saturate at its largest value.
    double v = 0.0;
    bool any = false;
    while (pos < text_.size() && IsDigit(text_[pos])) {
        v = std::min(v * 10.0 + (text_[pos] - '0'), DBL_MAX);
        ++pos;
        any = true;
    }
    if (pos < text_.size() && text_[pos] == '.') {
        ++pos;
        double unit = 0.1;
        while (pos < text_.size() && IsDigit(text_[pos])) {
            v += (text_[pos] - '0') * unit;
            unit /= 10.0;
            ++pos;
            any = true;
        }
    }
    value = v;
    return any;
}

size_t MTextParser::ReadCode(size_t pos, MTextCode& code)
{
    code = MTextCode{};
    const size_t n = text_.size();
    char letter = text_[pos];
    size_t p = pos + 1;
    auto toSemicolon = [&](size_t from) {
        size_t end = text_.find(';', from);
        return end == std::string::npos ? n : end + 1;
    };
    switch (letter) {
    case 'A':
        if (p < n && text_[p] >= '0' && text_[p] <= '2') {
            state_.alignment = text_[p] - '0';
            ++p;
            if (p < n && text_[p] == ';') ++p;
        }
        return p - pos;
    case 'C': {
        size_t end = toSemicolon(p);
        long long v = 0;
        for (size_t i = p; i < end && IsDigit(text_[i]); ++i) v = std::min<long long>(v * 10 + (text_[i] - '0'), INT_MAX);
        state_.colour = static_cast<int>(v);
        return end - pos;
    }
    case 'F': {
        size_t end = toSemicolon(p);
        size_t stop = end > p && text_[end - 1] == ';' ? end - 1 : end;
        state_.fontName.append(text_, p, stop - p);
        return end - pos;
    }
    case 'H': {
        if (p >= n) return 1;
        double v = 0.0;
        bool number = ReadNumber(p, v);
        bool x = p < n && text_[p] == 'x';
        if (x) ++p;
        bool semicolon = p < n && text_[p] == ';';
        if (semicolon) ++p;
        if (number || x || semicolon) (x ? state_.heightFactor : state_.heightMm) = v;
        return p - pos;
    }
    case 'L': state_.underline = 1; return 1;
    case 'l': state_.underline = 0; return 1;
    case 'O': state_.overline = 1; return 1;
    case 'o': state_.overline = 0; return 1;
    case 'P': code.kind = MTextCode::kParagraph; return 1;
    case 'Q':
    case 'T':
    case 'W': {
        double v = 0.0;
        bool number = ReadNumber(p, v);
        bool semicolon = p < n && text_[p] == ';';
        if (semicolon) ++p;
        if (number || semicolon) (letter == 'Q' ? state_.slant : letter == 'T' ? state_.tracking : state_.widthFactor) = v;
        return p - pos;
    }
    case 'S': {
        size_t sep = text_.find_first_of("#/^", p);
        if (sep == std::string::npos) {
            code.upper = text_.substr(p);
            return n - pos;
        }
        code.kind = MTextCode::kStacked;
        code.upper = text_.substr(p, sep - p);
        code.character = text_[sep];
        size_t end = toSemicolon(sep + 1);
        size_t stop = end > sep + 1 && text_[end - 1] == ';' ? end - 1 : end;
        code.lower = text_.substr(sep + 1, stop - sep - 1);
        return end - pos;
    }
    case '\\':
    case '{':
    case '}':
        code.kind = MTextCode::kLiteral;
        code.character = letter;
        return 1;
    case '~':
        code.kind = MTextCode::kLiteral;
        code.character = ' ';
        return 1;
    default: return 0;
    }
}

void MTextParser::EmitRun(const MTextCode& code)
{
    if (!run_.empty()) {
        const PlotFontLib* font = PlotFontLib::GetGlobalFontLib();
        int64_t points = font->PlotStringPointCount(CStringA(run_));
        if (points > pointRoom_) {
            pointRoomExceeded_ = true;
            run_.clear();
            return;
        }
        pointRoom_ -= points;
        PlotChar glyphs;
        font->FindPlotString(CStringA(run_), glyphs);
        double s = HeightScale(state_.heightMm);
        double sx = s * state_.widthFactor * state_.heightFactor * 0.7;
        double sy = s * state_.heightFactor;
        // A scale beyond the float range, or none for want of a font box, draws nothing.
        bool drawable = s > 0.0 && std::isfinite(sx) && std::isfinite(sy) && std::fabs(sx) <= FLT_MAX && std::fabs(sy) <= FLT_MAX;
        if (drawable && glyphs.GetTolPtNum() > 0) {
            glyphs.Scale(static_cast<float>(sx), static_cast<float>(sy));
            const ShxBox& box = glyphs.CalArea();
            PlotShape* last = static_cast<PlotShape*>(shapes_.GetTail());
            if (last && newParagraph_ == 0) {
                glyphs.Move(static_cast<float>(last->GetArea().xmax), 0.0f);
                last->Append(glyphs);
            } else {
                if (last) {
                    glyphs.Move(0.0f, static_cast<float>(int64_t{last->GetArea().ymin} - box.ymax));
                    newParagraph_ = 0;
                }
                auto shape = std::make_unique<PlotShape>();
                shape->Append(glyphs);
                shapes_.AddTail(shape.release());
            }
        }
    }
    run_.clear();
    if (code.kind == MTextCode::kParagraph) newParagraph_ = 1;
}

void MTextParser::Parse()
{
    const size_t n = text_.size();
    size_t i = 0;
    while (i < n && !pointRoomExceeded_) {
        char c = text_[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            run_.append(text_, i, std::min<size_t>(2, n - i));
            i += 2;
        } else if (c == '{') {
            if (depth_ < kMaxDepth) saved_[depth_++] = state_;
            ++i;
        } else if (c == '}') {
            if (depth_ > 0) state_ = saved_[--depth_];
            ++i;
        } else if (c == '\\') {
            if (i + 1 >= n) break;
            MTextCode code;
            size_t used = ReadCode(i + 1, code);
            i += 1 + used;
            if (used == 0) continue;
            if (code.kind == MTextCode::kLiteral)
                run_ += code.character;
            else
                EmitRun(code);
        } else {
            run_ += c;
            ++i;
        }
    }
    if (!pointRoomExceeded_) EmitRun(MTextCode{});
}
