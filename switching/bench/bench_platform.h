// What the benchmark needs of the system: clocks, a pause and a worker thread.
#pragma once

#include "switch_host.h"

double NowMs();         // a monotonic clock, in milliseconds
double ProcessCpuMs();  // CPU time of the whole process, user and kernel
void SleepMs(unsigned ms);
// Runs one switch on a worker thread through SwitchThreadProc and waits for
// it, as the dialog starts it. False if no thread could start.
bool RunSwitchOnWorker(SwitchHost* host);
