// The frame's tool bar and its four panes: machine list, job list, control panel, preview.
#include "ui/frame_panes.h"

#include "app/doc_corvane.h"
#include "ui/true_color_tool_bar.h"
#include "ui/ui_resources.h"
#include "ui/view_ctl_panel.h"
#include "ui/view_file_list.h"
#include "ui/view_graphic.h"
#include "ui/view_mach_list.h"

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
        widget = new CViewCtlPanel(doc, parent);
        widget->setObjectName(QStringLiteral("ControlPanelPane"));
        break;
    case FramePane::Graphic:
        widget = CreateGraphicPane(parent, doc);
        break;
    }
    return widget != nullptr ? widget : new QWidget(parent);
}
