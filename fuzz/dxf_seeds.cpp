// Writes the seed corpus of the DXF harness: small drawings of every converted entity type,
// as ASCII and binary, made with the tests' DXF writer.
#include "support/dxf_writer.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using corvane_test::DxfWriter;

namespace {

DxfWriter Drawing(const std::function<void(DxfWriter&)>& entities)
{
    DxfWriter w;
    w.Section("HEADER").Text(9, "$ACADVER").Text(1, "AC1015").Text(9, "$DWGCODEPAGE").Text(3, "ANSI_936").EndSection();
    w.Section("TABLES").Text(0, "TABLE").Text(2, "LAYER");
    w.Text(0, "LAYER").Text(2, "L").Number(70, 0).Number(62, 4).Text(6, "CONTINUOUS").Text(0, "ENDTAB").EndSection();
    w.Section("BLOCKS").Text(0, "BLOCK").Text(8, "0").Text(2, "B").Number(70, 0).Number(10, 0).Number(20, 0).Number(30, 0).Text(3, "B");
    w.Text(0, "CIRCLE").Text(8, "0").Number(62, 0).Number(10, 1).Number(20, 1).Number(30, 0).Number(40, 2);
    w.Text(0, "ENDBLK").Text(8, "0").EndSection();
    w.Section("ENTITIES");
    entities(w);
    w.EndSection().Eof();
    return w;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    std::vector<std::function<void(DxfWriter&)>> seeds = {
        [](DxfWriter& w) {
            w.Text(0, "LINE").Text(8, "L").Number(62, 256).Number(10, 0).Number(20, 0).Number(30, 0).Number(11, 10).Number(21, 5).Number(31, 0);
        },
        [](DxfWriter& w) {
            w.Text(0, "ARC").Text(8, "0").Number(62, 2).Number(10, 0).Number(20, 0).Number(30, 0).Number(40, 10).Number(50, 0).Number(51, 90);
        },
        [](DxfWriter& w) {
            w.Text(0, "LWPOLYLINE").Text(8, "0").Number(62, 3).Number(90, 3).Number(70, 1);
            w.Number(10, 0).Number(20, 0).Number(42, 0.5).Number(10, 10).Number(20, 0).Number(42, 0).Number(10, 5).Number(20, 8).Number(42, -1);
        },
        [](DxfWriter& w) {
            w.Text(0, "ELLIPSE").Text(8, "0").Number(62, 4).Number(10, 0).Number(20, 0).Number(30, 0).Number(11, 10).Number(21, 0)
                .Number(31, 0).Number(40, 0.5).Number(41, 0).Number(42, 6.283185307179586);
        },
        [](DxfWriter& w) {
            w.Text(0, "SPLINE").Text(8, "0").Number(62, 5).Number(70, 8).Number(71, 3).Number(72, 0).Number(73, 4).Number(74, 0);
            for (int i = 0; i < 4; ++i) w.Number(10, i * 10).Number(20, i % 2 * 10).Number(30, 0);
        },
        [](DxfWriter& w) {
            w.Text(0, "INSERT").Text(8, "0").Number(62, 6).Text(2, "B").Number(10, 5).Number(20, 5).Number(30, 0);
            w.Text(0, "TEXT").Text(8, "0").Number(10, 0).Number(20, 0).Number(30, 0).Number(40, 3).Text(1, "\xD6\xD0").Number(50, 0);
            w.Text(0, "MTEXT").Text(8, "0").Number(10, 0).Number(20, 0).Number(30, 0).Number(40, 3).Number(71, 5)
                .Text(1, "{\\H2x;A}\\PB\\S1/2;").Number(50, 0);
        },
    };
    for (size_t i = 0; i < seeds.size(); ++i) {
        DxfWriter w = Drawing(seeds[i]);
        std::string base = std::string(argv[1]) + "/seed" + std::to_string(i);
        std::ofstream(base + ".ascii.dxf", std::ios::binary) << w.Ascii();
        std::ofstream(base + ".binary.dxf", std::ios::binary) << w.Binary();
    }
    return 0;
}
