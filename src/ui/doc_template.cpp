// CMyDocTemplate: making the document and frame, and opening files as jobs.
#include "ui/doc_template.h"

#include "app/doc_corvane.h"
#include "ui/main_frame.h"
#include "ui/qt_document_dialogs.h"

CMyDocTemplate::CMyDocTemplate(CUDPServer& server, int32_t language) : server_(server), language_(language) {}

CMyDocTemplate::~CMyDocTemplate()
{
    frame_.reset();
    doc_.reset();
}

bool CMyDocTemplate::CreateDocumentAndFrame()
{
    doc_ = std::make_unique<CDocCorvane>(server_);
    frame_ = std::make_unique<CMainFrame>(server_, *doc_, language_);
    if (!frame_->Create()) {
        frame_.reset();
        return false;
    }
    dialogs_ = std::make_unique<QtDocumentDialogs>(frame_.get());
    doc_->SetDialogs(dialogs_.get());
    return true;
}

int CMyDocTemplate::OpenDocumentAsJob(const CString& path) { return doc_ ? doc_->OnOpenDocumentAsJob(path) : 0; }
