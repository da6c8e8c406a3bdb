// QtViewDialogs: the views' dialogs as the program shows them (copies, page, password, SP
// numbers, contour options).
#pragma once

#include "ui/job_dialog_widgets.h"
#include "ui/view_dialogs.h"

#include <functional>

class CDocCorvane;
class CUDPServer;
class QWidget;

class QtViewDialogs : public ViewDialogs {
public:
    // Reads machines of server under its lock; mainDocument gives the main document (null
    // while there is none), whose pen colours and presence the SP dialogs use. The dialogs
    // open over parent.
    QtViewDialogs(CUDPServer& server, std::function<const CDocCorvane*()> mainDocument, QWidget* parent = nullptr);

    std::optional<int32_t> AskCopies(int32_t copies) override;
    std::optional<int32_t> AskPage(int32_t page) override;
    bool AskPassword(const CString& expected) override;
    std::optional<int> AskCurveSpIndex(int sp, const NET_Machine* machine) override;
    std::optional<BatchSpChoice> AskBatchSpIndex(const NET_Machine* machine) override;
    std::optional<RecgniseLoopValues> AskContourOptions(const PenModeSettings& penModes) override;

private:
    const CDocCorvane* MainDocument() const;
    // The machine's SP bytes, copied under the manager's lock, when there is a main document
    // and a machine still listed; none otherwise.
    std::optional<SpRoles> RolesOf(const NET_Machine* machine) const;
    // The main document's pen colours 1..8 for the SP buttons; none without a document.
    std::optional<SpSwatchColours> SpColours() const;

    CUDPServer& server_;
    std::function<const CDocCorvane*()> mainDocument_;
    QWidget* parent_;
};
