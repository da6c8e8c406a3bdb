// Integer point, size and rectangle values (CPoint, CSize, CRect) with 32-bit fields.
#pragma once

#include <cstdint>

struct CSize {
    int32_t cx = 0;
    int32_t cy = 0;

    CSize() = default;
    CSize(int32_t x, int32_t y) : cx(x), cy(y) {}

    bool operator==(const CSize&) const = default;
};

struct CPoint {
    int32_t x = 0;
    int32_t y = 0;

    CPoint() = default;
    CPoint(int32_t px, int32_t py) : x(px), y(py) {}

    void Offset(int32_t dx, int32_t dy) { x += dx; y += dy; }
    void Offset(const CPoint& d) { Offset(d.x, d.y); }
    void SetPoint(int32_t px, int32_t py) { x = px; y = py; }

    bool operator==(const CPoint&) const = default;
    CPoint operator+(const CPoint& p) const { return {x + p.x, y + p.y}; }
    CPoint operator-(const CPoint& p) const { return {x - p.x, y - p.y}; }
    CPoint operator-() const { return {-x, -y}; }
    CPoint& operator+=(const CPoint& p) { x += p.x; y += p.y; return *this; }
    CPoint& operator-=(const CPoint& p) { x -= p.x; y -= p.y; return *this; }
};

struct CRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    CRect() = default;
    CRect(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    CSize Size() const { return {Width(), Height()}; }
    CPoint TopLeft() const { return {left, top}; }
    CPoint BottomRight() const { return {right, bottom}; }
    CPoint CenterPoint() const { return {(left + right) / 2, (top + bottom) / 2}; }

    void SetRect(int32_t l, int32_t t, int32_t r, int32_t b) { left = l; top = t; right = r; bottom = b; }
    void SetRectEmpty() { SetRect(0, 0, 0, 0); }
    // A rectangle is empty when it has no area (width or height not positive).
    bool IsRectEmpty() const { return right <= left || bottom <= top; }
    bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    // Tests a point against the rectangle, left and top inclusive, right and bottom exclusive.
    bool PtInRect(const CPoint& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    void OffsetRect(int32_t dx, int32_t dy) { left += dx; right += dx; top += dy; bottom += dy; }
    void InflateRect(int32_t dx, int32_t dy) { left -= dx; right += dx; top -= dy; bottom += dy; }
    void DeflateRect(int32_t dx, int32_t dy) { InflateRect(-dx, -dy); }
    // Swaps sides so that left <= right and top <= bottom.
    void NormalizeRect()
    {
        if (left > right) { int32_t t = left; left = right; right = t; }
        if (top > bottom) { int32_t t = top; top = bottom; bottom = t; }
    }

    bool operator==(const CRect&) const = default;
};
