// The extra auto-directory configurations: four frames of two folders and two scales.
#include "ui/dlg_other_auto_dir.h"

#include "app/doc_corvane.h"
#include "platform/message_box.h"
#include "ui/field_values.h"
#include "ui/folder_browse.h"
#include "ui/qt_text.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The scales a configuration takes: the auto-print loader reads a scale of 0 or less as unset
// (1), so such a value would act differently before and after the next start.
constexpr NumberRange kScaleRange{0.0001, 10000.0};

// Reads a scale field: text left as shown keeps the stored scale exactly (the shown text may
// be rounded); other text must be a number within kScaleRange.
bool ReadScaleEdit(const QString& shown, const QLineEdit& edit, float& value)
{
    if (edit.text() == shown) return true;
    return ReadNumberField(ToCString(edit.text()), value, kScaleRange);
}

QLineEdit* AddEdit(QGridLayout& grid, int row, int column, const QString& label, const QString& name, QWidget* parent)
{
    grid.addWidget(new QLabel(label, parent), row, column);
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    grid.addWidget(edit, row, column + 1);
    return edit;
}

QPushButton* AddBrowseButton(QGridLayout& grid, int row, const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(QStringLiteral("..."), parent);
    button->setObjectName(name);
    grid.addWidget(button, row, 2);
    return button;
}

}  // namespace

CDlgOtherAutoDir::CDlgOtherAutoDir(CDocCorvane& doc, QWidget* parent) : QDialog(parent), doc_(doc)
{
    setWindowTitle(ResText(StringId::kDirSetOtherAutoFolders));
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < kConfigurations; ++i) {
        const QString n = QString::number(i);
        auto* frame = new QGroupBox(ResText(StringId::kOtherAutoDirSet).arg(i + 1), this);
        auto* grid = new QGridLayout(frame);
        Configuration& c = configurations_[i];
        c.autoDirectory = AddEdit(*grid, 0, 0, ResText(StringId::kDirSetAutoFolder), QStringLiteral("autoDirectory") + n, frame);
        QPushButton* browseAuto = AddBrowseButton(*grid, 0, QStringLiteral("browseAuto") + n, frame);
        c.xScale = AddEdit(*grid, 0, 3, ResText(StringId::kOtherAutoDirLengthScale), QStringLiteral("xScale") + n, frame);
        c.mergeDirectory = AddEdit(*grid, 1, 0, ResText(StringId::kDirSetMergeFolder), QStringLiteral("mergeDirectory") + n, frame);
        QPushButton* browseMerge = AddBrowseButton(*grid, 1, QStringLiteral("browseMerge") + n, frame);
        c.yScale = AddEdit(*grid, 1, 3, ResText(StringId::kOtherAutoDirWidthScale), QStringLiteral("yScale") + n, frame);
        layout->addWidget(frame);

        c.autoDirectory->setText(ToQString(doc.extraAutoDirectories[i]));
        c.mergeDirectory->setText(ToQString(doc.extraMergeDirectories[i]));
        c.xScaleShown = ToQString(FormatNumber(doc.extraXScale[i]));
        c.yScaleShown = ToQString(FormatNumber(doc.extraYScale[i]));
        c.xScale->setText(c.xScaleShown);
        c.yScale->setText(c.yScaleShown);
        connect(browseAuto, &QPushButton::clicked, this,
                [edit = c.autoDirectory] { BrowseFolderInto(LoadResString(StringId::kChooseAutoFolder), *edit); });
        connect(browseMerge, &QPushButton::clicked, this,
                [edit = c.mergeDirectory] { BrowseFolderInto(LoadResString(StringId::kChooseMergeFolder), *edit); });
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(ResText(StringId::kOk), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    QPushButton* cancel = buttons->addButton(ResText(StringId::kCancel), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    layout->addWidget(buttons);
    connect(ok, &QPushButton::clicked, this, &CDlgOtherAutoDir::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int CDlgOtherAutoDir::DoModal() { return exec() == QDialog::Accepted ? IDOK : IDCANCEL; }

void CDlgOtherAutoDir::OnOK()
{
    // Every scale is read before the document changes, so a refused one leaves all as it was.
    float xScale[kConfigurations], yScale[kConfigurations];
    for (int i = 0; i < kConfigurations; ++i) {
        const Configuration& c = configurations_[i];
        xScale[i] = doc_.extraXScale[i];
        yScale[i] = doc_.extraYScale[i];
        if (!ReadScaleEdit(c.xScaleShown, *c.xScale, xScale[i]) || !ReadScaleEdit(c.yScaleShown, *c.yScale, yScale[i])) {
            return;
        }
    }
    for (int i = 0; i < kConfigurations; ++i) {
        const Configuration& c = configurations_[i];
        doc_.extraAutoDirectories[i] = ToCString(c.autoDirectory->text());
        doc_.extraMergeDirectories[i] = ToCString(c.mergeDirectory->text());
        doc_.extraXScale[i] = xScale[i];
        doc_.extraYScale[i] = yScale[i];
    }
    doc_.SaveAutoDirectorySettings();
    accept();
}
