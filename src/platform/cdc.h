// The drawing stand-in: a device context (CDC) with pens (CPen), brushes (CBrush) and
// monochrome bitmaps (CBitmap), painting over the platform's 2D painter on a widget, on an
// image of its own, or, as a memory DC, on the bitmap selected into it.
//
// Coordinates are logical integers; the window origin is subtracted to give device pixels
// (SetWindowOrg(x, y) puts logical (x, y) at the device's top-left). Drawing is aliased. Lines
// of pens of width 0 or 1 are one pixel wide and leave out their end pixel, as the drawing
// calls this stands in for do; wider pens end and join round. A DC copies what it needs of a
// pen or brush when it is selected, so one destroyed while selected is never read; the
// pointer is only handed back by the next SelectObject. A bitmap's pixels are shared with the
// DC it is selected into, so they stay alive for the DC when the bitmap is deleted. The
// device behind a DC is private to the implementation; a DC over a caller's painter is made
// in platform/cdc_painter.h.
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

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }

    // Defines a solid brush; 0 when it is already defined.
    BOOL CreateSolidBrush(COLORREF color);
    BOOL DeleteObject() override;

    bool IsCreated() const { return created_; }
    COLORREF GetColor() const { return color_; }

private:
    bool created_ = false;
    COLORREF color_ = RGB(255, 255, 255);
};

// A monochrome bitmap (1 plane, 1 bit per pixel), black when created. Its bits read back in
// the Windows layout: rows of 2 x ceil(width / 16) bytes, top row first, the leftmost pixel in
// the highest bit, a black pixel 0, a white pixel and the row padding 1.
class CBitmap : public CGdiObject {
public:
    CBitmap();
    ~CBitmap() override;

    // Defines the bitmap; bits (may be null: all black) hold its rows in the layout above.
    // 0 when it is already defined, the format is not 1 plane of 1 bit, a side is not
    // positive, or the pixels cannot be allocated.
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    BOOL DeleteObject() override;
    bool IsCreated() const { return image_ != nullptr; }

    // Fills the header (bmBits stays null); 0 without a bitmap.
    int GetBitmap(BITMAP* header) const;
    // Copies up to count bytes of the rows into bits; the bytes copied (0 without a bitmap).
    LONG GetBitmapBits(LONG count, void* bits) const;

    // The pixels, defined by the implementation and shared with the DC the bitmap is in.
    struct Image;
    const std::shared_ptr<Image>& GetImage() const { return image_; }

private:
    std::shared_ptr<Image> image_;
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
    // Selects brush (the DC's own white brush at first); the same rules as for pens.
    CBrush* SelectObject(CBrush* brush);
    // Selects bitmap into a memory DC, which then paints on it; returns the bitmap selected
    // before (null at first). Null and no change for a null or undefined bitmap or a DC that
    // is not a memory DC.
    CBitmap* SelectObject(CBitmap* bitmap);

    // Makes this DC a memory DC compatible with dc (the screen when null): it paints on the
    // bitmap selected into it. 0 when the DC already has a device.
    BOOL CreateCompatibleDC(CDC* dc);
    // Ends the DC's painting and releases its device and selections; 0 without a device.
    BOOL DeleteDC();

    // Sets the current position and returns the previous one.
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(CPoint p) { return MoveTo(p.x, p.y); }
    // Draws from the current position to (x, y) with the selected pen; (x, y) becomes current.
    BOOL LineTo(int x, int y);
    BOOL LineTo(CPoint p) { return LineTo(p.x, p.y); }
    CPoint GetCurrentPosition() const { return position_; }
    // Draws the lines joining count points with the selected pen, in one batch; the current
    // position is neither used nor changed. Pixels match those of MoveTo and LineTo calls but
    // at inner joins, which a batch may light. 0 for a null array or a negative count.
    BOOL Polyline(const CPoint* points, int count);
    // Fills the rectangle from (left, top) to (right, bottom), right and bottom excluded,
    // with the selected brush and outlines it with the selected pen.
    BOOL Rectangle(int left, int top, int right, int bottom);
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
    CBrush stockBrush_{RGB(255, 255, 255)};
    CBrush* selectedBrush_ = &stockBrush_;
    CBitmap* selectedBitmap_ = nullptr;
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
