// CDC, CPen, CBrush and CBitmap over QPainter: a DC paints through a painter on an image it
// owns, on a painter that the caller keeps active, or (a memory DC) on its selected bitmap.
//
// A bitmap is a QImage of Format_Mono with the colour table {0: black, 1: white}, so its bits
// are already those of the Windows layout within a row (leftmost pixel highest, black 0);
// only the row length differs (QImage pads rows to 32 bits, Windows to 16) and is copied row
// by row. Pixmaps are never used: the machine-link thread paints, without a GUI application.
#include "platform/cdc.h"

#include "platform/cdc_painter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cstring>
#include <list>
#include <optional>
#include <vector>

// ---- CPen ----

BOOL CPen::CreatePen(int style, int width, COLORREF color)
{
    if (created_ || style < PS_SOLID || style > PS_NULL) return FALSE;
    created_ = true;
    style_ = style;
    width_ = width < 0 ? 0 : width;
    color_ = color;
    return TRUE;
}

BOOL CPen::DeleteObject()
{
    if (!created_) return FALSE;
    created_ = false;
    return TRUE;
}

// ---- CBrush ----

BOOL CBrush::CreateSolidBrush(COLORREF color)
{
    if (created_) return FALSE;
    created_ = true;
    color_ = color;
    return TRUE;
}

BOOL CBrush::DeleteObject()
{
    if (!created_) return FALSE;
    created_ = false;
    return TRUE;
}

// ---- CBitmap ----

struct CBitmap::Image {
    QImage image;
};

namespace {

// Bytes of one row in the Windows layout: rows padded to 16 bits.
int64_t WindowsRowBytes(int64_t width) { return 2 * ((width + 15) / 16); }

}  // namespace

CBitmap::CBitmap() = default;
CBitmap::~CBitmap() = default;

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    if (image_ || planes != 1 || bitsPerPixel != 1 || width <= 0 || height <= 0) return FALSE;
    auto made = std::make_shared<Image>();
    made->image = QImage(width, height, QImage::Format_Mono);
    if (made->image.isNull()) return FALSE;  // too large to allocate
    made->image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    made->image.fill(0);
    if (bits) {
        const auto* from = static_cast<const uint8_t*>(bits);
        const int64_t rowBytes = WindowsRowBytes(width);
        const size_t used = static_cast<size_t>((width + 7) / 8);
        for (int y = 0; y < height; ++y) std::memcpy(made->image.scanLine(y), from + y * rowBytes, used);
    }
    image_ = std::move(made);
    return TRUE;
}

BOOL CBitmap::DeleteObject()
{
    if (!image_) return FALSE;
    image_.reset();
    return TRUE;
}

int CBitmap::GetBitmap(BITMAP* header) const
{
    if (!image_ || !header) return 0;
    *header = BITMAP{};
    header->bmWidth = image_->image.width();
    header->bmHeight = image_->image.height();
    header->bmWidthBytes = static_cast<LONG>(WindowsRowBytes(image_->image.width()));
    header->bmPlanes = 1;
    header->bmBitsPixel = 1;
    return static_cast<int>(sizeof(BITMAP));
}

LONG CBitmap::GetBitmapBits(LONG count, void* bits) const
{
    if (!image_ || !bits || count <= 0) return 0;
    const QImage& image = image_->image;
    const int width = image.width();
    const size_t rowBytes = static_cast<size_t>(WindowsRowBytes(width));
    const size_t used = static_cast<size_t>((width + 7) / 8);
    const int spare = width % 8;  // pixels of the last used byte; its other bits are padding
    std::vector<uint8_t> row(rowBytes, 0xFF);
    auto* out = static_cast<uint8_t*>(bits);
    size_t left = static_cast<size_t>(count);
    size_t copied = 0;
    for (int y = 0; y < image.height() && left > 0; ++y) {
        std::memcpy(row.data(), image.constScanLine(y), used);
        if (spare) row[used - 1] |= static_cast<uint8_t>(0xFF >> spare);
        const size_t n = std::min(left, rowBytes);
        std::memcpy(out + copied, row.data(), n);
        copied += n;
        left -= n;
    }
    return static_cast<LONG>(copied);
}

