#include "comport.h"
#include "modemsim_client.h"
#include "simulated_ports.h"

// The Wine prefix maps COM1..COM31 onto the simulator's ports already; this
// checks that it really does: a port opened here must be one the simulator
// sees opened. Every port is left absent afterwards.
bool UseSimulatedPorts() {
    ModemSim& sim = ModemSim::Instance();
    if (!sim.Available() || !sim.Layout("COM1=silent")) return false;
    ComPort port;
    const bool opened = ComOpen(1, &port) != 0;
    ComClose(&port);
    return opened && sim.Opens(1) == 1 && sim.Layout("");
}

const comdev::PortNames* SimulatedSearchList() { return nullptr; }

std::string SimulatedPortName(int com) { return "COM" + std::to_string(com); }
