// DXF import: model-space entities of a drawing read by libdxfrw become plot shapes.
//
// Coordinates are millimetres, multiplied by 40 into plotter units. Arcs, bulge segments and
// ellipses become chords of equal angle within 0.01 mm of the curve. One import holds to its
// limits (chords per curve, insertion depth, conversions, points): an entity that cannot be
// drawn gives nothing; a drawing past a limit, or one the reader rejects, fails the import,
// and then the caller's list is left as it was.
#include "app/dxf_import.h"

#include "app/config_globals.h"
#include "app/mtext_parser.h"
#include "app/string_table.h"
#include "fonts/plot_char.h"
#include "fonts/plot_font_lib.h"
#include "geometry/ol_bspline.h"
#include "platform/codepage.h"
#include "platform/message_box.h"
#include "plotmodel/load_point_budget.h"
#include "plotmodel/plot_shape.h"

#include <intern/drw_textcodec.h>

#include <sys/stat.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>

namespace {

constexpr double kUnitsPerMm = 40.0;
constexpr double kTwoPi = 2.0 * std::numbers::pi;
// DXF colour meaning "the layer's colour".
constexpr int kColourByLayer = 256;
constexpr int kPenForOtherColours = 8;

// Ends an import that went past one of its limits.
struct DxfImportFailure : std::runtime_error {
    DxfImportFailure() : std::runtime_error("DXF import limit") {}
};

bool Finite(double v) { return std::isfinite(v); }
// True when v, in plotter units, is a finite float.
bool FitsFloat(double v) { return std::isfinite(v) && std::fabs(v) <= static_cast<double>(FLT_MAX); }

// Counts one conversion against the import's limit.
void CountConversion(DxfDrawingData& data)
{
    if (++data.conversions > DxfImportLimits::kMaxConversions) throw DxfImportFailure();
}

// Appends a finished shape to out, with the entity's pen; a shape without points or with a
// point outside the float range is dropped. The points count against the import's budget.
void Emit(PlotShape* shape, const DRW_Entity& entity, PlotShapeList& out, DxfDrawingData& data)
{
    std::unique_ptr<PlotShape> owned(shape);
    int n = shape->GetTolPtNum();
    if (n <= 0) return;
    for (int i = 0; i < n; ++i) {
        CFloatPoint p = shape->Point(i);
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
    }
    data.points += n;
    if (data.points > kLoadPointBudget) throw DxfImportFailure();
    shape->SetPenIndex(DxfEntityPenIndex(entity, data));
    shape->CalArea();
    out.AddTail(owned.release());
}

// Points R (cos a, sin a) for n equal steps from start over sweep, then the exact end.
void AppendArcPoints(PlotShape& shape, double R, double start, double sweep, int n)
{
    for (int i = 0; i < n; ++i) {
        double a = start + i * sweep / n;
        shape.AddPointAtLastPl(static_cast<float>(R * std::cos(a)), static_cast<float>(R * std::sin(a)));
    }
    double end = start + sweep;
    shape.AddPointAtLastPl(static_cast<float>(R * std::cos(end)), static_cast<float>(R * std::sin(end)));
}

// The bulge segment from (x0, y0) with bulge b to (x1, y1), drawing units.
bool AppendBulge(PlotShape& shape, double x0, double y0, double b, double x1, double y1)
{
    if (!Finite(x0) || !Finite(y0) || !Finite(x1) || !Finite(y1) || !Finite(b)) return false;
    auto addEnd = [&] {
        shape.AddPointAtLastPl(static_cast<float>(x1 * kUnitsPerMm), static_cast<float>(y1 * kUnitsPerMm));
    };
    if (std::fabs(b) < 1e-9) {
        addEnd();
        return true;
    }
    double t = 4.0 * std::atan(b);
    double c = std::hypot(x1 - x0, y1 - y0);
    // Coinciding vertices have no centre: the segment is drawn straight.
    if (c == 0.0) {
        addEnd();
        return true;
    }
    double r = std::fabs((c / 2.0) / std::sin(t / 2.0));
    double a = t > 0.0 ? std::numbers::pi / 2.0 - t / 2.0 : -std::numbers::pi / 2.0 - t / 2.0;
    double ux = (x1 - x0) / c, uy = (y1 - y0) / c;
    double cx = x0 + r * (ux * std::cos(a) - uy * std::sin(a));
    double cy = y0 + r * (ux * std::sin(a) + uy * std::cos(a));
    int n = DxfChordCount(std::fabs(t), std::sqrt(0.08 / r));
    if (n == 0) return false;
    for (int i = 1; i < n; ++i) {
        double ang = i * t / n;
        double dx = x0 - cx, dy = y0 - cy;
        double px = cx + dx * std::cos(ang) - dy * std::sin(ang);
        double py = cy + dx * std::sin(ang) + dy * std::cos(ang);
        shape.AddPointAtLastPl(static_cast<float>(px * kUnitsPerMm), static_cast<float>(py * kUnitsPerMm));
    }
    addEnd();
    return true;
}

// The position of a vertex, drawing units.
DRW_Coord VertexPoint(const DRW_Vertex2D& v) { return DRW_Coord(v.x, v.y, 0.0); }
DRW_Coord VertexPoint(const DRW_Vertex& v) { return v.basePoint; }

// One polyline through the vertices with their bulges; null when it cannot be drawn.
template <class Vertex>
PlotShape* MakeBulgePolyline(const std::vector<std::shared_ptr<Vertex>>& vertices, bool closed)
{
    if (vertices.empty()) return nullptr;
    auto shape = std::make_unique<PlotShape>();
    const Vertex& first = *vertices.front();
    DRW_Coord start = VertexPoint(first);
    shape->AddPointAtLastPl(static_cast<float>(start.x * kUnitsPerMm), static_cast<float>(start.y * kUnitsPerMm));
    for (size_t i = 1; i < vertices.size(); ++i)
        if (!AppendBulgeArc(*shape, *vertices[i - 1], *vertices[i])) return nullptr;
    if (closed && !AppendBulgeArc(*shape, *vertices.back(), first)) return nullptr;
    return shape.release();
}

PlotShape* ConvertArc(const DRW_Arc& arc)
{
    double start = arc.staangle, end = arc.endangle;
    if (start > end) end += kTwoPi;
    double R = arc.radious * kUnitsPerMm;
    int n = DxfChordCount(end - start, std::sqrt(3.2 / R));
    if (n == 0 || !FitsFloat(R)) return nullptr;
    auto shape = std::make_unique<PlotShape>();
    AppendArcPoints(*shape, R, start, end - start, n);
    shape->Move(static_cast<float>(arc.basePoint.x * kUnitsPerMm), static_cast<float>(arc.basePoint.y * kUnitsPerMm));
    return shape.release();
}

PlotShape* ConvertCircle(const DRW_Circle& circle)
{
    double R = circle.radious * kUnitsPerMm;
    // The circle's own chords are as many as an arc's of the full turn.
    if (!FitsFloat(R) || DxfChordCount(kTwoPi, std::sqrt(3.2 / R)) == 0) return nullptr;
    auto shape = std::make_unique<PlotShape>();
    shape->CreateCircle(static_cast<float>(circle.radious));
    shape->Move(static_cast<float>(circle.basePoint.x * kUnitsPerMm), static_cast<float>(circle.basePoint.y * kUnitsPerMm));
    return shape.release();
}

PlotShape* ConvertEllipse(const DRW_Ellipse& e)
{
    double M = std::hypot(e.secPoint.x, e.secPoint.y) * kUnitsPerMm;
    double m = M * e.ratio;
    if (!FitsFloat(M) || !FitsFloat(m) || !(m > 0.0)) return nullptr;
    double R = std::min(M * M / m, m * m / M);
    double start = e.staparam, end = e.endparam;
    if (end < start) end += kTwoPi;
    int n = DxfChordCount(end - start, std::sqrt(3.2 / (kUnitsPerMm * R)));
    if (n == 0) return nullptr;
    double ySign = e.extPoint.z <= 0.0 ? -1.0 : 1.0;
    auto shape = std::make_unique<PlotShape>();
    for (int i = 0; i <= n; ++i) {
        double t = i < n ? start + i * (end - start) / n : end;
        shape->AddPointAtLastPl(static_cast<float>(M * std::cos(t)), static_cast<float>(ySign * m * std::sin(t)));
    }
    shape->Rotate(0.0f, 0.0f, static_cast<float>(e.secPoint.x), static_cast<float>(e.secPoint.y));
    shape->Move(static_cast<float>(e.basePoint.x * kUnitsPerMm), static_cast<float>(e.basePoint.y * kUnitsPerMm));
    return shape.release();
}

PlotShape* ConvertSpline(const DRW_Spline& spline)
{
    int k = static_cast<int>(spline.controllist.size());
    if (spline.degree != 3 || k < 4) return nullptr;
    auto scaled = [](const DRW_Coord& c, OL_2dFloatPoint& p) {
        double x = c.x * kUnitsPerMm, y = c.y * kUnitsPerMm;
        if (!FitsFloat(x) || !FitsFloat(y)) return false;
        p = OL_2dFloatPoint(static_cast<float>(x), static_cast<float>(y));
        return true;
    };
    CArray<OL_2dFloatPoint> controls;
    for (const auto& c : spline.controllist) {
        OL_2dFloatPoint p;
        if (!c || !scaled(*c, p)) return nullptr;
        controls.Add(p);
    }
    std::vector<float> knots;
    if (spline.knotslist.size() == static_cast<size_t>(k) + 4) {
        for (double t : spline.knotslist) {
            if (!FitsFloat(t)) return nullptr;
            knots.push_back(static_cast<float>(t));
        }
    } else {
        knots.assign(4, 0.0f);
        for (int j = 1; j <= k - 4; ++j) knots.push_back(static_cast<float>(j));
        knots.insert(knots.end(), 4, static_cast<float>(k - 3));
    }
    OL_BSpline curve;
    CArray<OL_2dFloatPoint> fit;
    if (spline.fitlist.size() == static_cast<size_t>(k) - 2) {
        for (const auto& c : spline.fitlist) {
            OL_2dFloatPoint p;
            if (!c || !scaled(*c, p)) return nullptr;
            fit.Add(p);
        }
        if (!curve.Create(knots, controls, &fit)) return nullptr;
    } else if (!curve.Create(knots, controls, nullptr)) {
        return nullptr;
    }
    float* xs = nullptr;
    float* ys = nullptr;
    int n = curve.Subdivide(xs, ys, nullptr, 10.0f, 0.17453292f, static_cast<size_t>(kLoadPointBudget));
    auto shape = std::make_unique<PlotShape>();
    for (int i = 0; i < n; ++i) shape->AddPointAtLastPl(xs[i], ys[i]);
    std::free(xs);
    std::free(ys);
    return n > 0 ? shape.release() : nullptr;
}

// True when bytes is well-formed UTF-8.
bool IsValidUtf8(const std::string& bytes)
{
    size_t i = 0, n = bytes.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (len == 0 || i + len > n) return false;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

// The height of a font box; 0 for an empty or flat box.
double BoxHeight(const ShxBox& box) { return static_cast<double>(box.Height64()); }

PlotShape* ConvertText(const DRW_Text& text, const DxfDrawingData& data)
{
    CStringA bytes = DxfTextBytes(text.text, data);
    PlotChar glyphs;
    double boxHeight = 0.0;
    if (glFontLibType == 1) {
        const PlotFontLibArray* fonts = PlotFontLibArray::GetGlobalFontLib();
        CString wide(bytes);
        int size = WideCharToMultiByte(950, 0, wide.GetString(), wide.GetLength(), nullptr, 0, nullptr, nullptr);
        std::string big(static_cast<size_t>(std::max(size, 0)), '\0');
        if (size > 0) WideCharToMultiByte(950, 0, wide.GetString(), wide.GetLength(), big.data(), size, nullptr, nullptr);
        fonts->FindPlotString(CStringA(big), glyphs);
        boxHeight = BoxHeight(fonts->GetBigFontLib().GetArea());
    } else {
        const PlotFontLib* font = PlotFontLib::GetGlobalFontLib();
        font->FindPlotString(bytes, glyphs);
        boxHeight = BoxHeight(font->GetArea());
    }
    // Without a font box there is no scale: such a text, like one without glyph points,
    // makes no shape rather than an empty one.
    if (glyphs.GetTolPtNum() == 0 || boxHeight <= 0.0) return nullptr;
    double ys = text.height * 1.2 * kUnitsPerMm / boxHeight;
    double xs = ys * text.widthscale;
    if (!FitsFloat(xs) || !FitsFloat(ys) || !Finite(text.angle)) return nullptr;
    glyphs.Scale(static_cast<float>(xs), static_cast<float>(ys));
    double a = text.angle * std::numbers::pi / 180.0;
    glyphs.Rotate(0.0f, 0.0f, static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)));
    glyphs.Move(static_cast<float>(text.basePoint.x * kUnitsPerMm), static_cast<float>(text.basePoint.y * kUnitsPerMm));
    auto shape = std::make_unique<PlotShape>();
    shape->Append(glyphs);
    return shape.release();
}

