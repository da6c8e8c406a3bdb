// Operator messages: the framework's message-box calls over one replaceable sink.
//
// The libraries never show a window themselves. Every message for the operator goes to the
// installed sink: the program installs one that shows a dialog, tests install one that
// records the texts and gives scripted answers. Without a sink the text goes to the standard
// error stream and the first button of the set is the answer. Any thread may show a message;
// a sink that shows a window carries the call over to the GUI thread itself.
#pragma once

#include "platform/cstring.h"
#include "platform/win_types.h"

// Button set: a single OK button.
inline constexpr UINT MB_OK = 0x0;
// Button set: Yes and No.
inline constexpr UINT MB_YESNO = 0x4;
// Icon: the exclamation mark.
inline constexpr UINT MB_ICONWARNING = 0x30;
// The second button is the default.
inline constexpr UINT MB_DEFBUTTON2 = 0x100;
// Answers: the OK, Cancel, Yes and No buttons.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// The caption of messages shown without one of their own: the application's name.
inline constexpr const char16_t* kApplicationCaption = u"Corvane";

class CMessageSink {
public:
    virtual ~CMessageSink() = default;
    // Shows text under caption with the button set of type; returns the button chosen.
    virtual int Show(const CString& text, const CString& caption, UINT type) = 0;
};

// Installs sink for every later message; null returns to the standard error stream. The sink
// must outlive its installation.
void SetMessageSink(CMessageSink* sink);

// Shows a message owned by the main window, with its own caption; returns the button chosen.
int MessageBox(const CString& text, const CString& caption, UINT type = MB_OK);
// Shows a message under the application's caption; returns the button chosen.
int AfxMessageBox(const CString& text, UINT type = MB_OK);
