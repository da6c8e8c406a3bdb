// Popup menus handed to the installed presenter.
#include "platform/popup_menu.h"

#include "platform/cwnd.h"

#include <atomic>

namespace {

std::atomic<CPopupMenuPresenter*> g_presenter{nullptr};

}  // namespace

void SetPopupMenuPresenter(CPopupMenuPresenter* presenter) { g_presenter.store(presenter, std::memory_order_release); }

BOOL CMenu::CreatePopupMenu()
{
    if (created_) return FALSE;
    created_ = true;
    items_.clear();
    return TRUE;
}

BOOL CMenu::AppendMenu(UINT flags, UINT id, const CString& text)
{
    if (!created_) return FALSE;
    items_.push_back({flags, id, text});
    return TRUE;
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner)
{
    CPopupMenuPresenter* presenter = g_presenter.load(std::memory_order_acquire);
    if (!created_ || flags != 0 || !presenter) return FALSE;
    trackingOwner_ = owner;
    UINT id = presenter->Track(*this, CPoint(x, y));
    trackingOwner_ = nullptr;
    if (id != 0) PostMessage(owner, WM_COMMAND, id, 0);
    return TRUE;
}

BOOL CMenu::DestroyMenu()
{
    if (!created_) return FALSE;
    created_ = false;
    items_.clear();
    return TRUE;
}

void CMenu::NotifyHover(UINT id) const
{
    if (trackingOwner_ != nullptr) trackingOwner_->OnMenuSelect(id);
}

UINT CMenu::GetMenuItemID(int i) const { return i >= 0 && i < static_cast<int>(items_.size()) ? items_[static_cast<size_t>(i)].id : 0; }

CString CMenu::GetMenuString(int i) const
{
    return i >= 0 && i < static_cast<int>(items_.size()) ? items_[static_cast<size_t>(i)].text : CString();
}

BOOL GetCursorPos(CPoint* point)
{
    if (!point) return FALSE;
    CPopupMenuPresenter* presenter = g_presenter.load(std::memory_order_acquire);
    *point = presenter ? presenter->CursorPos() : CPoint(0, 0);
    return TRUE;
}
