#include "program_under_test.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "expected_texts.h"
#include "host_paths.h"
#include "wait_until.h"

namespace {

constexpr DWORD kStartTimeoutMs = 15000;
// Longest time a single message to the program may take; its user interface
// thread never blocks longer than a handler that only touches windows.
constexpr DWORD kMessageTimeoutMs = 5000;
constexpr int kMessageBoxTextId = 0xFFFF;

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

}  // namespace

bool MessageBoxView::HasOnlyButtons(std::vector<int> ids) const {
    std::sort(ids.begin(), ids.end());
    return ids == buttons;
}

ProgramUnderTest::ProgramUnderTest(std::string exePath) : exePath_(std::move(exePath)) {}

ProgramUnderTest::~ProgramUnderTest() {
    if (!process_.hProcess) return;
    if (IsRunning()) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, kStartTimeoutMs);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

bool ProgramUnderTest::Start(std::string* error) {
    std::wstring commandLine = L"\"" + WindowsPath(exePath_) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process_)) {
        *error =
            "CreateProcess failed, error " + std::to_string(GetLastError()) + " for " + exePath_;
        process_ = {};
        return false;
    }
    // Returns once the program waits for input, normally with its dialog up;
    // the window search below covers a program that idles earlier.
    WaitForInputIdle(process_.hProcess, kStartTimeoutMs);
    if (!WaitUntil(kStartTimeoutMs, [this] { return (dialog_ = FindDialog()) != nullptr; })) {
        *error = IsRunning() ? "no window with the dialog's caption appeared"
                             : "the program ended before its dialog appeared";
        return false;
    }
    return true;
}

HWND ProgramUnderTest::FindDialog() const {
    // Another copy of the program may be open on the same desktop: take only
    // the dialog of the process started here.
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", expected::kDialogCaption))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process_.dwProcessId && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

LRESULT ProgramUnderTest::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &result))
        return -1;
    return static_cast<LRESULT>(result);
}

bool ProgramUnderTest::IsControlEnabled(int id) const {
    return IsWindowEnabled(Control(id)) != FALSE;
}

std::string ProgramUnderTest::TextOf(HWND window) const {
    if (!window) return {};
    const LRESULT length = Send(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    // Room for growth between the two messages: the log may be appended to.
    std::string text(static_cast<size_t>(length) + 4096, '\0');
    const LRESULT copied =
        Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

std::string ProgramUnderTest::LogText() const { return ControlText(expected::kLog); }

bool ProgramUnderTest::LogCharFormat(long from, long to, CHARFORMATA* format) const {
    // The log answers into memory of its own process: the record goes there
    // and comes back.
    void* remote = VirtualAllocEx(process_.hProcess, nullptr, sizeof *format,
                                  MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return false;
    CHARFORMATA request{};
    request.cbSize = sizeof request;
    HWND log = Control(expected::kLog);
    const LRESULT selection = Send(log, EM_GETSEL, 0, 0);
    bool read = WriteProcessMemory(process_.hProcess, remote, &request, sizeof request, nullptr);
    if (read) {
        Send(log, EM_SETSEL, from, to);
        Send(log, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(remote));
        Send(log, EM_SETSEL, LOWORD(selection), HIWORD(selection));
        read = ReadProcessMemory(process_.hProcess, remote, format, sizeof *format, nullptr) &&
               format->cbSize == sizeof *format;
    }
    VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
    return read;
}

int ProgramUnderTest::ProgressPos() const {
    return static_cast<int>(Send(Control(expected::kProgress), PBM_GETPOS, 0, 0));
}

int ProgramUnderTest::ProgressLow() const {
    return static_cast<int>(Send(Control(expected::kProgress), PBM_GETRANGE, TRUE, 0));
}

int ProgramUnderTest::ProgressHigh() const {
    return static_cast<int>(Send(Control(expected::kProgress), PBM_GETRANGE, FALSE, 0));
}

HWND ProgramUnderTest::FocusedControl() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(dialog_, nullptr);
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

void ProgramUnderTest::Click(int id) const { PostMessageA(Control(id), BM_CLICK, 0, 0); }

void ProgramUnderTest::PostClose() const { PostMessageA(dialog_, WM_CLOSE, 0, 0); }

void ProgramUnderTest::PostKey(UINT message, WPARAM key, LPARAM flags) const {
    HWND focus = FocusedControl();
    PostMessageA(focus ? focus : dialog_, message, key, flags);
}

bool ProgramUnderTest::WaitForPostedMessages(DWORD timeoutMs) const {
    // Posted messages of a thread are handled in order, so once a marker
    // posted now has taken effect, everything posted before it has been
    // handled. The marker moves the idle log's caret and then puts it back.
    HWND log = Control(expected::kLog);
    const LRESULT selection = Send(log, EM_GETSEL, 0, 0);
    const WORD caret = LOWORD(selection);
    const WORD marker = caret == 0 ? 1 : 0;
    auto caretIs = [this, log](WORD position) {
        const LRESULT now = Send(log, EM_GETSEL, 0, 0);
        return LOWORD(now) == position && HIWORD(now) == position;
    };
    PostMessageA(log, EM_SETSEL, marker, marker);
    if (!WaitUntil(timeoutMs, [&] { return caretIs(marker); })) return false;
    PostMessageA(log, EM_SETSEL, LOWORD(selection), HIWORD(selection));
    return WaitUntil(timeoutMs, [&] { return Send(log, EM_GETSEL, 0, 0) == selection; });
}

std::vector<HWND> ProgramUnderTest::OwnedMessageBoxes() const {
    std::vector<HWND> boxes;
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", nullptr))) {
        if (window != dialog_ && GetWindow(window, GW_OWNER) == dialog_ && IsWindowVisible(window))
            boxes.push_back(window);
    }
    return boxes;
}

bool ProgramUnderTest::WaitForMessageBox(DWORD timeoutMs, MessageBoxView* box) const {
    HWND found = nullptr;
    WaitUntil(timeoutMs, [&] {
        std::vector<HWND> boxes = OwnedMessageBoxes();
        found = boxes.empty() ? nullptr : boxes.front();
        return found != nullptr;
    });
    if (!found) return false;
    *box = ReadMessageBox(found);
    return true;
}

MessageBoxView ProgramUnderTest::ReadMessageBox(HWND box) const {
    MessageBoxView view;
    view.window = box;
    view.caption = TextOf(box);
    view.text = TextOf(GetDlgItem(box, kMessageBoxTextId));
    for (int id = IDOK; id <= IDNO; ++id) {
        HWND button = GetDlgItem(box, id);
        if (button && ClassOf(button) == "Button" && IsWindowVisible(button))
            view.buttons.push_back(id);
    }
    return view;
}

void ProgramUnderTest::Answer(const MessageBoxView& box, int buttonId) const {
    PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box.window, buttonId)));
}

bool ProgramUnderTest::IsRunning() const {
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool ProgramUnderTest::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
    if (!process_.hProcess || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    GetExitCodeProcess(process_.hProcess, exitCode);
    return true;
}
