// The drawing stand-in: a device context (CDC) with pens (CPen), painting over the platform's
// 2D painter on a widget or on an image of its own.
//
// Coordinates are logical integers; the window origin is subtracted to give device pixels
// (SetWindowOrg(x, y) puts logical (x, y) at the device's top-left). Lines are aliased, one
// pixel wide for pens of width 0 or 1, and leave out their end pixel, as the drawing calls
// this stands in for do. A DC copies what it needs
// of a pen when the pen is selected, so a pen destroyed while selected is never read; the
// pointer is only handed back by the next SelectObject. The device behind a DC is private to
// the implementation: further selectable objects (brushes, bitmaps for a memory DC) attach to
// the same device, and a DC over a caller's painter is made in platform/cdc_painter.h.
#pragma once

#include "platform/colorref.h"
#include "platform/cstring.h"
#include "platform/rect.h"
#include "platform/win_types.h"

#include <memory>

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;

// Base of the objects a DC can select.
class CGdiObject {
public:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    virtual ~CGdiObject() = default;

    // Releases the object's definition; 0 when there was none.
    virtual BOOL DeleteObject() = 0;
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }

    // Defines the pen; 0 when it is already defined or the style is unknown.
    BOOL CreatePen(int style, int width, COLORREF color);
    BOOL DeleteObject() override;

    bool IsCreated() const { return created_; }
    int GetStyle() const { return style_; }
    // Width in device pixels; 0 and 1 both draw one pixel wide.
    int GetWidth() const { return width_; }
    COLORREF GetColor() const { return color_; }

private:
    bool created_ = false;
    int style_ = PS_SOLID;
    int width_ = 1;
    COLORREF color_ = RGB(0, 0, 0);
};

class CDC {
public:
    // A DC without a device: positions and selections are kept, nothing is painted.
    CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC();

    // Selects pen and returns the pen selected before (the DC's own black pen at first);
    // null and no change for a null or undefined pen.
    CPen* SelectObject(CPen* pen);

    // Sets the current position and returns the previous one.
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(CPoint p) { return MoveTo(p.x, p.y); }
    // Draws from the current position to (x, y) with the selected pen; (x, y) becomes current.
    BOOL LineTo(int x, int y);
    BOOL LineTo(CPoint p) { return LineTo(p.x, p.y); }
    CPoint GetCurrentPosition() const { return position_; }
    // Writes text in black with its cell's top-left at logical (x, y); the current position
    // stays. Text needs the windowing system: without a GUI application nothing is drawn (0).
    BOOL TextOut(int x, int y, const CString& text);

    // Sets the logical point shown at the device's top-left; returns the previous origin.
    CPoint SetWindowOrg(int x, int y);
    CPoint SetWindowOrg(CPoint p) { return SetWindowOrg(p.x, p.y); }
    CPoint GetWindowOrg() const { return windowOrg_; }

    // The colour of the device pixel under logical (x, y); CLR_INVALID outside an image or
    // on a device that cannot be read (a widget).
    COLORREF GetPixel(int x, int y) const;

    // The device behind a DC, defined by the implementation.
    struct Device;

protected:
    explicit CDC(std::unique_ptr<Device> device);

private:
    std::unique_ptr<Device> device_;
    CPen stockPen_{PS_SOLID, 1, RGB(0, 0, 0)};
    CPen* selectedPen_ = &stockPen_;
    CPoint position_;
    CPoint windowOrg_;
};

// A DC that paints on an image of its own, white at the start, read back with GetPixel.
class CImageDC : public CDC {
public:
    // An image of width × height device pixels (a non-positive size gives an empty image).
    CImageDC(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_;
    int height_;
};
