// The worker threads of a recorded run, started as the dialog starts its own.
#include <windows.h>

#include "recording_host.h"

// Runs entry on a new thread and waits for it; returns its exit code.
unsigned long RunThread(DWORD(WINAPI* entry)(LPVOID), void* param) {
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
