// DocumentCommands: command ids to the document's handlers and the buttons' states.
#include "ui/document_commands.h"

#include "app/doc_corvane.h"
#include "ui/command_ids.h"

bool DocumentCommands::OnCommand(int id)
{
    switch (id) {
    case ID_JOB_START: doc_.StartCurrentMachine(); return true;
    case ID_JOB_PAUSE: doc_.OnPauseJob(); return true;
    case ID_JOB_CANCEL: doc_.OnCancelJob(); return true;
    case ID_COPIES_UP: doc_.OnIncreaseCopies(); return true;
    case ID_COPIES_DOWN: doc_.OnDecreaseCopies(); return true;
    case ID_JOB_MOVE_DOWN: doc_.OnMoveJobDown(); return true;
    case ID_JOB_MOVE_UP: doc_.OnMoveJobUp(); return true;
    case ID_JOB_MOVE_TO_BOTTOM: doc_.OnMoveJobToBottom(); return true;
    case ID_JOB_MOVE_TO_TOP: doc_.OnMoveJobToTop(); return true;
    case ID_DELETE_JOBS: doc_.OnDeleteJobs(); return true;
    case ID_ASSIGN_JOBS: doc_.OnAssignJobsToMachine(); return true;
    case ID_DIRECTORY_PRINT: doc_.OnDirectoryPrint(); return true;
    case ID_MERGE_FILES: doc_.OnMergeFiles(); return true;
    case ID_GLOBAL_SETTINGS: doc_.OnGlobalSettings(); return true;
    case ID_PEN_TOOL_SETTINGS: doc_.OnPenToolSettings(); return true;
    case ID_MACHINE_SETUP: doc_.OnMachineSetup(); return true;
    case ID_MACHINE_ZERO: doc_.OnZeroMachine(); return true;
    case ID_MACHINE_RESET: doc_.OnResetMachine(); return true;
    case ID_TEST_JET: doc_.OnTestJet(); return true;
    default: return false;
    }
}

std::optional<CommandButtonState> DocumentCommands::CommandState(int id) const
{
    switch (id) {
    case ID_MACHINE_SETUP:
    case ID_MACHINE_ZERO:
    case ID_MACHINE_RESET:
    case ID_TEST_JET: return CommandButtonState{doc_.HasSelectedMachine(), false};
    case ID_DIRECTORY_PRINT: return CommandButtonState{true, doc_.directoryPrint == 1};
    case ID_COPIES_UP:
    case ID_COPIES_DOWN:
    case ID_JOB_MOVE_DOWN:
    case ID_JOB_MOVE_UP:
    case ID_JOB_MOVE_TO_BOTTOM:
    case ID_JOB_MOVE_TO_TOP: return CommandButtonState{doc_.HasSelectedJob(), false};
    case ID_JOB_START:
    case ID_JOB_PAUSE:
    case ID_JOB_CANCEL:
    case ID_DELETE_JOBS:
    case ID_ASSIGN_JOBS:
    case ID_MERGE_FILES:
    case ID_GLOBAL_SETTINGS:
    case ID_PEN_TOOL_SETTINGS: return CommandButtonState{true, false};
    default: return std::nullopt;
    }
}
