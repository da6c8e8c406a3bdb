// The records of dashing and of positions along a polyline: structDash, DashStyle, PtOnCurve.
#pragma once

#include <cstdint>

// A plain dash pattern. Lengths along a polyline are measured as
// sqrt((xScale dx)² + (yScale dy)²), so a pattern can be given in other units than the points.
struct structDash {
    float gap = 0.0f;   // length of each gap
    float dash = 0.0f;  // length of each dash
    float unused = 0.0f;
    float xScale = 1.0f;
    float yScale = 1.0f;
};

// A dash pattern with bridges: gaps are placed only where the path is straight enough.
struct DashStyle {
    float gap = 0.0f;   // bridge length, plotter units
    float dash = 0.0f;  // cut length, plotter units
    // Tangent of the largest turning angle inside one smooth run.
    float cornerTolerance = 0.0f;
    // Length of the stretch whose curvature decides where a bridge may go, plotter units.
    float bridgeTestLength = 0.0f;
};

// A position on a sub-polyline: the start vertex of its segment and the point itself.
struct PtOnCurve {
    int32_t index = 0;
    double x = 0.0;
    double y = 0.0;
};
