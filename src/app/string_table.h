// The operator texts of the program, found by their resource number, in the chosen language.
#pragma once

#include "platform/cstring.h"

#include <cstdint>

// Resource numbers of the operator texts.
namespace StringId {
constexpr uint32_t kAlreadyRunning = 61232;
constexpr uint32_t kAskCloseProgram = 61245;
constexpr uint32_t kTrayTip = 61246;
constexpr uint32_t kOtherControllerRunning = 61291;
constexpr uint32_t kFileOpenError = 61313;
constexpr uint32_t kAllFilesFilter = 61442;
// The program's own notice of missing font files; "%s" takes their names.
constexpr uint32_t kMissingFontFiles = 61901;
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
