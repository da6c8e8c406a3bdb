// The cancelling defaults of the views' dialogs and the installed set.
#include "ui/view_dialogs.h"

namespace {

ViewDialogs g_cancelling;
ViewDialogs* g_installed = nullptr;

}  // namespace

std::optional<int32_t> ViewDialogs::AskCopies(int32_t) { return std::nullopt; }
std::optional<int32_t> ViewDialogs::AskPage(int32_t) { return std::nullopt; }
bool ViewDialogs::AskPassword(const CString&) { return false; }
std::optional<int> ViewDialogs::AskCurveSpIndex(int, const NET_Machine*) { return std::nullopt; }
std::optional<BatchSpChoice> ViewDialogs::AskBatchSpIndex(const NET_Machine*) { return std::nullopt; }
std::optional<RecgniseLoopValues> ViewDialogs::AskContourOptions(const PenModeSettings&) { return std::nullopt; }

void SetViewDialogs(ViewDialogs* dialogs) { g_installed = dialogs; }
ViewDialogs& GetViewDialogs() { return g_installed != nullptr ? *g_installed : g_cancelling; }
