// CDlgPlotSetting: the plot settings and the length/width calibration.
#include "ui/dlg_plot_setting.h"

#include "app/udp_server.h"
#include "platform/critical_section.h"
#include "ui/form_fields.h"
#include "ui/qt_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>

namespace {

const char* const kCalibrationNames[kCalibrationValues] = {"idealLength", "realLength", "idealWidth", "realWidth"};

}  // namespace

CDlgPlotSetting::CDlgPlotSetting(CUDPServer& server, NET_Machine* machine)
    : CPropertyPage(ResText(StringId::kBasicSettingsTab)), server_(server), machine_(machine)
{
}

void CDlgPlotSetting::OnInitDialog()
{
    if (machine_ != nullptr) {
        CSingleLock guard(&server_.GetLock(), TRUE);
        values_ = LoadPlotPage(*machine_);
    } else {
        values_ = DefaultPlotPage();
    }
    auto* form = new QFormLayout(this);
    origin_ = AddEditField(form, ResText(StringId::kPlotOrigin), QStringLiteral("origin"));
    sections_ = AddEditField(form, ResText(StringId::kPlotSections), QStringLiteral("sections"));
    width_ = AddEditField(form, ResText(StringId::kPlotWidth), QStringLiteral("width"));
    length_ = AddEditField(form, ResText(StringId::kPlotLength), QStringLiteral("length"));
    rotation_ = new QComboBox(this);
    rotation_->setObjectName(QStringLiteral("rotation"));
    rotation_->addItems({QStringLiteral("0"), QStringLiteral("90"), QStringLiteral("180"), QStringLiteral("270")});
    form->addRow(ResText(StringId::kPlotRotation), rotation_);
    mirror_ = new QCheckBox(ResText(StringId::kPlotMirror), this);
    mirror_->setObjectName(QStringLiteral("mirror"));
    form->addRow(mirror_);
    for (int i = 0; i < kCalibrationValues; ++i) {
        calibration_[i] = AddEditField(form, ResText(StringId::kPlotCalibrationLabels + i), QString::fromLatin1(kCalibrationNames[i]));
        SetFieldText(calibration_[i], FormatNumber(values_.calibrationMm[i]));
    }
    SetFieldText(origin_, FormatInteger(values_.originMm));
    SetFieldText(sections_, FormatInteger(values_.sections));
    SetFieldText(width_, FormatInteger(values_.widthMm));
    SetFieldText(length_, FormatInteger(values_.lengthMm));
    rotation_->setCurrentIndex(values_.rotationIndex);
    mirror_->setChecked(values_.mirror != 0);
}

bool CDlgPlotSetting::OnKillActive()
{
    // Origin and width are refused beyond the 16 bits the plot settings command carries, and
    // a calibration length of 0 or less is refused: it would divide the scale by zero.
    FieldReaders fields;
    fields.Integer(origin_, values_.originMm, kPlotOriginRange);
    fields.Integer(sections_, values_.sections);
    fields.Integer(width_, values_.widthMm, kPlotWidthRange);
    fields.Integer(length_, values_.lengthMm);
    for (int i = 0; i < kCalibrationValues; ++i) fields.Number(calibration_[i], values_.calibrationMm[i], kCalibrationRange);
    if (!fields.ReadAll()) return false;
    values_.rotationIndex = rotation_->currentIndex();
    values_.mirror = mirror_->isChecked() ? 1 : 0;
    return true;
}

void CDlgPlotSetting::OnOK()
{
    if (machine_ == nullptr) return;
    PlotPageChanges changes;
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        changes = StorePlotPage(*machine_, values_);
    }
    changed_ = changes.plotSettings;
    for (uint8_t code : changes.codes) server_.SendMachineParamCommand(machine_, code);
}
