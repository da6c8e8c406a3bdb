// CToolBarEx: layout, light-grey strip and captions of the preview's tool bar.
#include "ui/tool_bar_ex.h"

#include "app/string_table.h"
#include "ui/qt_text.h"
#include "ui/ui_resources.h"

#include <QAction>

int CToolBarEx::LoadToolBarEx(int toolBarResource, int bitmapResource, bool withTexts)
{
    return LoadToolBarEx(toolBarResource, LoadBitmapResource(bitmapResource), withTexts);
}

int CToolBarEx::LoadToolBarEx(int toolBarResource, const QImage& bitmap, bool withTexts)
{
    if (!LoadToolBar(toolBarResource)) return 0;
    const QSize imageSize = ToolBarImageSize(ImageSize());
    ToolBarImageLists lists;
    lists.normal = SplitToolBarStrip(bitmap, imageSize.width(), kToolBarExMaskColour);
    if (lists.normal.empty()) return 0;
    SetImageLists(std::move(lists), imageSize);
    if (!withTexts) return 1;
    bool anyCaption = false;
    for (QAction* action : actions()) {
        if (action->isSeparator()) continue;
        const int id = CommandId(action);
        const std::optional<QString> caption = ToolBarCaption(ToQString(LoadResString(static_cast<uint32_t>(id))));
        if (!caption) continue;
        action->setText(*caption);
        anyCaption = true;
    }
    if (anyCaption) setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    return 1;
}
