// Swatches, swatch rows and the OK/Cancel buttons of the job and pen dialogs.
#include "ui/job_dialog_widgets.h"

#include "plotmodel/pen_mode_settings.h"
#include "ui/qt_text.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QPainter>
#include <QPushButton>
#include <QWidget>

namespace {

// Room left of a control for its swatch: 15 pixels, the swatch inside it.
constexpr int kSwatchRoomPx = 18;

}  // namespace

SpSwatchColours PenColoursFrom(const PenModeSettings& settings, int firstPen)
{
    SpSwatchColours colours{};
    for (int i = 0; i < kSpCount; ++i) {
        const int pen = firstPen + i;
        colours[static_cast<size_t>(i)] = pen >= 0 && pen < kPenModePenCount ? settings.penColor[pen] : 0;
    }
    return colours;
}

CRect RectInDialog(const QWidget& dialog, const QWidget& control)
{
    const QPoint topLeft = control.mapTo(&dialog, QPoint(0, 0));
    return CRect(topLeft.x(), topLeft.y(), topLeft.x() + control.width(), topLeft.y() + control.height());
}

void PaintSwatch(QPainter& painter, const CRect& rect, COLORREF colour)
{
    painter.fillRect(QRect(rect.left, rect.top, rect.Width(), rect.Height()), ToQColor(colour));
}

void PaintSwatchesLeftOf(QPainter& painter, const QWidget& dialog, const std::array<QAbstractButton*, kSpCount>& controls,
                         const SpSwatchColours& colours)
{
    for (size_t i = 0; i < controls.size(); ++i)
        PaintSwatch(painter, SwatchLeftOf(RectInDialog(dialog, *controls[i])), colours[i]);
}

SwatchLayer::SwatchLayer(QWidget& dialog, std::function<void(QPainter&)> paint) : QWidget(&dialog), paint_(std::move(paint))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(dialog.rect());
    raise();
    dialog.installEventFilter(this);
}

void SwatchLayer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint_(painter);
}

// Keeps the layer over the whole dialog when the dialog is resized.
bool SwatchLayer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

QHBoxLayout* RowWithSwatchRoom(QWidget* control)
{
    auto* row = new QHBoxLayout();
    row->addSpacing(kSwatchRoomPx);
    row->addWidget(control, 1);
    return row;
}

QDialogButtonBox* AddOkCancelButtons(QDialog& dialog, QBoxLayout* layout)
{
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* ok = buttons->addButton(ResText(StringId::kOk), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(ResText(StringId::kCancel), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return buttons;
}
