// The program settings dialog: its fields, its check boxes' immediate writes, OK, the address
// lists and the LAN tools over the search flow.
#include "ui/dlg_dir_set.h"

#include "app/doc_corvane.h"
#include "platform/message_box.h"
#include "platform/program_directory.h"
#include "platform/system_actions.h"
#include "ui/dlg_input_password.h"
#include "ui/dlg_other_auto_dir.h"
#include "ui/dlg_wait1.h"
#include "ui/folder_browse.h"
#include "ui/program_dir_set_host.h"
#include "ui/qt_text.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The wait box appears this far right and down of where it was made.
constexpr int kWaitBoxOffsetPx = 80;

QLineEdit* AddEdit(QGridLayout& grid, int row, const QString& label, const QString& name, QWidget* parent)
{
    grid.addWidget(new QLabel(label, parent), row, 0);
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    grid.addWidget(edit, row, 1);
    return edit;
}

QPushButton* AddButton(const QString& text, const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// An editable list of dotted addresses; its edit carries name.
QComboBox* AddAddressList(QGridLayout& grid, int row, const QString& label, const QString& name, QWidget* parent)
{
    grid.addWidget(new QLabel(label, parent), row, 0);
    auto* list = new QComboBox(parent);
    list->setObjectName(name + QStringLiteral("List"));
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->lineEdit()->setObjectName(name);
    grid.addWidget(list, row, 1);
    return list;
}

QCheckBox* AddCheckBox(QLayout& layout, const QString& text, const QString& name, bool checked, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    box->setChecked(checked);
    layout.addWidget(box);
    return box;
}

// Makes text the only item of list, selected.
void SetOnlyItem(QComboBox& list, const CString& text)
{
    list.clear();
    list.addItem(ToQString(text));
    list.setCurrentIndex(0);
}

}  // namespace

