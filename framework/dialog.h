// Modal dialog base of our framework. DoModal runs the platform's own modal
// loop (DialogBoxParam), so Enter, Escape, Tab and WM_CLOSE behave as the
// dialog manager defines; a message-filter hook lets PreTranslateMessage see
// each queued message of that loop first.
#pragma once

#include "wnd.h"

class CDialog;

// Binding of dialog items to wrapper objects during DoDataExchange.
struct CDataExchange {
    CDialog* m_pDlgWnd;
};

// Binds control to the dialog item id (once; later calls keep the binding).
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId);
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog from its template in the module's resources and returns
    // the value passed to EndDialog (-1 if the dialog could not be created).
    INT_PTR DoModal();
    void EndDialog(int result) const { ::EndDialog(m_hWnd, result); }

    // Called before the dialog manager sees a keyboard or mouse message of
    // the modal loop; TRUE swallows the message.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Binds the controls; TRUE lets the dialog manager focus the first tab stop.
    virtual BOOL OnInitDialog();

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

    // The dialog's message map: returns true when it handled message and put
    // its result in result; false hands the message to the dialog manager.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // NULL: the dialog manager's own colours.
    virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind);
    virtual void OnOK();
    virtual void OnCancel();

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK MessageFilterProc(int code, WPARAM wParam, LPARAM lParam);
    static CDialog* FromHandle(HWND hwnd);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
};
