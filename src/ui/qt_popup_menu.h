// QtPopupMenu: the program's popup-menu presenter, showing a menu as a QMenu.
#pragma once

#include "platform/popup_menu.h"

class QtPopupMenu : public CPopupMenuPresenter {
public:
    // Runs a QMenu of the menu's text items at point until one is chosen or it is dismissed.
    UINT Track(const CMenu& menu, CPoint point) override;
    CPoint CursorPos() override;
};
