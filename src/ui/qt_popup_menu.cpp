// The popup-menu presenter over QMenu.
#include "ui/qt_popup_menu.h"

#include "ui/qt_text.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

UINT QtPopupMenuPresenter::Track(const CMenu& menu, CPoint point)
{
    QMenu shown;
    for (const CMenu::Item& item : menu.Items()) {
        if (item.flags & MF_SEPARATOR) {
            shown.addSeparator();
            continue;
        }
        QAction* action = shown.addAction(ToQString(item.text));
        action->setData(item.id);
        if (item.flags & MF_CHECKED) {
            action->setCheckable(true);
            action->setChecked(true);
        }
    }
    // The owner hears of each item while the menu runs its own loop, so a highlight it draws
    // is in place before the choice comes back.
    QObject::connect(&shown, &QMenu::hovered, [&menu](QAction* action) { menu.NotifyHover(action->data().toUInt()); });
    const QAction* chosen = shown.exec(QPoint(point.x, point.y));
    return chosen != nullptr ? chosen->data().toUInt() : 0;
}

CPoint QtPopupMenuPresenter::CursorPos()
{
    const QPoint at = QCursor::pos();
    return CPoint(at.x(), at.y());
}
