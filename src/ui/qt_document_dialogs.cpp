// QtDocumentDialogs: each of the document's dialogs run modally over the main frame.
#include "ui/qt_document_dialogs.h"

#include "ui/dlg_dir_set.h"
#include "ui/dlg_mach_info.h"
#include "ui/dlg_pen_mode.h"

void QtDocumentDialogs::RunGlobalSettings(CDocCorvane& doc) { RunGlobalSettingsDialog(doc, parent_); }

bool QtDocumentDialogs::RunPenModeSettings(PenModeSettings& settings) { return RunPenModeDialog(settings, parent_); }

void QtDocumentDialogs::RunMachineSetup(CDocCorvane& doc, NET_Machine& machine)
{
    RunMachineSetupDialog(doc, machine, parent_);
}
