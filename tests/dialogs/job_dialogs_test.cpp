// The views' dialogs as the program shows them: contour options, SP numbers, copies and page.
#include "ui/qt_view_dialogs.h"

#include "app/doc_corvane.h"
#include "app/udp_server.h"
#include "job_dialog_swatches.h"
#include "machinelink/net_machine.h"
#include "platform/settings_store.h"
#include "support/modal_driver.h"
#include "support/recording_message_sink.h"
#include "support/widget_application.h"

#include <arpa/inet.h>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace corvane_test {
namespace {

QAbstractButton* SpButton(QWidget& dialog, int n)
{
    auto* button = dialog.findChild<QAbstractButton*>(QStringLiteral("sp%1").arg(n));
    EXPECT_NE(button, nullptr) << n;
    return button;
}

// The texts of the eight SP buttons.
QStringList SpTexts(QWidget& dialog)
{
    QStringList texts;
    for (int n = 1; n <= kSpCount; ++n) texts << SpButton(dialog, n)->text();
    return texts;
}

QStringList PlainSpTexts() { return {"SP1", "SP2", "SP3", "SP4", "SP5", "SP6", "SP7", "SP8"}; }

// A listed machine whose second SP byte is 7 and third 2, a main document in pen colours and
// the dialogs over both.
class SpDialogsTest : public ::testing::Test {
protected:
    SpDialogsTest()
    {
        EnsureWidgetApplication();
        const uint8_t id[12] = {'S', 'P', '-', 'D', 'I', 'A', 'L', 'O', 'G', '0', '0', '1'};
        machine_ = new NET_Machine(inet_addr("127.0.0.43"), id);
        machine_->spRoles[1] = 7;
        machine_->spRoles[2] = 2;
        EXPECT_EQ(server_.AddMachineSorted(machine_), 1);
        document_.penToolSettings = ColouredPenModes();
    }

    CUDPServer server_;
    NET_Machine* machine_;
    CDocCorvane document_{server_};
    bool documentOpen_ = true;
    QtViewDialogs dialogs_{server_, [this] { return documentOpen_ ? &document_ : nullptr; }};
};

TEST_F(SpDialogsTest, ButtonsNameTheMachinesToolsAndShowThePenColours)
{
    QStringList texts;
    QList<QColor> swatches;
    bool presetChecked = false;
    WhenModal([&](QWidget& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("修改选择线条属性"));
        texts = SpTexts(dialog);
        presetChecked = SpButton(dialog, 6)->isChecked();
        const QImage grab = dialog.grab().toImage();
        for (int n = 1; n <= kSpCount; ++n) swatches << SwatchLeftOfPixel(grab, dialog, *SpButton(dialog, n));
        SpButton(dialog, 5)->click();
        Click(dialog, "ok");
    });
    EXPECT_EQ(dialogs_.AskCurveSpIndex(6, machine_), 5);
    EXPECT_TRUE(presetChecked);
    ASSERT_EQ(texts.size(), kSpCount);
    EXPECT_EQ(texts[0], QStringLiteral("SP1-喷墨"));
    EXPECT_EQ(texts[1], QStringLiteral("SP2-喷墨"));
    EXPECT_EQ(texts[2], QStringLiteral("SP3-内刀"));
    ASSERT_EQ(swatches.size(), kSpCount);
    for (int n = 1; n <= kSpCount; ++n) EXPECT_EQ(swatches[n - 1], Colour(document_.penToolSettings.penColor[n])) << n;
}

TEST_F(SpDialogsTest, WithoutAMachineTheButtonsReadPlainSpNumbers)
{
    const uint8_t id[12] = {'U', 'N', 'L', 'I', 'S', 'T', 'E', 'D', '-', '0', '0', '1'};
    const NET_Machine unlisted(inet_addr("127.0.0.44"), id);
    for (const NET_Machine* machine : {static_cast<const NET_Machine*>(nullptr), &unlisted}) {
        QStringList texts;
        bool firstChecked = false;
        WhenModal([&](QWidget& dialog) {
            texts = SpTexts(dialog);
            firstChecked = SpButton(dialog, 1)->isChecked();
            Click(dialog, "ok");
        });
        EXPECT_EQ(dialogs_.AskCurveSpIndex(0, machine), 1);
        EXPECT_EQ(texts, PlainSpTexts());
        EXPECT_TRUE(firstChecked);
    }
}

TEST_F(SpDialogsTest, WithoutAMainDocumentTheButtonsReadPlainSpNumbers)
{
    documentOpen_ = false;
    QStringList texts;
    WhenModal([&](QWidget& dialog) { texts = SpTexts(dialog); });
    EXPECT_EQ(dialogs_.AskBatchSpIndex(machine_), std::nullopt);
    EXPECT_EQ(texts, PlainSpTexts());
}

TEST_F(SpDialogsTest, BatchDialogHandsBackSourcesAndTarget)
{
    QStringList targets;
    int startIndex = -1;
    WhenModal([&](QWidget& dialog) {
        auto* target = dialog.findChild<QComboBox*>("target");
        ASSERT_NE(target, nullptr);
        for (int i = 0; i < target->count(); ++i) targets << target->itemText(i);
        startIndex = target->currentIndex();
        SpButton(dialog, 2)->click();
        SpButton(dialog, 4)->click();
        target->setCurrentIndex(6);
        Click(dialog, "ok");
    });
    const std::optional<BatchSpChoice> choice = dialogs_.AskBatchSpIndex(machine_);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->sources, (std::array<bool, kSpCount>{false, true, false, true, false, false, false, false}));
    EXPECT_EQ(choice->targetIndex, 6);
    EXPECT_EQ(startIndex, 0);
    ASSERT_EQ(targets.size(), kSpCount);
    EXPECT_EQ(targets[2], QStringLiteral("SP3-内刀"));

    WhenModal([](QWidget& dialog) { Click(dialog, "cancel"); });
    EXPECT_EQ(dialogs_.AskBatchSpIndex(machine_), std::nullopt);
}

