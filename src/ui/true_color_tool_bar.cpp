// CTrueColorToolBar: the three image lists from strips with their own mask colours.
#include "ui/true_color_tool_bar.h"

#include "ui/ui_resources.h"

int CTrueColorToolBar::SetToolBarBitmaps(int buttonWidth, int normalBitmap, int hotBitmap, int disabledBitmap)
{
    const QImage normal = LoadBitmapResource(normalBitmap);
    const QImage hot = hotBitmap != 0 ? LoadBitmapResource(hotBitmap) : QImage();
    const QImage disabled = disabledBitmap != 0 ? LoadBitmapResource(disabledBitmap) : QImage();
    return SetToolBarBitmaps(buttonWidth, normal, hotBitmap != 0 ? &hot : nullptr,
                             disabledBitmap != 0 ? &disabled : nullptr);
}

int CTrueColorToolBar::SetToolBarBitmaps(int buttonWidth, const QImage& normal, const QImage* hot,
                                         const QImage* disabled)
{
    ToolBarImageLists lists;
    if (!BuildToolBarImageLists(buttonWidth, normal, hot, disabled, lists)) return 0;
    SetImageLists(std::move(lists), QSize(buttonWidth, normal.height()));
    return 1;
}
