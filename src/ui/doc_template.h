// CMyDocTemplate: the program's one document template, joining the job list document, the
// main frame and its views.
#pragma once

#include "platform/cstring.h"

#include <cstdint>
#include <memory>

class CDocCorvane;
class CMainFrame;
class CUDPServer;
class QtDocumentDialogs;

class CMyDocTemplate {
public:
    CMyDocTemplate(CUDPServer& server, int32_t language);
    // Destroys the frame and its views before the document they show.
    ~CMyDocTemplate();
    CMyDocTemplate(const CMyDocTemplate&) = delete;
    CMyDocTemplate& operator=(const CMyDocTemplate&) = delete;

    // Makes the document and the frame with its views, and gives the document its dialogs;
    // false when the frame cannot be made.
    bool CreateDocumentAndFrame();
    // Opens the file at path as the document's new first job (asking before it replaces a
    // listed job of that path); 1 when it was listed, 0 when there is no document yet or the
    // job was not listed.
    int OpenDocumentAsJob(const CString& path);

    CDocCorvane* GetDocument() const { return doc_.get(); }
    CMainFrame* GetFrame() const { return frame_.get(); }

private:
    CUDPServer& server_;
    int32_t language_;
    std::unique_ptr<CDocCorvane> doc_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<QtDocumentDialogs> dialogs_;  // the document's dialogs over the frame
};