TEST(ContourOptionsDialog, OpensOnTheStoredOptionsAndOkWritesWhatChanged)
{
    EnsureWidgetApplication();
    CUDPServer server;
    QtViewDialogs dialogs(server, nullptr);
    WriteProfileInt(u"LoopRecgnise", u"LoopRecgnise_SPRange", 5);
    WriteProfileInt(u"LoopRecgnise", u"Modify_OutLoop_SP", 12);
    const PenModeSettings pens = ColouredPenModes();
    QList<bool> ticked;
    QString outer, area;
    QList<QColor> swatches;
    WhenModal([&](QWidget& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("轮廓识别"));
        for (int n = 1; n <= kSpCount; ++n) ticked << SpButton(dialog, n)->isChecked();
        outer = dialog.findChild<QComboBox*>("outerLoop")->currentText();
        area = Edit(dialog, "minArea")->text();
        const QImage grab = dialog.grab().toImage();
        for (int n = 1; n <= kSpCount; ++n) swatches << SwatchLeftOfPixel(grab, dialog, *SpButton(dialog, n));
        SpButton(dialog, 8)->click();
        dialog.findChild<QComboBox*>("innerLoop")->setCurrentIndex(2);
        Click(dialog, "ok");
    });
    const std::optional<RecgniseLoopValues> values = dialogs.AskContourOptions(pens);
    EXPECT_EQ(ticked, (QList<bool>{true, false, true, false, false, false, false, false}));
    EXPECT_EQ(outer, QStringLiteral("不修改"));
    EXPECT_EQ(area, QStringLiteral("10.000000"));
    ASSERT_EQ(swatches.size(), kSpCount);
    for (int n = 1; n <= kSpCount; ++n) EXPECT_EQ(swatches[n - 1], Colour(pens.penColor[n - 1])) << n;

    ASSERT_TRUE(values);
    EXPECT_EQ(values->spBoxes, (std::array<bool, kSpCount>{true, false, true, false, false, false, false, true}));
    EXPECT_EQ(values->innerIndex, 2);
    EXPECT_EQ(values->minAreaMm2, 10.0f);
    EXPECT_EQ(GetProfileInt(u"LoopRecgnise", u"LoopRecgnise_SPRange", 0), 0x85);
    EXPECT_EQ(GetProfileInt(u"LoopRecgnise", u"Modify_InnerLoop_SP", 0), 2);
    EXPECT_EQ(GetProfileInt(u"LoopRecgnise", u"Modify_OutLoop_SP", 0), 12);
    EXPECT_EQ(GetProfileString(u"LoopRecgnise", u"fMinArea"), u"");
}

TEST(ContourOptionsDialog, AnAreaThatIsNoNumberKeepsItOpen)
{
    EnsureWidgetApplication();
    RecordingMessageSink messages;
    CUDPServer server;
    QtViewDialogs dialogs(server, nullptr);
    bool stayedOpen = false;
    WhenModal([&](QWidget& dialog) {
        Type(dialog, "minArea", "abc");
        Click(dialog, "ok");
        stayedOpen = QApplication::activeModalWidget() == &dialog;
        Click(dialog, "cancel");
    });
    EXPECT_EQ(dialogs.AskContourOptions(ColouredPenModes()), std::nullopt);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(GetProfileString(u"LoopRecgnise", u"fMinArea"), u"");
}

TEST(CountDialogs, TextThatIsNoCountKeepsTheDialogOpenWithTheMessage)
{
    EnsureWidgetApplication();
    CUDPServer server;
    QtViewDialogs dialogs(server, nullptr);
    struct Case {
        bool copies;
        QString refused;
        QString accepted;
        int32_t value;
    };
    for (const Case& c : {Case{true, "abc", "12", 12}, Case{true, "-1", "2147483647", 2147483647}, Case{true, "4294967295", "0", 0},
                          Case{false, "2147483648", "4", 4}}) {
        SCOPED_TRACE(c.refused.toStdString());
        RecordingMessageSink messages;
        QString shown;
        bool stayedOpen = false;
        size_t messagesWhileOpen = 0;
        WhenModal([&](QWidget& dialog) {
            shown = Edit(dialog, "count")->text();
            Type(dialog, "count", c.refused);
            Click(dialog, "ok");
            stayedOpen = QApplication::activeModalWidget() == &dialog;
            messagesWhileOpen = messages.Shown().size();
            Type(dialog, "count", c.accepted);
            Click(dialog, "ok");
        });
        const std::optional<int32_t> value = c.copies ? dialogs.AskCopies(3) : dialogs.AskPage(0);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(shown, c.copies ? QStringLiteral("3") : QStringLiteral("0"));
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(messagesWhileOpen, 1u);
        EXPECT_EQ(messages.Shown().size(), 1u);
    }

    WhenModal([](QWidget& dialog) { Click(dialog, "cancel"); });
    EXPECT_EQ(dialogs.AskCopies(3), std::nullopt);
}

}  // namespace
}  // namespace corvane_test
