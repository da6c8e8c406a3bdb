// QtPopupMenuPresenter: the program's popup-menu presenter, showing a QMenu and passing the
// item under the pointer or keyboard to the menu's owner while it is shown.
#pragma once

#include "platform/popup_menu.h"

class QtPopupMenuPresenter : public CPopupMenuPresenter {
public:
    // Runs a QMenu of the items at point (global pixels) until one is chosen or it closes.
    UINT Track(const CMenu& menu, CPoint point) override;
    CPoint CursorPos() override;
};
