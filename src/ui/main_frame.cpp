// CMainFrame: building the main window and handling its timers, tray icon and close question.
#include "ui/main_frame.h"

#include "app/doc_corvane.h"
#include "app/string_table.h"
#include "app/udp_server.h"
#include "fonts/plot_font_lib.h"
#include "hpgl/binary_polyline_list.h"
#include "platform/message_box.h"
#include "platform/system_actions.h"
#include "ui/document_commands.h"
#include "ui/frame_panes.h"
#include "ui/qt_text.h"
#include "ui/true_color_tool_bar.h"
#include "ui/view_graphic.h"
#include "uploadserver/tcp_client1.h"
#include "uploadserver/tcp_server1.h"
#include "uploadserver/upload_messages.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int kStatusPaneCount = 5;

// The program's icon: a cutting mat with a knife line, drawn here so no image file is needed.
QIcon ProgramIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x1f, 0x6f, 0xb2));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(2, 2, 28, 28, 5, 5);
    painter.setPen(QPen(Qt::white, 3));
    painter.drawLine(8, 24, 24, 8);
    painter.drawEllipse(QPoint(8, 24), 2, 2);
    return QIcon(pixmap);
}

}  // namespace

QString MainFrameTitle() { return ResText(StringId::kFrameTitle) + QStringLiteral(" 20211014-1"); }

CMainFrame::CMainFrame(CUDPServer& server, CDocCorvane& doc, int32_t language)
    : CMessageTarget(Delivery::GuiThread), server_(server), doc_(doc), language_(language),
      broadcastListener_([this] { RequestQuit(); }), messages_(doc, Delivery::ByHand),
      documentCommands_(std::make_unique<DocumentCommands>(doc))
{
    AddCommandTarget(documentCommands_.get());
    // The tips of the notifications stop timer 2009 while they are open.
    messages_.pauseAutoPrint = [this] {
        if (autoPrintTimer_) autoPrintTimer_->stop();
    };
    messages_.resumeAutoPrint = [this] {
        if (autoPrintTimer_) autoPrintTimer_->start(kAutoPrintIntervalMs);
    };
    messages_.shutdownComputer = [] { GetSystemActions().PowerOff(); };
    autoPrintTick_ = [this] { doc_.RunAutoPrintTick(); };
    setWindowTitle(MainFrameTitle());
    setWindowIcon(ProgramIcon());
}

CMainFrame::~CMainFrame()
{
    if (GetMainMessageTarget() == this) SetMainMessageTarget(nullptr);
    doc_.showStatusText = nullptr;
    // The panes go after this part of the frame: the preview must not reach its target list.
    disconnect(previewGone_);
    if (trayIcon_) trayIcon_->hide();
    CBinaryPolyLineList::ReleasePen();
}

bool CMainFrame::Create()
{
    toolBar_ = CreateFrameToolBar(this);
    if (!toolBar_) return false;
    addToolBar(Qt::TopToolBarArea, toolBar_);
    setMenuBar(nullptr);

    auto* bar = new QStatusBar(this);
    for (int i = 0; i < kStatusPaneCount; ++i) {
        auto* pane = new QLabel(bar);
        pane->setObjectName(QStringLiteral("StatusPane%1").arg(i));
        if (i == 0)
            bar->addWidget(pane, 1);
        else
            bar->addPermanentWidget(pane);
    }
    setStatusBar(bar);

    CreateTrayIcon();
    PlotFontLib::LoadGlobalFontLib();
    PlotFontLibArray::GetGlobalFontLib()->LoadGlobalFontLib();
    // Another controller may hold the port (or a machine on this host); the frame goes on
    // without the listener then, as it always has.
    broadcastListener_.CreateListener();

    CreateClient();
    SetMainMessageTarget(this);
    doc_.showStatusText = [this](const CString& text) { ShowStatusText(text); };
    return true;
}

void CMainFrame::ShowStatusText(const CString& text)
{
    if (auto* pane = findChild<QLabel*>(QStringLiteral("StatusPane0"))) pane->setText(QString::fromStdU16String(text.str()));
}

void CMainFrame::CreateTrayIcon()
{
    trayIcon_ = new QSystemTrayIcon(windowIcon(), this);
    trayIcon_->setToolTip(QString::fromStdU16String(LoadResString(StringId::kTrayTip).str()).left(kTrayTipMaxChars));
    connect(trayIcon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason != QSystemTrayIcon::Trigger) return;
        if (isVisible() && !isMinimized()) {
            hide();
        } else {
            BringToFront();
        }
    });
    if (QSystemTrayIcon::isSystemTrayAvailable()) trayIcon_->show();
}

