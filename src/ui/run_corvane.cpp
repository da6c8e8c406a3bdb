// RunCorvane: the Qt application around CAppCorvane.
#include "ui/run_corvane.h"

#include "app/linux_system_actions.h"
#include "app/udp_server.h"
#include "platform/freed_memory.h"
#include "ui/app_corvane.h"
#include "ui/qt_file_dialogs.h"
#include "ui/qt_message_sink.h"
#include "ui/qt_popup_menu.h"
#include "ui/qt_view_dialogs.h"

#include <QApplication>
#include <QStringList>

#include <clocale>

int RunCorvane(int argc, char** argv)
{
    LimitHeapArenas();
    QApplication qapp(argc, argv);
    // Qt set the locale from the environment; numbers are read and written in the C locale.
    std::setlocale(LC_NUMERIC, "C");
    // The program ends when the operator confirms the close question or another controller
    // is heard, not when its window is hidden to the tray.
    QApplication::setQuitOnLastWindowClosed(false);

    QtMessageSink sink;
    SetMessageSink(&sink);
    LinuxSystemActions actions;
    SetSystemActions(&actions);
    QtFileDialogs dialogs;
    SetFileDialogs(&dialogs);
    QtPopupMenuPresenter menus;
    SetPopupMenuPresenter(&menus);
    QtViewDialogs viewDialogs(gUDPServer, [] {
        const CAppCorvane* app = GetCorvaneApp();
        return app ? static_cast<const CDocCorvane*>(app->GetDocument()) : nullptr;
    });
    SetViewDialogs(&viewDialogs);

    std::vector<CString> arguments;
    const QStringList qtArguments = QApplication::arguments();
    for (qsizetype i = 1; i < qtArguments.size(); ++i)
        arguments.emplace_back(qtArguments[i].toStdU16String().c_str());

    int status = 0;
    {
        CAppCorvane app(gUDPServer);
        if (app.InitInstance(arguments)) QApplication::exec();
        status = app.ExitInstance();
    }
    SetPopupMenuPresenter(nullptr);
    SetViewDialogs(nullptr);
    SetFileDialogs(nullptr);
    SetSystemActions(nullptr);
    SetMessageSink(nullptr);
    return status;
}
