// The machine parameter command codes that a page's stored change needs, in posting order.
#pragma once

#include <cstdint>
#include <vector>

// Codes of the machine parameter commands, each naming the record block it carries.
inline constexpr uint8_t kKnifeBlockCode = 11;
inline constexpr uint8_t kToolOffsetBlockCode = 12;
inline constexpr uint8_t kSpWordCode = 13;
inline constexpr uint8_t kSpeedSetsCode = 14;
inline constexpr uint8_t kWorkFlagsCode = 15;
inline constexpr uint8_t kDepthBlockCode = 17;
inline constexpr uint8_t kCalibrationBlockCode = 20;
inline constexpr uint8_t kOtherParamsBlockCode = 23;

// The codes to post, in order, each at most once; empty when nothing changed.
using MachineParamCodes = std::vector<uint8_t>;
