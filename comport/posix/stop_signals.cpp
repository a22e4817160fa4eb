#include "stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace comdev {
namespace {

// Written by the handlers, read by the main thread.
volatile sig_atomic_t g_firstSignal = 0;
volatile sig_atomic_t g_signalCount = 0;
volatile sig_atomic_t g_firstHeld = 0;

int g_wakeRead = -1;
int g_wakeWrite = -1;

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Only async-signal-safe work: two stores and a non-blocking write (a full
// pipe already wakes the poll, so a lost byte does not matter).
void OnStopSignal(int signal) {
    const int savedErrno = errno;
    if (g_firstSignal == 0) g_firstSignal = signal;
    if (g_signalCount < 2) g_signalCount = g_signalCount + 1;
    if (g_wakeWrite >= 0) {
        const char byte = 0;
        [[maybe_unused]] const ssize_t ignored = write(g_wakeWrite, &byte, 1);
    }
    errno = savedErrno;
}

bool MakeWakeUpPipe() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    g_wakeRead = ends[0];
    g_wakeWrite = ends[1];
    return true;
}

}  // namespace

bool InstallStopSignals() {
    const bool piped = g_wakeRead >= 0 || MakeWakeUpPipe();
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    // One handler at a time, so the count cannot lose a signal.
    sigemptyset(&action.sa_mask);
    for (const int signal : kStopSignals) sigaddset(&action.sa_mask, signal);
    // Restarted calls are the blocking ones on standard streams; the port
    // waits in poll(), which a signal always ends, and the pipe wakes it too.
    action.sa_flags = SA_RESTART;
    for (const int signal : kStopSignals) sigaction(signal, &action, nullptr);
    return piped;
}

int StopSignal() { return g_firstSignal; }

int StopSignalCount() { return g_signalCount; }

void HoldFirstStopSignal(bool hold) { g_firstHeld = hold ? 1 : 0; }

bool FirstStopSignalHeld() { return g_firstHeld != 0; }

bool PortIoStopped() {
    const int count = g_signalCount;
    return count >= 2 || (count == 1 && g_firstHeld == 0);
}

int StopWakeUpFd() { return g_wakeRead; }

void ClearStopWakeUp() {
    char bytes[16];
    while (g_wakeRead >= 0 && read(g_wakeRead, bytes, sizeof bytes) > 0) {
    }
}

}  // namespace comdev
