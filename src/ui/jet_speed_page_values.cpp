// The jet speed page's values and change rules.
#include "ui/jet_speed_page_values.h"

#include "machinelink/net_machine.h"

namespace {

// The head values of a jet speed level in the page's order.
enum HeadValue { kLeftBrake, kRightBrake, kLeftStagger, kLeftError, kRightStagger, kRightError };

// Gives a level selector as shown: outside 0..2 it counts as 0.
int32_t LevelShown(int32_t stored) { return stored >= 0 && stored <= 2 ? stored : 0; }

// Reads the editable fields of one level record.
JetSpeedLevelValues LevelValues(const SpeedLevelRecord& level)
{
    JetSpeedLevelValues v;
    v.carriageSpeed = level.speed;
    v.feedSpeed = level.levelValue3 / kFeedSpeedScale;
    v.returnCompensationPt = level.bidiOffset;
    v.leftBrakeMm = level.headValues[kLeftBrake];
    v.rightBrakeMm = level.headValues[kRightBrake];
    v.leftStagger = level.headValues[kLeftStagger];
    v.leftErrorCompensationPt = level.headValues[kLeftError];
    v.rightStagger = level.headValues[kRightStagger];
    v.rightErrorCompensationPt = level.headValues[kRightError];
    return v;
}

// Compares a level with the record (feed speed as shown x 100); a non-zero outward-pass
// compensation counts as a difference.
bool LevelDiffers(const SpeedLevelRecord& level, const JetSpeedLevelValues& v)
{
    const JetSpeedLevelValues stored = LevelValues(level);
    return v.carriageSpeed != stored.carriageSpeed || v.feedSpeed * kFeedSpeedScale != level.levelValue3 ||
           v.returnCompensationPt != stored.returnCompensationPt || v.leftBrakeMm != stored.leftBrakeMm ||
           v.rightBrakeMm != stored.rightBrakeMm || v.leftStagger != stored.leftStagger ||
           v.leftErrorCompensationPt != stored.leftErrorCompensationPt || v.rightStagger != stored.rightStagger ||
           v.rightErrorCompensationPt != stored.rightErrorCompensationPt || level.zeroWord != 0;
}

// Writes a level's fields into its record, outward-pass compensation 0.
void StoreLevel(SpeedLevelRecord& level, const JetSpeedLevelValues& v)
{
    level.speed = static_cast<uint16_t>(v.carriageSpeed);
    level.levelValue3 = v.feedSpeed * kFeedSpeedScale;
    level.zeroWord = 0;
    level.bidiOffset = static_cast<int16_t>(v.returnCompensationPt);
    level.headValues[kLeftBrake] = static_cast<int16_t>(v.leftBrakeMm);
    level.headValues[kRightBrake] = static_cast<int16_t>(v.rightBrakeMm);
    level.headValues[kLeftStagger] = static_cast<int16_t>(v.leftStagger);
    level.headValues[kLeftError] = static_cast<int16_t>(v.leftErrorCompensationPt);
    level.headValues[kRightStagger] = static_cast<int16_t>(v.rightStagger);
    level.headValues[kRightError] = static_cast<int16_t>(v.rightErrorCompensationPt);
}

}  // namespace

bool IsAdvancedSettingsPassword(const CString& text) { return text == kAdvancedSettingsPassword; }

JetSpeedPageValues LoadJetSpeedPage(const NET_Machine& machine)
{
    JetSpeedPageValues values;
    for (int i = 0; i < kJetSpeedLevels; ++i) values.levels[i] = LevelValues(machine.speedLevels[i]);
    const P_Interpolate1& ip = machine.motionSource.interpolator;
    values.carriageLevel = LevelShown(ip.jetLevelIndex);
    values.feedLevel = LevelShown(ip.cuttingLevelIndex);
    return values;
}

JetSpeedPageChanges StoreJetSpeedPage(NET_Machine& machine, const JetSpeedPageValues& values)
{
    JetSpeedPageChanges changes;
    if (!machine.online) return changes;
    bool levelsDiffer = false;
    for (int i = 0; i < kJetSpeedLevels; ++i) levelsDiffer |= LevelDiffers(machine.speedLevels[i], values.levels[i]);
    if (levelsDiffer) {
        for (int i = 0; i < kJetSpeedLevels; ++i) StoreLevel(machine.speedLevels[i], values.levels[i]);
        changes.levelTable = true;
    }
    P_Interpolate1& ip = machine.motionSource.interpolator;
    if (values.carriageLevel != ip.jetLevelIndex || values.feedLevel != ip.cuttingLevelIndex) {
        ip.jetLevelIndex = LevelShown(values.carriageLevel);
        ip.cuttingLevelIndex = LevelShown(values.feedLevel);
        changes.levelSelection = true;
    }
    return changes;
}
