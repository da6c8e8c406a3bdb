// CAppCorvane: the start-up sequence, the application commands and the end of the run.
#include "ui/app_corvane.h"

#include "app/config_globals.h"
#include "app/config_ini.h"
#include "app/doc_corvane.h"
#include "app/font_notice.h"
#include "app/msg_socket.h"
#include "app/resume_state.h"
#include "app/string_table.h"
#include "app/udp_server.h"
#include "platform/file_dialog.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/program_directory.h"
#include "platform/settings_store.h"
#include "platform/system_actions.h"
#include "ui/doc_template.h"
#include "ui/main_frame.h"
#include "uploadserver/tcp_server1.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

namespace {

CAppCorvane* g_app = nullptr;

// The filter of the document template: the plot files the job list reads.
constexpr const char16_t* kPlotFilePatterns = u" (*.plt *.hpgl *.hgl *.dxf)";

}  // namespace

CAppCorvane* GetCorvaneApp() { return g_app; }

CAppCorvane::CAppCorvane(CUDPServer& server) : server_(server) { g_app = this; }

CAppCorvane::~CAppCorvane()
{
    ExitInstance();
    if (g_app == this) g_app = nullptr;
}

CMainFrame* CAppCorvane::GetMainFrame() const { return docTemplate_ ? docTemplate_->GetFrame() : nullptr; }
CDocCorvane* CAppCorvane::GetDocument() const { return docTemplate_ ? docTemplate_->GetDocument() : nullptr; }

BOOL CAppCorvane::InitInstance(const std::vector<CString>& arguments)
{
    // The socket layer, OLE and the recent-file list of other platforms need nothing here:
    // the sockets are the system's, and no menu shows recent files.
    CString fileArgument;
    for (const CString& argument : arguments) {
        if (!argument.IsEmpty() && argument[0] != u'-') {
            fileArgument = argument;
            break;
        }
    }

    LoadConfigIni(language, glFontLibType);
    SetStringLanguage(language);

    // A second instance ends before it makes any window.
    if (!TakeInstanceLock()) {
        AfxMessageBox(LoadResString(StringId::kAlreadyRunning));
        return FALSE;
    }

    docTemplate_ = std::make_unique<CMyDocTemplate>(server_, language);
    if (!docTemplate_->CreateDocumentAndFrame()) return FALSE;
    if (!fileArgument.IsEmpty()) docTemplate_->OpenDocumentAsJob(fileArgument);

    CMainFrame* frame = docTemplate_->GetFrame();
    frame->resize(1100, 650);
    frame->show();
    frame->resize(frame->width(), frame->height() + kStartupExtraHeight);
    ReportMissingFontFiles();

    CDocCorvane* doc = GetDocument();
    doc->LoadDirectorySettings();
    deleteAfterCut = GetProfileInt(u"FileSetting", u"Delete", 0);
    frame->GetMessages().deleteAfterCut = deleteAfterCut;
    server_.ReadDiscoveryAddresses();
    frame->StartTimers();

    CTCPServer1::GetGlobalServer()->Create1(kUploadServerPort);
    CTCPServer1::SetAutoDir(doc->autoDirectory);
    CreateFolder(GetPagesFolder());
    CreateMessageSocket();
    return TRUE;
}

bool CAppCorvane::TakeInstanceLock()
{
    const QString folder = QFileInfo(QString::fromStdString(SettingsStorePath())).absolutePath();
    QDir().mkpath(folder);
    instanceLock_ = std::make_unique<QLockFile>(folder + QLatin1Char('/') + QLatin1String(kInstanceLockName));
    // Never stale by age: a run lasts for days. A lock whose process has died is taken over.
    instanceLock_->setStaleLockTime(0);
    if (instanceLock_->tryLock(0)) return true;
    instanceLock_.reset();
    return false;
}

void CAppCorvane::CreateMessageSocket()
{
    CMainFrame* frame = GetMainFrame();
    msgSocket_ = std::make_unique<CMsgSocket>([this](const CString& path) { AddFileToDocument(path); },
                                              [frame] { frame->BringToFront(); });
    if (!msgSocket_->CreateMessageSocket()) {
        msgSocket_.reset();
        MessageBox(LoadResString(StringId::kMessageSocketFailed), u"");
        return;
    }
    SetMsgSocket(msgSocket_.get());
}

int CAppCorvane::ExitInstance()
{
    if (msgSocket_) {
        SetMsgSocket(nullptr);
        msgSocket_.reset();
    }
    server_.StopMachineLinkThread();
    CTCPServer1::GetGlobalServer()->Close();
    docTemplate_.reset();
    instanceLock_.reset();
    return 0;
}

int CAppCorvane::AddFileToDocument(const CString& path)
{
    CDocCorvane* doc = GetDocument();
    return doc ? doc->AddFileToDocument(path) : 0;
}

int CAppCorvane::ShutdownComputer() { return GetSystemActions().PowerOff(); }

void CAppCorvane::OnFileOpen()
{
    const CString filter = LoadResString(StringId::kPlotFilesFilter) + kPlotFilePatterns + u";;" + LoadResString(StringId::kAllFilesFilter) + u" (*)";
    std::vector<CString> paths;
    if (!GetFileDialogs().OpenFiles(LoadResString(StringId::kOpenCaption), filter, paths)) return;
    for (const CString& path : paths)
        if (docTemplate_) docTemplate_->OpenDocumentAsJob(path);
}

void CAppCorvane::OnHelp()
{
    GetSystemActions().OpenDocument(CString::FromUtf8(ProgramDirectory()) + u"help.pdf");
}

void CAppCorvane::SetLanguageChoice(int32_t choice)
{
    WriteProfileInt(u"lang", u"lang1", choice);
    language = choice;
}
