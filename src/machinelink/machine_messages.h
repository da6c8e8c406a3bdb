// The messages the machine link posts to the main window, with what they carry.
#pragma once

#include "platform/posted_message.h"

// A machine announced itself for the first time. wParam: its machine key; lParam: 0.
inline constexpr UINT WM_NET_MACHINE_FOUND = WM_USER + 20;
// A machine's state changed. wParam: the NET_Machine*; lParam: one of the values below.
inline constexpr UINT WM_NET_MACHINE_STATE = WM_USER + 21;
inline constexpr LPARAM kMachineStateChanged = 0;   // job state or online flag changed
inline constexpr LPARAM kMachineJobCancelled = 1;   // the job was cancelled on the machine
inline constexpr LPARAM kMachinePageFinished = 2;   // the machine finished the page
inline constexpr LPARAM kMachineVersionChanged = 3; // the version text changed
// Store a machine's parameter record. wParam: the machine key; lParam: which record (0, 1).
inline constexpr UINT WM_NET_MACHINE_SAVE_RECORD = WM_USER + 22;
// Jet progress of a job. wParam: the job's print-task reference; lParam: the NET_Machine*.
inline constexpr UINT WM_NET_JET_PROGRESS = WM_USER + 23;
// The machine asked for work. wParam: the NET_Machine*; lParam: the request's signed 16-bit value.
inline constexpr UINT WM_NET_MACHINE_REQUEST = WM_USER + 24;
// The operator pressed the start key on the machine. wParam: the NET_Machine*; lParam: its value.
inline constexpr UINT WM_NET_KEY_REQUEST = WM_USER + 25;
// The machine reported a status. wParam: the NET_Machine*; lParam: the status byte.
inline constexpr UINT WM_NET_MACHINE_STATUS = WM_USER + 29;
// The machine's configuration could not be read. wParam: the NET_Machine*; lParam: 0.
inline constexpr UINT WM_NET_CONFIG_INVALID = WM_USER + 30;
// A page ended and more pages remain. wParam: the NET_Machine*; lParam: the print-task reference.
inline constexpr UINT WM_NET_PAGE_FINISHED = WM_USER + 32;
