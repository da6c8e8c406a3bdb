// Command ids of the main tool bar's document, job-row and application commands (the
// preview's own ids are in ui/preview_geometry.h).
#pragma once

constexpr int ID_JOB_CANCEL = 32780;
constexpr int ID_JOB_PAUSE = 32781;
constexpr int ID_COPIES_UP = 32817;
constexpr int ID_COPIES_DOWN = 32818;
constexpr int ID_JOB_MOVE_DOWN = 32819;
constexpr int ID_JOB_MOVE_UP = 32820;
constexpr int ID_JOB_START = 32824;
constexpr int ID_GLOBAL_SETTINGS = 32827;
constexpr int ID_ASSIGN_JOBS = 32832;
constexpr int ID_PEN_TOOL_SETTINGS = 32835;
constexpr int ID_MACHINE_RESET = 32837;
constexpr int ID_DELETE_JOBS = 32853;
constexpr int ID_MACHINE_ZERO = 32856;
constexpr int ID_TEST_JET = 32860;
constexpr int ID_MACHINE_SETUP = 32867;
constexpr int ID_DIRECTORY_PRINT = 32868;
constexpr int ID_JOB_MOVE_TO_BOTTOM = 32869;
constexpr int ID_JOB_MOVE_TO_TOP = 32870;
constexpr int ID_MERGE_FILES = 32880;
// The application's commands: exit (two ids), the two languages, clearing the ARP cache,
// the button that drops down the application menu, open, about and help.
constexpr int ID_APP_EXIT_FRAME = 32791;
constexpr int ID_LANGUAGE_CHINESE = 32807;
constexpr int ID_LANGUAGE_ENGLISH = 32808;
constexpr int ID_CLEAR_ARP_CACHE = 32834;
constexpr int ID_APP_MENU = 32951;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_APP_EXIT = 57665;
constexpr int ID_HELP = 57670;
