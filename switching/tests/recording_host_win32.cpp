// The worker threads of a recorded run, started as the dialog starts its own.
#include <windows.h>

#include "recording_host.h"

namespace {

struct ThreadCall {
    void (*entry)(void*);
    void* param;
};

DWORD WINAPI CallOnThread(LPVOID call) {
    const ThreadCall* thread = static_cast<ThreadCall*>(call);
    thread->entry(thread->param);
    return 0;
}

}  // namespace

bool RunThread(void (*entry)(void*), void* param) {
    ThreadCall call{entry, param};
    HANDLE worker = CreateThread(nullptr, 0, CallOnThread, &call, 0, nullptr);
    if (worker == nullptr) return false;
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    return true;
}
