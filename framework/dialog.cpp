// Modal dialog base: dialog procedure, message routing and the filter hook.
#include "dialog.h"

#include "win_app.h"

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd == nullptr) control.m_hWnd = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
}

CDialog::CDialog(UINT templateId) : m_templateId(templateId) {}

INT_PTR CDialog::DoModal() {
    // Templates may hold common controls (progress bar): register their classes.
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&classes);
    // Thread-local hook: it sees only this thread's modal loops.
    HHOOK hook =
        ::SetWindowsHookExA(WH_MSGFILTER, MessageFilterProc, nullptr, ::GetCurrentThreadId());
    INT_PTR result = ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId),
                                       nullptr, DialogProc, reinterpret_cast<LPARAM>(this));
    if (hook) ::UnhookWindowsHookEx(hook);
    return result;
}

BOOL CDialog::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CDialog::OnInitDialog() {
    CDataExchange dx{this};
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

HBRUSH CDialog::OnCtlColor(HDC, HWND, UINT) { return nullptr; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

namespace {
// WM_CTLCOLORMSGBOX..WM_CTLCOLORSTATIC are consecutive, in CTLCOLOR_* order.
bool IsCtlColorMessage(UINT message) {
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}
}  // namespace

bool CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (IsCtlColorMessage(message)) {
        result = reinterpret_cast<LRESULT>(OnCtlColor(reinterpret_cast<HDC>(wParam),
                                                      reinterpret_cast<HWND>(lParam),
                                                      message - WM_CTLCOLORMSGBOX));
        return result != 0;
    }
    if (message != WM_COMMAND) return false;
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    }
    // Commands no dialog handler claims end at the application.
    return AfxGetApp() && AfxGetApp()->OnCommand(LOWORD(wParam));
}

CDialog* CDialog::FromHandle(HWND hwnd) {
    // Only windows run by our dialog procedure carry a CDialog.
    if (hwnd == nullptr ||
        ::GetWindowLongPtrA(hwnd, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(&DialogProc))
        return nullptr;
    return reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
}

LRESULT CALLBACK CDialog::MessageFilterProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX) {
        MSG* msg = reinterpret_cast<MSG*>(lParam);
        CDialog* dialog = FromHandle(::GetAncestor(msg->hwnd, GA_ROOT));
        if (dialog && dialog->PreTranslateMessage(msg)) return TRUE;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        dialog->m_hWnd = hwnd;
        return dialog->OnInitDialog();
    }
    // Messages before WM_INITDIALOG (WM_SETFONT) find no object yet.
    CDialog* dialog = FromHandle(hwnd);
    if (dialog == nullptr) return FALSE;
    if (message == WM_NCDESTROY) dialog->m_hWnd = nullptr;
    return dialog->Dispatch(message, wParam, lParam);
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnMessage(message, wParam, lParam, result)) return FALSE;
    // These hand their result back directly, not through DWLP_MSGRESULT.
    if (IsCtlColorMessage(message)) return static_cast<INT_PTR>(result);
    switch (message) {
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(result);
    }
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
