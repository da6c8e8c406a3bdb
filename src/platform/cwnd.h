// CWnd: the window stand-in that receives a window's command messages, as a posted-message target.
#pragma once

#include "platform/posted_message.h"

// A menu or control command; wParam carries the command id.
inline constexpr UINT WM_COMMAND = 0x0111;

// A window as the libraries see it: something commands are posted to. The views derive from it.
class CWnd : public CMessageTarget {
public:
    using CMessageTarget::CMessageTarget;

    // Called while a popup menu this window owns is shown, with the id of the item the pointer
    // or the keyboard is on; the default ignores it.
    virtual void OnMenuSelect(UINT id) { (void)id; }
};
