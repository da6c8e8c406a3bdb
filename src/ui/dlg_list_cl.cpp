// CDlgListCL: the parameter table dialog.
#include "ui/dlg_list_cl.h"

#include "platform/message_box.h"
#include "ui/header_ctrl_cl.h"
#include "ui/job_dialog_widgets.h"
#include "ui/list_ctrl_cl.h"
#include "ui/param_record.h"
#include "ui/qt_text.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr int kRowHeight = 20;
constexpr double kHeaderHeightScale = 1.5;
constexpr int kHeaderFontHeight = 16;
constexpr int kListFontHeight = 15;
constexpr int kNumberColumnWidth = 35;
constexpr int kValueColumnWidth = 150;

}  // namespace

CDlgListCL::CDlgListCL(ParamRecord* records, int count, int nameWidth, const QString& title, QWidget* parent)
    : QDialog(parent), records_(records), count_(count), list_(new CListCtrlCl(this)), description_(new QLabel(this))
{
    setModal(true);
    setWindowTitle(title);
    list_->setObjectName(QStringLiteral("list"));
    description_->setObjectName(QStringLiteral("description"));
    description_->setWordWrap(true);
    list_->SetRowHeight(kRowHeight);
    list_->Header()->SetHeight(kHeaderHeightScale);
    list_->Header()->SetFontHeight(kHeaderFontHeight);
    list_->SetFontHeight(kListFontHeight);
    list_->InsertColumn(0, ResText(StringId::kParamNumberColumn), Qt::AlignLeft, kNumberColumnWidth);
    list_->InsertColumn(1, ResText(StringId::kParamNameColumn), Qt::AlignLeft, nameWidth);
    list_->InsertColumn(2, ResText(StringId::kParamValueColumn), Qt::AlignLeft, kValueColumnWidth);
    for (int row = 0; row < count_; ++row) {
        list_->InsertItem(row, QString::number(row + 1));
        list_->SetItemText(row, 1, ToQString(records_[row].name));
        list_->SetItemText(row, 2, ToQString(FormatParamValue(records_[row])));
        list_->SetItemData(row, &records_[row]);
    }
    connect(list_, &CListCtrlCl::ListCtrlClick, this, &CDlgListCL::OnListCtrlClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(description_);
    // An edit still open when OK is pressed is taken first.
    connect(AddOkCancelButtons(*this, layout), &QDialogButtonBox::accepted, this, [this] {
        list_->EndEdit();
        accept();
    });
}

int CDlgListCL::DoModal() { return exec() == QDialog::Accepted ? IDOK : IDCANCEL; }

void CDlgListCL::OnListCtrlClick(int row)
{
    description_->setText(row >= 0 && row < count_ ? ToQString(records_[row].description) : QString());
}
