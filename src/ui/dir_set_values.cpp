// The program settings dialog's values, its OK steps and its check boxes' writes.
#include "ui/dir_set_values.h"

#include "app/settings_keys.h"
#include "machinelink/lan_interfaces.h"
#include "ui/field_values.h"

#include <arpa/inet.h>

CString DottedAddress(uint32_t address)
{
    in_addr a{};
    a.s_addr = address;
    return inet_ntoaW(a);
}

DirSetValues ReadDirSetValues(const DirSetHost& host)
{
    DirSetValues v;
    v.autoDirectory = host.GetAutoDirectory();
    v.mergeDirectory = host.GetMergeDirectory();
    v.copyDirectory = host.GetCopyDirectory();
    v.broadcastText = DottedAddress(host.GetDiscoveryAddress());
    v.serverBroadcastText = DottedAddress(host.GetServerDiscoveryAddress());
    v.deleteAfterPrint = host.GetDeleteAfterPrint();
    v.nightMode = host.GetNightMode();
    v.recogniseContourOnOpen = host.GetRecogniseContourOnOpen();
    v.sortCuts = host.GetSortCuts();
    v.bsplineFit = host.GetProfileInt(SettingsKeys::kAutoPrintSection, SettingsKeys::kBsplineFit, 1) != 0;
    v.textScale = host.GetProfileFloat(SettingsKeys::kAutoPrintSection, SettingsKeys::kTextScale, 1.0f);
    v.mergeWidthMm = host.GetProfileFloat(SettingsKeys::kAutoPrintSection, SettingsKeys::kMergeWidth, 1800.0f);
    v.mergeBlankMm = host.GetProfileFloat(SettingsKeys::kAutoPrintSection, SettingsKeys::kMergeBlank, 1.0f);
    v.textScaleText = FormatNumber(v.textScale);
    v.mergeWidthText = FormatNumber(v.mergeWidthMm);
    v.mergeBlankText = FormatNumber(v.mergeBlankMm);
    return v;
}

namespace {

// Reads a float field: text left as shown keeps the stored value exactly (the shown text may
// be rounded), other text must be a finite number (the field message otherwise).
bool ReadFloatEdit(const CString& openedText, float openedValue, const CString& text, float& value)
{
    value = openedValue;
    if (text == openedText) return true;
    return ReadNumberField(text, value);
}

}  // namespace

bool CommitDirSetValues(const DirSetValues& opened, const DirSetValues& edited, DirSetHost& host)
{
    // Every field is read before anything changes, so a refused field leaves all as it was.
    float textScale = 0, mergeWidthMm = 0, mergeBlankMm = 0;
    if (!ReadFloatEdit(opened.mergeWidthText, opened.mergeWidthMm, edited.mergeWidthText, mergeWidthMm)) return false;
    if (!ReadFloatEdit(opened.mergeBlankText, opened.mergeBlankMm, edited.mergeBlankText, mergeBlankMm)) return false;
    if (!ReadFloatEdit(opened.textScaleText, opened.textScale, edited.textScaleText, textScale)) return false;

    // Directory names compare exactly: Linux names that differ only in case are other folders.
    if (edited.autoDirectory != host.GetAutoDirectory()) {
        host.SetAutoDirectory(edited.autoDirectory);
        host.WriteProfileString(SettingsKeys::kAutoPrintSection, SettingsKeys::kAutoDirectory, edited.autoDirectory);
        host.SetAutoDir(edited.autoDirectory);
    }
    if (edited.mergeDirectory != host.GetMergeDirectory()) {
        host.SetMergeDirectory(edited.mergeDirectory);
        host.WriteProfileString(SettingsKeys::kAutoPrintSection, SettingsKeys::kMergeDirectory, edited.mergeDirectory);
    }
    if (edited.copyDirectory != host.GetCopyDirectory()) {
        host.SetCopyDirectory(edited.copyDirectory);
        host.WriteProfileString(SettingsKeys::kAutoPrintSection, SettingsKeys::kCopyDirectory, edited.copyDirectory);
    }

    const uint32_t first = host.GetDiscoveryAddress();
    const uint32_t second = host.GetServerDiscoveryAddress();
    const uint32_t newFirst = inet_addrW(edited.broadcastText);
    const uint32_t newSecond = inet_addrW(edited.serverBroadcastText);
    if (newFirst != first) host.WriteProfileInt(SettingsKeys::kNetSetSection, SettingsKeys::kBroadCastIP, static_cast<int32_t>(newFirst));
    if (newSecond != second) host.WriteProfileInt(SettingsKeys::kNetSetSection, SettingsKeys::kServBroadCastIP, static_cast<int32_t>(newSecond));
    if (newFirst != first || newSecond != second) host.SetDiscoveryAddresses(newFirst, newSecond);

    if (textScale != opened.textScale) host.WriteProfileFloat(SettingsKeys::kAutoPrintSection, SettingsKeys::kTextScale, textScale);
    if (mergeWidthMm != opened.mergeWidthMm) host.WriteProfileFloat(SettingsKeys::kAutoPrintSection, SettingsKeys::kMergeWidth, mergeWidthMm);
    if (mergeBlankMm != opened.mergeBlankMm) host.WriteProfileFloat(SettingsKeys::kAutoPrintSection, SettingsKeys::kMergeBlank, mergeBlankMm);
    return true;
}

void ApplyDeleteAfterPrint(bool on, DirSetHost& host)
{
    host.SetDeleteAfterPrint(on);
    host.WriteProfileInt(SettingsKeys::kFileSection, SettingsKeys::kDeleteAfterPrint, on ? 1 : 0);
}

void ApplyNightMode(bool on, DirSetHost& host) { host.SetNightMode(on); }

void ApplySortCuts(bool on, DirSetHost& host)
{
    host.SetSortCuts(on);
    host.WriteProfileInt(SettingsKeys::kFileSection, SettingsKeys::kSortCut, on ? 1 : 0);
}

void ApplyBsplineFit(bool on, DirSetHost& host) { host.WriteProfileInt(SettingsKeys::kAutoPrintSection, SettingsKeys::kBsplineFit, on ? 1 : 0); }

void ApplyRecogniseContourOnOpen(bool on, DirSetHost& host)
{
    host.SetRecogniseContourOnOpen(on);
    host.WriteProfileInt(SettingsKeys::kFileSection, SettingsKeys::kRecogniseOnOpen, on ? 1 : 0);
}
