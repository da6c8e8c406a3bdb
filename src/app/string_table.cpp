// The operator texts of the program: one table from resource number to text.
#include "app/string_table.h"

#include <algorithm>
#include <iterator>

namespace {

struct StringEntry {
    uint32_t id;
    const char16_t* text;
};

// Sorted by number.
constexpr StringEntry kStrings[] = {
    {StringId::kJobPrinting, u"打印"},
    {StringId::kPaused, u"暂停"},
    {StringId::kJobStopped, u"停止"},
    {StringId::kJobReversing, u"倒打"},
    {StringId::kMachineOn, u"ON"},
    {StringId::kMachineOff, u"OFF"},
    {StringId::kMachineRunning, u"Run"},
    {StringId::kPreviewCaption, u"预览"},
    {StringId::kJobResumable, u"续打"},
    {StringId::kFileOpenError, u"文件打开错误!"},
    {StringId::kWorkModeNormal, u"正常"},
    {StringId::kWorkModeCutOnly, u"仅切割"},
    {StringId::kWorkModeJetOnly, u"仅喷墨"},
    {StringId::kJobOverPointBudget, u"文件图形过大（点数超出上限），不能载入!"},
};

}  // namespace

CString LoadResString(uint32_t id)
{
    auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                               [](const StringEntry& e, uint32_t key) { return e.id < key; });
    return it != std::end(kStrings) && it->id == id ? CString(it->text) : CString();
}
