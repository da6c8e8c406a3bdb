// CViewCtlPanel and CMyButton: the panel's controls, the jog buttons' holds and the work mode.
#include "ui/view_ctl_panel.h"

#include "app/doc_corvane.h"
#include "app/list_rows.h"
#include "app/preview_port.h"
#include "app/settings_keys.h"
#include "app/string_table.h"
#include "app/udp_server.h"
#include "machinelink/net_machine.h"
#include "platform/critical_section.h"
#include "platform/settings_store.h"
#include "ui/main_frame.h"
#include "ui/qt_text.h"
#include "ui/ui_resources.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

namespace {

constexpr int kButtonSizePx = 40;
constexpr int kPictureSizePx = 32;

// The panel's buttons: control id, picture, string id of the tool tip (0: none); jog buttons
// first.
struct PanelButton {
    int id;
    int bitmap;
    uint32_t tip;
};
constexpr PanelButton kJogButtons[] = {
    {IDC_JOG_1001, 136, 0}, {IDC_JOG_1002, 137, 0}, {IDC_JOG_1003, 138, 0},
    {IDC_JOG_1004, 139, 0}, {IDC_JOG_1019, 137, 0}, {IDC_JOG_1022, 136, 0},
};
constexpr PanelButton kCommandButtons[] = {
    {IDC_RESET_MACHINE, 212, StringId::kPanelReset}, {IDC_TEST_JET, 213, StringId::kPanelTest},
    {IDC_FIT_PREVIEW, 221, StringId::kPanelFit},     {IDC_TOGGLE_RULER, 223, StringId::kPanelRuler},
    {IDC_MACHINE_PREVIEW, 225, StringId::kPanelPreview}, {IDC_EXPORT_PLT, 226, 0},
};

QString ControlName(int id) { return QStringLiteral("Control%1").arg(id); }

// Gives button its control name, picture and tool tip.
void SetUpButton(QPushButton* button, const PanelButton& entry)
{
    button->setObjectName(ControlName(entry.id));
    button->setIcon(QPixmap::fromImage(LoadBitmapResource(entry.bitmap)));
    button->setIconSize(QSize(kPictureSizePx, kPictureSizePx));
    button->setFixedSize(kButtonSizePx, kButtonSizePx);
    if (entry.tip != 0) button->setToolTip(ResText(entry.tip));
}

}  // namespace

CMyButton::CMyButton(int controlId, CDocCorvane& doc, QWidget* parent)
    : QPushButton(parent), controlId_(controlId), doc_(doc)
{
}

CMyButton::~CMyButton() { StopJog(); }

std::optional<uint32_t> CMyButton::SelectedMachineKey() const
{
    const MachineListRows* rows = doc_.GetMachineRows();
    if (!rows) return std::nullopt;
    CSingleLock guard(&doc_.GetServer().GetLock(), TRUE);
    const NET_Machine* machine = rows->GetSelectedItemData();
    if (!machine) return std::nullopt;
    return machine->ip;
}

void CMyButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (const std::optional<JogCommand> start = jog_.Press(controlId_, SelectedMachineKey())) {
            doc_.GetServer().PostMachineCommandByte(start->machineKey, kJogButtonCommand, start->value);
            qApp->installEventFilter(this);
        }
    }
    QPushButton::mousePressEvent(event);
}

void CMyButton::mouseReleaseEvent(QMouseEvent* event)
{
    // The stop goes to the machine the press started, whatever is selected now.
    if (event->button() == Qt::LeftButton) StopJog();
    QPushButton::mouseReleaseEvent(event);
}

void CMyButton::mouseMoveEvent(QMouseEvent* event) { event->accept(); }

bool CMyButton::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusOut:
    case QEvent::Hide:
    case QEvent::WindowDeactivate: LoseHold(); break;
    case QEvent::EnabledChange:
        if (!isEnabled()) LoseHold();
        break;
    case QEvent::ActivationChange:
        if (!isActiveWindow()) LoseHold();
        break;
    default: break;
    }
    return QPushButton::event(event);
}

