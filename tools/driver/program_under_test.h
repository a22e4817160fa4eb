// One running copy of the program, driven from this process the way a user
// drives it: through its main dialog, its controls and its message boxes.
// All access goes through window messages, as the program lives in another
// process; messages that may start a blocking handler are posted, not sent.
#pragma once

#include <windows.h>

#include <richedit.h>

#include <string>
#include <vector>

// What a message box of the program shows.
struct MessageBoxView {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    std::vector<int> buttons;  // ids of its buttons among IDOK..IDNO

    bool HasOnlyButtons(std::vector<int> ids) const;
};

class ProgramUnderTest {
public:
    // The program is started by Start(); a copy still running when this
    // object goes away is terminated, so a failed scenario leaves nothing behind.
    explicit ProgramUnderTest(std::string exePath);
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    // Starts the program and waits until its main dialog is shown. Returns
    // false with a reason in *error if either does not happen in time.
    bool Start(std::string* error);

    HWND Dialog() const { return dialog_; }
    HWND Control(int id) const { return GetDlgItem(dialog_, id); }
    bool IsControlEnabled(int id) const;
    // Window text of any window, read with WM_GETTEXT (the bytes it holds).
    std::string TextOf(HWND window) const;
    std::string ControlText(int id) const { return TextOf(Control(id)); }
    // The message log's whole text, Windows-1251 with "\r\n".
    std::string LogText() const;
    // The character format the log reports for its characters from..to (byte
    // offsets in LogText). Selects them for the query, then restores the
    // selection. False if the format could not be read.
    bool LogCharFormat(long from, long to, CHARFORMATA* format) const;
    int ProgressPos() const;
    int ProgressLow() const;
    int ProgressHigh() const;
    // The control of the program that has the keyboard focus, or null.
    HWND FocusedControl() const;

    // Clicks a button of the dialog the way the mouse does (posted BM_CLICK).
    void Click(int id) const;
    // The close box or Alt+F4: a posted WM_CLOSE to the dialog.
    void PostClose() const;
    // A key message posted to the focused control, as the keyboard delivers it.
    void PostKey(UINT message, WPARAM key, LPARAM flags) const;
    // Returns once the program's user interface thread has handled every
    // message posted to it before this call. Returns false if it did not
    // within timeoutMs.
    bool WaitForPostedMessages(DWORD timeoutMs) const;

    // Visible message boxes owned by the dialog.
    std::vector<HWND> OwnedMessageBoxes() const;
    // Waits for a message box owned by the dialog; *box is filled if one came.
    bool WaitForMessageBox(DWORD timeoutMs, MessageBoxView* box) const;
    MessageBoxView ReadMessageBox(HWND box) const;
    // Presses a button of a message box (a posted WM_COMMAND with its id).
    void Answer(const MessageBoxView& box, int buttonId) const;

    bool IsRunning() const;
    // Waits for the program to end; *exitCode receives its exit code.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode) const;
    DWORD ProcessId() const { return process_.dwProcessId; }

private:
    HWND FindDialog() const;
    LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;

    std::string exePath_;
    PROCESS_INFORMATION process_{};
    HWND dialog_ = nullptr;
};
