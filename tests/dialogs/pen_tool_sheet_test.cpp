// The pen-tool sheet of the machine settings dialog: the roles of SP1..SP8 (code 13) and the
// colour swatches beside them.
#include "dialog_fixture.h"

#include "plotmodel/pen_mode_settings.h"
#include "ui/dlg_mach_info.h"
#include "ui/dlg_page_sp_setup.h"
#include "ui/property_sheet.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>

namespace corvane_test {
namespace {

using Bytes = std::vector<uint8_t>;

class PenToolSheetTest : public DialogTest {
protected:
    // Opens the pen-tool sheet and lets act work on it before OK.
    void RunSheetOK(const std::function<void(CPropertySheet&)>& act)
    {
        EXPECT_TRUE(RunSheetOf("spSettings", [&](CPropertySheet& sheet) {
            act(sheet);
            Click(sheet, "sheetOk");
        }));
    }
};

TEST_F(PenToolSheetTest, RoleAboveThreeShowsInkJetAndIsStored)
{
    machine_.spRoles[0] = 7;
    machine_.spRoles[1] = 2;
    RunSheetOK([](CPropertySheet& sheet) {
        EXPECT_EQ(sheet.findChild<QComboBox*>("sp1")->currentText(), QStringLiteral("喷墨"));
        EXPECT_EQ(sheet.findChild<QComboBox*>("sp2")->currentText(), QStringLiteral("内刀"));
    });
    const std::vector<RecordedCommandFrame> frames = Posted();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].code, 13);
    EXPECT_EQ(frames[0].payload, (Bytes{0x08, 0x00}));  // SP2 inner knife: bits 2-3
    EXPECT_EQ(machine_.spRoles[0], 0);
}

TEST_F(PenToolSheetTest, ChosenRoleIsPostedOnlyWhileOnline)
{
    for (int online : {0, 1}) {
        machine_.spRoles[7] = 0;
        machine_.online = static_cast<uint8_t>(online);
        RunSheetOK([](CPropertySheet& sheet) { sheet.findChild<QComboBox*>("sp8")->setCurrentIndex(3); });
        EXPECT_EQ(machine_.spRoles[7], 3);
        EXPECT_EQ(PostedCodes(), online ? Bytes{13} : Bytes{}) << online;
    }
    RunSheetOK([](CPropertySheet&) {});
    EXPECT_TRUE(PostedCodes().empty());
}

TEST_F(PenToolSheetTest, SwatchesShowThePenAndRoleColours)
{
    PenModeSettings colours;
    colours.penColor[1] = RGB(255, 0, 0);
    colours.penColor[8] = RGB(0, 0, 255);
    colours.roleColor[3] = RGB(0, 255, 0);
    CDlgPageSPsetup page(Server().GetLock(), &machine_, &colours);
    page.EnsureInitialised();
    page.resize(400, 500);
    page.show();
    const QImage image = page.grab().toImage();
    const auto colourAt = [&](const CRect& swatch) {
        const CPoint centre = swatch.CenterPoint();
        return image.pixelColor(centre.x, centre.y);
    };
    const auto rectOf = [&](const QWidget* child) {
        const QPoint topLeft = child->mapTo(&page, QPoint(0, 0));
        return CRect(topLeft.x(), topLeft.y(), topLeft.x() + child->width(), topLeft.y() + child->height());
    };
    EXPECT_EQ(colourAt(PenSwatchRect(rectOf(page.findChild<QComboBox*>("sp1")))), QColor(255, 0, 0));
    EXPECT_EQ(colourAt(PenSwatchRect(rectOf(page.findChild<QComboBox*>("sp8")))), QColor(0, 0, 255));
    QLabel* outerKnife = nullptr;
    for (QLabel* label : page.findChildren<QLabel*>())
        if (label->text() == QStringLiteral("指定外刀")) outerKnife = label;
    ASSERT_NE(outerKnife, nullptr);
    EXPECT_EQ(colourAt(RoleSwatchRect(rectOf(outerKnife))), QColor(0, 255, 0));
}

}  // namespace
}  // namespace corvane_test
