#include "stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace comdev {
namespace {

// Written by the handlers, read by the main thread.
volatile sig_atomic_t g_firstSignal = 0;
volatile sig_atomic_t g_signalCount = 0;
volatile sig_atomic_t g_firstAtMs = 0;  // since the handlers were installed
volatile sig_atomic_t g_unnoticed = 0;  // a signal the listener has not heard of

timespec g_installedAt{};

int g_wakeRead = -1;
int g_wakeWrite = -1;

// Every signal whose default action ends the process and that a handler may
// take, apart from the program faults (SEGV, BUS, FPE, ILL, TRAP, ABRT, SYS):
// returning from one of those would run the faulting instruction again.
// SIGPIPE and SIGXFSZ are ignored instead (a failed write is told as such).
// The real-time signals join them below, as SIGRTMIN is not a constant.
// SIGSTKFLT is left out: MIPS has no such signal and no kernel sends it.
constexpr int kStopSignals[] = {SIGINT,  SIGTERM, SIGHUP,    SIGQUIT, SIGUSR1, SIGUSR2,
                                SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGIO,   SIGPWR};

sigset_t StopSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kStopSignals) sigaddset(&set, signal);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) sigaddset(&set, signal);
    return set;
}

// Milliseconds since the handlers were installed; clock_gettime is
// async-signal-safe, and a run is far shorter than an int's milliseconds.
int MsSinceInstalled() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int>((now.tv_sec - g_installedAt.tv_sec) * 1000 +
                            (now.tv_nsec - g_installedAt.tv_nsec) / 1000000);
}

// Only async-signal-safe work: a clock reading, a few stores and a
// non-blocking write (a full pipe already wakes the poll, so a lost byte
// does not matter).
void OnStopSignal(int signal) {
    const int savedErrno = errno;
    const int now = MsSinceInstalled();
    if (g_firstSignal == 0) {
        g_firstAtMs = now;
        g_firstSignal = signal;
        g_signalCount = 1;
    } else if (g_signalCount == 1 && now - g_firstAtMs >= kRepeatWindowMs) {
        g_signalCount = 2;
    }
    g_unnoticed = 1;
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

bool StopSignals::Install() {
    const bool piped = g_wakeRead >= 0 || MakeWakeUpPipe();
    clock_gettime(CLOCK_MONOTONIC, &g_installedAt);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    // One handler at a time, so the count cannot lose a signal.
    action.sa_mask = StopSignalSet();
    // Restarted calls are the blocking ones on standard streams; the port
    // waits in poll(), which a signal always ends, and the pipe wakes it too.
    action.sa_flags = SA_RESTART;
    for (int signal = 1; signal < NSIG; ++signal) {
        if (sigismember(&action.sa_mask, signal) == 1) sigaction(signal, &action, nullptr);
    }
    return piped;
}

int StopSignals::Signal() const { return g_firstSignal; }

int StopSignals::Count() const { return g_signalCount; }

void StopSignals::HoldFirst(bool hold) { firstHeld_ = hold; }

int StopSignals::ChangesInMs() {
    if (g_signalCount != 1 || !firstHeld_) return -1;
    const int left = g_firstAtMs + kHeldStopGraceMs - MsSinceInstalled();
    return left > 0 ? left + 1 : 0;  // whole milliseconds may round down
}

bool StopSignals::IoStopped() {
    const int count = g_signalCount;
    if (count == 0) return false;
    if (!firstHeld_) return true;
    if (count >= 2 || ChangesInMs() == 0) heldCutIo_ = true;
    return heldCutIo_;
}

int StopSignals::WakeUpFd() { return g_wakeRead; }

void StopSignals::ClearWakeUp() {
    char bytes[16];
    while (g_wakeRead >= 0 && read(g_wakeRead, bytes, sizeof bytes) > 0) {
    }
}

void StopSignals::Notice() {
    if (g_unnoticed == 0) return;
    g_unnoticed = 0;
    if (listener_) listener_();
}

}  // namespace comdev
