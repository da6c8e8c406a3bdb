// The jet speed page's values: the three jet speed levels and the two level selectors, their
// field ranges, and the store that tells which commands the change needs (9 and 10).
#pragma once

#include "ui/field_values.h"

#include <cstdint>

class NET_Machine;

inline constexpr int kJetSpeedLevels = 3;
// Record units of the feed speed per shown unit.
inline constexpr int32_t kFeedSpeedScale = 100;
// The password of the advanced settings, compared exactly.
inline constexpr const char16_t* kAdvancedSettingsPassword = u"tqmzr";

// Ranges checked on OK.
inline constexpr IntegerRange kCarriageSpeedRange{100, 2500};
inline constexpr IntegerRange kFeedSpeedRange{100, 60000};
inline constexpr IntegerRange kPassCompensationRange{-50, 50};
inline constexpr IntegerRange kBrakeRange{-120, 120};
inline constexpr IntegerRange kStaggerRange{0, 255};
inline constexpr IntegerRange kErrorCompensationRange{-50, 50};
// Ranges checked at once when a field is left.
inline constexpr IntegerRange kCarriageSpeedQuickRange{100, 3000};
inline constexpr IntegerRange kPassCompensationQuickRange{-15, 15};
inline constexpr IntegerRange kBrakeQuickRange{-50, 50};

// One level's editable fields.
struct JetSpeedLevelValues {
    int32_t carriageSpeed = 0;
    int32_t feedSpeed = 0;  // shown: the record's value / 100
    int32_t returnCompensationPt = 0;
    int32_t leftBrakeMm = 0;
    int32_t rightBrakeMm = 0;
    int32_t leftStagger = 0;  // units of 5 mm
    int32_t leftErrorCompensationPt = 0;
    int32_t rightStagger = 0;
    int32_t rightErrorCompensationPt = 0;
};

struct JetSpeedPageValues {
    JetSpeedLevelValues levels[kJetSpeedLevels];  // low, middle, high
    int32_t carriageLevel = 0;  // selectors 0..2
    int32_t feedLevel = 0;
};

// What a stored change needs sent.
struct JetSpeedPageChanges {
    bool levelTable = false;      // SendSpeedLevelTable (command 9)
    bool levelSelection = false;  // SendSpeedLevelSelection (command 10)
};

// True when text opens the advanced settings.
bool IsAdvancedSettingsPassword(const CString& text);

// The shown values; a selector outside 0..2 shows as 0.
JetSpeedPageValues LoadJetSpeedPage(const NET_Machine& machine);
// Stores the checked values. An offline machine keeps its record and nothing is needed.
// Any level field that differs, or an outward-pass compensation other than 0 in the record,
// stores every level (outward-pass compensation 0); selectors that differ store both.
JetSpeedPageChanges StoreJetSpeedPage(NET_Machine& machine, const JetSpeedPageValues& values);
