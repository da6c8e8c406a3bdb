// CDlgMachInfo: the per-machine settings dialog and the parameter sheets it opens.
#include "ui/dlg_mach_info.h"

#include "app/access_database.h"
#include "app/doc_corvane.h"
#include "app/udp_server.h"
#include "machinelink/net_machine.h"
#include "platform/critical_section.h"
#include "platform/message_box.h"
#include "ui/app_corvane.h"
#include "ui/dlg_jet_config1.h"
#include "ui/dlg_list_cl.h"
#include "ui/dlg_page_magnet_ctl.h"
#include "ui/dlg_page_moto_cps.h"
#include "ui/dlg_page_other_ctl.h"
#include "ui/dlg_page_sp_setup.h"
#include "ui/dlg_page_speed_ctl1.h"
#include "ui/dlg_plot_setting.h"
#include "ui/form_fields.h"
#include "ui/my_property_sheet.h"
#include "ui/param_record.h"
#include "ui/property_sheet.h"
#include "ui/qt_text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>
#include <memory>

namespace {

// Speed sets of the cutting motion: low, middle, high.
constexpr int kSpeedLevels = 3;
// Width of the other-parameters list's name column: Chinese names are short.
constexpr int kChineseNameColumnWidth = 45;
constexpr int kNameColumnWidth = 125;
constexpr int32_t kChineseLanguage = 1;

int NameColumnWidth()
{
    const CAppCorvane* app = GetCorvaneApp();
    return app == nullptr || app->language == kChineseLanguage ? kChineseNameColumnWidth : kNameColumnWidth;
}

// A row of the three speed-level radio buttons low, middle, high, ids 0..2.
QButtonGroup* AddSpeedLevelRow(QFormLayout* form, const QString& label, const QString& objectName)
{
    auto* row = new QWidget(form->parentWidget());
    row->setObjectName(objectName);
    auto* layout = new QHBoxLayout(row);
    auto* group = new QButtonGroup(row);
    const QString texts[3] = {ResText(StringId::kSpeedLow), ResText(StringId::kSpeedMiddle), ResText(StringId::kSpeedHigh)};
    for (int level = 0; level < 3; ++level) {
        auto* button = new QRadioButton(texts[level], row);
        button->setObjectName(objectName + QString::number(level));
        group->addButton(button, level);
        layout->addWidget(button);
    }
    form->addRow(label, row);
    return group;
}

QCheckBox* AddFlag(QLayout* layout, QWidget* parent, const QString& text, const QString& objectName)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(objectName);
    layout->addWidget(box);
    return box;
}

QPushButton* AddButton(QLayout* layout, QWidget* parent, const QString& text, const QString& objectName)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    layout->addWidget(button);
    return button;
}

}  // namespace

