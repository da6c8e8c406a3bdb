// CAppCorvane: the application: start-up (settings, language, single instance, frame, the
// upload server, the message socket), its commands and the end of the run.
#pragma once

#include "platform/cstring.h"
#include "platform/win_types.h"

#include <QLockFile>

#include <cstdint>
#include <memory>
#include <vector>

class CDocCorvane;
class CMainFrame;
class CMsgSocket;
class CMyDocTemplate;
class CUDPServer;

// The upload server's port.
inline constexpr unsigned kUploadServerPort = 10003;
// The single-instance lock, beside the settings store's file.
inline constexpr const char* kInstanceLockName = "Corvane.lock";
// The window's size before it is shown, and step 10 of start-up makes it this much taller.
inline constexpr int kStartupWidth = 1200;
inline constexpr int kStartupHeight = 650;
inline constexpr int kStartupExtraHeight = 90;

class CAppCorvane {
public:
    // The application works on server's machines and registers itself for GetCorvaneApp.
    explicit CAppCorvane(CUDPServer& server);
    ~CAppCorvane();
    CAppCorvane(const CAppCorvane&) = delete;
    CAppCorvane& operator=(const CAppCorvane&) = delete;

    // Starts the program; arguments are the command line after the program's name (the first
    // that is no option is a file to open as a job). FALSE ends the program.
    BOOL InitInstance(const std::vector<CString>& arguments);
    // Ends the run: the message socket first, then the link thread, the upload server and
    // the windows; returns the program's exit status.
    int ExitInstance();

    // Adds the file at path as the first job, replacing a listed job of that path without
    // asking; 1 when it was listed.
    int AddFileToDocument(const CString& path);
    // Powers the computer off; nonzero when the system accepted.
    int ShutdownComputer();

    // Open: the operator chooses plot files, each is opened as a job.
    void OnFileOpen();
    // Help: opens "help.pdf" of the program directory; tells the operator when it is missing
    // or cannot be opened.
    void OnHelp();
    // 中文 (32807) and English (32808): store the choice ("lang"/"lang1") and set the language.
    void OnLanguageChinese() { SetLanguageChoice(1); }
    void OnLanguageEnglish() { SetLanguageChoice(2); }

    CMainFrame* GetMainFrame() const;
    CDocCorvane* GetDocument() const;
    CMsgSocket* GetMessageSocket() const { return msgSocket_.get(); }
    CUDPServer& GetServer() { return server_; }

    // 1 Chinese, 2 English, 5 Thai ("Config.ini").
    int32_t language = 1;
    // Delete a job's file after it was cut ("FileSetting"/"Delete").
    int32_t deleteAfterCut = 0;
    // Power the computer off when the night's jobs are done (program settings, this run only).
    int32_t nightModePowerOff = 0;

private:
    void SetLanguageChoice(int32_t choice);
    bool TakeInstanceLock();
    void CreateMessageSocket();

    CUDPServer& server_;
    std::unique_ptr<QLockFile> instanceLock_;
    std::unique_ptr<CMyDocTemplate> docTemplate_;
    std::unique_ptr<CMsgSocket> msgSocket_;
};

// The running application, or null before it is made and after it is destroyed.
CAppCorvane* GetCorvaneApp();
