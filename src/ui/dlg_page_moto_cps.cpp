// CDlgPageMotoCPS: the jet speed levels, the level selectors and the machine limits.
#include "ui/dlg_page_moto_cps.h"

#include "app/access_database.h"
#include "app/udp_server.h"
#include "machinelink/net_machine.h"
#include "platform/critical_section.h"
#include "ui/dlg_input_password.h"
#include "ui/dlg_mach_param.h"
#include "ui/form_fields.h"
#include "ui/qt_text.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <optional>

namespace {

// One row of the page: a field of each level.
struct JetSpeedField {
    const char* name;
    int32_t JetSpeedLevelValues::*value;
    IntegerRange range;                      // checked on OK
    std::optional<IntegerRange> quickRange;  // checked when the field is left
};

const JetSpeedField kFields[kJetSpeedFields] = {
    {"carriage", &JetSpeedLevelValues::carriageSpeed, kCarriageSpeedRange, kCarriageSpeedQuickRange},
    {"feed", &JetSpeedLevelValues::feedSpeed, kFeedSpeedRange, std::nullopt},
    {"returnCompensation", &JetSpeedLevelValues::returnCompensationPt, kPassCompensationRange,
     kPassCompensationQuickRange},
    {"leftBrake", &JetSpeedLevelValues::leftBrakeMm, kBrakeRange, kBrakeQuickRange},
    {"rightBrake", &JetSpeedLevelValues::rightBrakeMm, kBrakeRange, kBrakeQuickRange},
    {"leftStagger", &JetSpeedLevelValues::leftStagger, kStaggerRange, std::nullopt},
    {"leftError", &JetSpeedLevelValues::leftErrorCompensationPt, kErrorCompensationRange, std::nullopt},
    {"rightStagger", &JetSpeedLevelValues::rightStagger, kStaggerRange, std::nullopt},
    {"rightError", &JetSpeedLevelValues::rightErrorCompensationPt, kErrorCompensationRange, std::nullopt},
};

QComboBox* AddLevelSelector(QGridLayout* grid, QWidget* parent, int row, const QString& label, const QString& objectName,
                            int32_t level)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(objectName);
    for (int level = 0; level < kJetSpeedLevels; ++level) list->addItem(ResText(StringId::kSpeedLevelTabs + level));
    list->setCurrentIndex(level);
    grid->addWidget(new QLabel(label, parent), row, 0);
    grid->addWidget(list, row, 1);
    return list;
}

}  // namespace

CDlgPageMotoCPS::CDlgPageMotoCPS(CUDPServer& server, NET_Machine* machine, CAccessDataBase* database)
    : CPropertyPage(ResText(StringId::kSpeedTab)), server_(server), machine_(machine), database_(database)
{
}

void CDlgPageMotoCPS::OnInitDialog()
{
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        values_ = LoadJetSpeedPage(*machine_);
    }
    auto* grid = new QGridLayout(this);
    for (int level = 0; level < kJetSpeedLevels; ++level)
        grid->addWidget(new QLabel(ResText(StringId::kSpeedLevelTabs + level), this), 0, level + 1);
    for (int f = 0; f < kJetSpeedFields; ++f) {
        const JetSpeedField& field = kFields[f];
        grid->addWidget(new QLabel(ResText(StringId::kJetSpeedFieldLabels + f), this), f + 1, 0);
        for (int level = 0; level < kJetSpeedLevels; ++level) {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(QStringLiteral("%1%2").arg(QString::fromLatin1(field.name)).arg(level));
            SetFieldText(edit, FormatInteger(values_.levels[level].*field.value));
            grid->addWidget(edit, f + 1, level + 1);
            edits_[level][f] = edit;
            if (field.quickRange) {
                const IntegerRange quick = *field.quickRange;
                connect(edit, &QLineEdit::editingFinished, this, [this, edit, quick] { CheckFieldLeft(edit, quick); });
            }
        }
    }
    int row = kJetSpeedFields + 1;
    carriageLevel_ = AddLevelSelector(grid, this, row++, ResText(StringId::kJetSpeedFieldLabels + 0), QStringLiteral("carriageLevel"), values_.carriageLevel);
    feedLevel_ = AddLevelSelector(grid, this, row++, ResText(StringId::kJetSpeedFieldLabels + 1), QStringLiteral("feedLevel"), values_.feedLevel);
    auto* advanced = new QPushButton(ResText(StringId::kJetAdvanced), this);
    advanced->setObjectName(QStringLiteral("advanced"));
    advanced->setAutoDefault(false);
    grid->addWidget(advanced, row, 0);
    connect(advanced, &QPushButton::clicked, this, &CDlgPageMotoCPS::OnAdvancedSettings);
}

// A value outside the quick range validates the whole page at once: the first failing field
// shows its message and takes the focus; when every field passes, the focus goes back to the
// field left.
void CDlgPageMotoCPS::CheckFieldLeft(QLineEdit* edit, IntegerRange quickRange)
{
    if (checkingField_ || IsIntegerInRange(FieldText(edit), quickRange)) return;
    checkingField_ = true;
    if (OnKillActive()) edit->setFocus();
    checkingField_ = false;
}

bool CDlgPageMotoCPS::OnKillActive()
{
    JetSpeedPageValues taken = values_;
    FieldReaders fields;
    for (int level = 0; level < kJetSpeedLevels; ++level)
        for (int f = 0; f < kJetSpeedFields; ++f)
            fields.Integer(edits_[level][f], taken.levels[level].*kFields[f].value, kFields[f].range);
    if (!fields.ReadAll()) return false;
    taken.carriageLevel = carriageLevel_->currentIndex();
    taken.feedLevel = feedLevel_->currentIndex();
    values_ = taken;
    return true;
}

void CDlgPageMotoCPS::OnOK()
{
    JetSpeedPageChanges changes;
    bool saveRecords = false;
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        changes = StoreJetSpeedPage(*machine_, values_);
        // Machines of old firmware keep no speeds of their own: the database keeps them.
        saveRecords = machine_->online != 0 && machine_->firmwareVersion <= 2 && database_ != nullptr;
    }
    if (changes.levelTable) server_.SendSpeedLevelTable(machine_);
    if (changes.levelSelection) server_.SendSpeedLevelSelection(machine_);
    if (saveRecords) {
        CSingleLock guard(&server_.GetLock(), TRUE);
        database_->SaveMachineRecords(machine_);
    }
}

void CDlgPageMotoCPS::OnAdvancedSettings()
{
    if (!AskForPassword(CString(kAdvancedSettingsPassword), this)) return;
    MachineParams limits;
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        limits = machine_->machineParams;
    }
    CDlgMachParam dialog(&limits, this);
    if (dialog.DoModal() != IDOK) return;
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        machine_->machineParams = limits;
    }
    server_.SendMachineLimitsText(machine_);
}
