// Waiting for state of another process's windows. Nothing signals such a
// change across processes, so it is polled with a sleep between looks and a
// deadline, never spun on.
#pragma once

#include <windows.h>

// Polls condition() every pollMs until it returns true or timeoutMs have
// passed. Returns whether it became true; it is checked once more at the end.
template <class Condition>
bool WaitUntil(DWORD timeoutMs, Condition condition, DWORD pollMs = 20) {
    // Unsigned difference: correct across the 49-day wrap of the tick count.
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= timeoutMs) return condition();
        Sleep(pollMs);
    }
    return true;
}
