// The operator texts of the program, found by their resource number.
#pragma once

#include "platform/cstring.h"

#include <cstdint>

// Resource numbers of the operator texts.
namespace StringId {
// Run-state words of the job list's state column.
constexpr uint32_t kJobPrinting = 61209;    // "打印"
constexpr uint32_t kPaused = 61211;         // "暂停", also a machine whose job is paused
constexpr uint32_t kJobStopped = 61229;     // "停止"
constexpr uint32_t kJobReversing = 61230;   // "倒打"
constexpr uint32_t kJobResumable = 61292;   // "续打"
// State words of the machine list.
constexpr uint32_t kMachineOn = 61273;      // "ON"
constexpr uint32_t kMachineOff = 61274;     // "OFF"
constexpr uint32_t kMachineRunning = 61279; // "Run"
constexpr uint32_t kPreviewCaption = 61288; // "预览", written over a prepared job's preview
constexpr uint32_t kFileOpenError = 61313;
// Work modes of the control panel.
constexpr uint32_t kWorkModeNormal = 61317;   // "正常"
constexpr uint32_t kWorkModeCutOnly = 61318;  // "仅切割"
constexpr uint32_t kWorkModeJetOnly = 61319;  // "仅喷墨"
// Texts of our own, numbered above the program's resource range.
constexpr uint32_t kJobOverPointBudget = 62001;  // a plot file making more points than a load may
}  // namespace StringId

// The text of resource number id; empty for a number without a text.
CString LoadResString(uint32_t id);
