// The contour-recognition dialog over the "LoopRecgnise" settings.
#include "ui/dlg_recgnise_loop.h"

#include "plotmodel/pen_mode_settings.h"
#include "ui/form_fields.h"
#include "ui/qt_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// A "修改为" list: "不修改", "SP1".."SP8", showing index.
QComboBox* LoopSpList(QWidget* parent, const QString& objectName, int index)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(objectName);
    for (int i = 0; i <= kSpCount; ++i) list->addItem(ToQString(LoopSpListItem(i)));
    list->setCurrentIndex(index);
    return list;
}

}  // namespace

CDlgRecgniseLoop::CDlgRecgniseLoop(const PenModeSettings& penModes, QWidget* parent)
    : QDialog(parent), opened_(ReadRecgniseLoopValues()), swatchColours_(PenColoursFrom(penModes, 0))
{
    setWindowTitle(ResText(StringId::kRecogniseCaption));
    m_values = opened_;
    auto* layout = new QVBoxLayout(this);

    auto* range = new QGroupBox(ResText(StringId::kRecogniseRange), this);
    auto* rangeLayout = new QVBoxLayout(range);
    for (int i = 0; i < kSpCount; ++i) {
        auto* box = new QCheckBox(ToQString(LoopSpListItem(i + 1)), range);
        box->setObjectName(QStringLiteral("sp%1").arg(i + 1));
        box->setChecked(opened_.spBoxes[static_cast<size_t>(i)]);
        rangeLayout->addLayout(RowWithSwatchRoom(box));
        spBoxes_[static_cast<size_t>(i)] = box;
    }
    layout->addWidget(range);

    auto* form = new QFormLayout();
    layout->addLayout(form);
    outerList_ = LoopSpList(this, QStringLiteral("outerLoop"), opened_.outerIndex);
    form->addRow(ResText(StringId::kRecogniseOuter), outerList_);
    innerList_ = LoopSpList(this, QStringLiteral("innerLoop"), opened_.innerIndex);
    form->addRow(ResText(StringId::kRecogniseInner), innerList_);
    minAreaEdit_ = AddEditField(form, ResText(StringId::kRecogniseMinArea), QStringLiteral("minArea"));
    SetFieldText(minAreaEdit_, opened_.minAreaText);

    QDialogButtonBox* buttons = AddOkCancelButtons(*this, layout);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgRecgniseLoop::OnOK);
    new SwatchLayer(*this, [this](QPainter& painter) { PaintSwatches(painter); });
}

// Reads the controls and writes what changed; an area that is no number keeps the dialog open.
void CDlgRecgniseLoop::OnOK()
{
    RecgniseLoopValues edited = opened_;
    for (size_t i = 0; i < spBoxes_.size(); ++i) edited.spBoxes[i] = spBoxes_[i]->isChecked();
    edited.outerIndex = outerList_->currentIndex();
    edited.innerIndex = innerList_->currentIndex();
    edited.minAreaText = FieldText(minAreaEdit_);
    if (!CommitRecgniseLoopValues(opened_, edited)) {
        minAreaEdit_->setFocus();
        return;
    }
    m_values = edited;
    accept();
}

// Paints the colours of pens 0..7 left of the SP boxes.
void CDlgRecgniseLoop::PaintSwatches(QPainter& painter) const
{
    PaintSwatchesLeftOf(painter, *this, spBoxes_, swatchColours_);
}
