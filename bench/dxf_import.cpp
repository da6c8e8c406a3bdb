// DXF import cost: ImportDxfDwgToShapes against libdxfrw's own read into an adapter that
// keeps nothing, on one generated drawing of about 170,000 entities, as ASCII and as binary.
//
// The drawing mixes lines, circles, arcs and closed polylines with bulges, plus a block
// inserted many times. The ratio of the two times is what the import adds to the reading:
// storing the entities and converting them into shapes.
#include "app/dxf_import.h"
#include "support/dxf_writer.h"

#include "work_dir.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using corvane_test::DxfWriter;

using bench::WorkDir;

DxfWriter Drawing()
{
    DxfWriter w;
    w.Section("BLOCKS").Text(0, "BLOCK").Text(8, "0").Text(2, "PART").Number(70, 0).Number(10, 0).Number(20, 0).Number(30, 0).Text(3, "PART");
    w.Text(0, "CIRCLE").Text(8, "0").Number(62, 0).Number(10, 0).Number(20, 0).Number(30, 0).Number(40, 2);
    w.Text(0, "LINE").Text(8, "0").Number(62, 0).Number(10, -2).Number(20, 0).Number(30, 0).Number(11, 2).Number(21, 0).Number(31, 0);
    w.Text(0, "ENDBLK").Text(8, "0").EndSection();
    w.Section("ENTITIES");
    for (int i = 0; i < 34000; ++i) {
        double x = (i % 200) * 5.0, y = (i / 200) * 5.0;
        int colour = 1 + i % 12;
        w.Text(0, "LINE").Text(8, "0").Number(62, colour).Number(10, x).Number(20, y).Number(30, 0).Number(11, x + 4).Number(21, y + 3).Number(31, 0);
        w.Text(0, "CIRCLE").Text(8, "0").Number(62, colour).Number(10, x).Number(20, y).Number(30, 0).Number(40, 1.5);
        w.Text(0, "ARC").Text(8, "0").Number(62, colour).Number(10, x).Number(20, y).Number(30, 0).Number(40, 2).Number(50, 10).Number(51, 200);
        w.Text(0, "LWPOLYLINE").Text(8, "0").Number(62, colour).Number(90, 4).Number(70, 1);
        for (auto [dx, dy, b] : {std::tuple{0.0, 0.0, 0.0}, {3.0, 0.0, 0.4}, {3.0, 3.0, 0.0}, {0.0, 3.0, -0.2}})
            w.Number(10, x + dx).Number(20, y + dy).Number(42, b);
        w.Text(0, "INSERT").Text(8, "0").Number(62, colour).Text(2, "PART").Number(10, x).Number(20, y).Number(30, 0);
    }
    w.EndSection().Eof();
    return w;
}

const std::string& DrawingFile(bool binary)
{
    static const std::array<std::string, 2> files = [] {
        DxfWriter w = Drawing();
        std::string names[2] = {WorkDir() + "ascii.dxf", WorkDir() + "binary.dxf"};
        std::ofstream(names[0], std::ios::binary) << w.Ascii();
        std::ofstream(names[1], std::ios::binary) << w.Binary();
        return std::array<std::string, 2>{names[0], names[1]};
    }();
    return files[binary ? 1 : 0];
}

// Receives every callback and keeps nothing.
class NullInterface : public DRW_Interface {
public:
    void addHeader(const DRW_Header*) override {}
    void addLType(const DRW_LType&) override {}
    void addLayer(const DRW_Layer&) override {}
    void addDimStyle(const DRW_Dimstyle&) override {}
    void addVport(const DRW_Vport&) override {}
    void addTextStyle(const DRW_Textstyle&) override {}
    void addAppId(const DRW_AppId&) override {}
    void addBlock(const DRW_Block&) override {}
    void setBlock(const int) override {}
    void endBlock() override {}
    void addPoint(const DRW_Point&) override {}
    void addLine(const DRW_Line&) override {}
    void addRay(const DRW_Ray&) override {}
    void addXline(const DRW_Xline&) override {}
    void addArc(const DRW_Arc&) override {}
    void addCircle(const DRW_Circle&) override {}
    void addEllipse(const DRW_Ellipse&) override {}
    void addLWPolyline(const DRW_LWPolyline&) override {}
    void addPolyline(const DRW_Polyline&) override {}
    void addSpline(const DRW_Spline*) override {}
    void addKnot(const DRW_Entity&) override {}
    void addInsert(const DRW_Insert&) override {}
    void addTrace(const DRW_Trace&) override {}
    void add3dFace(const DRW_3Dface&) override {}
    void addSolid(const DRW_Solid&) override {}
    void addMText(const DRW_MText&) override {}
    void addText(const DRW_Text&) override {}
    void addDimAlign(const DRW_DimAligned*) override {}
    void addDimLinear(const DRW_DimLinear*) override {}
    void addDimRadial(const DRW_DimRadial*) override {}
    void addDimDiametric(const DRW_DimDiametric*) override {}
    void addDimAngular(const DRW_DimAngular*) override {}
    void addDimAngular3P(const DRW_DimAngular3p*) override {}
    void addDimOrdinate(const DRW_DimOrdinate*) override {}
    void addLeader(const DRW_Leader*) override {}
    void addHatch(const DRW_Hatch*) override {}
    void addViewport(const DRW_Viewport&) override {}
    void addImage(const DRW_Image*) override {}
    void linkImage(const DRW_ImageDef*) override {}
    void addComment(const char*) override {}
    void addPlotSettings(const DRW_PlotSettings*) override {}
    void writeHeader(DRW_Header&) override {}
    void writeBlocks() override {}
    void writeBlockRecords() override {}
    void writeEntities() override {}
    void writeLTypes() override {}
    void writeLayers() override {}
    void writeTextstyles() override {}
    void writeVports() override {}
    void writeDimstyles() override {}
    void writeObjects() override {}
    void writeAppId() override {}
};

void BM_ReadOnly(benchmark::State& state)
{
    const std::string& path = DrawingFile(state.range(0) != 0);
    for (auto _ : state) {
        NullInterface sink;
        dxfRW reader(path.c_str());
        if (!reader.read(&sink, false)) state.SkipWithError("read failed");
    }
    state.SetLabel(state.range(0) ? "binary" : "ascii");
}

void BM_Import(benchmark::State& state)
{
    CString path = CString::FromUtf8(DrawingFile(state.range(0) != 0));
    int64_t shapes = 0;
    for (auto _ : state) {
        PlotShapeList out;
        if (!ImportDxfDwgToShapes(path.GetString(), out)) state.SkipWithError("import failed");
        shapes = out.Count();
    }
    state.counters["shapes"] = static_cast<double>(shapes);
    state.SetLabel(state.range(0) ? "binary" : "ascii");
}

BENCHMARK(BM_ReadOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
