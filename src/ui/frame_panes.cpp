// The frame's tool bar and panes: each an empty widget until its view fills its case.
#include "ui/frame_panes.h"

#include "app/doc_corvane.h"
#include "ui/view_graphic.h"

#include <QMainWindow>
#include <QToolBar>
#include <QWidget>

QToolBar* CreateFrameToolBar(QMainWindow* frame)
{
    auto* toolBar = new QToolBar(frame);
    toolBar->setObjectName(QStringLiteral("FrameToolBar"));
    toolBar->setMovable(false);
    return toolBar;
}

namespace {

// The preview pane: its container holding the view, which becomes the document's preview.
QWidget* CreateGraphicPane(QWidget* parent, CDocCorvane& doc)
{
    auto* container = new CWndGraphic(parent);
    container->setObjectName(QStringLiteral("GraphicPane"));
    container->CreateChild([&doc](QWidget* p) {
        auto* view = new CViewGraphic(doc, p);
        doc.SetPreview(view);
        return view;
    });
    return container;
}

}  // namespace

QWidget* CreateFramePane(FramePane pane, QWidget* parent, CDocCorvane& doc)
{
    if (pane == FramePane::Graphic) return CreateGraphicPane(parent, doc);
    auto* widget = new QWidget(parent);
    switch (pane) {
    case FramePane::MachineList: widget->setObjectName(QStringLiteral("MachineListPane")); break;
    case FramePane::JobList: widget->setObjectName(QStringLiteral("JobListPane")); break;
    case FramePane::ControlPanel: widget->setObjectName(QStringLiteral("ControlPanelPane")); break;
    case FramePane::Graphic: break;
    }
    return widget;
}
