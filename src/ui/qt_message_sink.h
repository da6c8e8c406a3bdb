// QtMessageSink: the operator-message sink of the program, showing a QMessageBox and logging
// the text (Qt logging category "corvane.messages", level info).
#pragma once

#include "platform/message_box.h"

class QtMessageSink : public CMessageSink {
public:
    // On the GUI thread: shows a modal box and answers the button chosen. On any other
    // thread: queues the box to the GUI thread and answers IDOK at once, so a thread that
    // holds a lock the GUI thread may wait for never waits for the operator.
    int Show(const CString& text, const CString& caption, UINT type) override;
};
