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

// The text of string id with the names joined into its "%s".
CString Sentence(uint32_t id, const std::vector<CString>& names)
{
    CString joined;
    for (const CString& name : names) {
        if (!joined.IsEmpty()) joined += u", ";
        joined += name;
    }
    CString text;
    text.Format(LoadResString(id).GetString(), joined.GetString());
    return text;
}

// Shows one notice naming the missing files and, on a line of its own, the files without
// Chinese glyphs; nothing when both lists are empty. 1 when shown.
int ShowNotice(const std::vector<CString>& missing, const std::vector<CString>& withoutChinese)
{
    CString text;
    if (!missing.empty()) text = Sentence(StringId::kMissingFontFiles, missing);
    if (!withoutChinese.empty()) {
        if (!text.IsEmpty()) text += u"\n";
        text += Sentence(StringId::kMissingChineseGlyphs, withoutChinese);
    }
    if (text.IsEmpty()) return 0;
    AfxMessageBox(text);
    return 1;
}

}  // namespace

int ReportMissingFontFiles() { return ShowNotice(MissingGlobalFontFiles(), FontFilesWithoutChinese()); }

int ReportMissingFontForLabels()
{
    const std::vector<CString> missing = MissingGlobalFontFiles();
    if (std::find(missing.begin(), missing.end(), CString(PlotFontLib::GlobalFontFile)) == missing.end()) return 0;
    if (g_labelNoticeShown.exchange(true)) return 0;
    return ShowNotice(missing, {});
}

void ResetMissingFontForLabelsNotice() { g_labelNoticeShown.store(false); }
