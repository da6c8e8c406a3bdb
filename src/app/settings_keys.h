// Section and key names of the settings store that the settings dialogs and auto-print share.
#pragma once

// Section of the job directories, merge sizes and text scale.
inline constexpr const char16_t* kSectionAutoPrint = u"AutoPrint Settings";
inline constexpr const char16_t* kKeyAutoDirectory = u"Auto Directory";
inline constexpr const char16_t* kKeyCopyDirectory = u"Copy Directory";
inline constexpr const char16_t* kKeyMergeDirectory = u"Merge Directory";
inline constexpr const char16_t* kKeyTextScale = u"TextScale";
inline constexpr const char16_t* kKeyBsplineFit = u"BSPLINE_FIT";
inline constexpr const char16_t* kKeyMergeWidth = u"MergeWidth";  // mm
inline constexpr const char16_t* kKeyMergeBlank = u"MergeBlank";  // mm
inline constexpr const char16_t* kKeyWorkMode = u"iWorkMode";
// The four further auto-directory configurations: kKeyAutoDirectory, kKeyMergeDirectory and
// these names, each followed by 0..3.
inline constexpr const char16_t* kKeyAutoDirXScaleN = u"Auto Dir xscale";
inline constexpr const char16_t* kKeyAutoDirYScaleN = u"Auto Dir yscale";

// Section of the file options.
inline constexpr const char16_t* kSectionFileSetting = u"FileSetting";
inline constexpr const char16_t* kKeyDeleteAfterPrint = u"Delete";
inline constexpr const char16_t* kKeySortCut = u"SortCut";
inline constexpr const char16_t* kKeyRecogniseContourOnOpen = u"bRecogniseContourWhenFileOpen";

// Section of the LAN discovery addresses (each the inet_addr value as an int).
inline constexpr const char16_t* kSectionNetSet = u"NET_SET";
inline constexpr const char16_t* kKeyBroadCastIP = u"BroadCastIP";
inline constexpr const char16_t* kKeyServBroadCastIP = u"ServBroadCastIP";

// Section of the contour-recognition options.
inline constexpr const char16_t* kSectionLoopRecgnise = u"LoopRecgnise";
inline constexpr const char16_t* kKeyLoopRecgniseSPRange = u"LoopRecgnise_SPRange";
inline constexpr const char16_t* kKeyModifyOutLoopSP = u"Modify_OutLoop_SP";
inline constexpr const char16_t* kKeyModifyInnerLoopSP = u"Modify_InnerLoop_SP";
inline constexpr const char16_t* kKeyMinArea = u"fMinArea";  // mm²
