// The fixture of the job list and machine list view tests: both views on one document whose
// link manager records the posted command frames, machines in its table, scripted dialogs and
// menus, and an upload client of the real upload server on 127.0.0.1.
#pragma once

#include "app/doc_corvane.h"
#include "support/command_frame_recorder.h"
#include "support/loopback_tcp_client.h"
#include "support/recording_message_sink.h"
#include "support/scripted_file_dialogs.h"
#include "support/scripted_popup_menu.h"
#include "ui/view_dialogs.h"
#include "ui/view_file_list.h"
#include "ui/view_mach_list.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class CTCPClient1;

namespace corvane_test {

// View dialogs that answer as scripted: copies and pages from queues (empty: cancelled), the
// password by comparing the scripted text. Each may run a callback first, standing for what
// happens in the nested event loop while a dialog is open.
class ScriptedViewDialogs : public ViewDialogs {
public:
    ScriptedViewDialogs() { SetViewDialogs(this); }
    ~ScriptedViewDialogs() override { SetViewDialogs(nullptr); }

    std::optional<int32_t> AskCopies(int32_t copies) override;
    std::optional<int32_t> AskPage(int32_t page) override;
    bool AskPassword(const CString& expected) override;

    std::deque<std::optional<int32_t>> copiesAnswers;
    std::deque<std::optional<int32_t>> pageAnswers;
    CString typedPassword;
    std::function<void()> whileOpen;
    // The start value of every copies and page dialog, the expected text of every password.
    std::vector<int32_t> copiesAsked;
    std::vector<int32_t> pagesAsked;
    std::vector<CString> passwordsExpected;

private:
    std::optional<int32_t> Next(std::deque<std::optional<int32_t>>& answers);
};

class ListViewsTest : public ::testing::Test {
protected:
    ListViewsTest();
    ~ListViewsTest() override;

    // Lists a job of a fresh plot file name (content: HPGL), set up by setup before listing.
    CPrintTask* ListJob(const std::string& name, const std::function<void(CPrintTask&)>& setup = {},
                        const std::string& hpgl = "IN;PU0,0;PD400,0,400,400;");
    // Adds a machine at 127.0.0.octet to the link's table and a row for it.
    NET_Machine* AddMachine(uint8_t octet, uint8_t firmware = 12);
    // Shows both views so that rows have places on the screen.
    void ShowViews();
    // The centre of a row, in viewport pixels.
    static QPoint RowCentre(CListViewBase& view, int row);
    // Clicks the check box of a row.
    static void ClickCheckBox(CListViewBase& view, int row);
    // Presses Space on row (made current).
    static void PressSpace(CListViewBase& view, int row);
    // Right-clicks row and has the menu command the scripted menu chose delivered.
    static void RightClickRow(CListViewBase& view, CWnd& target, int row);

    // Connects an upload client to the real server on 127.0.0.1.
    void ConnectClient();

    RecordingMessageSink sink_;
    ScriptedViewDialogs dialogs_;
    ScriptedFileDialogs files_;
    ScriptedPopupMenu menu_;
    CommandFrameRecorder server_;
    CDocCorvane doc_{server_};
    std::unique_ptr<CViewFileList> jobs_;
    std::unique_ptr<CViewMachList> machines_;
    std::unique_ptr<LoopbackTcpClient> wire_;
    CTCPClient1* client_ = nullptr;
};

}  // namespace corvane_test
