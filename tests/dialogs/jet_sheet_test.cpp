// The ink-jet sheet of the machine settings dialog: the plot settings page, the jet speed page
// with its password-guarded machine limits, and the jet head page.
#include "dialog_fixture.h"
#include "modal_of_type.h"

#include "machinelink/machine_globals.h"
#include "platform/settings_store.h"
#include "ui/dlg_input_password.h"
#include "ui/dlg_mach_info.h"
#include "ui/dlg_mach_param.h"
#include "ui/property_sheet.h"

#include <QComboBox>
#include <QPushButton>

#include <algorithm>
#include <iterator>
#include <string>

namespace corvane_test {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kPlotPage = 0;
constexpr int kSpeedPage = 1;
constexpr int kHeadPage = 2;

void PressOK(CPropertySheet& sheet) { Click(sheet, "sheetOk"); }

class JetSheetTest : public DialogTest {
protected:
    JetSheetTest()
    {
        machine_.firmwareVersion = 11;
        // The scales as the machine's settings block leaves them: the fixed ones.
        PlotSettings& plot = machine_.plot;
        plot.xCalIdeal = Fixed_XSCALE * 500.0f;
        plot.xCalReal = 500.0f;
        plot.yCalIdeal = Fixed_YSCALE * 500.0f;
        plot.yCalReal = 500.0f;
    }

    // Opens the ink-jet sheet from the settings dialog and lets act work on it; true when the
    // sheet closed.
    bool RunSheet(const std::function<void(CPropertySheet&)>& act) { return RunSheetOf("jetSettings", act); }

