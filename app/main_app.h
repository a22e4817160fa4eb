// The application object: shows the main dialog modally, then ends.
#pragma once

#include "win_app.h"

class CMainApp : public CWinApp {
public:
    void InitInstance() override;
};