bool CMyButton::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == window() && (type == QEvent::WindowBlocked || type == QEvent::WindowDeactivate || type == QEvent::Hide)) {
        LoseHold();
    } else if (type == QEvent::Show && watched->isWidgetType()) {
        // A popup that opens takes the mouse: the release goes to it.
        const auto* shown = static_cast<QWidget*>(watched);
        if (shown->isWindow() && shown->windowType() == Qt::Popup) LoseHold();
    }
    return false;
}

void CMyButton::StopJog()
{
    const std::optional<JogCommand> stop = jog_.End();
    if (!stop) return;
    qApp->removeEventFilter(this);
    doc_.GetServer().PostMachineCommandByte(stop->machineKey, kJogButtonCommand, stop->value);
}

void CMyButton::LoseHold()
{
    if (!jog_.IsPressed()) return;
    StopJog();
    setDown(false);
}

CViewCtlPanel::CViewCtlPanel(CDocCorvane& doc, QWidget* parent) : QScrollArea(parent), doc_(doc)
{
    // The form keeps its size; a narrower column scrolls it, as a form view does.
    auto* form = new QWidget(this);
    auto* grid = new QGridLayout(form);
    // The jog pad: 1001 above 1002 with 1003 and 1004 beside them; 1022 above 1019 apart.
    const int jogCells[][2] = {{0, 1}, {2, 1}, {1, 0}, {1, 2}, {2, 3}, {0, 3}};
    for (size_t i = 0; i < std::size(kJogButtons); ++i) {
        auto* button = new CMyButton(kJogButtons[i].id, doc_, form);
        SetUpButton(button, kJogButtons[i]);
        grid->addWidget(button, jogCells[i][0], jogCells[i][1]);
    }
    for (size_t i = 0; i < std::size(kCommandButtons); ++i) {
        auto* button = new QPushButton(form);
        SetUpButton(button, kCommandButtons[i]);
        const int id = kCommandButtons[i].id;
        grid->addWidget(button, static_cast<int>(i % 3), 4 + static_cast<int>(i / 3));
        connect(button, &QPushButton::clicked, this, [this, id] {
            PreviewPort* preview = doc_.GetPreview();
            switch (id) {
            case IDC_RESET_MACHINE: doc_.OnResetMachine(); break;
            case IDC_TEST_JET: doc_.OnTestJet(); break;
            case IDC_MACHINE_PREVIEW: doc_.OnMachinePreview(); break;
            case IDC_EXPORT_PLT: doc_.OnExportPlt(); break;
            case IDC_FIT_PREVIEW:
                if (preview) preview->FitJobToView();
                break;
            case IDC_TOGGLE_RULER:
                if (preview) {
                    preview->ToggleRuler();
                    preview->Invalidate();
                }
                break;
            default: break;
            }
        });
    }
    auto* label = new QLabel(ResText(StringId::kPanelMode), form);
    workMode_ = new QComboBox(form);
    workMode_->setObjectName(ControlName(IDC_WORK_MODE));
    grid->addWidget(label, 3, 0, 1, 2);
    grid->addWidget(workMode_, 3, 2, 1, 4);
    // activated is the operator's choice only: setting the stored mode writes nothing.
    connect(workMode_, &QComboBox::activated, this, &CViewCtlPanel::OnWorkModeChosen);
    InitialUpdate();
    setFrameShape(QFrame::NoFrame);
    setWidget(form);
}

void CViewCtlPanel::InitialUpdate()
{
    for (uint32_t text : {StringId::kWorkModeNormal, StringId::kWorkModeCutOnly, StringId::kWorkModeJetOnly})
        workMode_->addItem(ResText(text));
    workMode_->setCurrentIndex(GetProfileInt(SettingsKeys::kAutoPrintSection, SettingsKeys::kWorkMode, 0));
}

void CViewCtlPanel::OnWorkModeChosen(int index)
{
    WriteProfileInt(SettingsKeys::kAutoPrintSection, SettingsKeys::kWorkMode, index);
}

QWidget* CViewCtlPanel::Control(int controlId) const { return findChild<QWidget*>(ControlName(controlId)); }

QSize CViewCtlPanel::sizeHint() const { return {kControlPanelWidth, kUpperRowHeight}; }
