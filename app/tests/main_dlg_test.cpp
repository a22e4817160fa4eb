// The main dialog in its real modal loop: template, initial state, colours,
// the Escape filter, the guards that keep it open during a run, and the wait
// for a worker before the dialog object goes away.
#include "main_dlg.h"

#include "resource.h"
#include "rich_panes.h"
#include "ui_colors.h"
#include "win_app.h"
#include "window_text.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr UINT kRunScript = WM_APP + 1;       // runs the next step of the test script
constexpr LPARAM kEscapeRepeat = 0x40010001;  // auto-repeated Escape key-down
constexpr LPARAM kEscapePress = 0x00010001;
constexpr LPARAM kEnterPress = 0x001C0001;
constexpr UINT_PTR kWatchdog = 77;  // ends a dialog whose script failed to
constexpr UINT kWatchdogMs = 10000;

// CMainDlg with its protected parts opened to the tests, and a script of
// steps run one per kRunScript message once the dialog is up.
class TestDlg : public CMainDlg {
public:
    using CMainDlg::kIdle;
    using CMainDlg::m_btnExit;
    using CMainDlg::m_btnExtra;
    using CMainDlg::m_btnModemOnly;
    using CMainDlg::m_dwWorkerId;
    using CMainDlg::m_hIcon;
    using CMainDlg::m_hWorker;
    using CMainDlg::m_info;
    using CMainDlg::m_log;
    using CMainDlg::m_nMode;
    using CMainDlg::m_progress;

    std::vector<std::function<void(TestDlg&)>> steps;

    void NextStep() { ::PostMessageA(m_hWnd, kRunScript, 0, 0); }
    void PostKey(WPARAM key, LPARAM data) { ::PostMessageA(::GetFocus(), WM_KEYDOWN, key, data); }

protected:
    BOOL OnInitDialog() override {
        const BOOL result = CMainDlg::OnInitDialog();
        ::SetTimer(m_hWnd, kWatchdog, kWatchdogMs, nullptr);
        NextStep();
        return result;
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == kRunScript && next_ < steps.size()) {
            steps[next_++](*this);
            return true;
        }
        if (message == WM_TIMER && wParam == kWatchdog) {
            ADD_FAILURE() << "the dialog was still open after " << kWatchdogMs << " ms";
            m_dwWorkerId = kIdle;
            EndDialog(-2);
            return true;
        }
        return CMainDlg::OnMessage(message, wParam, lParam, result);
    }

private:
    size_t next_ = 0;
};

// Answers the message boxes this thread shows, from a thread timer.
struct BoxAnswerer {
    static int answer;
    static std::vector<std::string> seen;  // "caption|text" of each box answered

    explicit BoxAnswerer(int reply) {
        answer = reply;
        seen.clear();
        timer_ = ::SetTimer(nullptr, 0, 50, &OnTimer);
    }
    ~BoxAnswerer() { ::KillTimer(nullptr, timer_); }

private:
    static BOOL CALLBACK AnswerIfBox(HWND window, LPARAM) {
        char className[16] = {};
        ::GetClassNameA(window, className, sizeof className);
        if (std::string(className) != "#32770" || ::GetWindow(window, GW_OWNER) == nullptr)
            return TRUE;  // not a message box of the dialog
        CWnd box, text;
        box.m_hWnd = window;
        text.m_hWnd = ::GetDlgItem(window, 0xFFFF);
        seen.push_back(WindowText(box) + "|" + WindowText(text));
        ::PostMessageA(window, WM_COMMAND, answer, 0);
        return FALSE;
    }
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        ::EnumThreadWindows(::GetCurrentThreadId(), &AnswerIfBox, 0);
    }
    UINT_PTR timer_;
};
int BoxAnswerer::answer = IDOK;
std::vector<std::string> BoxAnswerer::seen;

class MainDlgTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(AfxInitRichEdit()); }
};

// ---- Template and initial state -------------------------------------------

