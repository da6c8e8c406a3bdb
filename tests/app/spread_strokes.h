// A sheet of many short knife strokes spread apart, for the dispatch preparation tests.
#pragma once

#include <random>
#include <string>

namespace corvane_test {

// count open strokes of pen, each a random walk of six points, on a grid over 1000 x 578 mm;
// no two strokes come near each other. The same count gives the same sheet.
inline std::string SpreadStrokes(int count, int pen)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> step(-60, 60);
    std::string hpgl = "IN;SP" + std::to_string(pen) + ";";
    constexpr int kColumns = 50;
    for (int i = 0; i < count; ++i) {
        int x = 400 + (i % kColumns) * 800, y = 400 + (i / kColumns) * 570;
        hpgl += "PU" + std::to_string(x) + "," + std::to_string(y) + ";PD";
        for (int p = 0; p < 5; ++p) {
            x += 40 + step(random) / 2;
            y += step(random);
            hpgl += (p ? "," : "") + std::to_string(x) + "," + std::to_string(y);
        }
        hpgl += ";";
    }
    return hpgl;
}

}  // namespace corvane_test
