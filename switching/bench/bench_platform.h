// What the benchmark needs of the system: clocks, a pause, a worker thread,
// and the layouts only this system has.
#pragma once

#include <string>
#include <vector>

#include "modem_modes.h"
#include "switch_host.h"

// One timed layout of simulated ports.
struct BenchLayout {
    const char* name;
    std::string ports;  // the simulator's layout
    int modemCom;       // the simulator's port with the modem
    int modemPort;      // the port number the search finds it at
    int silentPorts;    // ports tried before the modem that open but never answer
    int runs;
    ModemVendor vendor = ModemVendor::Zte;
    // The ports the search tries, made before each run; null: the simulator's
    // COM1..COM31.
    const comdev::PortNames* (*searchList)() = nullptr;
    // The simulator's state after a run; null: the vendor's modem-only state.
    // "none" for a stick that refuses the switch.
    const char* endState = nullptr;
};

double NowMs();         // a monotonic clock, in milliseconds
double ProcessCpuMs();  // CPU time of the whole process, user and kernel
void SleepMs(unsigned ms);
// Runs one switch on a worker thread and waits for it, as the dialog starts
// it. False if no thread could start.
bool RunSwitchOnWorker(SwitchHost* host, const SwitchRequest& request);

// Layouts of this system's own: on Linux, a stick whose AT port sysfs names,
// behind silent ports, with and without the order sysfs gives. False when
// they cannot be set up (the reason printed).
bool PlatformLayouts(std::vector<BenchLayout>* layouts);
