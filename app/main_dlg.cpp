// Main dialog: initialisation, colours, close guard and the worker start.
#include "main_dlg.h"

#include "windows_hosts.h"
#include "resource.h"
#include "rich_panes.h"
#include "switch_texts.h"
#include "ui_colors.h"
#include "win_app.h"

namespace {

const char kConfirmCaption[] = "Продолжить?";
const char kWaitCaption[] = "Внимание!";
const char kWaitText[] = "Дождитесь завершения процесса!";

// A single press of Escape as the keyboard reports it: repeat count 1, scan
// code 1, no other flag.
constexpr LPARAM kPlainEscapeKeyData = 0x00010001;

HBRUSH WhiteBrush() { return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)); }

// Thread entry of the worker: param is the dialog. Returns 0 whatever the
// outcome (the log has told the user).
DWORD WINAPI SwitchThreadProc(LPVOID param) {
    CMainDlg& dialog = *static_cast<CMainDlg*>(param);
    RunSwitch(dialog, WindowsRequest(dialog.Mode()));
    return 0;
}

}  // namespace

CMainDlg::CMainDlg()
    : CDialog(IDD_MAIN),
      m_hWorker(INVALID_HANDLE_VALUE),
      m_dwWorkerId(kIdle),
      m_hIcon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_brPanel(::CreateSolidBrush(kColorPanelGray)) {}

CMainDlg::~CMainDlg() {
    // The worker's last host call may still be under way when the dialog
    // ends: the object must outlive it.
    WaitForWorker();
    if (m_hWorker != INVALID_HANDLE_VALUE) ::CloseHandle(m_hWorker);
    ::DeleteObject(m_brPanel);
}

void CMainDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_EXTRA, m_btnExtra);
    DDX_Control(pDX, IDC_MODEM_ONLY, m_btnModemOnly);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Control(pDX, IDCANCEL, m_btnExit);
    DDX_Control(pDX, IDC_LOG, m_log);
    DDX_Control(pDX, IDC_INFO, m_info);
}

bool CMainDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(OnQueryDragIcon());
        return true;
    case WM_CLOSE:
        return OnClose();
    case WM_HELP:  // F1: the help command, which the application answers
        SendMessage(WM_COMMAND, ID_HELP);
        result = TRUE;
        return true;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            switch (LOWORD(wParam)) {
            case IDC_MODEM_ONLY:
                OnModemOnly();
                return true;
            case IDC_EXTRA:
                OnExtraFunctions();
                return true;
            }
        }
        break;
    }
    // WM_CTLCOLOR* reach OnCtlColor, IDOK/IDCANCEL OnOK/OnCancel there, and
    // other commands (ID_HELP) the application.
    return CDialog::OnMessage(message, wParam, lParam, result);
}

BOOL CMainDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    panes::InitInfoPane(m_info);
    m_info.SetBackgroundColor(kColorPanelGray);
    m_log.SetBackgroundColor(kColorPanelGray);
    m_progress.SetStep(1);
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    panes::InitLog(m_log);
    return TRUE;
}

BOOL CMainDlg::PreTranslateMessage(MSG* msg) {
    // Keeps a single press of Escape from cancelling the dialog.
    if ((msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) &&
        msg->lParam == kPlainEscapeKeyData && msg->wParam == VK_ESCAPE)
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

HBRUSH CMainDlg::OnCtlColor(HDC dc, HWND control, UINT kind) {
    switch (kind) {
    case CTLCOLOR_EDIT:
        ::SetTextColor(dc, kColorBlack);
        return WhiteBrush();
    case CTLCOLOR_DLG:
        ::SetTextColor(dc, kColorDialogText);
        return WhiteBrush();
    case CTLCOLOR_STATIC: {
        const int id = ::GetDlgCtrlID(control);
        if (id == IDC_INFO_PANEL || id == IDC_LOG_PANEL) {
            ::SetBkColor(dc, kColorPanelGray);
            return m_brPanel;
        }
        ::SetTextColor(dc, kColorBlue);
        ::SetBkColor(dc, kColorWhite);
        return WhiteBrush();
    }
    }
    return CDialog::OnCtlColor(dc, control, kind);
}

bool CMainDlg::OnPaint() {
    if (!IsIconic()) return false;  // the dialog manager paints the open window
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC));
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    return true;
}

bool CMainDlg::OnClose() {
    // Idle, the dialog manager turns the close into IDCANCEL; the destructor
    // then waits for a worker whose last call may still be under way.
    if (!IsRunning()) return false;
    ::MessageBoxA(m_hWnd, kWaitText, kWaitCaption, MB_OK | MB_ICONINFORMATION);
    return true;
}

void CMainDlg::OnOK() {
    // The platform sends IDOK/IDCANCEL for Enter, Escape and WM_CLOSE even with
    // "Выход" disabled: the dialog must not end under a running worker.
    if (IsRunning()) return;
    CDialog::OnOK();
}

void CMainDlg::OnCancel() {
    // Same guard as OnOK: Escape auto-repeat or Enter must not end a run.
    if (IsRunning()) return;
    CDialog::OnCancel();
}

void CMainDlg::OnModemOnly() { StartWorker(kTextConfirmModemOnly.russian, ModemMode::ModemOnly); }

void CMainDlg::OnExtraFunctions() {
    StartWorker(kTextConfirmExtraFunctions.russian, ModemMode::ExtraFunctions);
}

void CMainDlg::StartWorker(const char* confirmation, ModemMode mode) {
    if (::MessageBoxA(m_hWnd, confirmation, kConfirmCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    m_nMode = static_cast<int>(mode);
    DWORD id = kIdle;
    HANDLE worker = ::CreateThread(nullptr, 0, SwitchThreadProc, this, 0, &id);
    if (worker == nullptr) {
        m_hWorker = INVALID_HANDLE_VALUE;
        m_dwWorkerId = kIdle;
        return;
    }
    // The worker's first report is a sent message, served only after this
    // handler returns: the marker and the disabled buttons come first.
    m_hWorker = worker;
    m_dwWorkerId = id;
    m_btnModemOnly.EnableWindow(FALSE);
    m_btnExtra.EnableWindow(FALSE);
    m_btnExit.EnableWindow(FALSE);
}

void CMainDlg::WaitForWorker() const {
    if (m_hWorker == INVALID_HANDLE_VALUE) return;
    while (::MsgWaitForMultipleObjects(1, &m_hWorker, FALSE, INFINITE, QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + 1) {
        // Serves the messages the worker sends; posted ones stay queued.
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void CMainDlg::ClearLog() { m_log.SetWindowText(""); }

void CMainDlg::ExplainNoModem(const comdev::PortNames& busyPorts) {
    SayBusyPorts(*this, busyPorts);
}

void CMainDlg::AppendLog(const char* text) { panes::AppendLog(m_log, text); }

void CMainDlg::SetProgressRange(int lower, int upper) { m_progress.SetRange32(lower, upper); }

void CMainDlg::SetProgressPos(int pos) { m_progress.SetPos(pos); }

void CMainDlg::StepProgress() { m_progress.StepIt(); }

void CMainDlg::FinishRun() {
    m_dwWorkerId = kIdle;
    m_btnExit.EnableWindow(TRUE);
}
