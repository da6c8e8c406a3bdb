// The frame's tool bar and panes: the control panel, and an empty widget for each view
// still to fill its case.
#include "ui/frame_panes.h"

#include "ui/true_color_tool_bar.h"
#include "ui/ui_resources.h"
#include "ui/view_ctl_panel.h"

#include <QMainWindow>
#include <QWidget>

CTrueColorToolBar* CreateFrameToolBar(QMainWindow* frame)
{
    auto* toolBar = new CTrueColorToolBar(frame);
    toolBar->setObjectName(QStringLiteral("FrameToolBar"));
    toolBar->setMovable(false);
    if (!toolBar->LoadToolBar(kMainToolBarResource) ||
        !toolBar->SetToolBarBitmaps(kMainToolBarButtonWidth, kMainToolBarBitmap, kMainToolBarHotBitmap,
                                    kMainToolBarDisabledBitmap)) {
        delete toolBar;
        return nullptr;
    }
    return toolBar;
}

QWidget* CreateFramePane(FramePane pane, QWidget* parent, CDocCorvane& doc)
{
    if (pane == FramePane::ControlPanel) {
        auto* panel = new CViewCtlPanel(doc, parent);
        panel->setObjectName(QStringLiteral("ControlPanelPane"));
        return panel;
    }
    auto* widget = new QWidget(parent);
    switch (pane) {
    case FramePane::MachineList: widget->setObjectName(QStringLiteral("MachineListPane")); break;
    case FramePane::JobList: widget->setObjectName(QStringLiteral("JobListPane")); break;
    case FramePane::ControlPanel: break;
    case FramePane::Graphic: widget->setObjectName(QStringLiteral("GraphicPane")); break;
    }
    return widget;
}
