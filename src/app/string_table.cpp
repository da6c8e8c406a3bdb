// The operator texts of the program: one table per language from resource number to text.
#include "app/string_table.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <span>

namespace {

struct StringEntry {
    uint32_t id;
    const char16_t* text;
};

// Each table sorted by number.
constexpr StringEntry kChinese[] = {
    // Command strings of the tool bars' buttons, by command id: "prompt\ntool tip", or one
    // text serving as both.
    {32780, u"终止选中打印任务"},
    {32781, u"暂停"},
    {32817, u"添加选中文件的打印份数"},
    {32818, u"减少选中文件的打印份数"},
    {32819, u"文件下移"},
    {32820, u"文件上移"},
    {32821, u"设置为内刀"},
    {32822, u"设置为笔"},
    {32824, u"打印选中文件"},
    {32827, u"全局设置"},
    {32832, u"设置文件IP"},
    {32835, u"PLT识别设置"},
    {32837, u"reset"},
    {32840, u"设置为半刀"},
    {32841, u"设置为外刀"},
    {32853, u"删除文件"},
    {32856, u"坐标清0"},
    {32860, u"测试喷墨"},
    {32867, u"MachSetup\n机器设置"},
    {32868, u"目录打印"},
    {32869, u"文件置底"},
    {32870, u"文件置顶"},
    {32880, u"ID_MergeFiles\n合并文件"},
    {32885, u"设置为内刀"},
    {32896, u"自动识别轮廓"},
    {StringId::kJobFileColumn, u"文件"},
    {StringId::kJobSizeColumn, u"幅面(mm)"},
    {StringId::kJobStateColumn, u"状态"},
    {StringId::kJobPrinting, u"打印"},
    {StringId::kPaused, u"暂停"},
    {StringId::kJobCopiesColumn, u"份数-分页"},
    {StringId::kJobStopped, u"停止"},
    {StringId::kJobReversing, u"倒打"},
    {StringId::kAlreadyRunning, u"程序已经运行！"},
    {StringId::kAskCloseProgram, u"是否关闭程序?"},
    {StringId::kTrayTip, u"Velqor网络喷墨切割机"},
    {StringId::kFileAlreadyOpen, u"文件:%s已经打开，是否覆盖！"},
    {StringId::kIpColumn, u"IP"},
    {StringId::kMacColumn, u"MAC"},
    {StringId::kIdColumn, u"ID"},
    {StringId::kMachineOn, u"ON"},
    {StringId::kMachineOff, u"OFF"},
    {StringId::kMachineStateColumn, u"状态"},
    {StringId::kVersionColumn, u"Ver"},
    {StringId::kMachineRunning, u"Run"},
    {StringId::kPreviewCaption, u"预览"},
    {StringId::kOtherControllerRunning, u"检测到本网络上已经有打印软件在运行，本软件将关闭"},
    {StringId::kJobResumable, u"续打"},
    {StringId::kFileOpenError, u"文件打开错误!"},
    {StringId::kFeederOutOfPaper, u"送纸器没有纸了！"},
    {StringId::kConfigInvalid, u"配置数据读取不正确,请重启机器，或者重新载入配置！"},
    {StringId::kWorkModeNormal, u"正常"},
    {StringId::kWorkModeCutOnly, u"仅切割"},
    {StringId::kWorkModeJetOnly, u"仅喷墨"},
    {StringId::kPageLeftToCut, u"文件\"%s\"没有切割完，按开始键继续下一页！"},
    {StringId::kAllFilesFilter, u"所有文件"},
    {StringId::kJobOverPointBudget, u"文件图形过大（点数超出上限），不能载入!"},
    {StringId::kPagesNotSaved, u"分页文件无法保存，多页任务不能切割!"},
    {StringId::kMissingFontFiles, u"找不到字体文件 %s，文字标注将不会被绘制。"},
    {StringId::kMissingChineseGlyphs, u"字体文件 %s 中没有汉字，中文文字将不会被绘制。"},
    {StringId::kReasonFileUnreadable, u"无法读取文件"},
    {StringId::kReasonFileEmpty, u"文件是空的"},
    {StringId::kReasonNoShapes, u"文件中没有图形"},
    {StringId::kReasonDxfRejected, u"DXF文件格式不正确"},
    {StringId::kReasonOverPointBudget, u"图形点数超出上限"},
    {StringId::kReasonNotLoaded, u"文件没有载入"},
    {StringId::kReasonNoMachine, u"没有选择机器"},
    {StringId::kReasonMachineOffline, u"机器不在线"},
    {StringId::kReasonMachineBusy, u"机器正忙"},
    {StringId::kReasonNoUsableWidth, u"机器的可用幅宽为0"},
    {StringId::kReasonJetStepNotSet, u"机器的喷墨步距没有设置"},
    {StringId::kReasonHandOverRefused, u"机器没有接受任务"},
    {StringId::kReasonBeingPrepared, u"任务正在准备中"},
    {StringId::kReasonCancelled, u"已取消"},
    {StringId::kReasonOutOfMemory, u"内存不足"},
    {StringId::kReasonPagesNotSaved, u"分页文件无法保存"},
    {StringId::kReasonMachineValuesUnusable, u"机器参数不能生成任务"},
    {StringId::kJobLoadFailed, u"文件\"%s\"不能载入：%s"},
    {StringId::kJobNotStarted, u"文件\"%s\"不能开始：%s"},
    {StringId::kPreparationProgress, u"文件\"%s\"%s：%d%%"},
    {StringId::kStagePaginating, u"正在分页"},
    {StringId::kStageReadingPage, u"正在读取分页"},
    {StringId::kStageGeometry, u"正在准备图形"},
};

constexpr StringEntry kEnglish[] = {
    {StringId::kAlreadyRunning, u"The program is already running!"},
    {StringId::kAskCloseProgram, u"Close the program?"},
    {StringId::kTrayTip, u"Velqor network inkjet cutter"},
    {StringId::kOtherControllerRunning,
     u"Another printing program is running on this network; this program will close."},
    {StringId::kFileOpenError, u"File open error!"},
    {StringId::kAllFilesFilter, u"All files"},
    {StringId::kMissingFontFiles, u"Font files missing: %s. Labels will not be drawn."},
    {StringId::kMissingChineseGlyphs, u"No Chinese characters in font files: %s. Chinese text will not be drawn."},
    {StringId::kReasonFileUnreadable, u"the file cannot be read"},
    {StringId::kReasonFileEmpty, u"the file is empty"},
    {StringId::kReasonNoShapes, u"the file holds no shapes"},
    {StringId::kReasonDxfRejected, u"the DXF file is not valid"},
    {StringId::kReasonOverPointBudget, u"the drawing has more points than a job may hold"},
    {StringId::kReasonNotLoaded, u"the file is not loaded"},
    {StringId::kReasonNoMachine, u"no machine is checked"},
    {StringId::kReasonMachineOffline, u"the machine is offline"},
    {StringId::kReasonMachineBusy, u"the machine is busy"},
    {StringId::kReasonNoUsableWidth, u"the machine's usable width is 0"},
    {StringId::kReasonJetStepNotSet, u"the machine's jet step is not set"},
    {StringId::kReasonHandOverRefused, u"the machine did not take the job"},
    {StringId::kReasonBeingPrepared, u"the job is being prepared"},
    {StringId::kReasonCancelled, u"cancelled"},
    {StringId::kReasonOutOfMemory, u"out of memory"},
    {StringId::kReasonPagesNotSaved, u"the page files cannot be saved"},
    {StringId::kReasonMachineValuesUnusable, u"the machine's settings make no usable job"},
    {StringId::kJobLoadFailed, u"Cannot load \"%s\": %s."},
    {StringId::kJobNotStarted, u"Cannot start \"%s\": %s."},
    {StringId::kPreparationProgress, u"\"%s\": %s %d%%"},
    {StringId::kStagePaginating, u"paginating"},
    {StringId::kStageReadingPage, u"reading the page"},
    {StringId::kStageGeometry, u"preparing the shapes"},
};

constexpr StringEntry kThai[] = {
    {StringId::kAlreadyRunning, u"โปรแกรมกำลังทำงานอยู่แล้ว!"},
    {StringId::kAskCloseProgram, u"ปิดโปรแกรมหรือไม่?"},
    {StringId::kTrayTip, u"Velqor เครื่องตัดอิงค์เจ็ทเครือข่าย"},
    {StringId::kOtherControllerRunning, u"พบโปรแกรมพิมพ์อื่นทำงานอยู่บนเครือข่ายนี้ โปรแกรมนี้จะปิด"},
    {StringId::kFileOpenError, u"เปิดไฟล์ไม่ได้!"},
    {StringId::kAllFilesFilter, u"ไฟล์ทั้งหมด"},
    {StringId::kMissingFontFiles, u"ไม่พบไฟล์ฟอนต์ %s จะไม่วาดข้อความ"},
    {StringId::kMissingChineseGlyphs, u"ไฟล์ฟอนต์ %s ไม่มีอักษรจีน จะไม่วาดข้อความภาษาจีน"},
    {StringId::kReasonFileUnreadable, u"อ่านไฟล์ไม่ได้"},
    {StringId::kReasonFileEmpty, u"ไฟล์ว่างเปล่า"},
    {StringId::kReasonNoShapes, u"ไม่มีรูปร่างในไฟล์"},
    {StringId::kReasonDxfRejected, u"ไฟล์ DXF ไม่ถูกต้อง"},
    {StringId::kReasonOverPointBudget, u"จำนวนจุดของภาพเกินขีดจำกัด"},
    {StringId::kReasonNotLoaded, u"ยังไม่ได้โหลดไฟล์"},
    {StringId::kReasonNoMachine, u"ไม่ได้เลือกเครื่อง"},
    {StringId::kReasonMachineOffline, u"เครื่องออฟไลน์"},
    {StringId::kReasonMachineBusy, u"เครื่องไม่ว่าง"},
    {StringId::kReasonNoUsableWidth, u"ความกว้างที่ใช้ได้ของเครื่องเป็น 0"},
    {StringId::kReasonJetStepNotSet, u"ยังไม่ได้ตั้งระยะก้าวหัวพ่นของเครื่อง"},
    {StringId::kReasonHandOverRefused, u"เครื่องไม่รับงาน"},
    {StringId::kReasonBeingPrepared, u"กำลังเตรียมงาน"},
    {StringId::kReasonCancelled, u"ยกเลิกแล้ว"},
    {StringId::kReasonOutOfMemory, u"หน่วยความจำไม่พอ"},
    {StringId::kReasonPagesNotSaved, u"บันทึกไฟล์หน้าไม่ได้"},
    {StringId::kReasonMachineValuesUnusable, u"ค่าตั้งของเครื่องสร้างงานไม่ได้"},
    {StringId::kJobLoadFailed, u"โหลด \"%s\" ไม่ได้: %s"},
    {StringId::kJobNotStarted, u"เริ่ม \"%s\" ไม่ได้: %s"},
    {StringId::kPreparationProgress, u"\"%s\": %s %d%%"},
    {StringId::kStagePaginating, u"กำลังแบ่งหน้า"},
    {StringId::kStageReadingPage, u"กำลังอ่านหน้า"},
    {StringId::kStageGeometry, u"กำลังเตรียมรูปร่าง"},
};

std::atomic<int32_t> g_language{kLanguageChinese};

// The text of id in table, or null.
const char16_t* Find(std::span<const StringEntry> table, uint32_t id)
{
    auto it = std::lower_bound(table.begin(), table.end(), id,
                               [](const StringEntry& e, uint32_t key) { return e.id < key; });
    return it != table.end() && it->id == id ? it->text : nullptr;
}

}  // namespace

void SetStringLanguage(int32_t language) { g_language.store(language); }

CString LoadResString(uint32_t id)
{
    const int32_t language = g_language.load();
    std::span<const StringEntry> table = language == kLanguageChinese ? std::span<const StringEntry>(kChinese)
                                         : language == kLanguageThai  ? std::span<const StringEntry>(kThai)
                                                                      : std::span<const StringEntry>(kEnglish);
    const char16_t* text = Find(table, id);
    if (!text) text = Find(kChinese, id);
    return text ? CString(text) : CString();
}
