// CMyBitmap: a copy of a monochrome bitmap's header and rows, read pixel by pixel while the
// raster is packed.
#pragma once

#include "platform/cdc.h"
#include "platform/win_types.h"

#include <cstdint>
#include <memory>

class CMyBitmap {
public:
    CMyBitmap() = default;
    CMyBitmap(const CMyBitmap&) = delete;
    CMyBitmap& operator=(const CMyBitmap&) = delete;
    virtual ~CMyBitmap() = default;

    // Copies the bitmap's header and rows, freeing what was held before; 0 (and nothing
    // held) for a null or undefined bitmap.
    int Attach(CBitmap* bitmap);
    // Frees the rows; the bitmap then has no size.
    void Detach();

    // Row y, null without rows or when y is outside 0..height-1.
    uint8_t* GetLine(int y);
    const uint8_t* GetLine(int y) const;
    // Bit 7 - (x mod 8) of byte x / 8 of row y (1 white, 0 black); -1 outside the bitmap.
    int GetBit(int x, int y) const;

    int Width() const { return buffer_ ? header_.bmWidth : 0; }
    int Height() const { return buffer_ ? header_.bmHeight : 0; }
    int GetWidthBytes() const { return buffer_ ? header_.bmWidthBytes : 0; }

private:
    std::unique_ptr<uint8_t[]> buffer_;
    BITMAP header_;
};
