// The worker threads of a recorded run, started as the dialog starts its own.
#include <windows.h>

#include "recording_host.h"

namespace {

// Runs entry on a new thread and waits for it; returns its exit code.
unsigned long RunThread(LPTHREAD_START_ROUTINE entry, void* param) {
    HANDLE worker = CreateThread(nullptr, 0, entry, param, 0, nullptr);
    if (worker == nullptr) {
        return STILL_ACTIVE;  // no thread: an exit code no entry gives
    }
    WaitForSingleObject(worker, INFINITE);
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeThread(worker, &exitCode);
    CloseHandle(worker);
    return exitCode;
}

}  // namespace

DWORD WINAPI RecordingHost::RunAndKeepOutcome(LPVOID param) {
    auto* host = static_cast<RecordingHost*>(param);
    host->outcome_ = host->RunSwitch();
    return 0;
}

void RecordingHost::RunOnWorker() { RunThread(RunAndKeepOutcome, this); }

unsigned long RecordingHost::RunThroughThreadEntry() { return RunThread(SwitchThreadProc, this); }
