// The missing-font notice at start-up and on loading a job with labels.
#include "app/font_notice.h"

#include "app/string_table.h"
#include "fonts/global_font_files.h"
#include "fonts/plot_font_lib.h"
#include "platform/message_box.h"

#include <algorithm>
#include <atomic>

namespace {

std::atomic<bool> g_labelNoticeShown{false};

// Shows the notice naming the missing files.
void ShowNotice(const std::vector<CString>& missing)
{
    CString names;
    for (const CString& name : missing) {
        if (!names.IsEmpty()) names += u", ";
        names += name;
    }
    CString text;
    text.Format(LoadResString(StringId::kMissingFontFiles).GetString(), names.GetString());
    AfxMessageBox(text);
}

}  // namespace

int ReportMissingFontFiles()
{
    const std::vector<CString> missing = MissingGlobalFontFiles();
    if (missing.empty()) return 0;
    ShowNotice(missing);
    return 1;
}

int ReportMissingFontForLabels()
{
    const std::vector<CString> missing = MissingGlobalFontFiles();
    if (std::find(missing.begin(), missing.end(), CString(PlotFontLib::GlobalFontFile)) == missing.end()) return 0;
    if (g_labelNoticeShown.exchange(true)) return 0;
    ShowNotice(missing);
    return 1;
}

void ResetMissingFontForLabelsNotice() { g_labelNoticeShown.store(false); }