// ---- the device ----

struct CDC::Device {
    static constexpr int kStripRows = 16384;

    // Set for a DC that owns its image; the painter then works on it.
    std::optional<QImage> image;
    // Set for a memory DC: the pixels of the bitmap selected into it, once one is.
    bool memory = false;
    std::shared_ptr<CBitmap::Image> bitmap;
    std::optional<QPainter> ownPainter;
    std::list<QImage> strips;  // rows of a tall image, sharing its pixels
    std::list<QPainter> stripPainters;
    QPainter* painter = nullptr;  // the painter, or the first strip's
    // The look of the selected pen and brush, kept so a new painter gets them.
    QPen pen;
    QColor brush = Qt::white;
    std::vector<QLineF> lines;     // kept between polylines, so a batch allocates once
    std::vector<QPointF> corners;  // the corners of a closed thin outline, kept the same way

    // The image pixels are read from: the DC's own, or the selected bitmap's.
    const QImage* Pixels() const
    {
        if (image) return &*image;
        return bitmap ? &bitmap->image : nullptr;
    }

    // Starts painting on image: aliased, with the selected pen. The painter reaches only about
    // 32767 rows of a device (it draws nothing at all on a taller one), so a taller image is
    // painted through strips of its rows, each a device of its own over the same pixels; every
    // drawing call goes to each strip, shifted to the strip's top row.
    void PaintOn(QImage& target)
    {
        ownPainter.reset();
        stripPainters.clear();
        strips.clear();
        painter = nullptr;
        if (target.height() <= kStripRows) {
            ownPainter.emplace(&target);
            painter = &*ownPainter;
            Prepare(*painter);
            return;
        }
        uchar* pixels = target.bits();
        for (int top = 0; top < target.height(); top += kStripRows) {
            strips.emplace_back(pixels + static_cast<qsizetype>(top) * target.bytesPerLine(), target.width(),
                                std::min(kStripRows, target.height() - top), target.bytesPerLine(), target.format());
            strips.back().setColorTable(target.colorTable());
            QPainter& strip = stripPainters.emplace_back(&strips.back());
            strip.translate(0, -top);
            Prepare(strip);
        }
        painter = &stripPainters.front();
    }

    void Prepare(QPainter& p) const
    {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(pen);
    }

    // Calls draw with every painter of the device.
    template <class Draw>
    void Paint(Draw draw)
    {
        if (stripPainters.empty()) {
            if (painter) draw(*painter);
            return;
        }
        for (QPainter& strip : stripPainters) draw(strip);
    }

