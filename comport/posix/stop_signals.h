// Signals that ask a run to stop (SIGINT, SIGTERM, SIGHUP), and how port I/O
// hears of them. A handler only records the signal and writes one byte to a
// pipe whose read end every waiting port read or write polls beside the
// port, so a wait ends at once instead of at its time-out. Nothing is
// released in a handler: the run ends by its normal path, which closes and
// restores each port.
//
// A stop during the search ends the port I/O under way at once. While the
// commands go to a modem, the first signal can be held: the list is finished,
// so the modem is not left half-switched; a second one stops the I/O anyway.
#pragma once

namespace comdev {

// Installs the handlers: once, before a run, from the main thread. False if
// the wake-up pipe could not be made: signals are still recorded, and a
// waiting port then notices them only at its time-out.
bool InstallStopSignals();

// The first stop signal received, or 0.
int StopSignal();
// How many stop signals were received.
int StopSignalCount();

// While held, the first signal leaves port I/O alone; a second still stops it.
void HoldFirstStopSignal(bool hold);
bool FirstStopSignalHeld();

// Whether port I/O must give up now: a signal came and is not held.
bool PortIoStopped();

// The pipe end to poll beside a port, or -1 without one; readable once a
// signal came. ClearStopWakeUp() empties it before the wait goes on.
int StopWakeUpFd();
void ClearStopWakeUp();

}  // namespace comdev
