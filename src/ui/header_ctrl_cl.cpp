// CHeaderCtrlCl: the gradient-painted column header of CListCtrlCl.
#include "ui/header_ctrl_cl.h"

#include "ui/qt_colour.h"

#include <QPainter>
#include <QPaintEvent>

#include <algorithm>

namespace {

constexpr int kDefaultFontHeight = 15;
// Left and right titles keep this far from their edge, pixels.
constexpr int kTitleInset = 3;

// Fills rect one pixel line at a time, from start at its top downwards.
void FillGradient(QPainter& painter, const QRect& rect, COLORREF start, int32_t step)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        painter.setPen(ToQColor(HeaderGradientColour(start, step, y - rect.top())));
        painter.drawLine(rect.left(), y, rect.right(), y);
    }
}

}  // namespace

Qt::Alignment ColumnAlignment(const QString& alignment, int column)
{
    const QChar c = column >= 0 && column < alignment.size() ? alignment[column] : QChar(u'0');
    if (c == u'1') return Qt::AlignHCenter;
    if (c == u'2') return Qt::AlignRight;
    return Qt::AlignLeft;
}

CHeaderCtrlCl::CHeaderCtrlCl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) { SetFontHeight(kDefaultFontHeight); }

void CHeaderCtrlCl::SetHeight(double scale)
{
    heightScale_ = scale;
    updateGeometry();
}

void CHeaderCtrlCl::SetFontHeight(int pixels)
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(pixels);
    setFont(font);
}

QSize CHeaderCtrlCl::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    size.setHeight(static_cast<int>(size.height() * heightScale_));
    return size;
}

// Paints every shown section, then the gradient right of the last one.
void CHeaderCtrlCl::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const int height = viewport()->height();
    int right = 0;
    for (int visual = 0; visual < count(); ++visual) {
        const int logical = logicalIndex(visual);
        if (isSectionHidden(logical)) continue;
        const QRect rect(sectionViewportPosition(logical), 0, sectionSize(logical), height);
        painter.save();
        paintSection(&painter, rect, logical);
        painter.restore();
        right = std::max(right, rect.right() + 1);
    }
    if (right < viewport()->width()) FillGradient(painter, QRect(right, 0, viewport()->width() - right, height), startColour_, step_);
}

void CHeaderCtrlCl::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    FillGradient(*painter, rect, startColour_, step_);
    const QString title = model() ? model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString() : QString();
    const Qt::Alignment alignment = ColumnAlignment(alignment_, logicalIndex);
    QRect text = rect;
    if (alignment == Qt::AlignLeft) text.setLeft(text.left() + kTitleInset);
    if (alignment == Qt::AlignRight) text.setRight(text.right() - kTitleInset);
    painter->setFont(font());
    painter->setPen(ToQColor(textColour_));
    painter->drawText(text, (alignment | Qt::AlignVCenter).toInt(), title);
}
