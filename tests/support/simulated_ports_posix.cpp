#include <cstdlib>
#include <string>
#include <vector>

#include "port_paths.h"
#include "simulated_ports.h"

bool UseSimulatedPorts() {
    const char* prefix = std::getenv("MODEMSIM_PREFIX");
    const char* lockDir = std::getenv("MODEMSWITCH_LOCK_DIR");
    if (prefix == nullptr || lockDir == nullptr) return false;
    std::vector<std::string> paths;
    for (size_t com = 1; com <= comdev::kMaxPortPaths; ++com) {
        paths.push_back(std::string(prefix) + "/dosdevices/com" + std::to_string(com));
    }
    comdev::SetPortPaths(paths);
    comdev::SetLockDirectory(lockDir);
    return true;
}