// Places the lines of an MTEXT by its attachment point, angle and insertion point.
void ConvertMText(const DRW_MText& mtext, PlotShapeList& out, DxfDrawingData& data)
{
    MTextParser parser(DxfTextBytes(mtext.text, data), mtext.height);
    parser.Parse();
    PlotShapeList& lines = parser.Shapes();
    if (!lines.HeadShape()) return;
    CArea box = lines.CalArea(1);
    double xmin = box.xmin, ymin = box.ymin, xmax = box.xmax;
    double ymax = box.ymax + kUnitsPerMm * parser.LayoutHeightScale();
    double dx = 0.0, dy = 0.0;
    int attach = mtext.textgen;
    if (attach >= 1 && attach <= 9) {
        int column = (attach - 1) % 3, row = (attach - 1) / 3;
        dx = column == 0 ? -xmin : column == 1 ? -(xmin + xmax) / 2.0 : -xmax;
        dy = row == 0 ? -ymax : row == 1 ? -(ymin + ymax) / 2.0 : -ymin;
    }
    if (!FitsFloat(dy) || !Finite(mtext.angle)) return;
    double a = mtext.angle * std::numbers::pi / 180.0;
    while (PlotShape* s = lines.HeadShape()) {
        s->GoOut();
        s->Move(static_cast<float>(std::trunc(dx)), static_cast<float>(std::trunc(dy)));
        s->Rotate(0.0f, 0.0f, static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)));
        s->Move(static_cast<float>(mtext.basePoint.x * kUnitsPerMm), static_cast<float>(mtext.basePoint.y * kUnitsPerMm));
        Emit(s, mtext, out, data);
    }
}

}  // namespace

