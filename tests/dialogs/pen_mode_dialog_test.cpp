// The pen-mode dialog: shown modes, the changed flag, edits handed back and the swatches.
#include "ui/dlg_pen_mode.h"

#include "job_dialog_swatches.h"
#include "support/modal_driver.h"
#include "support/widget_application.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include <cstring>

namespace corvane_test {
namespace {

QComboBox* List(QWidget& dialog, const QString& name)
{
    auto* list = dialog.findChild<QComboBox*>(name);
    EXPECT_NE(list, nullptr) << name.toStdString();
    return list;
}

TEST(PenModeDialog, ModesOutOfRangeShowTheirDefaultsAndAnUntouchedCloseChangesNothing)
{
    EnsureWidgetApplication();
    PenModeSettings settings = ColouredPenModes();
    settings.penRole[3] = 9;
    settings.penRole[5] = 2;
    settings.contourRole = 7;
    const PenModeSettings before = settings;
    QString pen3, pen5, contour;
    WhenModal([&](QWidget& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("刀笔模式"));
        pen3 = List(dialog, "pen3")->currentText();
        pen5 = List(dialog, "pen5")->currentText();
        contour = List(dialog, "contourMode")->currentText();
        EXPECT_EQ(List(dialog, "pen0")->count(), 6);
    });
    EXPECT_FALSE(RunPenModeDialog(settings));
    EXPECT_EQ(pen3, QStringLiteral("笔"));
    EXPECT_EQ(pen5, QStringLiteral("内刀"));
    EXPECT_EQ(contour, QStringLiteral("刀一"));
    EXPECT_EQ(std::memcmp(&settings, &before, sizeof settings), 0);
}

TEST(PenModeDialog, EachEditTakesEffectAtOnceAndTheRecordIsHandedBack)
{
    EnsureWidgetApplication();
    PenModeSettings settings = ColouredPenModes();
    settings.penRole[3] = 9;
    WhenModal([](QWidget& dialog) {
        List(dialog, "pen11")->setCurrentIndex(4);
        List(dialog, "contourMode")->setCurrentIndex(1);
        dialog.findChild<QCheckBox*>("recogniseOnOpen")->setChecked(true);
        EXPECT_TRUE(static_cast<CDlgPenMode&>(dialog).m_bChanged);
    });
    ASSERT_TRUE(RunPenModeDialog(settings));
    EXPECT_EQ(settings.penRole[11], 4);
    EXPECT_EQ(settings.contourRole, 1);
    EXPECT_EQ(settings.recogniseOnOpen, 1);
    // The dialog's copy shows pen 3 as "笔", and that copy is the record handed back.
    EXPECT_EQ(settings.penRole[3], 0);
    EXPECT_EQ(settings.penColor[7], ColouredPenModes().penColor[7]);
}

TEST(PenModeDialog, SwatchesShowThePenAndModeColours)
{
    EnsureWidgetApplication();
    const PenModeSettings settings = ColouredPenModes();
    CDlgPenMode dialog(settings);
    dialog.show();
    QApplication::processEvents();
    const QImage grab = dialog.grab().toImage();
    for (int pen = 0; pen < kPenModePenCount; ++pen)
        EXPECT_EQ(SwatchLeftOfPixel(grab, dialog, *List(dialog, QStringLiteral("pen%1").arg(pen))), Colour(settings.penColor[pen])) << pen;
    for (int mode = 0; mode < kPenModeRoleCount; ++mode) {
        auto* label = dialog.findChild<QLabel*>(QStringLiteral("mode%1").arg(mode));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(SwatchInLabelPixel(grab, dialog, *label), Colour(settings.roleColor[mode])) << mode;
    }
    // The contour list has no swatch.
    const QColor besideContour = SwatchLeftOfPixel(grab, dialog, *List(dialog, "contourMode"));
    for (int pen = 0; pen < kPenModePenCount; ++pen) EXPECT_NE(besideContour, Colour(settings.penColor[pen]));
}

}  // namespace
}  // namespace corvane_test
