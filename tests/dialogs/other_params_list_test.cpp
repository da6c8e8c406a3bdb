// The other-parameters list of the machine settings dialog ("其它配置", code 23) and the list
// and header controls it is built on.
#include "dialog_fixture.h"
#include "modal_of_type.h"

#include "platform/byte_order.h"
#include "support/widget_application.h"
#include "ui/dlg_list_cl.h"
#include "ui/dlg_mach_info.h"
#include "ui/header_ctrl_cl.h"
#include "ui/list_ctrl_cl.h"
#include "ui/param_record.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace corvane_test {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kValueColumn = 2;

// Double-clicks the cell of row and column: a press and release, then the double click (the
// test library's double click on a widget sends that event alone).
void DoubleClickCell(CListCtrlCl& list, int row, int column)
{
    const QPoint centre = list.visualRect(list.model()->index(row, column)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, centre);
}

// The open editor of list, or null (a closed one is hidden until its deferred deletion).
CItemEditEx* OpenEditor(CListCtrlCl& list)
{
    for (CItemEditEx* editor : list.findChildren<CItemEditEx*>())
        if (editor->isVisible()) return editor;
    return nullptr;
}

class OtherParamsListTest : public DialogTest {
protected:
    OtherParamsListTest()
    {
        machine_.firmwareVersion = 21;
        machine_.extraBlockReceived = 1;
        for (int i = 0; i < kOtherParamsBlockBytes; ++i) machine_.extraBlock[i] = static_cast<uint8_t>(i * 7 + 3);
        StoreLE16(&machine_.extraBlock[0], 10);
        machine_.extraBlock[10] = 1;  // "送料结束是否自动开气泵": yes
        StoreLEFloat(&machine_.extraBlock[16], 1.0f);
        received_.assign(std::begin(machine_.extraBlock), std::end(machine_.extraBlock));
    }

    // Opens the list from the settings dialog and lets act work on it; act closes it.
    void RunList(const std::function<void(CDlgListCL&)>& act)
    {
        CDlgMachInfo dialog(Server(), &machine_, nullptr);
        dialog.show();
        WhenModal([&](QWidget& widget) {
            auto& list = dynamic_cast<CDlgListCL&>(widget);
            list.resize(500, 600);
            act(list);
        });
        Click(dialog, "otherParams");
    }

    // Edits row's value to text, ending the edit with Escape.
    static void EditValue(CListCtrlCl& list, int row, const QString& text)
    {
        DoubleClickCell(list, row, kValueColumn);
        CItemEditEx* editor = OpenEditor(list);
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Escape);
    }

    Bytes received_;
};

TEST_F(OtherParamsListTest, ChangedValuePostsTheWholeBlockAsReceived)
{
    RunList([](CDlgListCL& dialog) {
        CListCtrlCl& list = *dialog.List();
        EXPECT_EQ(list.GetItemText(0, 0), QStringLiteral("1"));
        EXPECT_EQ(list.GetItemText(0, 1), QStringLiteral("开气泵延时"));
        EXPECT_EQ(list.GetItemText(0, kValueColumn), QStringLiteral("10"));
        DoubleClickCell(list, 0, kValueColumn);
        CItemEditEx* editor = OpenEditor(list);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->text(), QStringLiteral("10"));
        EXPECT_EQ(editor->cursorPosition(), 2);
        editor->setText(QStringLiteral("120"));
        Click(dialog, "ok");  // the open edit is taken
    });
    const std::vector<RecordedCommandFrame> frames = Posted();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].code, 23);
    Bytes expected = received_;
    expected[0] = 0x78;
    expected[1] = 0x00;
    EXPECT_EQ(frames[0].payload, expected);
}

TEST_F(OtherParamsListTest, EscapeKeepsTheTypedTextAndEndsTheEditOnce)
{
    RunList([](CDlgListCL& dialog) {
        CListCtrlCl& list = *dialog.List();
        EXPECT_EQ(list.GetItemText(5, kValueColumn), QStringLiteral("是"));
        EditValue(list, 5, QStringLiteral("false"));
        QApplication::processEvents();
        EXPECT_EQ(OpenEditor(list), nullptr);
        EXPECT_EQ(list.GetItemText(5, kValueColumn), QStringLiteral("否"));
        EXPECT_TRUE(dialog.isVisible());
        Click(dialog, "ok");
    });
    const std::vector<RecordedCommandFrame> frames = Posted();
    ASSERT_EQ(frames.size(), 1u);
    Bytes expected = received_;
    expected[10] = 0;  // the one-byte boolean changes its byte only
    EXPECT_EQ(frames[0].payload, expected);
}

