#include <cstdlib>
#include <string>
#include <vector>

#include "port_paths.h"
#include "simulated_ports.h"

namespace {

comdev::PortNames& SimulatedList() {
    static comdev::PortNames list;
    return list;
}

}  // namespace

bool UseSimulatedPorts() {
    const char* prefix = std::getenv("MODEMSIM_PREFIX");
    const char* lockDir = std::getenv("MODEMSWITCH_LOCK_DIR");
    if (prefix == nullptr || lockDir == nullptr) return false;
    std::vector<std::string> paths;
    for (int com = 1; com <= 31; ++com) paths.push_back(SimulatedPortName(com));  // COM1..COM31
    SimulatedList() = comdev::PortNames{};
    comdev::ToPortNames(paths, &SimulatedList());
    comdev::SetLockDirectory(lockDir);
    return true;
}

const comdev::PortNames* SimulatedSearchList() { return &SimulatedList(); }

std::string SimulatedPortName(int com) {
    const char* prefix = std::getenv("MODEMSIM_PREFIX");
    return prefix == nullptr ? "" : std::string(prefix) + "/dosdevices/com" + std::to_string(com);
}
