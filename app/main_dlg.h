// The program's main dialog: info pane, message log, picture, progress bar
// and the buttons "Только модем", "Доп. функции" and "Выход". A confirmed mode
// button starts the worker thread that runs the switch against this dialog.
#pragma once

#include "dialog.h"
#include "switch_host.h"

#include <atomic>

class CMainDlg : public CDialog, public SwitchHost {
public:
    CMainDlg();
    // Waits for a worker that is still finishing, then releases its handle.
    ~CMainDlg() override;

    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnInitDialog() override;

    // The mode the last confirmed button asked for.
    ModemMode Mode() const { return static_cast<ModemMode>(m_nMode); }
    // Host operations of the switch procedure, on this dialog's controls.
    void ClearLog() override;
    void AppendLog(const char* text) override;
    void SetProgressRange(int lower, int upper) override;
    void SetProgressPos(int pos) override;
    void StepProgress() override;
    void FinishRun() override;
    // The ports another program holds, after the error line.
    void ExplainNoModem(const comdev::PortNames& busyPorts) override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind) override;
    void OnOK() override;
    void OnCancel() override;

    bool OnPaint();
    HICON OnQueryDragIcon() const { return m_hIcon; }
    // Refuses to close during a run; false lets the dialog manager close.
    bool OnClose();
    void OnModemOnly();
    void OnExtraFunctions();
    // Asks confirmation; on Yes records mode and starts the worker.
    void StartWorker(const char* confirmation, ModemMode mode);

    bool IsRunning() const { return m_dwWorkerId != kIdle; }
    // Waits for the worker thread to end, serving the messages it sends.
    void WaitForWorker() const;

    static constexpr DWORD kIdle = 0xFFFFFFFFu;

    HANDLE m_hWorker;
    std::atomic<DWORD> m_dwWorkerId;  // the running marker: worker id, or kIdle
    int m_nMode = static_cast<int>(ModemMode::ModemOnly);
    CButton m_btnExtra;
    CButton m_btnModemOnly;
    CProgressCtrl m_progress;
    CButton m_btnExit;
    CRichEditCtrl m_log;
    CRichEditCtrl m_info;
    HICON m_hIcon;
    const HBRUSH m_brPanel;  // made once here, deleted once in the destructor
};
