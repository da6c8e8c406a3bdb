// The operator texts of the program, found by their resource number.
#pragma once

#include "platform/cstring.h"

#include <cstdint>

// Resource numbers of the operator texts.
namespace StringId {
constexpr uint32_t kFileOpenError = 61313;
}  // namespace StringId

// The text of resource number id; empty for a number without a text.
CString LoadResString(uint32_t id);
