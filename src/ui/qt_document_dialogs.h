// QtDocumentDialogs: the document's dialogs as the program shows them: program settings, pen
// modes and machine settings, over the main frame.
#pragma once

#include "app/document_dialogs.h"

class QWidget;

class QtDocumentDialogs : public DocumentDialogs {
public:
    // The dialogs open over parent (the main frame), which outlives this object.
    explicit QtDocumentDialogs(QWidget* parent) : parent_(parent) {}

    void RunGlobalSettings(CDocCorvane& doc) override;
    bool RunPenModeSettings(PenModeSettings& settings) override;
    void RunMachineSetup(CDocCorvane& doc, NET_Machine& machine) override;

private:
    QWidget* parent_;
};