    // Shows page, types text into the field named name and presses OK.
    bool RunTyped(int page, const char* name, const QString& text)
    {
        return RunSheet([&](CPropertySheet& sheet) {
            ASSERT_TRUE(sheet.SetActivePage(page));
            Type(sheet, name, text);
            PressOK(sheet);
        });
    }
};

TEST_F(JetSheetTest, UntouchedSheetSendsNothing)
{
    EXPECT_TRUE(RunSheet([](CPropertySheet& sheet) {
        EXPECT_EQ(sheet.GetPageCount(), 3);
        for (int i = 0; i < sheet.GetPageCount(); ++i) ASSERT_TRUE(sheet.SetActivePage(i));
        PressOK(sheet);
    }));
    EXPECT_TRUE(PostedCodes().empty());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(JetSheetTest, HeadTabNeverShownRunsNoOK)
{
    machine_.jet.headCount = 7;  // the head page's OK would store 2 and send command 5
    EXPECT_TRUE(RunSheet([](CPropertySheet& sheet) { PressOK(sheet); }));
    EXPECT_TRUE(PostedCodes().empty());
    EXPECT_EQ(machine_.jet.headCount, 7);
}

TEST_F(JetSheetTest, WorkingColumnSevenShowsBothAndIsStoredAsTwo)
{
    machine_.jet.headCount = 7;
    EXPECT_TRUE(RunSheet([](CPropertySheet& sheet) {
        ASSERT_TRUE(sheet.SetActivePage(kHeadPage));
        EXPECT_EQ(sheet.findChild<QComboBox*>("workingColumn")->currentText(), QStringLiteral("双列"));
        PressOK(sheet);
    }));
    EXPECT_EQ(PostedCodes(), (Bytes{5}));
    EXPECT_EQ(machine_.jet.headCount, 2);
}

TEST_F(JetSheetTest, PrintLineWidthAloneSendsThePlotSettings)
{
    EXPECT_TRUE(RunTyped(kHeadPage, "printLineWidth", QStringLiteral("3")));
    EXPECT_EQ(PostedCodes(), (Bytes{8}));
    EXPECT_EQ(machine_.jet.penWidth, 3);
}

TEST_F(JetSheetTest, SheetGapIsClampedToOneByte)
{
    const struct {
        const char* typed;
        int32_t stored;
    } cases[] = {{"0", 1}, {"300", 255}};
    for (const auto& c : cases) {
        machine_.jet.motorValue = 5;
        EXPECT_TRUE(RunTyped(kHeadPage, "sheetGap", QString::fromLatin1(c.typed)));
        EXPECT_EQ(PostedCodes(), (Bytes{8})) << c.typed;
        EXPECT_EQ(machine_.jet.motorValue, c.stored) << c.typed;
    }
}

TEST_F(JetSheetTest, HeadPageRefusesValuesItsFieldsCannotHold)
{
    const struct {
        const char* field;
        const char* text;
        std::u16string message;
    } cases[] = {
        {"nozzleEnd1", "300", u"Please enter an integer between 0 and 255."},
        {"spacing1", "40000", u"Please enter an integer between -32768 and 32767."},
        {"stepValue", "nan", u"Please enter a number."},
        {"stepValue", "40000", u"Please enter a number between -32768 and 32767."},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(RunTyped(kHeadPage, c.field, QString::fromLatin1(c.text))) << c.field;
        ASSERT_FALSE(Messages().empty());
        EXPECT_EQ(Messages().back(), c.message) << c.field;
        EXPECT_TRUE(PostedCodes().empty()) << c.field;
    }
    EXPECT_EQ(machine_.jet.nozzleEnd[0], 152);
    EXPECT_EQ(machine_.jet.jetStepWidth, -1000.0f);
}

TEST_F(JetSheetTest, CalibrationOfZeroOrLessIsRefused)
{
    for (const char* text : {"0", "-1"}) {
        EXPECT_FALSE(RunTyped(kPlotPage, "realLength", QString::fromLatin1(text))) << text;
        ASSERT_FALSE(Messages().empty());
        EXPECT_EQ(Messages().back(), u"Please enter a number between 0.0001 and 1000000.") << text;
        EXPECT_TRUE(PostedCodes().empty()) << text;
    }
    EXPECT_EQ(machine_.calibration[1], 1000.0f);
}

TEST_F(JetSheetTest, CalibrationGoesToTheMachineOrTheSettingsStoreByFirmware)
{
    constexpr uint8_t kId[12] = {'C', 'V', '0', '0', '7'};
    std::copy(std::begin(kId), std::end(kId), machine_.stationId);
    CString section;
    machine_.GetID(section);
    const struct {
        uint8_t firmware;
        Bytes codes;
        bool keyWritten;
    } cases[] = {{10, {8}, true}, {11, {20, 8}, false}};
    for (const auto& c : cases) {
        machine_.firmwareVersion = c.firmware;
        machine_.plot.rotationDeg = 0;
        WriteProfileString(section, u"File_xIdeal", CString());
        EXPECT_TRUE(RunSheet([](CPropertySheet& sheet) {
            Type(sheet, "idealLength", QStringLiteral("600"));
            sheet.findChild<QComboBox*>("rotation")->setCurrentIndex(3);
            PressOK(sheet);
        }));
        EXPECT_EQ(PostedCodes(), c.codes) << int(c.firmware);
        EXPECT_EQ(machine_.plot.rotationDeg, 270);
        EXPECT_EQ(GetProfileString(section, u"File_xIdeal") == CString(u"600.0000"), c.keyWritten) << int(c.firmware);
        EXPECT_TRUE(GetProfileString(section, u"File_xReal").IsEmpty());
    }
    EXPECT_EQ(machine_.calibration[0], 600.0f);
}

TEST_F(JetSheetTest, CarriageSpeedPassesTheCheckOnLeavingButNotOK)
{
    EXPECT_FALSE(RunSheet([](CPropertySheet& sheet) {
        ASSERT_TRUE(sheet.SetActivePage(kSpeedPage));
        QLineEdit* carriage = Edit(sheet, "carriage0");
        carriage->setText(QStringLiteral("2600"));
        emit carriage->editingFinished();
        EXPECT_TRUE(sheet.isVisible());
        PressOK(sheet);
    }));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages().back(), u"Please enter an integer between 100 and 2500.");
    EXPECT_TRUE(PostedCodes().empty());
    EXPECT_EQ(machine_.speedLevels[0].speed, 1000);
}

TEST_F(JetSheetTest, LeavingAFieldBeyondItsQuickRangeChecksThePage)
{
    EXPECT_TRUE(RunSheet([this](CPropertySheet& sheet) {
        ASSERT_TRUE(sheet.SetActivePage(kSpeedPage));
        // Beyond the quick range but within the page's: the page checks, nothing to show.
        QLineEdit* compensation = Edit(sheet, "returnCompensation0");
        compensation->setText(QStringLiteral("30"));
        emit compensation->editingFinished();
        EXPECT_TRUE(Messages().empty());
        QLineEdit* brake = Edit(sheet, "leftBrake1");
        brake->setText(QStringLiteral("130"));
        emit brake->editingFinished();
        sheet.reject();
    }));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages().back(), u"Please enter an integer between -120 and 120.");
}

