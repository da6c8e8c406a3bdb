// The messages the upload server posts to the main window.
#pragma once

#include "platform/posted_message.h"

// wParam: a heap copy of a "<FILE" message (see CTCPClient1::ProcFileCmd); lParam: its length.
inline constexpr UINT WM_TCP_FILE_COMMAND = WM_USER + 26;
// wParam: a heap copy of a "<MACH" message, in the same form; lParam: its length.
inline constexpr UINT WM_TCP_MACHINE_COMMAND = WM_USER + 27;
// wParam: the new CTCPClient1*; lParam: 0.
inline constexpr UINT WM_TCP_CLIENT_ACCEPTED = WM_USER + 28;
