// Points the port module at the simulator's ports. Under Wine the prefix maps
// COM1..COM31 onto them already, and this checks that a port opened here
// reaches the simulator; natively COMn becomes the simulator's link
// $MODEMSIM_PREFIX/dosdevices/comn and lock files go to $MODEMSWITCH_LOCK_DIR
// (tools/modemsim/with_modemsim.sh sets both). False when the ports are not
// the simulator's.
#pragma once

#include <string>

#include "com_device.h"

bool UseSimulatedPorts();
// The search list a run needs to reach the simulator's ports: natively its
// COM1..COM31 links, after UseSimulatedPorts; null under Wine, where the
// device's own list (COM1..COM31) reaches them.
const comdev::PortNames* SimulatedSearchList();

// The name the search gives the simulator's COM<com>: "COM4" under Wine, its
// link's path natively (empty without $MODEMSIM_PREFIX).
std::string SimulatedPortName(int com);
