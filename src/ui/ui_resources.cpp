// The user interface's resources: the tool-bar layouts and the compiled-in pictures.
#include "ui/ui_resources.h"

#include "ui/command_ids.h"
#include "ui/preview_geometry.h"

#include <QString>

// Registers the compiled-in pictures once (at global scope: the registration's declaration
// must not fall into a namespace).
static void EnsurePictures()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(pictures);
        return true;
    }();
    (void)registered;
}

std::optional<ToolBarLayout> LoadToolBarResource(int id)
{
    constexpr int sep = kToolBarSeparator;
    switch (id) {
    case kMainToolBarResource:
        return ToolBarLayout{ID_FILE_OPEN, sep, ID_JOB_START, ID_JOB_PAUSE, ID_JOB_CANCEL, sep,
                             ID_COPIES_UP, ID_COPIES_DOWN, ID_JOB_MOVE_UP, ID_JOB_MOVE_DOWN,
                             ID_JOB_MOVE_TO_TOP, ID_JOB_MOVE_TO_BOTTOM, ID_DELETE_JOBS, ID_ASSIGN_JOBS, sep,
                             ID_SET_PEN, ID_SET_HALF_KNIFE, ID_SET_INNER_KNIFE, ID_SET_OUTER_KNIFE, ID_PREVIEW_SWAP, sep,
                             ID_DIRECTORY_PRINT, ID_MERGE_FILES, ID_GLOBAL_SETTINGS, ID_PEN_TOOL_SETTINGS, sep,
                             ID_MACHINE_SETUP, ID_MACHINE_ZERO, ID_MACHINE_RESET, ID_TEST_JET, sep, ID_APP_MENU};
    case kPreviewToolBarResource:
        return ToolBarLayout{ID_PREVIEW_ZOOM_IN, ID_PREVIEW_ZOOM_OUT, ID_PREVIEW_ZOOM_RECT, ID_PREVIEW_FIT,
                             ID_PREVIEW_PAN, sep, ID_MOVE_SELECTION, ID_EDIT_PEN_INDEX, ID_BATCH_PEN,
                             ID_RECOGNISE_CONTOURS};
    default: return std::nullopt;
    }
}

QImage LoadBitmapResource(int id)
{
    EnsurePictures();
    return QImage(QStringLiteral(":/bitmaps/%1.png").arg(id));
}
