// ViewDialogs: the small dialogs the job list and preview views open (copies, page, password,
// SP numbers, contour options), behind one replaceable interface.
//
// The program installs dialogs that show windows; tests install scripted ones. Until one is
// installed every dialog answers as cancelled.
#pragma once

#include "platform/cstring.h"
#include "ui/job_dialog_values.h"

#include <array>
#include <cstdint>
#include <optional>

class NET_Machine;
struct PenModeSettings;

// The answer of the batch SP dialog: the SP numbers ticked as sources (SP1..SP8) and the
// target list index 0..7 (SP1..SP8).
struct BatchSpChoice {
    std::array<bool, kSpCount> sources{};
    int targetIndex = 0;
};

class ViewDialogs {
public:
    virtual ~ViewDialogs() = default;
    // The copies dialog, starting at copies: the number entered, or nothing when cancelled.
    virtual std::optional<int32_t> AskCopies(int32_t copies);
    // The page dialog, starting at page: the page entered, or nothing when cancelled.
    virtual std::optional<int32_t> AskPage(int32_t page);
    // The password prompt: true when the operator typed exactly expected and pressed OK.
    virtual bool AskPassword(const CString& expected);
    // The SP dialog for selected curves, preset to sp (1..8, else SP1), its buttons named after
    // machine's tools (may be null): the SP number 1..8 chosen, or nothing.
    virtual std::optional<int> AskCurveSpIndex(int sp, const NET_Machine* machine);
    // The batch SP dialog for machine (may be null): the choice, or nothing.
    virtual std::optional<BatchSpChoice> AskBatchSpIndex(const NET_Machine* machine);
    // The contour-recognition dialog in the colours of penModes: the options (also stored in
    // the settings), or nothing.
    virtual std::optional<RecgniseLoopValues> AskContourOptions(const PenModeSettings& penModes);
};

// Installs dialogs for every later call; null returns to the cancelling default. The dialogs
// must outlive their installation.
void SetViewDialogs(ViewDialogs* dialogs);
// The installed dialogs, or the cancelling default.
ViewDialogs& GetViewDialogs();
