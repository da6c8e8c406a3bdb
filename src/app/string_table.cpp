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
    {StringId::kFileAlreadyOpen, u"文件:%s已经打开，是否覆盖！"},
    {StringId::kMachineOn, u"ON"},
    {StringId::kMachineOff, u"OFF"},
    {StringId::kMachineRunning, u"Run"},
    {StringId::kJobResumable, u"续打"},
    {StringId::kFileOpenError, u"文件打开错误!"},
    {StringId::kFeederOutOfPaper, u"送纸器没有纸了！"},
    {StringId::kConfigInvalid, u"配置数据读取不正确,请重启机器，或者重新载入配置！"},
    {StringId::kPageLeftToCut, u"文件\"%s\"没有切割完，按开始键继续下一页！"},
    {StringId::kJobOverPointBudget, u"文件图形过大（点数超出上限），不能载入!"},
    {StringId::kPagesNotSaved, u"分页文件无法保存，多页任务不能切割!"},
};

}  // namespace

CString LoadResString(uint32_t id)
{
    auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                               [](const StringEntry& e, uint32_t key) { return e.id < key; });
    return it != std::end(kStrings) && it->id == id ? CString(it->text) : CString();
}
