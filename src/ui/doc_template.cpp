// CMyDocTemplate: making the document and frame, and opening files as jobs.
#include "ui/doc_template.h"

#include "app/doc_corvane.h"
#include "app/print_task.h"
#include "ui/main_frame.h"

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
    return true;
}

int CMyDocTemplate::OpenDocumentAsJob(const CString& path)
{
    if (!doc_) return 0;
    auto job = std::make_unique<CPrintTask>(path.GetString());
    CPrintTask* listed = job.get();
    if (!doc_->AddJobToList(listed, -1)) return 0;
    job.release();  // the list owns it now
    // A file that does not load stays listed, unloaded, as the operator chose it.
    listed->LoadPrintTaskFile();
    return 1;
}