CDlgMachInfo::CDlgMachInfo(CUDPServer& server, NET_Machine* machine, const PenModeSettings* penModes, QWidget* parent)
    : QDialog(parent), server_(server), machine_(machine), penModes_(penModes)
{
    setWindowTitle(ResText(StringId::kMachInfoCaption));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    layout->addLayout(form);

    CString ip;
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        machine_->GetIP(ip);
        cuttingType_ = IsCuttingType(*machine_);
        values_ = LoadMachInfo(*machine_);
    }
    ipText_ = ToQString(ip);
    auto* ipText = new QLabel(ipText_, this);
    ipText->setObjectName(QStringLiteral("ipText"));
    form->addRow(ResText(StringId::kMachInfoIp), ipText);
    cutLevel_ = AddSpeedLevelRow(form, ResText(StringId::kMachInfoCutSpeed), QStringLiteral("cutLevel"));
    idleLevel_ = AddSpeedLevelRow(form, ResText(StringId::kMachInfoIdleSpeed), QStringLiteral("idleLevel"));

    auto* flags = new QHBoxLayout();
    autoPaperCut_ = AddFlag(flags, this, ResText(StringId::kMachInfoAutoPaperCut), QStringLiteral("autoPaperCut"));
    autoOutput_ = AddFlag(flags, this, ResText(StringId::kMachInfoAutoOutput), QStringLiteral("autoOutput"));
    autoSuctionOff_ = AddFlag(flags, this, ResText(StringId::kMachInfoAutoSuctionOff), QStringLiteral("autoSuctionOff"));
    autoSuctionOn_ = AddFlag(flags, this, ResText(StringId::kMachInfoAutoSuctionOn), QStringLiteral("autoSuctionOn"));
    form->addRow(flags);

    dropPressure_ = AddEditField(form, ResText(StringId::kMachInfoDropPressure), QStringLiteral("dropPressure"));
    fullCut_ = AddEditField(form, cuttingType_ ? ResText(StringId::kFullCutDepth) : ResText(StringId::kFullCutPressure), QStringLiteral("fullCut"));
    halfCut_ = AddEditField(form, cuttingType_ ? ResText(StringId::kHalfCutDepth) : ResText(StringId::kHalfCutPressure), QStringLiteral("halfCut"));
    knifePenX_ = AddEditField(form, ResText(StringId::kMachInfoKnifePenX), QStringLiteral("knifePenX"));
    knifePenY_ = AddEditField(form, ResText(StringId::kMachInfoKnifePenY), QStringLiteral("knifePenY"));
    dropPressure_->setEnabled(!cuttingType_);

    auto* buttons = new QHBoxLayout();
    layout->addLayout(buttons);
    connect(AddButton(buttons, this, ResText(StringId::kMachInfoCuttingSettings), QStringLiteral("cuttingSettings")), &QPushButton::clicked,
            this, &CDlgMachInfo::OnCuttingSettings);
    connect(AddButton(buttons, this, ResText(StringId::kMachInfoJetSettings), QStringLiteral("jetSettings")), &QPushButton::clicked, this,
            &CDlgMachInfo::OnJetSettings);
    connect(AddButton(buttons, this, ResText(StringId::kToolSetup), QStringLiteral("spSettings")), &QPushButton::clicked, this,
            &CDlgMachInfo::OnSpSettings);
    QPushButton* otherParams = AddButton(buttons, this, ResText(StringId::kMachInfoOtherParams), QStringLiteral("otherParams"));
    connect(otherParams, &QPushButton::clicked, this, &CDlgMachInfo::OnOtherParams);
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        otherParams->setVisible(ShowsOtherParams(*machine_));
        otherParams->setEnabled(ShowsOtherParams(*machine_));
    }
    QPushButton* ok = AddButton(buttons, this, ResText(StringId::kConfirm), QStringLiteral("ok"));
    connect(ok, &QPushButton::clicked, this, &CDlgMachInfo::OnOK);
    ShowValues();
}

int CDlgMachInfo::DoModal() { return exec() == QDialog::Accepted ? IDOK : IDCANCEL; }

void CDlgMachInfo::ShowValues()
{
    cutLevel_->button(values_.cutSpeedLevel)->setChecked(true);
    idleLevel_->button(values_.idleSpeedLevel)->setChecked(true);
    autoPaperCut_->setChecked(values_.autoPaperCut != 0);
    autoOutput_->setChecked(values_.autoOutput != 0);
    autoSuctionOff_->setChecked(values_.autoSuctionOff != 0);
    autoSuctionOn_->setChecked(values_.autoSuctionOn != 0);
    ShowToolValues();
}

void CDlgMachInfo::ShowToolValues()
{
    SetFieldText(dropPressure_, FormatInteger(values_.dropPressure));
    SetFieldText(fullCut_, FormatInteger(values_.fullCut));
    SetFieldText(halfCut_, FormatInteger(values_.halfCut));
    SetFieldText(knifePenX_, FormatNumber(values_.knifePenXMm));
    SetFieldText(knifePenY_, FormatNumber(values_.knifePenYMm));
}

// Takes the controls into values; false (after the field's message, with the field focused)
// when one fails.
bool CDlgMachInfo::TakeValues(MachInfoValues& values)
{
    values.cutSpeedLevel = cutLevel_->checkedId();
    values.idleSpeedLevel = idleLevel_->checkedId();
    values.autoPaperCut = autoPaperCut_->isChecked() ? 1 : 0;
    values.autoOutput = autoOutput_->isChecked() ? 1 : 0;
    values.autoSuctionOff = autoSuctionOff_->isChecked() ? 1 : 0;
    values.autoSuctionOn = autoSuctionOn_->isChecked() ? 1 : 0;
    IntegerRange halfCutRange;
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        halfCutRange = HalfCutRange(*machine_);
    }
    // The half cut is refused outside the 16 bits the record holds instead of keeping only
    // its low bits.
    FieldReaders fields;
    if (dropPressure_->isEnabled()) fields.Integer(dropPressure_, values.dropPressure, kMachInfoPressureRange);
    fields.Integer(fullCut_, values.fullCut, kMachInfoPressureRange);
    fields.Integer(halfCut_, values.halfCut, halfCutRange);
    fields.Number(knifePenX_, values.knifePenXMm);
    fields.Number(knifePenY_, values.knifePenYMm);
    return fields.ReadAll();
}