void CMainFrame::CreateClient()
{
    outerSplitter_ = new QSplitter(Qt::Vertical, this);
    outerSplitter_->setObjectName(QStringLiteral("OuterSplitter"));
    innerSplitter_ = new QSplitter(Qt::Horizontal, outerSplitter_);
    innerSplitter_->setObjectName(QStringLiteral("InnerSplitter"));
    innerSplitter_->addWidget(CreateFramePane(FramePane::MachineList, innerSplitter_, doc_));
    innerSplitter_->addWidget(CreateFramePane(FramePane::JobList, innerSplitter_, doc_));
    innerSplitter_->addWidget(CreateFramePane(FramePane::ControlPanel, innerSplitter_, doc_));
    outerSplitter_->addWidget(innerSplitter_);
    outerSplitter_->addWidget(CreateFramePane(FramePane::Graphic, outerSplitter_, doc_));
    // The preview answers its commands on the main tool bar for as long as it lives.
    if (auto* preview = outerSplitter_->findChild<CViewGraphic*>(QString::fromLatin1(CViewGraphic::kObjectName))) {
        CommandTarget* target = preview;
        AddCommandTarget(target);
        previewGone_ = connect(preview, &QObject::destroyed, this, [this, target] { RemoveCommandTarget(target); });
    }
    // The upper row and the outer columns keep their sizes when the window changes size;
    // the job list and the preview take the change.
    outerSplitter_->setStretchFactor(0, 0);
    outerSplitter_->setStretchFactor(1, 1);
    innerSplitter_->setStretchFactor(0, 0);
    innerSplitter_->setStretchFactor(1, 1);
    innerSplitter_->setStretchFactor(2, 0);
    outerSplitter_->installEventFilter(this);
    setCentralWidget(outerSplitter_);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == outerSplitter_ && event->type() == QEvent::Resize)
        LayoutPanes(outerSplitter_->width(), outerSplitter_->height());
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::LayoutPanes(int clientWidth, int clientHeight)
{
    const int handle = innerSplitter_->handleWidth();
    if (!layoutReady_) {
        outerSplitter_->setSizes({kUpperRowHeight, std::max(0, clientHeight - kUpperRowHeight - outerSplitter_->handleWidth())});
        innerSplitter_->setSizes({kMachineListWidth, kJobListWidth, kControlPanelWidth});
        layoutReady_ = true;
    }
    if (clientWidth <= kColumnLayoutMinWidth) return;
    const int jobListWidth = clientWidth - kColumnReserve;
    const int rest = std::max(0, clientWidth - kMachineListWidth - jobListWidth - 2 * handle);
    innerSplitter_->setSizes({kMachineListWidth, jobListWidth, rest});
}

void CMainFrame::StartTimers()
{
    linkStartTimer_ = new QTimer(this);
    linkStartTimer_->setSingleShot(true);
    connect(linkStartTimer_, &QTimer::timeout, this, [this] { OnTimer(kLinkStartTimerId); });
    linkStartTimer_->start(kLinkStartDelayMs);

    OnTimer(kAutoPrintTimerId);
    autoPrintTimer_ = new QTimer(this);
    connect(autoPrintTimer_, &QTimer::timeout, this, [this] { OnTimer(kAutoPrintTimerId); });
    autoPrintTimer_->start(kAutoPrintIntervalMs);
}

void CMainFrame::OnTimer(int timerId)
{
    if (timerId == kAutoPrintTimerId) {
        if (autoPrintTick_) autoPrintTick_();
        return;
    }
    if (timerId != kLinkStartTimerId) return;
    if (linkStartTimer_) linkStartTimer_->stop();
    // Another controller was heard: this program is giving way (its box may still be open),
    // so it must not start a link of its own.
    if (broadcastListener_.GetSeenTickMs() != 0) return;
    broadcastListener_.Close();
    server_.StartMachineLinkThread();
}

void CMainFrame::RequestQuit()
{
    quitRequested_ = true;
    QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void CMainFrame::BringToFront()
{
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void CMainFrame::AddCommandTarget(CommandTarget* target)
{
    if (target && std::find(commandTargets_.begin(), commandTargets_.end(), target) == commandTargets_.end())
        commandTargets_.push_back(target);
}

void CMainFrame::RemoveCommandTarget(CommandTarget* target)
{
    commandTargets_.erase(std::remove(commandTargets_.begin(), commandTargets_.end(), target), commandTargets_.end());
}

bool CMainFrame::OnCommand(int id)
{
    // A command may run a modal dialog in which targets come and go: the targets are those
    // of the moment the command started, each looked up again before it is asked.
    const std::vector<CommandTarget*> targets = commandTargets_;
    for (CommandTarget* target : targets) {
        if (std::find(commandTargets_.begin(), commandTargets_.end(), target) == commandTargets_.end()) continue;
        if (target->OnCommand(id)) return true;
    }
    return false;
}

std::optional<CommandButtonState> CMainFrame::CommandState(int id) const
{
    for (const CommandTarget* target : commandTargets_)
        if (std::optional<CommandButtonState> state = target->CommandState(id)) return state;
    return std::nullopt;
}

void CMainFrame::OnClearArpCache() { GetSystemActions().ClearArpCache(); }

void CMainFrame::OnCopiesUp()
{
    doc_.OnIncreaseCopies();
}

void CMainFrame::OnCopiesDown()
{
    doc_.OnDecreaseCopies();
}

void CMainFrame::OnMoveDown()
{
    doc_.OnMoveJobDown();
}

void CMainFrame::OnMoveUp()
{
    doc_.OnMoveJobUp();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (MessageBox(LoadResString(StringId::kAskCloseProgram), kApplicationCaption, MB_YESNO | MB_DEFBUTTON2) != IDYES)
        return;
    CTCPServer1::GetGlobalServer()->Close();
    event->accept();
    RequestQuit();
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Hidden only while the tray icon shows: without it a hidden window could not be
    // brought back.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && trayIcon_ && trayIcon_->isVisible())
        QTimer::singleShot(0, this, [this] { hide(); });
}

void CMainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    messages_.OnMessage(message, wParam, lParam);
}
