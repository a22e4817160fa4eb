#include "simulated_ports.h"

bool UseSimulatedPorts() { return true; }