CDlgDirSet::CDlgDirSet(CDocCorvane& doc, DirSetHost& host, LanBackend& lan, QWidget* parent)
    : QDialog(parent), doc_(doc), host_(host), lan_(lan), opened_(ReadDirSetValues(host))
{
    setWindowTitle(ResText(StringId::kDirSetCaption));
    auto* layout = new QVBoxLayout(this);

    auto* folders = new QGroupBox(this);
    auto* folderGrid = new QGridLayout(folders);
    autoDirectory_ = AddEdit(*folderGrid, 0, ResText(StringId::kDirSetAutoFolder), QStringLiteral("autoDirectory"), folders);
    mergeDirectory_ = AddEdit(*folderGrid, 1, ResText(StringId::kDirSetMergeFolder), QStringLiteral("mergeDirectory"), folders);
    copyDirectory_ = AddEdit(*folderGrid, 2, ResText(StringId::kDirSetCopyFolder), QStringLiteral("copyDirectory"), folders);
    QPushButton* browseAuto = AddButton(QStringLiteral("..."), QStringLiteral("browseAuto"), folders);
    QPushButton* browseMerge = AddButton(QStringLiteral("..."), QStringLiteral("browseMerge"), folders);
    QPushButton* browseCopy = AddButton(QStringLiteral("..."), QStringLiteral("browseCopy"), folders);
    folderGrid->addWidget(browseAuto, 0, 2);
    folderGrid->addWidget(browseMerge, 1, 2);
    folderGrid->addWidget(browseCopy, 2, 2);
    mergeWidth_ = AddEdit(*folderGrid, 3, ResText(StringId::kDirSetMergeWidth), QStringLiteral("mergeWidth"), folders);
    mergeBlank_ = AddEdit(*folderGrid, 4, ResText(StringId::kDirSetMergeGap), QStringLiteral("mergeBlank"), folders);
    textScale_ = AddEdit(*folderGrid, 5, ResText(StringId::kDirSetTextScale), QStringLiteral("textScale"), folders);
    QPushButton* otherAutoDir = AddButton(ResText(StringId::kDirSetOtherAutoFolders), QStringLiteral("otherAutoDir"), folders);
    folderGrid->addWidget(otherAutoDir, 6, 1);
    layout->addWidget(folders);

    auto* network = new QGroupBox(this);
    auto* networkGrid = new QGridLayout(network);
    broadcast_ = AddAddressList(*networkGrid, 0, ResText(StringId::kDirSetNetworkAddress), QStringLiteral("broadcast"), network);
    serverBroadcast_ = AddAddressList(*networkGrid, 1, ResText(StringId::kDirSetServerAddress), QStringLiteral("serverBroadcast"), network);
    lanSearch_ = AddButton(ResText(StringId::kDirSetLanSearch), QStringLiteral("lanSearch"), network);
    findNetwork_ = AddButton(ResText(StringId::kDirSetFindNetwork), QStringLiteral("findNetwork"), network);
    manualAddress_ = AddButton(ResText(StringId::kDirSetManualAddress), QStringLiteral("manualAddress"), network);
    auto* lanButtons = new QHBoxLayout;
    lanButtons->addWidget(lanSearch_);
    lanButtons->addWidget(findNetwork_);
    lanButtons->addWidget(manualAddress_);
    networkGrid->addLayout(lanButtons, 2, 0, 1, 2);
    layout->addWidget(network);

    auto* options = new QGroupBox(this);
    auto* optionLayout = new QVBoxLayout(options);
    deleteAfterPrint_ = AddCheckBox(*optionLayout, ResText(StringId::kDirSetDeleteAfterPrint), QStringLiteral("deleteAfterPrint"),
                                    opened_.deleteAfterPrint, options);
    nightMode_ = AddCheckBox(*optionLayout, ResText(StringId::kDirSetNightMode), QStringLiteral("nightMode"), opened_.nightMode, options);
    sortCuts_ = AddCheckBox(*optionLayout, ResText(StringId::kDirSetSortCuts), QStringLiteral("sortCuts"), opened_.sortCuts, options);
    bsplineFit_ = AddCheckBox(*optionLayout, ResText(StringId::kDirSetBsplineFit), QStringLiteral("bsplineFit"), opened_.bsplineFit, options);
    recogniseOnOpen_ = AddCheckBox(*optionLayout, ResText(StringId::kDirSetRecogniseOnOpen), QStringLiteral("recogniseOnOpen"),
                                   opened_.recogniseContourOnOpen, options);
    layout->addWidget(options);

    ok_ = AddButton(ResText(StringId::kOk), QStringLiteral("ok"), this);
    ok_->setDefault(true);
    layout->addWidget(ok_, 0, Qt::AlignRight);

    autoDirectory_->setText(ToQString(opened_.autoDirectory));
    mergeDirectory_->setText(ToQString(opened_.mergeDirectory));
    copyDirectory_->setText(ToQString(opened_.copyDirectory));
    mergeWidth_->setText(ToQString(opened_.mergeWidthText));
    mergeBlank_->setText(ToQString(opened_.mergeBlankText));
    textScale_->setText(ToQString(opened_.textScaleText));
    SetOnlyItem(*broadcast_, opened_.broadcastText);
    SetOnlyItem(*serverBroadcast_, opened_.serverBroadcastText);

    connect(browseAuto, &QPushButton::clicked, this, [this] { BrowseFolderInto(LoadResString(StringId::kChooseAutoFolder), *autoDirectory_); });
    connect(browseMerge, &QPushButton::clicked, this, [this] { BrowseFolderInto(LoadResString(StringId::kChooseMergeFolder), *mergeDirectory_); });
    connect(browseCopy, &QPushButton::clicked, this, [this] { BrowseFolderInto(LoadResString(StringId::kChooseCopyFolder), *copyDirectory_); });
    connect(otherAutoDir, &QPushButton::clicked, this, [this] {
        CDlgOtherAutoDir other(doc_, this);
        other.DoModal();
    });
    connect(lanSearch_, &QPushButton::clicked, this, [this] { flow_->Start(); });
    connect(findNetwork_, &QPushButton::clicked, this, &CDlgDirSet::OnFindNetwork);
    connect(manualAddress_, &QPushButton::clicked, this, &CDlgDirSet::OnManualAddress);
    connect(deleteAfterPrint_, &QCheckBox::clicked, this, [this](bool on) { ApplyDeleteAfterPrint(on, host_); });
    connect(nightMode_, &QCheckBox::clicked, this, [this](bool on) { ApplyNightMode(on, host_); });
    connect(sortCuts_, &QCheckBox::clicked, this, [this](bool on) { ApplySortCuts(on, host_); });
    connect(bsplineFit_, &QCheckBox::clicked, this, [this](bool on) { ApplyBsplineFit(on, host_); });
    connect(recogniseOnOpen_, &QCheckBox::clicked, this, [this](bool on) { ApplyRecogniseContourOnOpen(on, host_); });
    connect(ok_, &QPushButton::clicked, this, &CDlgDirSet::OnOK);

    LanSearchView& view = *this;
    flow_ = std::make_unique<LanSearchFlow>(lan, *this, view);
}

