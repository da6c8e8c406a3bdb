// CToolBar: buttons from a layout, their pictures, command routing and idle state updates.
#include "ui/tool_bar.h"

#include "app/string_table.h"
#include "ui/qt_text.h"
#include "ui/ui_resources.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QIcon>
#include <QPixmap>
#include <QPointer>

CToolBar::CToolBar(QWidget* parent) : QToolBar(parent)
{
    // The idle update: the event loop is about to wait, so every change the events made is
    // done.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &CToolBar::UpdateCommandStates);
}

bool CToolBar::LoadToolBar(int resourceId)
{
    const std::optional<ToolBarLayout> layout = LoadToolBarResource(resourceId);
    if (!layout) return false;
    clear();
    buttons_.clear();
    int imageIndex = 0;
    for (int id : *layout) {
        if (id == kToolBarSeparator) {
            addSeparator();
            continue;
        }
        QAction* action = addAction(QString());
        action->setData(id);
        action->setCheckable(true);
        action->setEnabled(false);
        if (const std::optional<QString> tip = ToolBarCaption(ToQString(LoadResString(static_cast<uint32_t>(id)))))
            action->setToolTip(*tip);
        connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
        buttons_.push_back({id, imageIndex++, action});
    }
    SetImageLists(std::move(imageLists_), imageSize_.value_or(QSize()));
    return true;
}

QAction* CToolBar::CommandButton(int id) const
{
    for (const Button& button : buttons_)
        if (button.id == id) return button.action;
    return nullptr;
}

int CToolBar::CommandId(const QAction* button) { return button ? button->data().toInt() : 0; }

CommandTarget* CToolBar::CommandOwner() const
{
    if (owner_) return owner_;
    if (auto* parentTarget = dynamic_cast<CommandTarget*>(parentWidget())) return parentTarget;
    return dynamic_cast<CommandTarget*>(window());
}

void CToolBar::UpdateCommandStates()
{
    CommandTarget* owner = CommandOwner();
    if (!isVisible()) return;
    if (auto* ownerWidget = dynamic_cast<QWidget*>(owner); ownerWidget && !ownerWidget->isVisible()) return;
    for (const Button& button : buttons_) {
        const std::optional<CommandButtonState> state = owner ? owner->CommandState(button.id) : std::nullopt;
        button.action->setEnabled(state && state->enabled);
        button.action->setChecked(state && state->checked);
    }
}

void CToolBar::RunCommand(int id)
{
    // The command may close the window that holds the bar (its modal dialogs run the
    // event loop); the states are shown again only while the bar still exists.
    const QPointer<CToolBar> self(this);
    if (CommandTarget* owner = CommandOwner()) owner->OnCommand(id);
    // A checkable button toggled itself on the click: the owner's state holds.
    if (self) UpdateCommandStates();
}

void CToolBar::SetImageLists(ToolBarImageLists lists, QSize imageSize)
{
    imageLists_ = std::move(lists);
    if (imageSize.isValid()) {
        imageSize_ = imageSize;
        setIconSize(imageSize);
    }
    for (const Button& button : buttons_) {
        const auto index = static_cast<size_t>(button.imageIndex);
        QIcon icon;
        if (index < imageLists_.normal.size()) icon.addPixmap(QPixmap::fromImage(imageLists_.normal[index]), QIcon::Normal);
        if (index < imageLists_.hot.size()) icon.addPixmap(QPixmap::fromImage(imageLists_.hot[index]), QIcon::Active);
        if (index < imageLists_.disabled.size())
            icon.addPixmap(QPixmap::fromImage(imageLists_.disabled[index]), QIcon::Disabled);
        button.action->setIcon(icon);
    }
}
