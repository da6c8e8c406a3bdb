// CDlgPageSPsetup: the tool role of the pens SP1..SP8 and the colour swatches beside them.
#include "ui/dlg_page_sp_setup.h"

#include "platform/critical_section.h"
#include "plotmodel/pen_mode_settings.h"
#include "ui/job_dialog_widgets.h"
#include "ui/qt_text.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// The tool roles a pen can take, by role value.
constexpr int kSpRoles = 4;
// Room left of each list and right of each role label for its swatch, pixels.
constexpr int kSwatchColumnWidth = 20;

}  // namespace

CDlgPageSPsetup::CDlgPageSPsetup(CCriticalSection& recordLock, NET_Machine* machine, const PenModeSettings* penModes)
    : CPropertyPage(ResText(StringId::kToolSetup)), recordLock_(recordLock), machine_(machine), penModes_(penModes)
{
}

void CDlgPageSPsetup::OnInitDialog()
{
    {
        CSingleLock guard(&recordLock_, TRUE);
        values_ = LoadSpPage(*machine_);
    }
    auto* layout = new QVBoxLayout(this);
    auto* pens = new QGroupBox(ResText(StringId::kSpPensGroup), this);
    auto* roles = new QGroupBox(ResText(StringId::kSpRolesGroup), this);
    layout->addWidget(pens);
    layout->addWidget(roles);

    auto* penGrid = new QGridLayout(pens);
    penGrid->setColumnMinimumWidth(1, kSwatchColumnWidth);
    for (int i = 0; i < kSpPens; ++i) {
        penGrid->addWidget(new QLabel(QStringLiteral("SP%1").arg(i + 1), pens), i, 0);
        lists_[i] = new QComboBox(pens);
        lists_[i]->setObjectName(QStringLiteral("sp%1").arg(i + 1));
        for (int role = 0; role < kSpRoles; ++role) lists_[i]->addItem(ResText(StringId::kSpRoleNames + role));
        lists_[i]->setCurrentIndex(values_.roles[i]);
        penGrid->addWidget(lists_[i], i, 2);
    }
    auto* roleGrid = new QGridLayout(roles);
    roleGrid->setColumnMinimumWidth(1, kSwatchColumnWidth);
    for (int i = 0; i < kSpRoleLabels; ++i) {
        roleLabels_[i] = new QLabel(ResText(StringId::kSpRoleLabels + i), roles);
        roleGrid->addWidget(roleLabels_[i], i, 0);
    }
    roleGrid->setColumnStretch(2, 1);
    // The group boxes fill their inside: the swatches are painted on a layer above them.
    if (penModes_ != nullptr) new SwatchLayer(*this, [this](QPainter& painter) { PaintSwatches(painter); });
}

bool CDlgPageSPsetup::OnKillActive()
{
    for (int i = 0; i < kSpPens; ++i) values_.roles[i] = lists_[i]->currentIndex();
    return true;
}

void CDlgPageSPsetup::OnOK()
{
    CSingleLock guard(&recordLock_, TRUE);
    codes_ = StoreSpPage(*machine_, values_);
}

// Paints the colour of pens 1..8 left of their lists and the four role colours right of
// their labels.
void CDlgPageSPsetup::PaintSwatches(QPainter& painter) const
{
    for (int i = 0; i < kSpPens; ++i) PaintSwatch(painter, PenSwatchRect(RectInDialog(*this, *lists_[i])), penModes_->penColor[i + 1]);
    for (int i = 0; i < kSpRoleLabels; ++i)
        PaintSwatch(painter, RoleSwatchRect(RectInDialog(*this, *roleLabels_[i])), penModes_->roleColor[i]);
}
