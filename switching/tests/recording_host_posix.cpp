// The worker threads of a recorded run, through the same thread entries the
// dialog uses on Windows.
#include <thread>

#include "recording_host.h"

// Runs entry on a new thread and waits for it; returns its exit code.
unsigned long RunThread(DWORD(WINAPI* entry)(LPVOID), void* param) {
    unsigned long exitCode = 0;
    std::thread worker([&] { exitCode = entry(param); });
    worker.join();
    return exitCode;
}