int DxfChordCount(double sweep, double step)
{
    if (!(sweep >= 0.0) || !(step > 0.0) || !Finite(sweep)) return 0;
    double whole = std::floor(sweep / step);
    if (!(whole <= DxfImportLimits::kMaxChords)) return 0;
    int n = static_cast<int>(whole);
    double rest = n > 0 ? sweep - n * step : sweep;
    if (rest > 0.1 * step) ++n;
    n = std::max(n, 2);
    return n <= DxfImportLimits::kMaxChords ? n : 0;
}

bool AppendBulgeArc(PlotShape& shape, const DRW_Vertex2D& vertex, const DRW_Vertex2D& next)
{
    return AppendBulge(shape, vertex.x, vertex.y, vertex.bulge, next.x, next.y);
}

bool AppendBulgeArc(PlotShape& shape, const DRW_Vertex& vertex, const DRW_Vertex& next)
{
    return AppendBulge(shape, vertex.basePoint.x, vertex.basePoint.y, vertex.bulge, next.basePoint.x, next.basePoint.y);
}

int DxfEntityPenIndex(const DRW_Entity& entity, const DxfDrawingData& data)
{
    int colour = entity.color;
    if (colour == kColourByLayer) {
        auto layer = data.layerColours.find(entity.layer);
        if (layer != data.layerColours.end()) colour = layer->second;
    }
    // Pens are 16-bit: a colour beyond that range is held at its end (and then becomes pen 8).
    return std::clamp(colour, static_cast<int>(SHRT_MIN), static_cast<int>(SHRT_MAX));
}

