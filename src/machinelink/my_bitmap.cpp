// CMyBitmap: taking a bitmap's rows and reading them back.
#include "machinelink/my_bitmap.h"

#include <new>

int CMyBitmap::Attach(CBitmap* bitmap)
{
    // A bitmap attached again, band after band, replaces the rows held: they are freed first.
    Detach();
    if (!bitmap || !bitmap->IsCreated()) return 0;
    BITMAP header;
    if (!bitmap->GetBitmap(&header) || header.bmWidthBytes <= 0 || header.bmHeight <= 0) return 0;
    const int64_t bytes = static_cast<int64_t>(header.bmWidthBytes) * header.bmHeight;
    if (bytes > INT32_MAX) return 0;  // more than GetBitmapBits can hand over
    std::unique_ptr<uint8_t[]> rows(new (std::nothrow) uint8_t[static_cast<size_t>(bytes)]);
    if (!rows) return 0;
    if (bitmap->GetBitmapBits(static_cast<LONG>(bytes), rows.get()) != bytes) return 0;
    buffer_ = std::move(rows);
    header_ = header;
    return 1;
}

void CMyBitmap::Detach()
{
    buffer_.reset();
    header_ = BITMAP{};
}

const uint8_t* CMyBitmap::GetLine(int y) const
{
    if (!buffer_ || y < 0 || y >= header_.bmHeight) return nullptr;
    return buffer_.get() + static_cast<int64_t>(y) * header_.bmWidthBytes;
}

uint8_t* CMyBitmap::GetLine(int y) { return const_cast<uint8_t*>(static_cast<const CMyBitmap&>(*this).GetLine(y)); }

int CMyBitmap::GetBit(int x, int y) const
{
    const uint8_t* row = GetLine(y);
    if (!row || x < 0 || x >= header_.bmWidth) return -1;
    return (row[x / 8] >> (7 - x % 8)) & 1;
}
