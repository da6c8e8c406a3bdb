// The values the two cutting pages share: the five shown tool-offset floats (code 12) and the
// lift and line extensions (code 15).
#pragma once

#include <cstdint>

class NET_Machine;
struct OffsetsBlock;

// Shown tool-offset floats, in block order: knife-compensation radius, knife-pen distance X
// and Y, paper-feed length, skew-cut angle.
inline constexpr int kShownToolOffsets = 5;
// The hidden half-cut length and gap the pages always write.
inline constexpr float kHalfCutLengthMm = 15.0f;
inline constexpr float kHalfCutGapMm = 0.6f;
// Decimals of the extension fields (thousandths).
inline constexpr int kExtensionDecimals = 3;

struct ExtensionValues {
    uint16_t liftThousandths = 0;  // "提刀延伸"
    uint16_t lineThousandths = 0;  // "线未延伸"
};

// Copies the shown floats out of the block.
void LoadShownToolOffsets(const OffsetsBlock& block, float shown[kShownToolOffsets]);
// True when any shown float differs from the block by more than 1e-6.
bool ShownToolOffsetsDiffer(const OffsetsBlock& block, const float shown[kShownToolOffsets]);
// True when the block's half-cut length or gap differs from 15.0 or 0.6 by more than 1e-6.
bool HalfCutValuesDiffer(const OffsetsBlock& block);
// Writes the shown floats, the half-cut length and gap, and the design and measured sizes
// (500 each) into the block.
void StoreToolOffsets(OffsetsBlock& block, const float shown[kShownToolOffsets]);

ExtensionValues LoadExtensions(const NET_Machine& machine);
// Stores both extensions when either differs; true then (code 15 is needed).
bool StoreExtensions(NET_Machine& machine, const ExtensionValues& values);