CDlgDirSet::~CDlgDirSet()
{
    // The flow joins its worker and destroys the wait box while the dialog is still whole.
    flow_.reset();
}

int CDlgDirSet::DoModal() { return exec() == QDialog::Accepted ? IDOK : IDCANCEL; }

DirSetValues CDlgDirSet::EditedValues() const
{
    DirSetValues edited = opened_;
    edited.autoDirectory = ToCString(autoDirectory_->text());
    edited.mergeDirectory = ToCString(mergeDirectory_->text());
    edited.copyDirectory = ToCString(copyDirectory_->text());
    edited.broadcastText = ToCString(broadcast_->currentText());
    edited.serverBroadcastText = ToCString(serverBroadcast_->currentText());
    edited.mergeWidthText = ToCString(mergeWidth_->text());
    edited.mergeBlankText = ToCString(mergeBlank_->text());
    edited.textScaleText = ToCString(textScale_->text());
    return edited;
}

void CDlgDirSet::OnOK()
{
    if (flow_->IsBusy()) return;
    if (CommitDirSetValues(opened_, EditedValues(), host_)) accept();
}

void CDlgDirSet::OnFindNetwork()
{
    broadcast_->clear();
    serverBroadcast_->clear();
    CString subnets;
    if (lan_.GetSubNet(subnets) > 0) {
        for (const QString& address : ToQString(subnets).split(QLatin1Char('\r'), Qt::SkipEmptyParts))
            broadcast_->addItem(address);
        broadcast_->setCurrentIndex(0);
        return;
    }
    SetOnlyItem(*broadcast_, DottedAddress(host_.GetDiscoveryAddress()));
    SetOnlyItem(*serverBroadcast_, DottedAddress(host_.GetServerDiscoveryAddress()));
}

void CDlgDirSet::OnManualAddress()
{
    if (!AskForPassword(kAddressToolPassword, this)) return;
    GetSystemActions().StartProgram(CString::FromUtf8(ProgramDirectory()) + kAddressToolName, {});
}

void CDlgDirSet::done(int result)
{
    if (flow_ && flow_->IsBusy()) return;
    QDialog::done(result);
}

void CDlgDirSet::closeEvent(QCloseEvent* event)
{
    if (flow_->IsBusy()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CDlgDirSet::OnMessage(UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_LAN_SEARCH_DONE) flow_->OnLanSearchMessage(wParam);
}

LanWaitBox* CDlgDirSet::CreateWaitBox()
{
    waitBox_ = std::make_unique<CDlgWait1>(this);
    waitBox_->move(waitBox_->pos() + QPoint(kWaitBoxOffsetPx, kWaitBoxOffsetPx));
    return waitBox_.get();
}

void CDlgDirSet::DestroyWaitBox() { waitBox_.reset(); }

void CDlgDirSet::ShowSearchedAddress(const CString& address) { SetOnlyItem(*broadcast_, address); }

void CDlgDirSet::SetLanToolsEnabled(bool enabled)
{
    ok_->setEnabled(enabled);
    lanSearch_->setEnabled(enabled);
    findNetwork_->setEnabled(enabled);
    manualAddress_->setEnabled(enabled);
}

void RunGlobalSettingsDialog(CDocCorvane& doc, QWidget* parent)
{
    ProgramDirSetHost host(doc);
    NetworkLanBackend lan(doc.GetServer());
    CDlgDirSet dialog(doc, host, lan, parent);
    dialog.DoModal();
}
