// Points the port module at the simulator's ports. Under Wine the prefix maps
// COM1..COM31 onto them already; natively COMn becomes the simulator's link
// $MODEMSIM_PREFIX/dosdevices/comn and lock files go to $MODEMSWITCH_LOCK_DIR
// (tests/support/with_modemsim.sh sets both). False when they are not set.
#pragma once

bool UseSimulatedPorts();
