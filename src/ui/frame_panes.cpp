// The frame's tool bar and panes: the machine list and job list views, the other panes empty
// widgets until their views fill their cases.
#include "ui/frame_panes.h"

#include "app/doc_corvane.h"
#include "ui/view_file_list.h"
#include "ui/view_graphic.h"
#include "ui/view_mach_list.h"

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
    QWidget* widget = nullptr;
    switch (pane) {
    case FramePane::MachineList: {
        auto* view = new CViewMachList(doc, parent);
        doc.SetListRows(doc.GetJobRows(), view);
        widget = view;
        widget->setObjectName(QStringLiteral("MachineListPane"));
        break;
    }
    case FramePane::JobList: {
        auto* view = new CViewFileList(doc, parent);
        doc.SetListRows(view, doc.GetMachineRows());
        widget = view;
        widget->setObjectName(QStringLiteral("JobListPane"));
        break;
    }
    case FramePane::ControlPanel:
        widget = new QWidget(parent);
        widget->setObjectName(QStringLiteral("ControlPanelPane"));
        break;
    case FramePane::Graphic:
        widget = CreateGraphicPane(parent, doc);
        break;
    }
    return widget != nullptr ? widget : new QWidget(parent);
}