TEST_F(OtherParamsListTest, RefusedOrUnchangedValuesPostNothing)
{
    const struct {
        int row;
        const char* text;
        const char* shown;
    } cases[] = {
        {0, "70000", "10"},    // beyond 16 bits: the record and the cell keep the old value
        {9, "1.005", "1.005"}, // a float within 0.01 of the block is no change
        {9, "nan", "1"},
    };
    for (const auto& c : cases) {
        RunList([&](CDlgListCL& dialog) {
            EditValue(*dialog.List(), c.row, QString::fromLatin1(c.text));
            EXPECT_EQ(dialog.List()->GetItemText(c.row, kValueColumn), QString::fromLatin1(c.shown)) << c.text;
            Click(dialog, "ok");
        });
        EXPECT_TRUE(PostedCodes().empty()) << c.text;
    }
    EXPECT_EQ(Bytes(std::begin(machine_.extraBlock), std::end(machine_.extraBlock)), received_);
}

TEST_F(OtherParamsListTest, CancelDiscardsTheEdits)
{
    RunList([](CDlgListCL& dialog) {
        EditValue(*dialog.List(), 0, QStringLiteral("120"));
        Click(dialog, "cancel");
    });
    EXPECT_TRUE(PostedCodes().empty());
    EXPECT_EQ(LoadLE16(&machine_.extraBlock[0]), 10);
}

TEST_F(OtherParamsListTest, OnlyTheValueColumnOpensAnEditor)
{
    RunList([](CDlgListCL& dialog) {
        CListCtrlCl& list = *dialog.List();
        DoubleClickCell(list, 2, 1);
        EXPECT_EQ(OpenEditor(list), nullptr);
        DoubleClickCell(list, 2, 0);
        EXPECT_EQ(OpenEditor(list), nullptr);
        dialog.reject();
    });
}

TEST_F(OtherParamsListTest, ClickShowsTheRowsDescriptionAndNothingBelowTheRows)
{
    RunList([](CDlgListCL& dialog) {
        CListCtrlCl& list = *dialog.List();
        auto* description = dialog.findChild<QLabel*>("description");
        ASSERT_NE(description, nullptr);
        EXPECT_TRUE(description->text().isEmpty());
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(12, 1)).center());
        QApplication::processEvents();
        EXPECT_EQ(description->text(), QStringLiteral("取值范围: 0~65535"));
        const QRect last = list.visualRect(list.model()->index(12, 1));
        ASSERT_LT(last.bottom() + 10, list.viewport()->height());
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(last.center().x(), last.bottom() + 10));
        QApplication::processEvents();
        EXPECT_TRUE(description->text().isEmpty());
        dialog.reject();
    });
}

TEST_F(OtherParamsListTest, OpensNothingBeforeTheMachineReportedTheBlock)
{
    machine_.extraBlockReceived = 0;
    CDlgMachInfo dialog(Server(), &machine_, nullptr);
    dialog.show();
    int opened = 0;
    OnModalOfType<CDlgListCL>(&dialog, [&](CDlgListCL&) { ++opened; });
    Click(dialog, "otherParams");
    EXPECT_EQ(opened, 0);
    EXPECT_TRUE(PostedCodes().empty());
}

TEST_F(OtherParamsListTest, ButtonIsHiddenBeforeFirmware21)
{
    for (int firmware : {20, 21}) {
        machine_.firmwareVersion = static_cast<uint8_t>(firmware);
        CDlgMachInfo dialog(Server(), &machine_, nullptr);
        dialog.show();
        auto* button = dialog.findChild<QPushButton*>("otherParams");
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->isVisible(), firmware >= 21) << firmware;
        EXPECT_EQ(button->isEnabled(), firmware >= 21) << firmware;
    }
}

TEST(ListHeader, PaintsTheGradientAcrossAndBeyondItsColumns)
{
    EnsureWidgetApplication();
    CListCtrlCl list;
    list.InsertColumn(0, QStringLiteral("序号"), Qt::AlignLeft, 60);
    list.resize(300, 200);
    list.show();
    const QImage header = list.Header()->grab().toImage();
    for (int x : {2, 200}) {  // within the column, and right of it
        EXPECT_EQ(header.pixelColor(x, 0), QColor(171, 199, 235)) << x;
        EXPECT_EQ(header.pixelColor(x, 1), QColor(163, 191, 227)) << x;
    }
}

}  // namespace
}  // namespace corvane_test
