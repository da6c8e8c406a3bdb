// Section and key names of the settings store shared by the document and the settings dialog.
#pragma once

namespace SettingsKeys {

inline constexpr const char16_t* kAutoPrintSection = u"AutoPrint Settings";
inline constexpr const char16_t* kAutoDirectory = u"Auto Directory";
inline constexpr const char16_t* kCopyDirectory = u"Copy Directory";
inline constexpr const char16_t* kMergeDirectory = u"Merge Directory";
// The extra directories and their scales carry the index 0..3 after these names.
inline constexpr const char16_t* kExtraAutoDirectory = u"Auto Directory";
inline constexpr const char16_t* kExtraMergeDirectory = u"Merge Directory";
inline constexpr const char16_t* kExtraDirXScale = u"Auto Dir xscale";
inline constexpr const char16_t* kExtraDirYScale = u"Auto Dir yscale";
inline constexpr const char16_t* kMergeWidth = u"MergeWidth";  // mm
inline constexpr const char16_t* kMergeBlank = u"MergeBlank";  // mm
inline constexpr const char16_t* kWorkMode = u"iWorkMode";

inline constexpr const char16_t* kFileSection = u"FileSetting";
inline constexpr const char16_t* kSortCut = u"SortCut";
inline constexpr const char16_t* kRecogniseOnOpen = u"bRecogniseContourWhenFileOpen";

}  // namespace SettingsKeys