struct ControlLayout {
    int id;
    const char* className;
    RECT dialogUnits;  // x, y, width, height
    DWORD styles;
    DWORD exStyles;
};

const ControlLayout kControls[] = {
    {IDC_PROGRESS, "msctls_progress32", {7, 71, 360, 14}, PBS_SMOOTH, 0},
    {IDC_MODEM_ONLY, "Button", {57, 184, 86, 15}, BS_PUSHBUTTON, 0},
    {IDCANCEL, "Button", {237, 184, 86, 15}, BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
    {IDC_INFO,
     "RICHEDIT",
     {86, 8, 276, 57},
     ES_MULTILINE | ES_READONLY | WS_VSCROLL,
     WS_EX_TRANSPARENT},
    {IDC_INFO_PANEL, "Static", {80, 5, 287, 61}, WS_GROUP, 0},
    {IDC_LOG,
     "RICHEDIT",
     {13, 94, 347, 78},
     ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL | ES_READONLY | WS_VSCROLL,
     WS_EX_TRANSPARENT},
    {IDC_LOG_PANEL, "Static", {7, 90, 359, 87}, WS_GROUP, 0},
    {IDC_EXTRA, "Button", {147, 184, 86, 15}, BS_PUSHBUTTON, 0},
};

void ExpectControlMatches(HWND dialog, const ControlLayout& config) {
    SCOPED_TRACE(config.id);
    HWND control = ::GetDlgItem(dialog, config.id);
    ASSERT_NE(control, nullptr);
    char className[32] = {};
    ::GetClassNameA(control, className, sizeof className);
    EXPECT_STRCASEEQ(className, config.className);
    // A rich edit clears WS_VSCROLL while its text needs no scroll bar.
    const DWORD wanted = (config.styles | WS_CHILD | WS_VISIBLE) &
                         ~(std::string(config.className) == "RICHEDIT" ? WS_VSCROLL : 0);
    const DWORD style = static_cast<DWORD>(::GetWindowLongA(control, GWL_STYLE));
    EXPECT_EQ(style & wanted, wanted);
    EXPECT_EQ(style & WS_TABSTOP, config.styles & WS_TABSTOP) << "only Выход is a tab stop";
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongA(control, GWL_EXSTYLE));
    EXPECT_EQ(exStyle & config.exStyles, config.exStyles);

    // Position and size convert separately, as the dialog manager does.
    RECT expected = config.dialogUnits;
    ::MapDialogRect(dialog, &expected);
    RECT actual;
    ::GetWindowRect(control, &actual);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right - actual.left, expected.right);
    EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
}

std::string TextOf(HWND window) {
    CWnd wnd;
    wnd.m_hWnd = window;
    return WindowText(wnd);
}

