// CMainFrame: the program's main window: tool bar, status bar, tray icon, the splitters of
// the four panes, the start-up listener for another controller, the two timers, and the
// target of every message the machine link and the upload server post.
#pragma once

#include "app/main_frame_messages.h"
#include "app/sock_bc_listen.h"
#include "platform/posted_message.h"
#include "ui/command_target.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <vector>

class CDocCorvane;
class CTrueColorToolBar;
class CUDPServer;
class DocumentCommands;
class QSplitter;
class QSystemTrayIcon;
class QTimer;

// The timers: the auto-print tick and the start of the machine link.
inline constexpr int kAutoPrintTimerId = 2009;
inline constexpr int kLinkStartTimerId = 2010;
inline constexpr int kAutoPrintIntervalMs = 2000;
inline constexpr int kLinkStartDelayMs = 3000;

// The splitter layout: the upper row's height and its columns' first widths, in pixels.
inline constexpr int kUpperRowHeight = 200;
inline constexpr int kMachineListWidth = 150;
inline constexpr int kJobListWidth = 630;
inline constexpr int kControlPanelWidth = 300;
// Above this client width a resize sets the first column to kMachineListWidth and the
// second to the client width less kColumnReserve.
inline constexpr int kColumnLayoutMinWidth = 480;
inline constexpr int kColumnReserve = 317;
// The tray tip holds at most this many characters.
inline constexpr int kTrayTipMaxChars = 127;

// The window title in the chosen language, its build mark appended.
QString MainFrameTitle();

class CMainFrame : public QMainWindow, public CMessageTarget, public CommandTarget {
public:
    CMainFrame(CUDPServer& server, CDocCorvane& doc, int32_t language);
    ~CMainFrame() override;

    // Makes the tool bar, status bar, tray icon, panes and the discovery listener, loads the
    // two global fonts and registers the frame as the main message target; false when the
    // tool bar or status bar cannot be made.
    bool Create();
    // Runs the auto-print tick once and starts both timers.
    void StartTimers();
    // The body of a timer: 2009 the auto-print tick, 2010 (once) the start of the machine
    // link unless another controller was heard.
    void OnTimer(int timerId);
    // The auto-print tick that timer 2009 runs; the document's (auto and merge scans, then
    // dispatch or the work-waiting pass) unless another is given.
    void SetAutoPrintTick(std::function<void()> tick) { autoPrintTick_ = std::move(tick); }

    // Asks the program to end: exits the event loop from the next turn of it.
    void RequestQuit();
    bool IsQuitRequested() const { return quitRequested_; }
    // Brings the window forward (shown, raised and activated).
    void BringToFront();
    // Shows text in the status bar's first pane (the document's refusals and preparation
    // progress).
    void ShowStatusText(const CString& text);

    // Exit (32791, 57665): the close question, as the window's close button asks it.
    void OnExit() { close(); }
    // "清除ARP缓存" (32834).
    void OnClearArpCache();
    // The job-row commands on the job list's selected row: copies +1 (32817) and -1 (32818),
    // move down (32819) and up (32820), carried out by the document.
    void OnCopiesUp();
    void OnCopiesDown();
    void OnMoveDown();
    void OnMoveUp();

    // The windows that carry out the tool bar's commands, asked in the order they were
    // added: the document's commands first. A target removes itself before it goes.
    void AddCommandTarget(CommandTarget* target);
    void RemoveCommandTarget(CommandTarget* target);
    // Carries out id through the first target that knows it; false when none does.
    bool OnCommand(int id) override;
    // The state the first target that knows id gives it.
    std::optional<CommandButtonState> CommandState(int id) const override;

    CTrueColorToolBar* GetToolBar() const { return toolBar_; }
    CSockBCListen& GetBroadcastListener() { return broadcastListener_; }
    QSplitter* GetOuterSplitter() const { return outerSplitter_; }
    QSplitter* GetInnerSplitter() const { return innerSplitter_; }
    QSystemTrayIcon* GetTrayIcon() const { return trayIcon_; }
    CDocCorvane& GetDocument() { return doc_; }
    // The handlers of the machines' and clients' notifications (their options are the app's).
    MainFrameMessages& GetMessages() { return messages_; }

protected:
    // Asks "是否关闭程序?"; on Yes closes the upload server's listener and ends the program.
    void closeEvent(QCloseEvent* event) override;
    // Minimising hides the window while the tray icon shows.
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Routes every posted message to the notification handlers.
    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateClient();
    void CreateTrayIcon();
    // Lays the splitters out for a client area of this size.
    void LayoutPanes(int clientWidth, int clientHeight);

    CUDPServer& server_;
    CDocCorvane& doc_;
    int32_t language_;
    CSockBCListen broadcastListener_;
    MainFrameMessages messages_;
    std::unique_ptr<DocumentCommands> documentCommands_;
    std::vector<CommandTarget*> commandTargets_;
    QMetaObject::Connection previewGone_;  // takes the preview off the targets when it goes
    CTrueColorToolBar* toolBar_ = nullptr;
    QSplitter* outerSplitter_ = nullptr;
    QSplitter* innerSplitter_ = nullptr;
    QSystemTrayIcon* trayIcon_ = nullptr;
    QTimer* autoPrintTimer_ = nullptr;
    QTimer* linkStartTimer_ = nullptr;
    std::function<void()> autoPrintTick_;
    bool layoutReady_ = false;
    bool quitRequested_ = false;
};
