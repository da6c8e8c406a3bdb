// The program's popup-menu presenter offscreen: the chosen item's id reaches the menu's owner.
#include "platform/cwnd.h"
#include "support/menu_hover_owner.h"
#include "support/widget_application.h"
#include "ui/qt_popup_menu.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace corvane_test {
namespace {

// A window that records the commands posted to it.
class CommandRecorder : public CWnd {
public:
    CommandRecorder() : CWnd(Delivery::ByHand) {}
    std::vector<WPARAM> commands;

protected:
    void OnMessage(UINT message, WPARAM wParam, LPARAM) override
    {
        if (message == WM_COMMAND) commands.push_back(wParam);
    }
};

// Presses keys in the next popup menu once it is shown.
void InTheNextMenu(std::function<void(QMenu&)> act)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr || !menu->isVisible()) return;
        poll->deleteLater();
        act(*menu);
    });
    poll->start(10);
}

TEST(QtPopupMenu, TheChosenItemIsPostedAndADismissedMenuPostsNothing)
{
    EnsureWidgetApplication();
    QtPopupMenuPresenter presenter;
    SetPopupMenuPresenter(&presenter);
    CommandRecorder owner;
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, 33001, u"载入配置");
    menu.AppendMenu(MF_STRING, 33002, u"保存配置");

    InTheNextMenu([](QMenu& shown) {
        ASSERT_EQ(shown.actions().size(), 2);
        EXPECT_EQ(shown.actions()[1]->text(), QString("保存配置"));
        shown.setActiveAction(shown.actions()[1]);
        QTest::keyClick(&shown, Qt::Key_Return);
    });
    EXPECT_TRUE(menu.TrackPopupMenu(0, 20, 30, &owner));
    owner.DeliverPosted();
    EXPECT_EQ(owner.commands, std::vector<WPARAM>{33002});

    InTheNextMenu([](QMenu& shown) { QTest::keyClick(&shown, Qt::Key_Escape); });
    EXPECT_TRUE(menu.TrackPopupMenu(0, 20, 30, &owner));
    owner.DeliverPosted();
    EXPECT_EQ(owner.commands.size(), 1u);
    SetPopupMenuPresenter(nullptr);
}

TEST(QtPopupMenu, TheHoveredItemReachesTheOwnerBeforeTheChoiceReturns)
{
    EnsureWidgetApplication();
    QtPopupMenuPresenter presenter;
    SetPopupMenuPresenter(&presenter);
    MenuHoverOwner owner;
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, 30000, CString(u"Object0"));
    menu.AppendMenu(MF_STRING, 30001, CString(u"Object1"));
    std::vector<UINT> hoveredWhenChosen;
    InTheNextMenu([&](QMenu& shown) {
        shown.setActiveAction(shown.actions().value(1));
        hoveredWhenChosen = owner.hovered;
        QTest::keyClick(&shown, Qt::Key_Return);
    });
    EXPECT_EQ(menu.TrackPopupMenu(0, 10, 10, &owner), TRUE);
    SetPopupMenuPresenter(nullptr);
    ASSERT_FALSE(hoveredWhenChosen.empty());
    EXPECT_EQ(hoveredWhenChosen.back(), 30001u);
    std::vector<PostedMessage> posted = owner.TakePosted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, 30001u);
}

}  // namespace
}  // namespace corvane_test
