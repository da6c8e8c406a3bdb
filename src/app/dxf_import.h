// DXF import: reads a drawing with libdxfrw and converts its model space into plot shapes.
#pragma once

#include "app/dispatch_refusal.h"
#include "app/dx_iface.h"
#include "plotmodel/plot_shape_list.h"

#include <cstdint>
#include <string>

class PlotShape;

// The limits of one import; past any of them the import fails.
namespace DxfImportLimits {
// Chords of one arc, ellipse or bulge segment; an entity needing more gives nothing.
constexpr int kMaxChords = 65536;
// Block insertions inside one another.
constexpr int kMaxInsertDepth = 64;
// Entity conversions of one import, counting each insertion's block entities again; past
// them the import fails as a drawing over the point budget does.
constexpr int64_t kMaxConversions = int64_t(1) << 22;
}  // namespace DxfImportLimits

// Reads the DXF file at path and appends its shapes to out: 1 on success; 0 on failure, and
// then out is unchanged and *reason (when given) says why: the file cannot be read, libdxfrw
// rejects it, or it makes more than one load may.
int ImportDxfDwgToShapes(const char16_t* path, PlotShapeList& out, DispatchRefusal* reason = nullptr);
// Reads the file (UTF-8 name) into data through adapter; the reader is chosen by extension.
bool ImportDrawingFile(dx_iface& adapter, const std::string& path, DxfDrawingData& data);
// Converts one entity into zero or more shapes appended to out.
void ConvertDxfEntity(const DRW_Entity& entity, PlotShapeList& out, DxfDrawingData& data);
// Appends the shapes of the blocks an INSERT names, moved to its insertion point.
void ExpandDxfInsert(const DRW_Insert& insert, PlotShapeList& out, DxfDrawingData& data);
// The entity's colour, a BYLAYER colour taken from its layer (256 without one), within int16.
int DxfEntityPenIndex(const DRW_Entity& entity, const DxfDrawingData& data);
// Appends the polyline segment from vertex to next (drawing units) to shape; false when the
// segment cannot be drawn (non-finite, or too many chords).
bool AppendBulgeArc(PlotShape& shape, const DRW_Vertex2D& vertex, const DRW_Vertex2D& next);
bool AppendBulgeArc(PlotShape& shape, const DRW_Vertex& vertex, const DRW_Vertex& next);
// The chords of a sweep (radians) at the step angle: 0 when the count is not finite, not
// positive or above kMaxChords.
int DxfChordCount(double sweep, double step);
// The bytes of a text as stored in the file, from the UTF-8 the reader delivered.
CStringA DxfTextBytes(const std::string& utf8, const DxfDrawingData& data);
