// CPropertySheet and CPropertyPage: a modal dialog of tabbed pages with OK and Cancel.
#include "ui/property_sheet.h"

#include "platform/message_box.h"
#include "ui/qt_text.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

CPropertyPage::CPropertyPage(const QString& title) : title_(title) {}

void CPropertyPage::EnsureInitialised()
{
    if (shown_) return;
    shown_ = true;
    OnInitDialog();
}

CPropertySheet::CPropertySheet(const QString& caption, QWidget* parent)
    : QDialog(parent), tabs_(new QTabWidget(this)), buttons_(new QDialogButtonBox(this))
{
    setWindowTitle(caption);
    setModal(true);
    QPushButton* ok = buttons_->addButton(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("sheetOk"));
    ok->setText(ResText(StringId::kOk));
    QPushButton* cancel = buttons_->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("sheetCancel"));
    cancel->setText(ResText(StringId::kCancel));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &CPropertySheet::PressOK);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tabs_, &QTabWidget::currentChanged, this, &CPropertySheet::OnTabChanged);
}

CPropertySheet::~CPropertySheet()
{
    // Taking the pages out switches tabs: no page is validated (and no message shown) then.
    const QSignalBlocker quiet(tabs_);
    for (CPropertyPage* page : pages_) {
        if (page->parent() == nullptr) continue;
        tabs_->removeTab(tabs_->indexOf(page));
        page->setParent(nullptr);
    }
}

void CPropertySheet::AddPage(CPropertyPage* page)
{
    pages_.push_back(page);
    const QSignalBlocker quiet(tabs_);
    const int index = GetPageCount() - 1;
    tabs_->addTab(page, index < tabCaptions_.size() ? tabCaptions_[index] : page->Title());
    if (activeIndex_ < 0) {
        activeIndex_ = 0;
        tabs_->setCurrentIndex(0);
    }
}

int CPropertySheet::GetActiveIndex() const { return activeIndex_; }

bool CPropertySheet::SetActivePage(int index)
{
    if (index < 0 || index >= GetPageCount()) return false;
    tabs_->setCurrentIndex(index);
    return activeIndex_ == index;
}

// Validates the page being left; keeps it shown when it fails, else initialises the new one.
void CPropertySheet::OnTabChanged(int index)
{
    if (index == activeIndex_ || index < 0) return;
    if (activeIndex_ >= 0 && pages_[static_cast<size_t>(activeIndex_)]->WasShown() &&
        !pages_[static_cast<size_t>(activeIndex_)]->OnKillActive()) {
        const QSignalBlocker quiet(tabs_);
        tabs_->setCurrentIndex(activeIndex_);
        return;
    }
    activeIndex_ = index;
    pages_[static_cast<size_t>(index)]->EnsureInitialised();
    // A page built only now may need more room than the sheet has, with longer labels. Its
    // size counts in the tab widget's hint once the page is laid out: the sheet grows after.
    if (isVisible()) {
        QTimer::singleShot(0, this, [this] {
            tabs_->updateGeometry();
            resize(size().expandedTo(sizeHint()));
        });
    }
}

int CPropertySheet::DoModal()
{
    if (activeIndex_ >= 0) pages_[static_cast<size_t>(activeIndex_)]->EnsureInitialised();
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

void CPropertySheet::PressOK()
{
    for (int i = 0; i < GetPageCount(); ++i) {
        CPropertyPage* page = pages_[static_cast<size_t>(i)];
        if (!page->WasShown()) continue;
        if (!page->OnKillActive()) {
            const QSignalBlocker quiet(tabs_);
            tabs_->setCurrentIndex(i);
            activeIndex_ = i;
            return;
        }
    }
    for (CPropertyPage* page : pages_)
        if (page->WasShown()) page->OnOK();
    accept();
}
