// The sharp-turn test of the shape operations: the turn from direction a to direction b.
#pragma once

#include <cmath>

// True when b turns from a by 90 degrees or more, or by an angle whose tangent exceeds
// tanTol. With q = b ÷ a = (a·b, a×b): q.x <= 0 is a turn of 90 degrees or more and
// |q.y / q.x| the tangent of the turn. A zero-length direction counts as sharp.
inline bool IsSharpTurn(double ax, double ay, double bx, double by, double tanTol)
{
    double dot = ax * bx + ay * by;
    double cross = ax * by - ay * bx;
    return dot <= 0.0 || std::fabs(cross / dot) > tanTol;
}

// The same for the turn at vertex v of an (x, y) array: from v-1 -> v to v -> v+1.
inline bool IsSharpVertex(const float* pts, int v, double tanTol)
{
    const float* a = pts + 2 * (v - 1);
    const float* b = pts + 2 * v;
    const float* c = pts + 2 * (v + 1);
    return IsSharpTurn(static_cast<double>(b[0]) - a[0], static_cast<double>(b[1]) - a[1],
                       static_cast<double>(c[0]) - b[0], static_cast<double>(c[1]) - b[1], tanTol);
}
