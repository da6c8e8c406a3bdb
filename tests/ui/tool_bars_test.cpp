// The two tool bars: pictures cut from strips (counts, mask, modes, failures), the preview
// bar's image size and captions, the compiled-in layouts and pictures, and the command owner
// that runs the buttons and gives their states, also while the program is idle.
#include "ui/tool_bar_ex.h"
#include "ui/true_color_tool_bar.h"

#include "support/event_loop.h"
#include "support/widget_application.h"
#include "ui/command_ids.h"
#include "ui/preview_geometry.h"
#include "ui/ui_resources.h"

#include <QAction>
#include <QIcon>

#include <gtest/gtest.h>

#include <map>

namespace corvane_test {
namespace {

// A strip of width × height filled with fill, its bottom-left pixel (the mask) in mask.
QImage Strip(int width, int height, QColor fill, QColor mask)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    if (width > 0 && height > 0) image.setPixelColor(0, height - 1, mask);
    return image;
}

// Knows the commands of its map: enabled and checked as stored; counts each command run.
class MapTarget : public CommandTarget {
public:
    bool OnCommand(int id) override
    {
        if (!states.count(id)) return false;
        ++runs[id];
        return true;
    }
    std::optional<CommandButtonState> CommandState(int id) const override
    {
        const auto found = states.find(id);
        if (found == states.end()) return std::nullopt;
        return found->second;
    }
    std::map<int, CommandButtonState> states;
    std::map<int, int> runs;
};

class ToolBarsTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureWidgetApplication(); }
};

