// The operator texts of the program, found by their resource number.
#pragma once

#include "platform/cstring.h"

#include <cstdint>

// Resource numbers of the operator texts.
namespace StringId {
constexpr uint32_t kFileAlreadyOpen = 61252;
constexpr uint32_t kFileOpenError = 61313;
constexpr uint32_t kFeederOutOfPaper = 61314;
constexpr uint32_t kConfigInvalid = 61315;
constexpr uint32_t kPageLeftToCut = 61320;
}  // namespace StringId

// The text of resource number id; empty for a number without a text.
CString LoadResString(uint32_t id);
