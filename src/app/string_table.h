// The operator texts of the program, found by their resource number, in the chosen language.
#pragma once

#include "platform/cstring.h"

#include <cstdint>

// Resource numbers of the operator texts, grouped by where they are shown. A number followed
// by "N texts" starts a run of N consecutive numbers, one per item in the order given. The
// command strings of the tool bars are numbered by their command ids (ui/command_ids.h).
namespace StringId {
// The program's own resource numbers: the lists' columns and state words, and its messages.
constexpr uint32_t kJobFileColumn = 61204;
constexpr uint32_t kJobSizeColumn = 61205;
constexpr uint32_t kJobStateColumn = 61206;
constexpr uint32_t kJobPrinting = 61209;  // run-state word of the job list
constexpr uint32_t kPaused = 61211;  // also a machine whose job is paused
constexpr uint32_t kJobCopiesColumn = 61212;
constexpr uint32_t kJobStopped = 61229;  // run-state word
constexpr uint32_t kJobReversing = 61230;  // run-state word
constexpr uint32_t kAlreadyRunning = 61232;
constexpr uint32_t kAskCloseProgram = 61245;
constexpr uint32_t kTrayTip = 61246;
constexpr uint32_t kFileAlreadyOpen = 61252;
constexpr uint32_t kIpColumn = 61268;  // also of the job list
constexpr uint32_t kMacColumn = 61269;
constexpr uint32_t kIdColumn = 61270;
constexpr uint32_t kMachineOn = 61273;  // state word of the machine list
constexpr uint32_t kMachineOff = 61274;  // state word
constexpr uint32_t kMachineStateColumn = 61275;
constexpr uint32_t kVersionColumn = 61276;
constexpr uint32_t kMachineRunning = 61279;  // state word
constexpr uint32_t kPreviewCaption = 61288;  // written over a prepared job's preview
constexpr uint32_t kOtherControllerRunning = 61291;
constexpr uint32_t kJobResumable = 61292;  // run-state word
constexpr uint32_t kFileOpenError = 61313;
constexpr uint32_t kFeederOutOfPaper = 61314;
constexpr uint32_t kConfigInvalid = 61315;
constexpr uint32_t kWorkModeNormal = 61317;  // work mode of the control panel
constexpr uint32_t kWorkModeCutOnly = 61318;  // work mode
constexpr uint32_t kWorkModeJetOnly = 61319;  // work mode
constexpr uint32_t kPageLeftToCut = 61320;
constexpr uint32_t kAllFilesFilter = 61442;

// Texts of our own, numbered above the program's resource range.
constexpr uint32_t kJobOverPointBudget = 62001;  // a plot file making more points than a load may
constexpr uint32_t kPagesNotSaved = 62002;  // a job of several pages whose page files fail
constexpr uint32_t kMissingFontFiles = 62003;  // the missing font files ("%s" their names)
constexpr uint32_t kMissingChineseGlyphs = 62004;  // font files without Chinese glyphs ("%s")

// Reasons a load or a dispatch is refused (app/dispatch_refusal.h), and the messages naming them.
constexpr uint32_t kReasonFileUnreadable = 62010;
constexpr uint32_t kReasonFileEmpty = 62011;
constexpr uint32_t kReasonNoShapes = 62012;
constexpr uint32_t kReasonDxfRejected = 62013;
constexpr uint32_t kReasonOverPointBudget = 62014;
constexpr uint32_t kReasonNotLoaded = 62015;
constexpr uint32_t kReasonNoMachine = 62016;
constexpr uint32_t kReasonMachineOffline = 62017;
constexpr uint32_t kReasonMachineBusy = 62018;
constexpr uint32_t kReasonNoUsableWidth = 62019;
constexpr uint32_t kReasonJetStepNotSet = 62020;
constexpr uint32_t kReasonHandOverRefused = 62021;
constexpr uint32_t kReasonBeingPrepared = 62022;
constexpr uint32_t kReasonCancelled = 62023;
constexpr uint32_t kReasonOutOfMemory = 62024;
constexpr uint32_t kReasonPagesNotSaved = 62025;
constexpr uint32_t kReasonMachineValuesUnusable = 62026;
constexpr uint32_t kJobLoadFailed = 62030;  // the file ("%s") and the reason ("%s")
constexpr uint32_t kJobNotStarted = 62031;  // the file ("%s") and the reason ("%s")
constexpr uint32_t kPreparationProgress = 62032;  // preparing: file, stage (below), percent
constexpr uint32_t kStagePaginating = 62033;
constexpr uint32_t kStageReadingPage = 62034;
constexpr uint32_t kStageGeometry = 62035;

// Words and messages shared by the dialogs.
constexpr uint32_t kOk = 62100;
constexpr uint32_t kCancel = 62101;
constexpr uint32_t kConfirm = 62102;  // the machine settings dialog's closing button
constexpr uint32_t kYes = 62103;  // also a true flag in the parameter list
constexpr uint32_t kNo = 62104;  // also a false flag
constexpr uint32_t kTipCaption = 62105;  // caption of the machine notices
constexpr uint32_t kWaitCaption = 62106;
constexpr uint32_t kEnterInteger = 62107;  // the field checks' texts, English in the Chinese table too
constexpr uint32_t kEnterIntegerBetween = 62108;  // "%1" and "%2" the bounds
constexpr uint32_t kEnterNumber = 62109;
constexpr uint32_t kEnterNumberBetween = 62110;  // "%1" and "%2" the bounds
constexpr uint32_t kBrowseFolderCaption = 62111;
constexpr uint32_t kFolderInvalid = 62112;
constexpr uint32_t kOpenCaption = 62113;  // the open-file dialogs
constexpr uint32_t kSaveAsCaption = 62114;
constexpr uint32_t kPlotFilesFilter = 62115;  // the Open command's filter, its patterns appended
constexpr uint32_t kMergeFilesFilter = 62116;  // the merge command's filter
constexpr uint32_t kPltFilesFilter = 62117;
constexpr uint32_t kConfigFilesFilter = 62118;

// Messages of the program core.
constexpr uint32_t kMessageSocketFailed = 62150;
constexpr uint32_t kNetError = 62151;  // the machine link has no socket
constexpr uint32_t kBindError = 62152;  // the machine link finds no free port
constexpr uint32_t kAskDeleteFiles = 62153;
constexpr uint32_t kAskOverwriteSource = 62154;
constexpr uint32_t kFileNameUnmappable = 62155;
constexpr uint32_t kRulerUnit = 62156;  // the preview ruler's unit ("%d" millimetres)

// The program settings dialog and its other auto folders.
constexpr uint32_t kDirSetCaption = 62200;
constexpr uint32_t kDirSetAutoFolder = 62201;
constexpr uint32_t kDirSetMergeFolder = 62202;
constexpr uint32_t kDirSetCopyFolder = 62203;
constexpr uint32_t kDirSetMergeWidth = 62204;
constexpr uint32_t kDirSetMergeGap = 62205;
constexpr uint32_t kDirSetTextScale = 62206;
constexpr uint32_t kDirSetOtherAutoFolders = 62207;  // also the caption of their dialog
constexpr uint32_t kDirSetNetworkAddress = 62208;
constexpr uint32_t kDirSetServerAddress = 62209;
constexpr uint32_t kDirSetLanSearch = 62210;
constexpr uint32_t kDirSetFindNetwork = 62211;
constexpr uint32_t kDirSetManualAddress = 62212;
constexpr uint32_t kDirSetDeleteAfterPrint = 62213;
constexpr uint32_t kDirSetNightMode = 62214;
constexpr uint32_t kDirSetSortCuts = 62215;
constexpr uint32_t kDirSetBsplineFit = 62216;
constexpr uint32_t kDirSetRecogniseOnOpen = 62217;
constexpr uint32_t kChooseAutoFolder = 62218;
constexpr uint32_t kChooseMergeFolder = 62219;
constexpr uint32_t kChooseCopyFolder = 62220;
constexpr uint32_t kOtherAutoDirSet = 62221;  // "%1" the set's number
constexpr uint32_t kOtherAutoDirLengthScale = 62222;
constexpr uint32_t kOtherAutoDirWidthScale = 62223;

// The password prompt and the LAN tools.
constexpr uint32_t kPasswordCaption = 62250;
constexpr uint32_t kPasswordPrompt = 62251;
constexpr uint32_t kLanNoConnection = 62252;
constexpr uint32_t kLanSearching = 62253;
constexpr uint32_t kLanSearchingLocal = 62254;  // the wait box's first text
constexpr uint32_t kLanNoMachine = 62255;
constexpr uint32_t kLanAskAssign = 62256;  // the network ("%s") and the number of machines ("%d"), in that order
constexpr uint32_t kLanAssigning = 62257;
constexpr uint32_t kLanAssigned = 62258;
constexpr uint32_t kLanCaption = 62259;

// The machine settings dialog and its sheets' captions.
constexpr uint32_t kMachInfoCaption = 62300;
constexpr uint32_t kMachInfoIp = 62301;
constexpr uint32_t kMachInfoCutSpeed = 62302;
constexpr uint32_t kMachInfoIdleSpeed = 62303;
constexpr uint32_t kSpeedLow = 62304;
constexpr uint32_t kSpeedMiddle = 62305;
constexpr uint32_t kSpeedHigh = 62306;
constexpr uint32_t kMachInfoAutoPaperCut = 62307;
constexpr uint32_t kMachInfoAutoOutput = 62308;
constexpr uint32_t kMachInfoAutoSuctionOff = 62309;
constexpr uint32_t kMachInfoAutoSuctionOn = 62310;
constexpr uint32_t kMachInfoDropPressure = 62311;
constexpr uint32_t kFullCutDepth = 62312;  // also of the Z-axis page
constexpr uint32_t kFullCutPressure = 62313;
constexpr uint32_t kHalfCutDepth = 62314;  // also of the Z-axis page
constexpr uint32_t kHalfCutPressure = 62315;
constexpr uint32_t kMachInfoKnifePenX = 62316;
constexpr uint32_t kMachInfoKnifePenY = 62317;
constexpr uint32_t kMachInfoCuttingSettings = 62318;
constexpr uint32_t kMachInfoJetSettings = 62319;
constexpr uint32_t kToolSetup = 62320;  // the button and the pen-tool page's caption
constexpr uint32_t kMachInfoOtherParams = 62321;
constexpr uint32_t kOtherParamsCaption = 62322;
constexpr uint32_t kSpeedLevelTabs = 62323;  // 3 texts: the speed sets, low to high (tabs, levels)
constexpr uint32_t kZAxisTab = 62326;
constexpr uint32_t kBasicSettingsTab = 62327;  // also the plot page's caption
constexpr uint32_t kSpeedTab = 62328;  // also the jet speed page's caption
constexpr uint32_t kJetHeadTab = 62329;
constexpr uint32_t kJetHeadPageCaption = 62330;

// The motion parameter pages.
constexpr uint32_t kSpeedFieldLabels = 62350;  // 11 texts: the speed page's fields, in field order
constexpr uint32_t kMachineLimitLabels = 62361;  // 8 texts: the machine limits b1..b8
constexpr uint32_t kZMotorGroup = 62369;
constexpr uint32_t kOtherGroup = 62370;  // also of the magnet page
constexpr uint32_t kZMinSpeed = 62371;
constexpr uint32_t kZMaxSpeed = 62372;
constexpr uint32_t kZMaxAcceleration = 62373;
constexpr uint32_t kZJerk = 62374;
constexpr uint32_t kZResetBuffer = 62375;

// The cutting parameter pages.
constexpr uint32_t kKnifeLabels = 62400;  // 14 texts: the magnet page's knife values, block order
constexpr uint32_t kMagnetGroup = 62414;
constexpr uint32_t kToolOffsetLabels = 62415;  // 5 texts: the shown tool offsets, block order
constexpr uint32_t kLiftExtension = 62420;
constexpr uint32_t kLineExtension = 62421;
constexpr uint32_t kSpRoleNames = 62422;  // 4 texts: the tool roles of a pen SP1..SP8, by role value
constexpr uint32_t kSpRoleLabels = 62426;  // 4 texts: the role colours' labels
constexpr uint32_t kSpPensGroup = 62430;
constexpr uint32_t kSpRolesGroup = 62431;
constexpr uint32_t kPlotCalibrationLabels = 62432;  // 4 texts: the plot page's calibration sizes
constexpr uint32_t kPlotOrigin = 62436;
constexpr uint32_t kPlotSections = 62437;
constexpr uint32_t kPlotWidth = 62438;
constexpr uint32_t kPlotLength = 62439;
constexpr uint32_t kPlotRotation = 62440;
constexpr uint32_t kPlotMirror = 62441;

// The ink-jet pages.
constexpr uint32_t kJetNozzleStart = 62450;
constexpr uint32_t kJetNozzleEnd = 62451;
constexpr uint32_t kJetHeadSpacing = 62452;
constexpr uint32_t kJetHead = 62453;  // "%1" the head's number
constexpr uint32_t kJetStepValue = 62454;
constexpr uint32_t kJetColumns = 62455;  // 3 texts: the working columns, by value
constexpr uint32_t kJetWorkingColumn = 62458;
constexpr uint32_t kJetPrintLineWidth = 62459;
constexpr uint32_t kJetWarmUpLineWidth = 62460;
constexpr uint32_t kJetColumnSpacing = 62461;
constexpr uint32_t kJetSheetGap = 62462;
constexpr uint32_t kJetSpeedFieldLabels = 62463;  // 9 texts: the jet speed page's rows (0, 1 also its selectors)
constexpr uint32_t kJetAdvanced = 62472;

// The parameter list dialog and the other-parameters block.
constexpr uint32_t kParamNumberColumn = 62500;
constexpr uint32_t kParamNameColumn = 62501;
constexpr uint32_t kParamValueColumn = 62502;
constexpr uint32_t kOtherParamNames = 62503;  // 13 texts: the block's 13 rows, list order
constexpr uint32_t kParamDelayHelp = 62516;
constexpr uint32_t kParamFeedMethodHelp = 62517;
constexpr uint32_t kParamLimitTypeHelp = 62518;
constexpr uint32_t kParamPickUpHelp = 62519;

// The job and pen dialogs.
constexpr uint32_t kPenModeNames = 62550;  // 6 texts: the six pen modes, by mode value
constexpr uint32_t kPenModeCaption = 62556;
constexpr uint32_t kPenModeMappingGroup = 62557;
constexpr uint32_t kPenModePen = 62558;  // "%1" the pen's number
constexpr uint32_t kPenModeNormalGroup = 62559;
constexpr uint32_t kPenModeContourRole = 62560;
constexpr uint32_t kPenModeRecogniseOnOpen = 62561;
constexpr uint32_t kNoChange = 62562;
constexpr uint32_t kModifyCurveCaption = 62563;
constexpr uint32_t kModifyCurveTarget = 62564;
constexpr uint32_t kCopiesPrompt = 62565;
constexpr uint32_t kPagePrompt = 62566;
constexpr uint32_t kRecogniseCaption = 62567;
constexpr uint32_t kRecogniseRange = 62568;
constexpr uint32_t kRecogniseOuter = 62569;
constexpr uint32_t kRecogniseInner = 62570;
constexpr uint32_t kRecogniseMinArea = 62571;

// The main frame, the list views' menus and the control panel.
constexpr uint32_t kFrameTitle = 62600;  // the window title, its build mark appended
constexpr uint32_t kJobMenuRecut = 62601;
constexpr uint32_t kJobMenuCutPage = 62602;
constexpr uint32_t kJobMenuCopies = 62603;
constexpr uint32_t kJobMenuEdit = 62604;
constexpr uint32_t kMachineMenuLoadConfig = 62605;  // also its file dialog's caption
constexpr uint32_t kMachineMenuSaveConfig = 62606;  // also its file dialog's caption
constexpr uint32_t kPanelReset = 62607;
constexpr uint32_t kPanelTest = 62608;
constexpr uint32_t kPanelFit = 62609;
constexpr uint32_t kPanelRuler = 62610;
constexpr uint32_t kPanelPreview = 62611;
constexpr uint32_t kPanelMode = 62612;
}  // namespace StringId

// Languages of the "language" setting that have tables of their own; any other value is English.
inline constexpr int32_t kLanguageChinese = 1;
inline constexpr int32_t kLanguageEnglish = 2;
inline constexpr int32_t kLanguageThai = 5;

// Chooses the table of language: 1 Chinese (the program's own texts), 5 Thai, any other
// value English. Chinese until called.
void SetStringLanguage(int32_t language);
// The text of resource number id in the chosen language; a number that table lacks gives
// its Chinese text, one without any text gives empty text.
CString LoadResString(uint32_t id);