CStringA DxfTextBytes(const std::string& utf8, const DxfDrawingData& data)
{
    if (!data.hasHeader) return CStringA(utf8);
    DRW_TextCodec codec;
    const auto& vars = data.headerC.vars;
    auto version = vars.find("$ACADVER");
    if (version != vars.end() && version->second->type() == DRW_Variant::STRING)
        codec.setVersion(*version->second->content.s, true);
    auto page = vars.find("$DWGCODEPAGE");
    if (page != vars.end() && page->second->type() == DRW_Variant::STRING)
        codec.setCodePage(*page->second->content.s, true);
    if (codec.getVersion() >= DRW::AC1021) return CStringA::FromUtf8(utf8);
    // The reader decoded valid bytes only; anything else it delivered as read.
    if (!IsValidUtf8(utf8)) return CStringA(utf8);
    return CStringA(codec.fromUtf8(utf8));
}

void ExpandDxfInsert(const DRW_Insert& insert, PlotShapeList& out, DxfDrawingData& data)
{
    if (static_cast<int>(data.expanding.size()) >= DxfImportLimits::kMaxInsertDepth) throw DxfImportFailure();
    const std::string name = insert.name.empty() ? std::string("noname") : insert.name;
    PlotShapeList collected;
    auto named = data.blocksByName.find(name);
    if (named != data.blocksByName.end()) {
        for (const dx_ifaceBlock* block : named->second) {
            // A block that inserts itself, directly or through others, cannot be expanded.
            if (std::find(data.expanding.begin(), data.expanding.end(), block) != data.expanding.end())
                throw DxfImportFailure();
            data.expanding.push_back(block);
            for (const auto& e : block->ent) ConvertDxfEntity(*e, collected, data);
            data.expanding.pop_back();
        }
    }
    double dx = insert.basePoint.x * kUnitsPerMm, dy = insert.basePoint.y * kUnitsPerMm;
    if (!FitsFloat(dx) || !FitsFloat(dy)) return;
    int colour = DxfEntityPenIndex(insert, data);
    while (PlotShape* s = collected.HeadShape()) {
        s->GoOut();
        s->Move(static_cast<float>(dx), static_cast<float>(dy));
        if (s->GetPenIndex() == 0) s->SetPenIndex(colour);
        out.AddTail(s);
    }
}

