// The SP dialogs of the preview's curve edits.
#include "ui/dlg_modify_curve_sp_index.h"

#include "ui/qt_text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>

SpButtonsDialog::SpButtonsDialog(const std::optional<SpRoles>& roles, const std::optional<SpSwatchColours>& colours, QWidget* parent)
    : QDialog(parent), roles_(roles), colours_(colours)
{
    setWindowTitle(ResText(StringId::kModifyCurveCaption));
}

template <class Button>
void SpButtonsDialog::AddSpButtons(QBoxLayout* layout)
{
    for (int n = 1; n <= kSpCount; ++n) {
        auto* button = new Button(ToQString(SpButtonText(n, roles_)), this);
        button->setObjectName(QStringLiteral("sp%1").arg(n));
        layout->addLayout(RowWithSwatchRoom(button));
        spButtons_[static_cast<size_t>(n - 1)] = button;
    }
}

// Paints the pen colour n left of button SPn, above the controls.
void SpButtonsDialog::AddSwatchLayer()
{
    if (!colours_) return;
    new SwatchLayer(*this, [this](QPainter& painter) { PaintSwatchesLeftOf(painter, *this, spButtons_, *colours_); });
}

CDlgModifyCurveSPIndex::CDlgModifyCurveSPIndex(int sp, const std::optional<SpRoles>& roles, const std::optional<SpSwatchColours>& colours,
                                               QWidget* parent)
    : SpButtonsDialog(roles, colours, parent), m_nSP(SpIndexShown(sp))
{
    auto* layout = new QVBoxLayout(this);
    AddSpButtons<QRadioButton>(layout);
    group_ = new QButtonGroup(this);
    for (int n = 1; n <= kSpCount; ++n) group_->addButton(spButtons_[static_cast<size_t>(n - 1)], n);
    group_->button(m_nSP)->setChecked(true);

    QDialogButtonBox* buttons = AddOkCancelButtons(*this, layout);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        m_nSP = group_->checkedId();
        accept();
    });
    AddSwatchLayer();
}

CDlgModifyCurveSPIndexBatch::CDlgModifyCurveSPIndexBatch(const std::optional<SpRoles>& roles, const std::optional<SpSwatchColours>& colours,
                                                         QWidget* parent)
    : SpButtonsDialog(roles, colours, parent)
{
    auto* layout = new QVBoxLayout(this);
    AddSpButtons<QCheckBox>(layout);

    auto* form = new QFormLayout();
    layout->addLayout(form);
    targetList_ = new QComboBox(this);
    targetList_->setObjectName(QStringLiteral("target"));
    for (int n = 1; n <= kSpCount; ++n) targetList_->addItem(ToQString(SpButtonText(n, roles_)));
    targetList_->setCurrentIndex(0);
    form->addRow(ResText(StringId::kModifyCurveTarget), targetList_);

    QDialogButtonBox* buttons = AddOkCancelButtons(*this, layout);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        for (size_t i = 0; i < spButtons_.size(); ++i) m_choice.sources[i] = spButtons_[i]->isChecked();
        m_choice.targetIndex = targetList_->currentIndex();
        accept();
    });
    AddSwatchLayer();
}
