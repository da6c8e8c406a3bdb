// Section and key names of the settings store shared by the document, auto-print and the
// settings dialogs.
#pragma once

namespace SettingsKeys {

// The job directories, merge sizes, text scale and work mode.
inline constexpr const char16_t* kAutoPrintSection = u"AutoPrint Settings";
inline constexpr const char16_t* kAutoDirectory = u"Auto Directory";
inline constexpr const char16_t* kCopyDirectory = u"Copy Directory";
inline constexpr const char16_t* kMergeDirectory = u"Merge Directory";
// The extra directories and their scales carry the index 0..3 after these names.
inline constexpr const char16_t* kExtraAutoDirectory = u"Auto Directory";
inline constexpr const char16_t* kExtraMergeDirectory = u"Merge Directory";
inline constexpr const char16_t* kExtraDirXScale = u"Auto Dir xscale";
inline constexpr const char16_t* kExtraDirYScale = u"Auto Dir yscale";
inline constexpr const char16_t* kTextScale = u"TextScale";
inline constexpr const char16_t* kBsplineFit = u"BSPLINE_FIT";
inline constexpr const char16_t* kMergeWidth = u"MergeWidth";  // mm
inline constexpr const char16_t* kMergeBlank = u"MergeBlank";  // mm
inline constexpr const char16_t* kWorkMode = u"iWorkMode";

// The file options.
inline constexpr const char16_t* kFileSection = u"FileSetting";
inline constexpr const char16_t* kDeleteAfterPrint = u"Delete";
inline constexpr const char16_t* kSortCut = u"SortCut";
inline constexpr const char16_t* kRecogniseOnOpen = u"bRecogniseContourWhenFileOpen";

// The LAN discovery addresses (each the inet_addr value as an int).
inline constexpr const char16_t* kNetSetSection = u"NET_SET";
inline constexpr const char16_t* kBroadCastIP = u"BroadCastIP";
inline constexpr const char16_t* kServBroadCastIP = u"ServBroadCastIP";

// The contour-recognition options.
inline constexpr const char16_t* kLoopRecogniseSection = u"LoopRecgnise";
inline constexpr const char16_t* kLoopRecogniseSPRange = u"LoopRecgnise_SPRange";
inline constexpr const char16_t* kModifyOutLoopSP = u"Modify_OutLoop_SP";
inline constexpr const char16_t* kModifyInnerLoopSP = u"Modify_InnerLoop_SP";
inline constexpr const char16_t* kMinArea = u"fMinArea";  // mm²

}  // namespace SettingsKeys
