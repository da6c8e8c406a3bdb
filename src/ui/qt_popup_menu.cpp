// The popup-menu presenter over QMenu and QCursor.
#include "ui/qt_popup_menu.h"

#include "ui/qt_text.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

UINT QtPopupMenu::Track(const CMenu& menu, CPoint point)
{
    QMenu popup;
    for (const CMenu::Item& item : menu.Items()) {
        QAction* action = popup.addAction(ToQString(item.text));
        action->setData(item.id);
    }
    const QAction* chosen = popup.exec(QPoint(point.x, point.y));
    return chosen != nullptr ? chosen->data().toUInt() : 0;
}

CPoint QtPopupMenu::CursorPos()
{
    const QPoint at = QCursor::pos();
    return CPoint(at.x(), at.y());
}
