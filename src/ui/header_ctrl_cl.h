// CHeaderCtrlCl: a list's column header painted with a vertical colour gradient, its titles
// in its own font and colour with a per-column alignment.
#pragma once

#include "platform/colorref.h"
#include "ui/header_gradient.h"

#include <QHeaderView>
#include <QString>

class CHeaderCtrlCl : public QHeaderView {
    Q_OBJECT
public:
    explicit CHeaderCtrlCl(QWidget* parent = nullptr);

    // Multiplies the default header height by scale.
    void SetHeight(double scale);
    // Sets the titles' font height in pixels (face "宋体").
    void SetFontHeight(int pixels);
    void SetTextColor(COLORREF colour) { textColour_ = colour; }
    // One character per column: '0' left, '1' centre, '2' right.
    void SetAlignment(const QString& alignment) { alignment_ = alignment; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    double heightScale_ = 1.0;
    COLORREF startColour_ = kHeaderGradientStart;
    int32_t step_ = kHeaderGradientStep;
    COLORREF textColour_ = RGB(0, 0, 0);
    QString alignment_;
};

// The horizontal alignment of column's character in alignment ('0' left, '1' centre, '2'
// right; left when missing).
Qt::Alignment ColumnAlignment(const QString& alignment, int column);
