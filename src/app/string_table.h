// The operator texts of the program, found by their resource number, in the chosen language.
#pragma once

#include "platform/cstring.h"

#include <cstdint>

// Resource numbers of the operator texts.
namespace StringId {
// Column headers of the job list.
constexpr uint32_t kJobFileColumn = 61204;    // "文件"
constexpr uint32_t kJobSizeColumn = 61205;    // "幅面(mm)"
constexpr uint32_t kJobStateColumn = 61206;   // "状态"
// Run-state words of the job list's state column.
constexpr uint32_t kJobPrinting = 61209;    // "打印"
constexpr uint32_t kPaused = 61211;         // "暂停", also a machine whose job is paused
constexpr uint32_t kJobCopiesColumn = 61212;  // "份数-分页"
constexpr uint32_t kJobStopped = 61229;     // "停止"
constexpr uint32_t kJobReversing = 61230;   // "倒打"
constexpr uint32_t kAlreadyRunning = 61232;
constexpr uint32_t kAskCloseProgram = 61245;
constexpr uint32_t kTrayTip = 61246;
constexpr uint32_t kOtherControllerRunning = 61291;
constexpr uint32_t kJobResumable = 61292;   // "续打"
// Column headers of the machine list (IP also of the job list).
constexpr uint32_t kIpColumn = 61268;             // "IP"
constexpr uint32_t kMacColumn = 61269;            // "MAC"
constexpr uint32_t kIdColumn = 61270;             // "ID"
constexpr uint32_t kMachineStateColumn = 61275;   // "状态"
constexpr uint32_t kVersionColumn = 61276;        // "Ver"
// State words of the machine list.
constexpr uint32_t kMachineOn = 61273;      // "ON"
constexpr uint32_t kMachineOff = 61274;     // "OFF"
constexpr uint32_t kMachineRunning = 61279; // "Run"
// Operator messages.
constexpr uint32_t kFileAlreadyOpen = 61252;
constexpr uint32_t kFileOpenError = 61313;
constexpr uint32_t kFeederOutOfPaper = 61314;
constexpr uint32_t kConfigInvalid = 61315;
constexpr uint32_t kPageLeftToCut = 61320;
constexpr uint32_t kAllFilesFilter = 61442;
constexpr uint32_t kPreviewCaption = 61288; // "预览", written over a prepared job's preview
// Work modes of the control panel.
constexpr uint32_t kWorkModeNormal = 61317;   // "正常"
constexpr uint32_t kWorkModeCutOnly = 61318;  // "仅切割"
constexpr uint32_t kWorkModeJetOnly = 61319;  // "仅喷墨"
// Texts of our own, numbered above the program's resource range.
constexpr uint32_t kJobOverPointBudget = 62001;  // a plot file making more points than a load may
constexpr uint32_t kPagesNotSaved = 62002;       // a job of several pages whose page files fail
constexpr uint32_t kMissingFontFiles = 62003;    // the missing font files ("%s" their names)
constexpr uint32_t kMissingChineseGlyphs = 62004;  // font files without Chinese glyphs ("%s")
// Reasons a load or a dispatch is refused (app/dispatch_refusal.h), and the messages naming them.
constexpr uint32_t kReasonFileUnreadable = 62010;
constexpr uint32_t kReasonFileEmpty = 62011;
constexpr uint32_t kReasonNoShapes = 62012;
constexpr uint32_t kReasonDxfRejected = 62013;
constexpr uint32_t kReasonOverPointBudget = 62014;
constexpr uint32_t kReasonNotLoaded = 62015;
constexpr uint32_t kReasonNoMachine = 62016;
constexpr uint32_t kReasonMachineOffline = 62017;
constexpr uint32_t kReasonMachineBusy = 62018;
constexpr uint32_t kReasonNoUsableWidth = 62019;
constexpr uint32_t kReasonJetStepNotSet = 62020;
constexpr uint32_t kReasonHandOverRefused = 62021;
constexpr uint32_t kReasonBeingPrepared = 62022;
constexpr uint32_t kReasonCancelled = 62023;
constexpr uint32_t kReasonOutOfMemory = 62024;
constexpr uint32_t kReasonPagesNotSaved = 62025;
constexpr uint32_t kReasonMachineValuesUnusable = 62026;
constexpr uint32_t kJobLoadFailed = 62030;   // the file ("%s") and the reason ("%s")
constexpr uint32_t kJobNotStarted = 62031;   // the file ("%s") and the reason ("%s")
// A dispatch being prepared: the file ("%s"), the stage ("%s", one of the three below), the
// percent ("%d").
constexpr uint32_t kPreparationProgress = 62032;
constexpr uint32_t kStagePaginating = 62033;
constexpr uint32_t kStageReadingPage = 62034;
constexpr uint32_t kStageGeometry = 62035;
}  // namespace StringId

// Languages of the "language" setting that have tables of their own; any other value is English.
inline constexpr int32_t kLanguageChinese = 1;
inline constexpr int32_t kLanguageEnglish = 2;
inline constexpr int32_t kLanguageThai = 5;

// Chooses the table of language: 1 Chinese (the program's own texts), 5 Thai, any other
// value English. Chinese until called.
void SetStringLanguage(int32_t language);
// The text of resource number id in the chosen language; a number that table lacks gives
// its Chinese text, one without any text gives empty text.
CString LoadResString(uint32_t id);
