// Popup menus over the replaceable presenter: items, tracking, the posted command, no presenter.
#include "platform/popup_menu.h"

#include "platform/cwnd.h"
#include "support/menu_hover_owner.h"
#include "support/scripted_popup_menu.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PopupMenu, KeepsItsItemsUntilDestroyed)
{
    CMenu menu;
    EXPECT_EQ(menu.AppendMenu(MF_STRING, 1, CString(u"x")), FALSE) << "not created yet";
    ASSERT_EQ(menu.CreatePopupMenu(), TRUE);
    EXPECT_EQ(menu.CreatePopupMenu(), FALSE);
    menu.AppendMenu(MF_STRING, 7, CString(u"Seven"));
    menu.AppendMenu(MF_STRING, 8, CString(u"Eight"));
    EXPECT_EQ(menu.GetMenuItemCount(), 2);
    EXPECT_EQ(menu.GetMenuItemID(1), 8u);
    EXPECT_EQ(menu.GetMenuString(0), u"Seven");
    EXPECT_EQ(menu.GetMenuItemID(2), 0u);
    EXPECT_EQ(menu.DestroyMenu(), TRUE);
    EXPECT_EQ(menu.GetMenuItemCount(), -1);
    EXPECT_EQ(menu.DestroyMenu(), FALSE);
}

TEST(PopupMenu, TrackingPostsTheChosenIdToTheOwnerAfterwards)
{
    CWnd owner(CMessageTarget::Delivery::ByHand);
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, 42, CString(u"Answer"));
    {
        corvane_test::ScriptedPopupMenu presenter;
        presenter.SetCursor(CPoint(3, 4));
        CPoint at;
        ASSERT_EQ(GetCursorPos(&at), TRUE);
        EXPECT_EQ(at.x, 3);
        EXPECT_EQ(at.y, 4);
        presenter.ScriptAnswer(42);
        EXPECT_EQ(menu.TrackPopupMenu(0, at.x, at.y, &owner), TRUE);
        std::vector<PostedMessage> posted = owner.TakePosted();
        ASSERT_EQ(posted.size(), 1u);
        EXPECT_EQ(posted[0].message, WM_COMMAND);
        EXPECT_EQ(posted[0].wParam, 42u);
        // Dismissed: nothing is posted.
        EXPECT_EQ(menu.TrackPopupMenu(0, 0, 0, &owner), TRUE);
        EXPECT_TRUE(owner.TakePosted().empty());
        ASSERT_EQ(presenter.Shown().size(), 2u);
        EXPECT_EQ(presenter.Shown()[0].items[0].text, u"Answer");
    }
    // Without a presenter the menu is dismissed and the cursor is at the origin.
    EXPECT_EQ(menu.TrackPopupMenu(0, 0, 0, &owner), FALSE);
    EXPECT_TRUE(owner.TakePosted().empty());
    CPoint at(9, 9);
    GetCursorPos(&at);
    EXPECT_EQ(at.x, 0);
    EXPECT_EQ(GetCursorPos(nullptr), FALSE);
}

TEST(PopupMenu, HoversReachTheOwnerWhileTheMenuIsTrackedOnly)
{
    corvane_test::MenuHoverOwner owner;
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, 7, CString(u"Seven"));
    menu.AppendMenu(MF_STRING, 8, CString(u"Eight"));
    corvane_test::ScriptedPopupMenu presenter;
    presenter.ScriptHovers({8, 7});
    EXPECT_EQ(menu.TrackPopupMenu(0, 0, 0, &owner), TRUE);
    EXPECT_EQ(owner.hovered, (std::vector<UINT>{8, 7}));
    menu.NotifyHover(8);
    EXPECT_EQ(owner.hovered.size(), 2u) << "no owner outside tracking";
}

}  // namespace
