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
    v.bsplineFit = host.GetProfileInt(kSectionAutoPrint, kKeyBsplineFit, 1) != 0;
    v.textScale = host.GetProfileFloat(kSectionAutoPrint, kKeyTextScale, 1.0f);
    v.mergeWidthMm = host.GetProfileFloat(kSectionAutoPrint, kKeyMergeWidth, 1800.0f);
    v.mergeBlankMm = host.GetProfileFloat(kSectionAutoPrint, kKeyMergeBlank, 1.0f);
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
        host.WriteProfileString(kSectionAutoPrint, kKeyAutoDirectory, edited.autoDirectory);
        host.SetAutoDir(edited.autoDirectory);
    }
    if (edited.mergeDirectory != host.GetMergeDirectory()) {
        host.SetMergeDirectory(edited.mergeDirectory);
        host.WriteProfileString(kSectionAutoPrint, kKeyMergeDirectory, edited.mergeDirectory);
    }
    if (edited.copyDirectory != host.GetCopyDirectory()) {
        host.SetCopyDirectory(edited.copyDirectory);
        host.WriteProfileString(kSectionAutoPrint, kKeyCopyDirectory, edited.copyDirectory);
    }

    const uint32_t first = host.GetDiscoveryAddress();
    const uint32_t second = host.GetServerDiscoveryAddress();
    const uint32_t newFirst = inet_addrW(edited.broadcastText);
    const uint32_t newSecond = inet_addrW(edited.serverBroadcastText);
    if (newFirst != first) host.WriteProfileInt(kSectionNetSet, kKeyBroadCastIP, static_cast<int32_t>(newFirst));
    if (newSecond != second) host.WriteProfileInt(kSectionNetSet, kKeyServBroadCastIP, static_cast<int32_t>(newSecond));
    if (newFirst != first || newSecond != second) host.SetDiscoveryAddresses(newFirst, newSecond);

    if (textScale != opened.textScale) host.WriteProfileFloat(kSectionAutoPrint, kKeyTextScale, textScale);
    if (mergeWidthMm != opened.mergeWidthMm) host.WriteProfileFloat(kSectionAutoPrint, kKeyMergeWidth, mergeWidthMm);
    if (mergeBlankMm != opened.mergeBlankMm) host.WriteProfileFloat(kSectionAutoPrint, kKeyMergeBlank, mergeBlankMm);
    return true;
}

void ApplyDeleteAfterPrint(bool on, DirSetHost& host)
{
    host.SetDeleteAfterPrint(on);
    host.WriteProfileInt(kSectionFileSetting, kKeyDeleteAfterPrint, on ? 1 : 0);
}

void ApplyNightMode(bool on, DirSetHost& host) { host.SetNightMode(on); }

void ApplySortCuts(bool on, DirSetHost& host)
{
    host.SetSortCuts(on);
    host.WriteProfileInt(kSectionFileSetting, kKeySortCut, on ? 1 : 0);
}

void ApplyBsplineFit(bool on, DirSetHost& host) { host.WriteProfileInt(kSectionAutoPrint, kKeyBsplineFit, on ? 1 : 0); }

void ApplyRecogniseContourOnOpen(bool on, DirSetHost& host)
{
    host.SetRecogniseContourOnOpen(on);
    host.WriteProfileInt(kSectionFileSetting, kKeyRecogniseContourOnOpen, on ? 1 : 0);
}