void CDlgMachInfo::Post(const MachineParamCodes& codes)
{
    for (uint8_t code : codes) server_.SendMachineParamCommand(machine_, code);
}

void CDlgMachInfo::OnOK()
{
    MachInfoValues values = values_;
    if (!TakeValues(values)) return;
    MachineParamCodes codes;
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        codes = StoreMachInfo(*machine_, values);
    }
    values_ = values;
    Post(codes);
    accept();
}

void CDlgMachInfo::OnCuttingSettings()
{
    SpeedConfig* speedSets[kSpeedLevels];
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        for (int level = 0; level < kSpeedLevels; ++level) speedSets[level] = &machine_->motionSource.interpolator.speedConfigs[level];
    }
    std::unique_ptr<CDlgPageSpeedCtl1> speedPages[kSpeedLevels];
    for (int level = 0; level < kSpeedLevels; ++level) {
        speedPages[level] = std::make_unique<CDlgPageSpeedCtl1>(server_.GetLock(), speedSets[level]);
        speedPages[level]->SetLevel(level);
        speedPages[level]->ClearChanged();
    }
    std::unique_ptr<CCuttingPage> toolPage;
    if (cuttingType_)
        toolPage = std::make_unique<CDlgPageOtherCtl>(server_, machine_);
    else
        toolPage = std::make_unique<CDlgPageMagnetCtl>(server_, machine_);

    CMyPropertySheet sheet(ipText_, this);
    for (auto& page : speedPages) sheet.AddPage(page.get());
    sheet.AddPage(toolPage.get());
    if (sheet.DoModal() != IDOK) return;

    if (std::any_of(std::begin(speedPages), std::end(speedPages), [](const auto& page) { return page->IsChanged(); }))
        server_.SendMachineParamCommand(machine_, kSpeedSetsCode);
    // The fourth page posted its own codes; show what it stored.
    if (toolPage->IsChanged()) {
        {
            CSingleLock guard(&server_.GetLock(), TRUE);
            LoadMachInfoToolValues(*machine_, values_);
        }
        ShowToolValues();
    }
}

void CDlgMachInfo::OnJetSettings()
{
    CAccessDataBase database;
    CAccessDataBase* records = database.OpenDatabase(GetConfigDatabasePath()) ? &database : nullptr;
    CDlgPlotSetting plotPage(server_, machine_);
    CDlgPageMotoCPS speedPage(server_, machine_, records);
    CDlgJetConfig1 headPage(server_.GetLock(), machine_);
    CDlgSheetSpeedCtl1 sheet(ipText_, this);
    sheet.AddPage(&plotPage);
    sheet.AddPage(&speedPage);
    sheet.AddPage(&headPage);
    if (sheet.DoModal() != IDOK) return;
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        if (machine_->online == 0) return;
    }
    const JetPageFlags& flags = headPage.Flags();
    if (flags.head) server_.SendJetHeadConfig(machine_);
    if (plotPage.IsChanged() || flags.plot) server_.SendPlotSettings(machine_);
}

void CDlgMachInfo::OnSpSettings()
{
    CDlgPageSPsetup page(server_.GetLock(), machine_, penModes_);
    CPropertySheet sheet(ipText_, this);
    sheet.AddPage(&page);
    if (sheet.DoModal() != IDOK) return;
    Post(page.CodesToPost());
}

void CDlgMachInfo::OnOtherParams()
{
    // Before the machine reported its block the list would show zeros and send them over
    // every byte it does not show: it opens only once the block arrived.
    ParamRecord records[kOtherParamRowCount];
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        if (!OtherParamsAvailable(*machine_)) return;
        LoadOtherParamRecords(machine_->extraBlock, records);
    }
    CDlgListCL dialog(records, kOtherParamRowCount, NameColumnWidth(), ResText(StringId::kOtherParamsCaption), this);
    if (dialog.DoModal() != IDOK) return;
    bool changed = false;
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        changed = StoreOtherParamRecords(records, machine_->extraBlock);
    }
    if (changed) server_.SendMachineParamCommand(machine_, kOtherParamsBlockCode);
}

void RunMachineSetupDialog(CDocCorvane& doc, NET_Machine& machine, QWidget* parent)
{
    CDlgMachInfo dialog(doc.GetServer(), &machine, &doc.penToolSettings, parent);
    dialog.DoModal();
}
