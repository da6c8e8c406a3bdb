// CToolBar: a tool bar of command buttons laid out from a tool-bar resource, with pictures
// from image lists, whose buttons carry out their commands through the bar's command owner
// and take their enabled and checked states from it while the program is idle.
#pragma once

#include "ui/command_target.h"
#include "ui/tool_bar_strip.h"

#include <QToolBar>

#include <optional>
#include <vector>

class QAction;

class CToolBar : public QToolBar {
    Q_OBJECT
public:
    explicit CToolBar(QWidget* parent = nullptr);

    // Lays the buttons out from tool-bar resource id (tool tips from the commands' strings);
    // false when there is no such resource.
    bool LoadToolBar(int resourceId);
    // The button of command id, or null; the command id of a button (0 for a separator).
    QAction* CommandButton(int id) const;
    static int CommandId(const QAction* button);

    // The window whose commands the buttons run and whose states they show. Without one the
    // bar's parent serves when it is a command target, else the bar's window.
    void SetCommandOwner(CommandTarget* owner) { owner_ = owner; }
    CommandTarget* CommandOwner() const;

    // Takes every button's enabled and checked state from the command owner (a command it
    // does not know is disabled). Nothing happens while the bar or its owner is hidden.
    void UpdateCommandStates();

    // The image size of the bar's current image list, if it has one.
    std::optional<QSize> ImageSize() const { return imageSize_; }
    // The image lists the buttons' pictures come from.
    const ToolBarImageLists& ImageLists() const { return imageLists_; }

protected:
    // Makes lists the bar's image lists (their images imageSize) and sets every button's
    // picture: normal, active (under the mouse) and disabled modes from the lists that
    // have images.
    void SetImageLists(ToolBarImageLists lists, QSize imageSize);

private:
    // Runs command id through the owner, then shows the states the command left.
    void RunCommand(int id);

    struct Button {
        int id = 0;
        int imageIndex = 0;
        QAction* action = nullptr;
    };
    std::vector<Button> buttons_;
    CommandTarget* owner_ = nullptr;
    ToolBarImageLists imageLists_;
    std::optional<QSize> imageSize_;
};
