// The two rich-text panes of the main dialog: the formatted introduction at
// the top and the message log, whose appends highlight the first error or
// warning word. The operations work on any Rich Edit 1.0 control.
#pragma once

#include "wnd.h"

namespace panes {

// Texts of the panes (Windows-1251).
extern const char kIntroText[];
extern const char kHelpText[];

// Fills the info pane with the formatted introduction; caret at 0.
void InitInfoPane(const CRichEditCtrl& info);

// Puts the help text in the log with its blue bold sentence; caret at 0.
void InitLog(const CRichEditCtrl& log);

// Appends text to the log, then formats the first error word, else the first
// warning word, else the whole log as plain text. Any thread may call it:
// every step is a synchronous message to the control's thread.
void AppendLog(const CRichEditCtrl& log, const char* text);

}  // namespace panes
