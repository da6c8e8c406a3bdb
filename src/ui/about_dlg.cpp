// CAboutDlg: the About box's labels, the font notice read from the program directory, and OK.
#include "ui/about_dlg.h"

#include "app/string_table.h"
#include "platform/file_system.h"
#include "platform/program_directory.h"
#include "ui/main_frame.h"
#include "ui/qt_text.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

namespace {

// The notices shipped beside the font files, one after the other; empty when the program
// directory has none.
QString FontNotice()
{
    constexpr size_t kMaxNoticeBytes = 256 * 1024;
    QStringList notices;
    for (const char* name : kFontNoticeFileNames) {
        std::string text;
        if (ReadWholeFile(CString::FromUtf8(ProgramDirectory() + name), text, kMaxNoticeBytes))
            notices << QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).trimmed();
    }
    return notices.join(QStringLiteral("\n\n"));
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDialog%1").arg(kAboutDialogId));
    setWindowTitle(ToQString(LoadResString(StringId::kAboutCaption)));
    auto* layout = new QVBoxLayout(this);

    auto* name = new QLabel(ToQString(LoadResString(StringId::kFrameTitle)), this);
    name->setObjectName(QStringLiteral("programName"));
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    layout->addWidget(name);

    CString version;
    version.Format(LoadResString(StringId::kAboutVersion).GetString(), CString(kProgramVersion));
    auto* versionLabel = new QLabel(ToQString(version), this);
    versionLabel->setObjectName(QStringLiteral("version"));
    layout->addWidget(versionLabel);

    const QString notice = FontNotice();
    if (!notice.isEmpty()) {
        auto* noticeView = new QPlainTextEdit(notice, this);
        noticeView->setObjectName(QStringLiteral("fontNotice"));
        noticeView->setReadOnly(true);
        // The notice keeps its own line breaks.
        noticeView->setLineWrapMode(QPlainTextEdit::NoWrap);
        noticeView->setMinimumSize(620, 180);
        layout->addWidget(noticeView);
    }

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(ToQString(LoadResString(StringId::kOk)), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
