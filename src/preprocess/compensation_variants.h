// The scan record of PlotShape::ScanCrv, which classifies the next stretch of a polyline.
#pragma once

#include <cstdint>

// Stretch kinds reported by ScanCrv.
enum CrvKind : int32_t {
    kCrvLongSegment = 0,  // one segment longer than two offsets
    kCrvStraight = 1,     // a chord up to two offsets long whose skipped vertices lie on it
    kCrvCurved = 2,       // such a chord whose skipped vertices bulge off it
    kCrvLastSegment = 3,  // the polyline's last segment
};

struct CRV_TYPE {
    float offset = 0.0f;      // knife offset a, units
    float* points = nullptr;  // (x, y) pairs, not owned
    int32_t count = 0;        // number of points
    int32_t start = 0;        // in: index of the stretch's first vertex
    int32_t end = 0;          // out: index of its last vertex
    int32_t kind = 0;         // out: a CrvKind
    float length = 0.0f;      // out: chord length from start to end, units
};
