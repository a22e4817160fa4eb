// The worker thread of a recorded run, started as the dialog starts it.
#include <windows.h>

#include "recording_host.h"

unsigned long RecordingHost::RunOnWorker() {
    HANDLE worker = CreateThread(nullptr, 0, SwitchThreadProc, this, 0, nullptr);
    if (worker == nullptr) {
        return STILL_ACTIVE;  // no thread: an exit code the procedure never gives
    }
    WaitForSingleObject(worker, INFINITE);
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeThread(worker, &exitCode);
    CloseHandle(worker);
    return exitCode;
}
