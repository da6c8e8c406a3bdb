// AppCommands: the application commands to the application, the frame and the About box.
#include "ui/app_commands.h"

#include "app/string_table.h"
#include "ui/about_dlg.h"
#include "ui/app_corvane.h"
#include "ui/command_ids.h"
#include "ui/main_frame.h"

bool AppCommands::OnCommand(int id)
{
    CAppCorvane* app = GetCorvaneApp();
    switch (id) {
    case ID_FILE_OPEN:
        if (app) app->OnFileOpen();
        return true;
    case ID_HELP:
        if (app) app->OnHelp();
        return true;
    case ID_APP_ABOUT: {
        CAboutDlg about(&frame_);
        about.exec();
        return true;
    }
    case ID_LANGUAGE_CHINESE:
        if (app) app->OnLanguageChinese();
        return true;
    case ID_LANGUAGE_ENGLISH:
        if (app) app->OnLanguageEnglish();
        return true;
    case ID_CLEAR_ARP_CACHE: frame_.OnClearArpCache(); return true;
    case ID_APP_EXIT:
    case ID_APP_EXIT_FRAME: frame_.OnExit(); return true;
    case ID_APP_MENU: frame_.ShowAppMenuUnderButton(); return true;
    default: return false;
    }
}

std::optional<CommandButtonState> AppCommands::CommandState(int id) const
{
    const CAppCorvane* app = GetCorvaneApp();
    switch (id) {
    case ID_LANGUAGE_CHINESE: return CommandButtonState{true, app && app->language == kLanguageChinese};
    case ID_LANGUAGE_ENGLISH: return CommandButtonState{true, app && app->language == kLanguageEnglish};
    case ID_FILE_OPEN:
    case ID_HELP:
    case ID_APP_ABOUT:
    case ID_CLEAR_ARP_CACHE:
    case ID_APP_EXIT:
    case ID_APP_EXIT_FRAME:
    case ID_APP_MENU: return CommandButtonState{true, false};
    default: return std::nullopt;
    }
}
