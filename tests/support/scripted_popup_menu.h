// A popup-menu presenter for tests: it records every tracked menu and answers scripted ids.
#pragma once

#include "platform/popup_menu.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace corvane_test {

struct ShownMenuItem {
    UINT id = 0;
    std::u16string text;
    UINT flags = MF_STRING;
};

struct ShownMenu {
    CPoint at;
    std::vector<ShownMenuItem> items;
};

// Installs itself as the presenter for its lifetime. Each tracked menu first passes the next
// scripted hovers to the menu's owner, then takes the next scripted id, or 0 (dismissed) when
// none is left; the cursor is where the test puts it.
class ScriptedPopupMenu : public CPopupMenuPresenter {
public:
    ScriptedPopupMenu() { SetPopupMenuPresenter(this); }
    ~ScriptedPopupMenu() override { SetPopupMenuPresenter(nullptr); }
    ScriptedPopupMenu(const ScriptedPopupMenu&) = delete;
    ScriptedPopupMenu& operator=(const ScriptedPopupMenu&) = delete;

    UINT Track(const CMenu& menu, CPoint point) override
    {
        ShownMenu shown{point, {}};
        for (const CMenu::Item& item : menu.Items()) shown.items.push_back({item.id, item.text.str(), item.flags});
        shown_.push_back(shown);
        if (!hovers_.empty()) {
            const std::vector<UINT> hovers = hovers_.front();
            hovers_.pop_front();
            for (UINT id : hovers) menu.NotifyHover(id);
        }
        if (answers_.empty()) return 0;
        UINT id = answers_.front();
        answers_.pop_front();
        return id;
    }
    CPoint CursorPos() override { return cursor_; }

    void ScriptAnswer(UINT id) { answers_.push_back(id); }
    // The items the operator moves onto, in order, in the next tracked menu.
    void ScriptHovers(std::vector<UINT> ids) { hovers_.push_back(std::move(ids)); }
    void SetCursor(CPoint p) { cursor_ = p; }
    const std::vector<ShownMenu>& Shown() const { return shown_; }

private:
    std::vector<ShownMenu> shown_;
    std::deque<UINT> answers_;
    std::deque<std::vector<UINT>> hovers_;
    CPoint cursor_;
};

}  // namespace corvane_test
