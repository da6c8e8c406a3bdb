// Helpers of the font tests: loading generated fonts and reading glyph polylines.
#pragma once

#include "fonts/plot_char.h"
#include "fonts/tamsel_font.h"
#include "support/shx_font_writer.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace font_test {

using Point = std::pair<float, float>;
using Polyline = std::vector<Point>;

// Writes font bytes to a scratch file and loads them; returns LoadFont's result.
inline int LoadBytes(CTamselFont& font, const std::string& bytes, const std::string& name = "font.shx")
{
    std::string path = corvane_test::ScratchDir() + name;
    if (!corvane_test::WriteFile(path, bytes)) return -1;
    return font.LoadFont(CString::FromUtf8(path).GetString());
}

inline int Load(CTamselFont& font, const corvane_test::ShxFontDef& def)
{
    return LoadBytes(font, corvane_test::ShxFontBytes(def));
}

// A shapes font with one glyph per (number, byte code).
inline corvane_test::ShxFontDef ShapesFont(std::vector<corvane_test::ShxGlyphDef> glyphs)
{
    corvane_test::ShxFontDef def;
    def.glyphs = std::move(glyphs);
    return def;
}

inline std::vector<Polyline> PolylinesOf(const PlotChar& glyph)
{
    std::vector<Polyline> out;
    for (int i = 0; i < glyph.GetPlNum(); ++i) {
        int32_t count = 0;
        const float* p = glyph.GetPl(i, count);
        Polyline pl;
        for (int32_t k = 0; k < count; ++k) pl.emplace_back(p[2 * k], p[2 * k + 1]);
        out.push_back(pl);
    }
    return out;
}

// Expects the glyph's polylines to be the given ones, point by point within tolerance.
inline void ExpectPolylines(const PlotChar& glyph, const std::vector<Polyline>& expected, float tolerance = 1e-4f)
{
    std::vector<Polyline> actual = PolylinesOf(glyph);
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(actual[i].size(), expected[i].size()) << "polyline " << i;
        for (size_t k = 0; k < expected[i].size(); ++k) {
            EXPECT_NEAR(actual[i][k].first, expected[i][k].first, tolerance) << "polyline " << i << " point " << k;
            EXPECT_NEAR(actual[i][k].second, expected[i][k].second, tolerance) << "polyline " << i << " point " << k;
        }
    }
}

}  // namespace font_test