TEST_F(JetSheetTest, OfflineMachineKeepsItsSpeedsAndIsSentNothing)
{
    machine_.online = 0;
    EXPECT_TRUE(RunSheet([](CPropertySheet& sheet) {
        ASSERT_TRUE(sheet.SetActivePage(kSpeedPage));
        Type(sheet, "carriage2", QStringLiteral("2100"));
        ASSERT_TRUE(sheet.SetActivePage(kHeadPage));
        Type(sheet, "printLineWidth", QStringLiteral("3"));
        PressOK(sheet);
    }));
    EXPECT_TRUE(PostedCodes().empty());
    EXPECT_EQ(machine_.speedLevels[2].speed, 2000);
}

TEST_F(JetSheetTest, OutwardCompensationCountsAsChangedAndIsCleared)
{
    machine_.speedLevels[1].zeroWord = 5;
    EXPECT_TRUE(RunSheet([](CPropertySheet& sheet) {
        ASSERT_TRUE(sheet.SetActivePage(kSpeedPage));
        PressOK(sheet);
    }));
    EXPECT_EQ(PostedCodes(), (Bytes{9}));
    EXPECT_EQ(machine_.speedLevels[1].zeroWord, 0);
}

TEST_F(JetSheetTest, MachineLimitsNeedTheExactPassword)
{
    struct Case {
        QString password;
        bool opens;
    };
    for (const Case& c : {Case{QStringLiteral("tqmzr "), false}, Case{QStringLiteral("tqmzr"), true}}) {
        int limitsOpened = 0;
        CDlgMachInfo dialog(Server(), &machine_, nullptr);
        dialog.show();
        OnModalOfType<CDlgInputPassword>(&dialog, [&](CDlgInputPassword& prompt) {
            Edit(prompt, "password")->setText(c.password);
            for (QPushButton* button : prompt.findChildren<QPushButton*>())
                if (button->text() == QStringLiteral("确定")) button->click();
        });
        OnModalOfType<CDlgMachParam>(&dialog, [&](CDlgMachParam& limits) {
            ++limitsOpened;
            Click(limits, "ok");
        });
        WhenModal([](QWidget& widget) {
            auto& sheet = dynamic_cast<CPropertySheet&>(widget);
            ASSERT_TRUE(sheet.SetActivePage(kSpeedPage));
            Click(sheet, "advanced");
            sheet.reject();
        });
        Click(dialog, "jetSettings");
        EXPECT_EQ(limitsOpened, c.opens ? 1 : 0) << c.password.toStdString();
        const std::vector<RecordedCommandFrame> frames = Posted();
        if (!c.opens) {
            EXPECT_TRUE(frames.empty());
            continue;
        }
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].code, 0);
        EXPECT_EQ(std::string(frames[0].payload.begin(), frames[0].payload.end()),
                  "b1,80000;b2,80000;b3,1000;b4,1500000;b5,1000;b6,1000;b7,10000;b8,50000;");
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(JetSheetTest, MachineLimitsRefuseValuesBeyondThirtyTwoBits)
{
    MachineParams limits;
    CDlgMachParam dialog(&limits);
    dialog.show();
    Type(dialog, "b4", QStringLiteral("3000000000"));
    Click(dialog, "ok");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Messages().back(), u"Please enter an integer between -2147483648 and 2147483647.");
    EXPECT_EQ(limits.jerk, 1500000);
}

}  // namespace
}  // namespace corvane_test
