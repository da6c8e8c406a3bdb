// Popup menus: the framework's CMenu and GetCursorPos over one replaceable presenter.
//
// The libraries build a menu and track it; the installed presenter shows it and says which
// item was chosen. The program installs a presenter that shows a real menu; tests install one
// that records the menus and answers scripted ids. Without a presenter a tracked menu is
// dismissed (nothing chosen) and the cursor is at (0, 0). Menus are used on the GUI thread.
#pragma once

#include "platform/cstring.h"
#include "platform/rect.h"
#include "platform/win_types.h"

#include <vector>

class CWnd;
class CMenu;

// Item flags: a text item, shown with a check mark, a separator line (no id, no text).
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_SEPARATOR = 0x0800;

class CPopupMenuPresenter {
public:
    virtual ~CPopupMenuPresenter() = default;
    // Shows menu at point (screen pixels) and returns the chosen item's id, or 0 when dismissed.
    // While it is shown, each item the operator moves onto is passed to menu.NotifyHover.
    virtual UINT Track(const CMenu& menu, CPoint point) = 0;
    // The cursor position, screen pixels.
    virtual CPoint CursorPos() = 0;
};

// Installs presenter for every later menu; null removes it. It must outlive its installation.
void SetPopupMenuPresenter(CPopupMenuPresenter* presenter);

class CMenu {
public:
    struct Item {
        UINT flags = MF_STRING;
        UINT id = 0;
        CString text;
    };

    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // Makes the menu an empty popup menu; 0 when it already is one.
    BOOL CreatePopupMenu();
    // Appends an item; 0 when the menu was not created.
    BOOL AppendMenu(UINT flags, UINT id, const CString& text);
    // Shows the menu at (x, y) through the presenter. With flags 0 the chosen id is posted to
    // owner as WM_COMMAND (wParam = id), so the owner handles it after this call returns;
    // nothing is posted when the menu is dismissed. 0 when the menu was not created, no
    // presenter is installed, or (nonzero flags) the flags ask for more than the stand-in does.
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner);
    // Destroys the menu and its items; 0 when it was not created.
    BOOL DestroyMenu();
    // Tells the owner of the menu being tracked which item the operator is on (the presenter
    // calls it while the menu is shown); nothing outside TrackPopupMenu.
    void NotifyHover(UINT id) const;

    int GetMenuItemCount() const { return created_ ? static_cast<int>(items_.size()) : -1; }
    // The id / text of item i; 0 / empty out of range.
    UINT GetMenuItemID(int i) const;
    CString GetMenuString(int i) const;
    const std::vector<Item>& Items() const { return items_; }

private:
    bool created_ = false;
    std::vector<Item> items_;
    CWnd* trackingOwner_ = nullptr;
};

// The cursor position from the presenter ((0, 0) without one); 0 for a null pointer.
BOOL GetCursorPos(CPoint* point);
