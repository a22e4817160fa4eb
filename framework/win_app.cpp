// Application object and the program entry point that drives it.
#include "win_app.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::OnCommand(UINT id) {
    if (id != ID_HELP) return FALSE;
    OnHelp();
    return TRUE;
}

void CWinApp::OnHelp() { ::MessageBeep(MB_OK); }

CWinApp* AfxGetApp() { return g_app; }

// Exit code 0 once the program has run; 1 if it defines no application.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return 1;
    app->InitInstance();
    return 0;
}
