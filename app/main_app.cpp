// Application object and its single instance.
#include "main_app.h"

#include "main_dlg.h"

CMainApp theApp;

void CMainApp::InitInstance() {
    AfxInitRichEdit();  // before the dialog: its template holds RICHEDIT controls
    CMainDlg dialog;
    dialog.DoModal();
}