    // Gives the painter the pen's look: aliased, cosmetic for widths 0 and 1, round ends and
    // joins for wider pens.
    void UsePen(const CPen& pen)
    {
        Qt::PenStyle style = Qt::SolidLine;
        switch (pen.GetStyle()) {
        case PS_DASH: style = Qt::DashLine; break;
        case PS_DOT: style = Qt::DotLine; break;
        case PS_DASHDOT: style = Qt::DashDotLine; break;
        case PS_DASHDOTDOT: style = Qt::DashDotDotLine; break;
        case PS_NULL: style = Qt::NoPen; break;
        default: break;
        }
        COLORREF c = pen.GetColor();
        QPen qpen(QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
        qpen.setStyle(style);
        if (pen.GetWidth() <= 1) {
            qpen.setWidth(0);
            qpen.setCapStyle(Qt::FlatCap);
        } else {
            qpen.setWidth(pen.GetWidth());
            qpen.setCapStyle(Qt::RoundCap);
            qpen.setJoinStyle(Qt::RoundJoin);
        }
        this->pen = qpen;
        Paint([&](QPainter& p) { p.setPen(qpen); });
    }

    void UseBrush(const CBrush& brush)
    {
        COLORREF c = brush.GetColor();
        this->brush = QColor(GetRValue(c), GetGValue(c), GetBValue(c));
    }
};

CDC::CDC() = default;

CDC::CDC(std::unique_ptr<Device> device) : device_(std::move(device))
{
    if (device_ && device_->painter) {
        device_->painter->setRenderHint(QPainter::Antialiasing, false);
        device_->UsePen(stockPen_);
    }
}

CDC::~CDC() = default;

CPen* CDC::SelectObject(CPen* pen)
{
    if (!pen || !pen->IsCreated()) return nullptr;
    CPen* previous = selectedPen_;
    selectedPen_ = pen;
    if (device_) device_->UsePen(*pen);
    return previous;
}

CBrush* CDC::SelectObject(CBrush* brush)
{
    if (!brush || !brush->IsCreated()) return nullptr;
    CBrush* previous = selectedBrush_;
    selectedBrush_ = brush;
    if (device_) device_->UseBrush(*brush);
    return previous;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap)
{
    if (!device_ || !device_->memory || !bitmap || !bitmap->IsCreated()) return nullptr;
    CBitmap* previous = selectedBitmap_;
    selectedBitmap_ = bitmap;
    device_->ownPainter.reset();
    device_->bitmap = bitmap->GetImage();
    device_->PaintOn(device_->bitmap->image);
    return previous;
}

BOOL CDC::CreateCompatibleDC(CDC*)
{
    if (device_) return FALSE;
    device_ = std::make_unique<Device>();
    device_->memory = true;
    // A new memory DC starts with the stock objects, as the screen's DCs do.
    selectedPen_ = &stockPen_;
    selectedBrush_ = &stockBrush_;
    selectedBitmap_ = nullptr;
    device_->UsePen(stockPen_);
    device_->UseBrush(stockBrush_);
    return TRUE;
}

BOOL CDC::DeleteDC()
{
    if (!device_) return FALSE;
    device_.reset();
    selectedPen_ = &stockPen_;
    selectedBrush_ = &stockBrush_;
    selectedBitmap_ = nullptr;
    return TRUE;
}

CPoint CDC::MoveTo(int x, int y)
{
    CPoint previous = position_;
    position_ = CPoint(x, y);
    return previous;
}

BOOL CDC::LineTo(int x, int y)
{
    CPoint from = position_;
    position_ = CPoint(x, y);
    if (device_ && device_->painter) {
        // Device coordinates in 64 bits: logical values near the int range stay exact.
        auto dx = [this](int v) { return static_cast<qreal>(static_cast<int64_t>(v) - windowOrg_.x); };
        auto dy = [this](int v) { return static_cast<qreal>(static_cast<int64_t>(v) - windowOrg_.y); };
        const QPointF a(dx(from.x), dy(from.y)), b(dx(x), dy(y));
        device_->Paint([&](QPainter& p) { p.drawLine(a, b); });
    }
    return TRUE;
}

BOOL CDC::Polyline(const CPoint* points, int count)
{
    if (!points || count < 0) return FALSE;
    if (count < 2 || !device_ || !device_->painter) return TRUE;
    const qreal ox = static_cast<qreal>(windowOrg_.x), oy = static_cast<qreal>(windowOrg_.y);
    auto device = [&](const CPoint& p) { return QPointF(static_cast<qreal>(p.x) - ox, static_cast<qreal>(p.y) - oy); };
    std::vector<QLineF>& lines = device_->lines;
    lines.clear();
    lines.reserve(static_cast<size_t>(count - 1));
    // A one-pixel solid line of no length paints nothing (its only pixel is its end), so such
    // lines are left out of the batch: a picture of many short lines maps runs of points to
    // one pixel, and the painter's time goes by the line.
    const bool skipEmpty = device_->pen.style() == Qt::SolidLine && device_->pen.width() == 0;
    QPointF from = device(points[0]);
    for (int i = 1; i < count; ++i) {
        if (skipEmpty && points[i] == points[i - 1]) continue;
        const QPointF to = device(points[i]);
        lines.emplace_back(from, to);
        from = to;
    }
    if (lines.empty()) return TRUE;
    // A one-pixel line leaves out one of its end pixels (which one depends on its direction),
    // so at a corner neither line may light the corner's pixel. An open polyline keeps what
    // its lines draw; a closed outline has every corner lit, its closing point too.
    std::vector<QPointF>& corners = device_->corners;
    corners.clear();
    if (skipEmpty && points[count - 1] == points[0]) {
        corners.reserve(static_cast<size_t>(count - 1));
        for (int i = 0; i + 1 < count; ++i)
            if (i == 0 || points[i] != points[i - 1]) corners.push_back(device(points[i]));
    }
    device_->Paint([&](QPainter& p) {
        p.drawLines(lines.data(), static_cast<int>(lines.size()));
        if (!corners.empty()) p.drawPoints(corners.data(), static_cast<int>(corners.size()));
    });
    return TRUE;
}

BOOL CDC::Rectangle(int left, int top, int right, int bottom)
{
    if (!device_ || !device_->painter || right <= left || bottom <= top) return TRUE;
    const qreal l = static_cast<qreal>(static_cast<int64_t>(left) - windowOrg_.x);
    const qreal t = static_cast<qreal>(static_cast<int64_t>(top) - windowOrg_.y);
    const qreal r = static_cast<qreal>(static_cast<int64_t>(right) - windowOrg_.x);
    const qreal b = static_cast<qreal>(static_cast<int64_t>(bottom) - windowOrg_.y);
    // The outline is a closed polygon through the last column and row inside.
    const QPointF corners[4] = {{l, t}, {r - 1, t}, {r - 1, b - 1}, {l, b - 1}};
    device_->Paint([&](QPainter& p) {
        p.fillRect(QRectF(l, t, r - l, b - t), device_->brush);
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(corners, 4);
    });
    return TRUE;
}

BOOL CDC::TextOut(int x, int y, const CString& text)
{
    if (!device_ || !device_->painter || !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return FALSE;
    QPainter& painter = *device_->painter;
    QPen previous = painter.pen();
    painter.setPen(QColor(Qt::black));
    QString utf16 = QString::fromUtf16(text.GetString(), text.GetLength());
    QPointF topLeft(static_cast<qreal>(static_cast<int64_t>(x) - windowOrg_.x),
                    static_cast<qreal>(static_cast<int64_t>(y) - windowOrg_.y));
    painter.drawText(QRectF(topLeft, QSizeF(1e6, 1e6)), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, utf16);
    painter.setPen(previous);
    return TRUE;
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    CPoint previous = windowOrg_;
    windowOrg_ = CPoint(x, y);
    return previous;
}

COLORREF CDC::GetPixel(int x, int y) const
{
    const QImage* pixels = device_ ? device_->Pixels() : nullptr;
    if (!pixels) return CLR_INVALID;
    int64_t px = static_cast<int64_t>(x) - windowOrg_.x, py = static_cast<int64_t>(y) - windowOrg_.y;
    const QImage& image = *pixels;
    if (px < 0 || py < 0 || px >= image.width() || py >= image.height()) return CLR_INVALID;
    QRgb c = image.pixel(static_cast<int>(px), static_cast<int>(py));
    return RGB(static_cast<uint8_t>(qRed(c)), static_cast<uint8_t>(qGreen(c)), static_cast<uint8_t>(qBlue(c)));
}

// ---- DCs with a device ----

namespace {

std::unique_ptr<CDC::Device> ImageDevice(int width, int height)
{
    auto device = std::make_unique<CDC::Device>();
    device->image.emplace(width > 0 ? width : 0, height > 0 ? height : 0, QImage::Format_RGB32);
    if (device->image->isNull()) return device;  // an empty image: nothing to paint on
    device->image->fill(Qt::white);
    device->PaintOn(*device->image);
    return device;
}

std::unique_ptr<CDC::Device> PainterDevice(QPainter* painter)
{
    auto device = std::make_unique<CDC::Device>();
    if (painter && painter->isActive()) device->painter = painter;
    return device;
}

}  // namespace

CImageDC::CImageDC(int width, int height)
    : CDC(ImageDevice(width, height)), width_(width > 0 ? width : 0), height_(height > 0 ? height : 0)
{
}

CPainterDC::CPainterDC(QPainter* painter) : CDC(PainterDevice(painter)) {}