TEST_F(MainDlgTest, TemplateCreatesEveryControlAsDescribed) {
    TestDlg dlg;
    dlg.steps = {[](TestDlg& d) {
        for (const ControlLayout& config : kControls) ExpectControlMatches(d.m_hWnd, config);
        EXPECT_EQ(TextOf(::GetDlgItem(d.m_hWnd, IDC_MODEM_ONLY)), "Только модем");
        EXPECT_EQ(TextOf(::GetDlgItem(d.m_hWnd, IDC_EXTRA)), "Доп. функции");
        EXPECT_EQ(TextOf(::GetDlgItem(d.m_hWnd, IDCANCEL)), "Выход");
        EXPECT_EQ(TextOf(d.m_hWnd), "Tarvix, Версия 1.0 от 7 апреля 2011 года");
        // The picture static sized itself to the 100 x 100 bitmap.
        HWND picture = ::GetDlgItem(d.m_hWnd, -1);
        ASSERT_NE(picture, nullptr);
        EXPECT_TRUE(::GetWindowLongA(picture, GWL_STYLE) & SS_BITMAP);
        RECT size;
        ::GetClientRect(picture, &size);
        EXPECT_EQ(size.right, 100);
        EXPECT_EQ(size.bottom, 100);
        d.EndDialog(IDOK);
    }};
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

TEST_F(MainDlgTest, OpensIdleWithPanesIconsAndFocusOnExit) {
    TestDlg dlg;
    dlg.steps = {[](TestDlg& d) {
        EXPECT_EQ(d.m_dwWorkerId, TestDlg::kIdle);
        EXPECT_EQ(d.m_hWorker, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(::IsWindowEnabled(d.m_btnModemOnly.m_hWnd));
        EXPECT_TRUE(::IsWindowEnabled(d.m_btnExtra.m_hWnd));
        EXPECT_TRUE(::IsWindowEnabled(d.m_btnExit.m_hWnd));
        EXPECT_EQ(::GetFocus(), d.m_btnExit.m_hWnd);
        EXPECT_EQ(WindowText(d.m_info), panes::kIntroText);
        EXPECT_EQ(WindowText(d.m_log), panes::kHelpText);
        // Setting a background hands back the one in force.
        EXPECT_EQ(d.m_info.SetBackgroundColor(kColorPanelGray), kColorPanelGray);
        EXPECT_EQ(d.m_log.SetBackgroundColor(kColorPanelGray), kColorPanelGray);
        ASSERT_NE(d.m_hIcon, nullptr);
        EXPECT_EQ(d.SendMessage(WM_GETICON, ICON_BIG), reinterpret_cast<LRESULT>(d.m_hIcon));
        EXPECT_EQ(d.SendMessage(WM_GETICON, ICON_SMALL), reinterpret_cast<LRESULT>(d.m_hIcon));
        EXPECT_EQ(d.SendMessage(WM_QUERYDRAGICON), reinterpret_cast<LRESULT>(d.m_hIcon));
        d.EndDialog(IDOK);
    }};
    dlg.DoModal();
}

// Kept: C18 (docs/compatibility.md)
TEST_F(MainDlgTest, HostOperationsDriveProgressAndFinishEnablesExitLast) {
    TestDlg dlg;
    dlg.steps = {[](TestDlg& d) {
        d.SetProgressRange(0, 31);
        d.SetProgressPos(0);
        d.StepProgress();
        d.StepProgress();
        EXPECT_EQ(d.m_progress.SendMessage(PBM_GETPOS), 2) << "one unit per step";
        PBRANGE range{};
        d.m_progress.SendMessage(PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
        EXPECT_EQ(range.iLow, 0);
        EXPECT_EQ(range.iHigh, 31);

        d.AppendLog("\r\nОШИБКА: проверка.\r\n");
        EXPECT_NE(WindowText(d.m_log).find("ОШИБКА: проверка."), std::string::npos);
        d.ClearLog();
        EXPECT_EQ(WindowText(d.m_log), "");

        d.m_dwWorkerId = 1234;
        d.m_btnExit.EnableWindow(FALSE);
        d.FinishRun();
        EXPECT_EQ(d.m_dwWorkerId, TestDlg::kIdle);
        EXPECT_TRUE(::IsWindowEnabled(d.m_btnExit.m_hWnd));
        d.EndDialog(IDOK);
    }};
    dlg.DoModal();
}

// ---- Keyboard: the Escape filter and the dialog manager -------------------

// Kept: C6 (docs/compatibility.md)
TEST_F(MainDlgTest, EscapeFilterSwallowsOnlyASinglePlainPress) {
    TestDlg dlg;
    MSG msg{nullptr, WM_KEYDOWN, VK_ESCAPE, kEscapePress, 0, {0, 0}};
    EXPECT_TRUE(dlg.PreTranslateMessage(&msg));
    msg.message = WM_KEYUP;
    EXPECT_TRUE(dlg.PreTranslateMessage(&msg));

    MSG repeat{nullptr, WM_KEYDOWN, VK_ESCAPE, kEscapeRepeat, 0, {0, 0}};
    EXPECT_FALSE(dlg.PreTranslateMessage(&repeat));
    MSG enter{nullptr, WM_KEYDOWN, VK_RETURN, kEscapePress, 0, {0, 0}};
    EXPECT_FALSE(dlg.PreTranslateMessage(&enter));
    MSG character{nullptr, WM_CHAR, VK_ESCAPE, kEscapePress, 0, {0, 0}};
    EXPECT_FALSE(dlg.PreTranslateMessage(&character));
}

// Kept: C6 (docs/compatibility.md)
TEST_F(MainDlgTest, InTheModalLoopPlainEscapeIsIgnoredAndRepeatedEscapeCancels) {
    TestDlg dlg;
    bool openAfterPlainEscape = false;
    dlg.steps = {
        [](TestDlg& d) {
            d.PostKey(VK_ESCAPE, kEscapePress);
            d.NextStep();
        },
        [&](TestDlg& d) {
            openAfterPlainEscape = true;
            d.PostKey(VK_ESCAPE, kEscapeRepeat);
        },
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(openAfterPlainEscape);
}

TEST_F(MainDlgTest, EnterRightAfterOpeningEndsThroughExit) {
    TestDlg dlg;
    dlg.steps = {[](TestDlg& d) { d.PostKey(VK_RETURN, kEnterPress); }};
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

// Kept: C18 (docs/compatibility.md)
TEST_F(MainDlgTest, NothingEndsTheDialogWhileTheMarkerSaysRunning) {
    TestDlg dlg;
    bool stillOpen = false;
    dlg.steps = {
        [](TestDlg& d) {
            d.m_dwWorkerId = 1234;
            d.PostKey(VK_ESCAPE, kEscapeRepeat);
            d.PostKey(VK_RETURN, kEnterPress);
            ::PostMessageA(d.m_hWnd, WM_COMMAND, IDOK, 0);
            ::PostMessageA(d.m_hWnd, WM_COMMAND, IDCANCEL, 0);
            d.NextStep();
        },
        [&](TestDlg& d) {
            stillOpen = true;
            d.m_dwWorkerId = TestDlg::kIdle;
            ::PostMessageA(d.m_hWnd, WM_COMMAND, IDCANCEL, 0);
        },
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(stillOpen);
}

// ---- Help key --------------------------------------------------------------

// The application with its help answer counted instead of beeped; the answer
// ends the dialog, so a test waits only as long as the key takes.
struct HelpCountingApp : CWinApp {
    int helps = 0;
    HWND dialog = nullptr;

    void InitInstance() override {}
    void OnHelp() override {
        ++helps;
        ::EndDialog(dialog, IDHELP);
    }
};

TEST_F(MainDlgTest, PressingF1ReachesTheApplicationsHelpAnswer) {
    HelpCountingApp app;
    TestDlg dlg;
    dlg.steps = {[&](TestDlg& d) {
        app.dialog = d.m_hWnd;
        ::SetForegroundWindow(d.m_hWnd);
        INPUT keys[2] = {};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = VK_F1;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        ASSERT_EQ(::SendInput(2, keys, sizeof(INPUT)), 2u);
    }};
    EXPECT_EQ(dlg.DoModal(), IDHELP);
    EXPECT_EQ(app.helps, 1);
}

// ---- Close box and mode buttons -------------------------------------------

// Kept: C18 (docs/compatibility.md)
TEST_F(MainDlgTest, CloseDuringARunShowsTheWaitMessageAndKeepsTheWindow) {
    TestDlg dlg;
    BoxAnswerer answerer(IDOK);
    bool stillOpen = false;
    dlg.steps = {
        [](TestDlg& d) {
            d.m_dwWorkerId = 1234;
            ::PostMessageA(d.m_hWnd, WM_CLOSE, 0, 0);
            d.NextStep();
        },
        [&](TestDlg& d) {
            stillOpen = true;
            d.m_dwWorkerId = TestDlg::kIdle;
            ::PostMessageA(d.m_hWnd, WM_CLOSE, 0, 0);
        },
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(BoxAnswerer::seen.size(), 1u);
    EXPECT_EQ(BoxAnswerer::seen[0], "Внимание!|Дождитесь завершения процесса!");
}

TEST_F(MainDlgTest, AnsweringNoToTheConfirmationChangesNothing) {
    TestDlg dlg;
    BoxAnswerer answerer(IDNO);
    dlg.m_nMode = -7;
    dlg.steps = {
        [](TestDlg& d) {
            d.m_btnExtra.SendMessage(BM_CLICK);
            d.NextStep();
        },
        [](TestDlg& d) {
            EXPECT_EQ(d.m_nMode, -7);
            EXPECT_EQ(d.m_dwWorkerId, TestDlg::kIdle);
            EXPECT_EQ(d.m_hWorker, INVALID_HANDLE_VALUE);
            EXPECT_TRUE(::IsWindowEnabled(d.m_btnModemOnly.m_hWnd));
            EXPECT_TRUE(::IsWindowEnabled(d.m_btnExtra.m_hWnd));
            EXPECT_TRUE(::IsWindowEnabled(d.m_btnExit.m_hWnd));
            d.EndDialog(IDOK);
        },
    };
    dlg.DoModal();
    ASSERT_EQ(BoxAnswerer::seen.size(), 1u);
    EXPECT_EQ(BoxAnswerer::seen[0], "Продолжить?|Переключение в режим \"Доп. функции\".");
}

// ---- Worker lifetime ------------------------------------------------------

// A stand-in worker: once released, it sends a message to a window of the
// user interface thread, as the real worker's last host call does.
struct LateSender {
    HWND target;
    HANDLE release;
    LRESULT sent = 0;

    static DWORD WINAPI Run(LPVOID param) {
        LateSender* self = static_cast<LateSender*>(param);
        ::WaitForSingleObject(self->release, INFINITE);
        DWORD_PTR reply = 0;
        self->sent = ::SendMessageTimeoutA(self->target, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &reply);
        return 0;
    }
};

TEST_F(MainDlgTest, DestructionWaitsForTheWorkerWhileServingItsMessages) {
    HWND target = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(target, nullptr);
    LateSender sender{target, ::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    HANDLE worker = nullptr;
    {
        TestDlg dlg;
        worker = ::CreateThread(nullptr, 0, &LateSender::Run, &sender, 0, nullptr);
        ASSERT_NE(worker, nullptr);
        // Duplicate: the dialog closes its own copy.
        HANDLE copy = nullptr;
        ::DuplicateHandle(::GetCurrentProcess(), worker, ::GetCurrentProcess(), &copy, 0, FALSE,
                          DUPLICATE_SAME_ACCESS);
        dlg.m_hWorker = copy;
        ::SetEvent(sender.release);
    }
    EXPECT_EQ(::WaitForSingleObject(worker, 0), WAIT_OBJECT_0) << "the dialog went first";
    EXPECT_NE(sender.sent, 0) << "the worker's message was not served during the wait";
    ::CloseHandle(worker);
    ::CloseHandle(sender.release);
    ::DestroyWindow(target);
}

// ---- Colours --------------------------------------------------------------

// What the dialog procedure answers to one WM_CTLCOLOR* message about a
// control, and the colours it left in a DC of that control. The DC starts
// with colours no answer uses, to show which ones the dialog set.
struct ColourAnswer {
    HBRUSH brush;
    COLORREF text;
    COLORREF background;
};

constexpr COLORREF kUntouched = RGB(1, 2, 3);

ColourAnswer AskColours(const TestDlg& dlg, UINT message, HWND control) {
    HDC dc = ::GetDC(control);
    ::SetTextColor(dc, kUntouched);
    ::SetBkColor(dc, kUntouched);
    const LRESULT brush =
        dlg.SendMessage(message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    const ColourAnswer answer{reinterpret_cast<HBRUSH>(brush), ::GetTextColor(dc),
                              ::GetBkColor(dc)};
    ::ReleaseDC(control, dc);
    return answer;
}

HBRUSH WhiteBrush() { return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)); }

TEST_F(MainDlgTest, EditAndDialogGetTheirTextColourOnWhite) {
    TestDlg dlg;
    dlg.steps = {[](TestDlg& d) {
        const ColourAnswer edit = AskColours(d, WM_CTLCOLOREDIT, d.m_log.m_hWnd);
        EXPECT_EQ(edit.brush, WhiteBrush());
        EXPECT_EQ(edit.text, kColorBlack);
        EXPECT_EQ(edit.background, kUntouched);

        const ColourAnswer dialog = AskColours(d, WM_CTLCOLORDLG, d.m_hWnd);
        EXPECT_EQ(dialog.brush, WhiteBrush());
        EXPECT_EQ(dialog.text, kColorDialogText);
        EXPECT_EQ(dialog.background, kUntouched);

        // Buttons keep the system's colours, which the dialog manager hands out.
        const ColourAnswer button = AskColours(d, WM_CTLCOLORBTN, d.m_btnExit.m_hWnd);
        EXPECT_EQ(button.brush, ::GetSysColorBrush(COLOR_BTNFACE));
        EXPECT_EQ(button.background, ::GetSysColor(COLOR_BTNFACE));
        d.EndDialog(IDOK);
    }};
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

TEST_F(MainDlgTest, PanelsGetOneLastingPanelGrayBrush) {
    TestDlg dlg;
    dlg.steps = {[](TestDlg& d) {
        const ColourAnswer info =
            AskColours(d, WM_CTLCOLORSTATIC, ::GetDlgItem(d.m_hWnd, IDC_INFO_PANEL));
        EXPECT_EQ(info.background, kColorPanelGray);
        EXPECT_EQ(info.text, kUntouched);
        LOGBRUSH look{};
        ASSERT_EQ(::GetObjectA(info.brush, sizeof look, &look), static_cast<int>(sizeof look));
        EXPECT_EQ(look.lbStyle, static_cast<UINT>(BS_SOLID));
        EXPECT_EQ(look.lbColor, kColorPanelGray);

        // Every request gets that same brush: none are made per request.
        // (Wine's GetGuiResources always reports 0, so object counts cannot
        // show it.)
        HWND logPanel = ::GetDlgItem(d.m_hWnd, IDC_LOG_PANEL);
        for (int i = 0; i < 50; ++i)
            EXPECT_EQ(AskColours(d, WM_CTLCOLORSTATIC, logPanel).brush, info.brush);
        d.EndDialog(IDOK);
    }};
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

TEST_F(MainDlgTest, PanelBrushIsDeletedWithTheDialog) {
    HBRUSH brush = nullptr;
    {
        TestDlg dlg;
        dlg.steps = {[&](TestDlg& d) {
            brush = AskColours(d, WM_CTLCOLORSTATIC, ::GetDlgItem(d.m_hWnd, IDC_LOG_PANEL)).brush;
            d.EndDialog(IDOK);
        }};
        dlg.DoModal();
        ASSERT_EQ(::GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    }
    EXPECT_EQ(::GetObjectType(brush), 0u);
}

TEST_F(MainDlgTest, PictureIsBlueOnWhite) {
    TestDlg dlg;
    dlg.steps = {[](TestDlg& d) {
        const ColourAnswer picture = AskColours(d, WM_CTLCOLORSTATIC, ::GetDlgItem(d.m_hWnd, -1));
        EXPECT_EQ(picture.brush, WhiteBrush());
        EXPECT_EQ(picture.text, kColorBlue);
        EXPECT_EQ(picture.background, kColorWhite);
        d.EndDialog(IDOK);
    }};
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

}  // namespace
