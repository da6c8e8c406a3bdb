// CDC and CPen over QPainter: a DC paints through a painter on an image it owns or on a
// painter that the caller keeps active.
#include "platform/cdc.h"

#include "platform/cdc_painter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPen>

#include <optional>

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

// ---- the device ----

struct CDC::Device {
    // Set for a DC that owns its image; the painter then works on it.
    std::optional<QImage> image;
    std::optional<QPainter> ownPainter;
    QPainter* painter = nullptr;

    // Gives the painter the pen's look: aliased, cosmetic for widths 0 and 1.
    void UsePen(const CPen& pen)
    {
        if (!painter) return;
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
        qpen.setWidth(pen.GetWidth() <= 1 ? 0 : pen.GetWidth());
        qpen.setCapStyle(Qt::FlatCap);
        painter->setPen(qpen);
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
        device_->painter->drawLine(QPointF(dx(from.x), dy(from.y)), QPointF(dx(x), dy(y)));
    }
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
    if (!device_ || !device_->image) return CLR_INVALID;
    int64_t px = static_cast<int64_t>(x) - windowOrg_.x, py = static_cast<int64_t>(y) - windowOrg_.y;
    const QImage& image = *device_->image;
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
    device->ownPainter.emplace(&*device->image);
    device->painter = &*device->ownPainter;
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