TEST_F(ToolBarsTest, TrueColourListsAreCutFromTheirStripsWithTheirOwnMasks)
{
    CTrueColorToolBar bar;
    ASSERT_TRUE(bar.LoadToolBar(kMainToolBarResource));
    const QImage normal = Strip(320, 32, Qt::blue, Qt::magenta);
    ASSERT_EQ(bar.SetToolBarBitmaps(32, normal, nullptr, nullptr), 1);
    ASSERT_EQ(bar.ImageLists().normal.size(), 10u);
    EXPECT_TRUE(bar.ImageLists().hot.empty());
    EXPECT_TRUE(bar.ImageLists().disabled.empty());
    EXPECT_EQ(bar.ImageLists().normal[0].size(), QSize(32, 32));
    EXPECT_EQ(bar.iconSize(), QSize(32, 32));
    // The mask colour is transparent, the rest kept.
    EXPECT_EQ(qAlpha(bar.ImageLists().normal[0].pixel(0, 31)), 0);
    EXPECT_EQ(bar.ImageLists().normal[0].pixelColor(5, 5), QColor(Qt::blue));
    // Without hot and disabled pictures only the normal mode has one.
    const QIcon icon = bar.CommandButton(ID_JOB_START)->icon();
    EXPECT_FALSE(icon.availableSizes(QIcon::Normal).isEmpty());
    EXPECT_TRUE(icon.availableSizes(QIcon::Active).isEmpty());
    EXPECT_TRUE(icon.availableSizes(QIcon::Disabled).isEmpty());

    // Each strip has its own mask: the hot one's green is transparent there only.
    const QImage hot = Strip(320, 32, Qt::red, Qt::green);
    const QImage disabled = Strip(320, 32, Qt::gray, Qt::blue);
    ASSERT_EQ(bar.SetToolBarBitmaps(32, normal, &hot, &disabled), 1);
    EXPECT_EQ(qAlpha(bar.ImageLists().hot[0].pixel(0, 31)), 0);
    EXPECT_EQ(bar.ImageLists().hot[0].pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(qAlpha(bar.ImageLists().disabled[3].pixel(4, 4)), 255);
    const QIcon threeModes = bar.CommandButton(ID_JOB_START)->icon();
    EXPECT_FALSE(threeModes.availableSizes(QIcon::Active).isEmpty());
    EXPECT_FALSE(threeModes.availableSizes(QIcon::Disabled).isEmpty());
}

TEST_F(ToolBarsTest, ABadStripFailsAndKeepsThePicturesThereWere)
{
    CTrueColorToolBar bar;
    ASSERT_TRUE(bar.LoadToolBar(kMainToolBarResource));
    const QImage good = Strip(64, 16, Qt::blue, Qt::magenta);
    ASSERT_EQ(bar.SetToolBarBitmaps(32, good, nullptr, nullptr), 1);
    const QImage narrow = Strip(20, 16, Qt::blue, Qt::magenta);
    const QImage empty;
    struct Case {
        const char* name;
        int width;
        const QImage* normal;
        const QImage* hot;
        const QImage* disabled;
    };
    const Case cases[] = {
        {"button width 0", 0, &good, nullptr, nullptr},
        {"negative button width", -32, &good, nullptr, nullptr},
        {"empty normal strip", 32, &empty, nullptr, nullptr},
        {"normal strip narrower than a button", 32, &narrow, nullptr, nullptr},
        {"hot strip empty", 32, &good, &empty, nullptr},
        {"disabled strip narrower than a button", 32, &good, &good, &narrow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(bar.SetToolBarBitmaps(c.width, *c.normal, c.hot, c.disabled), 0);
        EXPECT_EQ(bar.ImageLists().normal.size(), 2u);
        EXPECT_TRUE(bar.ImageLists().hot.empty());
    }
    // A bitmap resource that does not exist fails the same way.
    EXPECT_EQ(bar.SetToolBarBitmaps(32, 9999), 0);
    EXPECT_EQ(bar.SetToolBarBitmaps(32, kMainToolBarBitmap, 9999), 0);
}

TEST_F(ToolBarsTest, ThePreviewBarCutsItsLightGreyStripAndCaptionsItsButtons)
{
    CToolBarEx bar;
    // No image list yet: 16 × 15 pictures.
    const QImage strip = Strip(16 * 30, 15, Qt::darkGreen, QColor(192, 192, 192));
    ASSERT_EQ(bar.LoadToolBarEx(kMainToolBarResource, strip, true), 1);
    ASSERT_EQ(bar.ImageSize(), QSize(16, 15));
    EXPECT_EQ(bar.ImageLists().normal.size(), 30u);
    EXPECT_EQ(qAlpha(bar.ImageLists().normal[0].pixel(0, 14)), 0) << "light grey is transparent";
    EXPECT_EQ(qAlpha(bar.ImageLists().normal[0].pixel(3, 3)), 255);

    // A two-line command string gives its second line, one line the whole of it, and a
    // command without a string keeps no caption.
    EXPECT_EQ(bar.CommandButton(ID_MERGE_FILES)->text().toStdU16String(), u"合并文件");
    EXPECT_EQ(bar.CommandButton(ID_MACHINE_SETUP)->text().toStdU16String(), u"机器设置");
    EXPECT_EQ(bar.CommandButton(ID_DELETE_JOBS)->text().toStdU16String(), u"删除文件");
    EXPECT_TRUE(bar.CommandButton(ID_PREVIEW_SWAP)->text().isEmpty());
    EXPECT_EQ(bar.toolButtonStyle(), Qt::ToolButtonTextUnderIcon);

    // The compiled-in preview bar, without texts: pictures and no captions.
    CToolBarEx plain;
    ASSERT_EQ(plain.LoadToolBarEx(kPreviewToolBarResource, kPreviewToolBarBitmap, false), 1);
    EXPECT_TRUE(plain.CommandButton(ID_BATCH_PEN)->text().isEmpty());
    EXPECT_EQ(plain.ImageLists().normal.size(), 9u);

    EXPECT_EQ(bar.LoadToolBarEx(9999, strip, false), 0) << "no such layout";
    EXPECT_EQ(bar.LoadToolBarEx(kPreviewToolBarResource, QImage(), false), 0) << "no bitmap";
}

TEST_F(ToolBarsTest, TheCompiledInLayoutsHaveAPictureForEveryButton)
{
    struct Case {
        int layout;
        std::vector<int> bitmaps;
        int width;
    };
    for (const Case& c : {Case{kMainToolBarResource, {kMainToolBarBitmap, kMainToolBarHotBitmap, kMainToolBarDisabledBitmap},
                               kMainToolBarButtonWidth},
                          Case{kPreviewToolBarResource, {kPreviewToolBarBitmap}, kDefaultToolBarImageWidth}}) {
        SCOPED_TRACE(c.layout);
        const std::optional<ToolBarLayout> layout = LoadToolBarResource(c.layout);
        ASSERT_TRUE(layout);
        const auto buttons = std::count_if(layout->begin(), layout->end(), [](int id) { return id != kToolBarSeparator; });
        for (int bitmap : c.bitmaps) {
            const QImage picture = LoadBitmapResource(bitmap);
            ASSERT_FALSE(picture.isNull()) << bitmap;
            EXPECT_EQ(picture.width() / c.width, buttons) << bitmap;
        }
    }
    for (int panelBitmap : {136, 137, 138, 139, 212, 213, 221, 223, 225, 226})
        EXPECT_FALSE(LoadBitmapResource(panelBitmap).isNull()) << panelBitmap;
}

TEST_F(ToolBarsTest, ButtonsRunTheirCommandsThroughTheOwnerAndShowItsStatesWhenIdle)
{
    MapTarget owner;
    owner.states[ID_JOB_START] = {true, false};
    owner.states[ID_DIRECTORY_PRINT] = {true, true};
    owner.states[ID_TEST_JET] = {false, false};
    CTrueColorToolBar bar;
    ASSERT_TRUE(bar.LoadToolBar(kMainToolBarResource));
    bar.SetCommandOwner(&owner);
    bar.show();
    ASSERT_TRUE(RunEventLoopUntil([&] { return bar.CommandButton(ID_JOB_START)->isEnabled(); }, 2000))
        << "the idle update enables what the owner enables";
    EXPECT_TRUE(bar.CommandButton(ID_DIRECTORY_PRINT)->isChecked());
    EXPECT_FALSE(bar.CommandButton(ID_TEST_JET)->isEnabled());
    EXPECT_FALSE(bar.CommandButton(ID_MERGE_FILES)->isEnabled()) << "a command the owner does not know";
    EXPECT_EQ(bar.CommandButton(ID_MERGE_FILES)->toolTip().toStdU16String(), u"合并文件");

    // A click runs the command once; the checked state stays the owner's, not the click's.
    bar.CommandButton(ID_DIRECTORY_PRINT)->trigger();
    bar.CommandButton(ID_TEST_JET)->trigger();
    EXPECT_EQ(owner.runs[ID_DIRECTORY_PRINT], 1);
    EXPECT_EQ(owner.runs[ID_TEST_JET], 0) << "a disabled button runs nothing";
    EXPECT_TRUE(bar.CommandButton(ID_DIRECTORY_PRINT)->isChecked());

    // A hidden bar is not updated; shown again it is.
    owner.states[ID_TEST_JET].enabled = true;
    bar.hide();
    bar.UpdateCommandStates();
    EXPECT_FALSE(bar.CommandButton(ID_TEST_JET)->isEnabled());
    bar.show();
    EXPECT_TRUE(RunEventLoopUntil([&] { return bar.CommandButton(ID_TEST_JET)->isEnabled(); }, 2000));
}

}  // namespace
}  // namespace corvane_test