void ConvertDxfEntity(const DRW_Entity& entity, PlotShapeList& out, DxfDrawingData& data)
{
    CountConversion(data);
    PlotShape* shape = nullptr;
    switch (entity.eType) {
    case DRW::ARC: shape = ConvertArc(static_cast<const DRW_Arc&>(entity)); break;
    case DRW::CIRCLE: shape = ConvertCircle(static_cast<const DRW_Circle&>(entity)); break;
    case DRW::ELLIPSE: shape = ConvertEllipse(static_cast<const DRW_Ellipse&>(entity)); break;
    case DRW::INSERT: ExpandDxfInsert(static_cast<const DRW_Insert&>(entity), out, data); return;
    case DRW::LINE: {
        const auto& line = static_cast<const DRW_Line&>(entity);
        shape = new PlotShape();
        shape->AddPointAtLastPl(static_cast<float>(line.basePoint.x * kUnitsPerMm), static_cast<float>(line.basePoint.y * kUnitsPerMm));
        shape->AddPointAtLastPl(static_cast<float>(line.secPoint.x * kUnitsPerMm), static_cast<float>(line.secPoint.y * kUnitsPerMm));
        break;
    }
    case DRW::LWPOLYLINE: {
        const auto& pl = static_cast<const DRW_LWPolyline&>(entity);
        shape = MakeBulgePolyline(pl.vertlist, (pl.flags & 1) != 0);
        break;
    }
    case DRW::MTEXT: ConvertMText(static_cast<const DRW_MText&>(entity), out, data); return;
    case DRW::POLYLINE: {
        const auto& pl = static_cast<const DRW_Polyline&>(entity);
        shape = MakeBulgePolyline(pl.vertlist, (pl.flags & 1) != 0);
        break;
    }
    case DRW::SPLINE: shape = ConvertSpline(static_cast<const DRW_Spline&>(entity)); break;
    case DRW::TEXT: shape = ConvertText(static_cast<const DRW_Text&>(entity), data); break;
    default: return;
    }
    if (shape) Emit(shape, entity, out, data);
}

bool ImportDrawingFile(dx_iface& adapter, const std::string& path, DxfDrawingData& /*filled through adapter*/)
{
    size_t dot = path.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (ext != "DXF") {
        std::puts("file extension can be dxf or dwg");
        return false;
    }
    dxfRW reader(path.c_str());
    return reader.read(&adapter, false);
}

int ImportDxfDwgToShapes(const char16_t* path, PlotShapeList& out)
{
    CString wide(path);
    // A name with a lone surrogate has no 8-bit form to open the file by.
    BOOL unmapped = FALSE;
    WideCharToMultiByte(CP_UTF8, 0, wide.GetString(), wide.GetLength(), nullptr, 0, nullptr, &unmapped);
    if (unmapped) {
        MessageBox(LoadResString(StringId::kFileNameUnmappable), CString(), MB_OK);
        return 0;
    }
    std::string name = wide.ToUtf8();
    struct stat st {};
    if (stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    if (FILE* f = std::fopen(name.c_str(), "rb")) {
        std::fclose(f);
    } else {
        return 0;
    }
    PlotShapeList made;
    try {
        DxfDrawingData data;
        dx_iface adapter(data);
        if (!ImportDrawingFile(adapter, name, data)) return 0;
        for (const auto& e : data.mBlock->ent) ConvertDxfEntity(*e, made, data);
    } catch (const std::exception&) {
        return 0;
    }
    while (PlotShape* s = made.HeadShape()) {
        s->GoOut();
        out.AddTail(s);
    }
    for (PlotShape* s = out.HeadShape(); s; s = out.ShapeAfter(s)) {
        short pen = s->GetPenIndex();
        if (pen == 0 || pen > 12) s->SetPenIndex(kPenForOtherColours);
    }
    return 1;
}
