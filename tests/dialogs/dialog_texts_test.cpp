// The machine settings dialog, each page of its sheets, the parameter list, the machine limits
// and the job and pen dialogs in English and Thai: no widget shows a Chinese character.
#include "dialog_fixture.h"
#include "modal_of_type.h"

#include "app/string_table.h"
#include "plotmodel/pen_mode_settings.h"
#include "ui/dlg_list_cl.h"
#include "ui/dlg_mach_info.h"
#include "ui/dlg_mach_param.h"
#include "ui/dlg_modify_curve_sp_index.h"
#include "ui/dlg_modify_prt_times.h"
#include "ui/dlg_pen_mode.h"
#include "ui/dlg_recgnise_loop.h"
#include "ui/property_sheet.h"

#include <QAbstractButton>
#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

namespace corvane_test {
namespace {

bool HasChinese(const QString& text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF00 && u <= 0xFFEF)) return true;
    }
    return false;
}

// Every text root and its children show: titles, labels, buttons, group boxes, list items,
// tabs, and the headers and cells of item views.
QStringList ShownTexts(QWidget& root)
{
    QStringList texts{root.windowTitle()};
    for (QLabel* label : root.findChildren<QLabel*>()) texts << label->text();
    for (QAbstractButton* button : root.findChildren<QAbstractButton*>()) texts << button->text();
    for (QGroupBox* box : root.findChildren<QGroupBox*>()) texts << box->title();
    for (QComboBox* list : root.findChildren<QComboBox*>())
        for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
    for (QTabWidget* tabs : root.findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i);
    for (QAbstractItemView* view : root.findChildren<QAbstractItemView*>()) {
        const QAbstractItemModel* model = view->model();
        if (model == nullptr) continue;
        for (int c = 0; c < model->columnCount(); ++c) texts << model->headerData(c, Qt::Horizontal).toString();
        for (int r = 0; r < model->rowCount(); ++r)
            for (int c = 0; c < model->columnCount(); ++c) texts << model->index(r, c).data().toString();
    }
    return texts;
}

QStringList ChineseTexts(QWidget& root)
{
    QStringList found;
    for (const QString& text : ShownTexts(root))
        if (HasChinese(text)) found << text;
    return found;
}

struct Case {
    int32_t language;
    bool cuttingType;  // the Z-axis page, else the magnet page; the other-parameters list too
};

class DialogTextsTest : public DialogTest, public ::testing::WithParamInterface<Case> {
protected:
    DialogTextsTest()
    {
        SetStringLanguage(GetParam().language);
        if (GetParam().cuttingType) {
            machine_.machineKind = 0x02;
            machine_.firmwareVersion = 21;
            machine_.extraBlockReceived = 1;
        } else {
            machine_.machineKind = 0;
            machine_.firmwareVersion = 1;
        }
    }
    ~DialogTextsTest() override { SetStringLanguage(kLanguageChinese); }
};

TEST_P(DialogTextsTest, NoWidgetShowsAChineseCharacter)
{
    {
        CDlgMachInfo dialog(Server(), &machine_, nullptr);
        EXPECT_EQ(ChineseTexts(dialog), QStringList());
        EXPECT_FALSE(ShownTexts(dialog).filter(QStringLiteral("IP:")).isEmpty());
    }
    for (const char* button : {"cuttingSettings", "jetSettings", "spSettings"}) {
        int pages = 0;
        RunSheetOf(button, [&](CPropertySheet& sheet) {
            auto* tabs = sheet.findChild<QTabWidget*>();
            ASSERT_NE(tabs, nullptr);
            // Each page is built when it is first shown.
            for (int i = 0; i < tabs->count(); ++i, ++pages) {
                tabs->setCurrentIndex(i);
                QApplication::processEvents();
                // The longer labels leave every field room for five digits.
                for (QLineEdit* edit : tabs->currentWidget()->findChildren<QLineEdit*>())
                    EXPECT_GE(edit->width(), edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")))
                        << button << " " << i << " " << edit->objectName().toStdString();
            }
            EXPECT_EQ(ChineseTexts(sheet), QStringList()) << button;
        });
        EXPECT_GT(pages, 0) << button;
    }
    if (GetParam().cuttingType) {
        CDlgMachInfo dialog(Server(), &machine_, nullptr);
        dialog.show();
        bool listShown = false;
        OnModalOfType<CDlgListCL>(&dialog, [&](CDlgListCL& list) {
            listShown = true;
            EXPECT_EQ(ChineseTexts(list), QStringList());
            list.reject();
        });
        Click(dialog, "otherParams");
        EXPECT_TRUE(listShown);
    }
    MachineParams limits{};
    CDlgMachParam limitsDialog(&limits);
    EXPECT_EQ(ChineseTexts(limitsDialog), QStringList());
    CDlgPenMode penModes(PenModeSettings{});
    EXPECT_EQ(ChineseTexts(penModes), QStringList());
    CDlgRecgniseLoop recognise(PenModeSettings{});
    EXPECT_EQ(ChineseTexts(recognise), QStringList());
    const SpRoles roles{0, 1, 2, 3, 0, 1, 2, 3};
    CDlgModifyCurveSPIndex curve(1, roles, std::nullopt);
    EXPECT_EQ(ChineseTexts(curve), QStringList());
    CDlgModifyCurveSPIndexBatch batch(roles, std::nullopt);
    EXPECT_EQ(ChineseTexts(batch), QStringList());
    CDlgModifyPrtTimes copies(2);
    EXPECT_EQ(ChineseTexts(copies), QStringList());
    CDlgSelPage page(0);
    EXPECT_EQ(ChineseTexts(page), QStringList());
}

// The walk sees the texts: in Chinese the same dialog shows them.
TEST_F(DialogTest, TheTextWalkFindsTheChineseTexts)
{
    CDlgMachInfo dialog(Server(), &machine_, nullptr);
    EXPECT_FALSE(ChineseTexts(dialog).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(EnglishAndThai, DialogTextsTest,
                         ::testing::Values(Case{kLanguageEnglish, true}, Case{kLanguageEnglish, false},
                                           Case{kLanguageThai, true}, Case{kLanguageThai, false}));

}  // namespace
}  // namespace corvane_test
